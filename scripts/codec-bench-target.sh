#!/usr/bin/env bash
# The codec against LZ4 on the gateway's big-endian MIPS, under qemu-mips:
# LZ4 from Debian's source package and both codec tiers, built for the target
# with the same compiler and flags, each operation timed as a whole process
# (CPU time of ITERATIONS runs minus that of none). Prints one line per case
# with the time per operation and its ratio to LZ4's in the same run.
# Needs scripts/setup.sh (the MIPS compiler, qemu-user, dpkg-dev) and the
# deb-src entries scripts/mbedtls-target.sh adds.
#   scripts/codec-bench-target.sh [INPUT] [ITERATIONS]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
input=${1:-$repo/wyci/flashlib/test/vectors/romfile_65536.in}
iterations=${2:-2000}
if [ ! -r "$input" ]; then
  echo "codec-bench-target: no input $input (give a file)" >&2
  exit 1
fi
input=$(cd "$(dirname "$input")" && pwd)/$(basename "$input")
work=$repo/build-mips/codec-bench
mkdir -p "$work"
cd "$work"

if [ ! -f lz4.c ]; then
  if ! apt-get source --download-only lz4 >apt.log 2>&1; then
    echo "codec-bench-target: apt-get source lz4 failed (deb-src entries: scripts/mbedtls-target.sh adds them); see $work/apt.log" >&2
    exit 1
  fi
  tar xzf lz4_*.orig.tar.gz
  cp lz4-*/lib/lz4.c lz4-*/lib/lz4.h .
fi
flags=(-O2 -DNDEBUG)
mips-linux-gnu-gcc "${flags[@]}" -c lz4.c -o lz4.o
mips-linux-gnu-g++ "${flags[@]}" -std=c++20 -I. -I"$repo/wyci/flashlib" \
  "$repo/wyci/flashlib/bench/codec_loop.cpp" "$repo/wyci/flashlib/fastlz.cpp" \
  "$repo/wyci/flashlib/fastlz_optimal.cpp" lz4.o -static -o codec_loop

# CPU seconds (user + system) of one run under qemu-mips; a failing run ends
# the script.
cpu() {
  local t
  t=$( { TIMEFORMAT='%U %S'; time qemu-mips ./codec_loop "$@" >/dev/null || echo failed; } 2>&1 )
  if grep -q failed <<<"$t"; then
    echo "codec-bench-target: codec_loop $* failed: $t" >&2
    exit 1
  fi
  awk '{ printf "%.3f", $1 + $2 }' <<<"$t"
}

echo "input $(basename "$input"), $iterations iterations, $(date -u +%FT%TZ)"
for op in compress decompress; do
  declare -A per=()
  for codec in lz4 fast optimal; do
    n=$iterations
    [ "$codec.$op" = optimal.compress ] && n=$((iterations / 20 > 0 ? iterations / 20 : 1))
    base=$(cpu "$codec" "$op" 0 "$input")
    full=$(cpu "$codec" "$op" "$n" "$input")
    per[$codec]=$(awk -v f="$full" -v b="$base" -v n="$n" 'BEGIN { printf "%.1f", (f - b) / n * 1e6 }')
  done
  for codec in lz4 fast optimal; do
    awk -v c="$codec" -v o="$op" -v t="${per[$codec]}" -v l="${per[lz4]}" \
      'BEGIN { printf "%-10s %-8s %10.1f us/op  %5.3fx LZ4 speed\n", o, c, t, l / t }'
  done
done
