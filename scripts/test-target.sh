#!/usr/bin/env bash
# The target stage of the test suite:
#   1. the big-endian MIPS test build (build-mips/, cmake/mips-linux-gnu.cmake,
#      system root prefix on),
#   2. its tests under qemu-mips, each simulated gateway run by the native gwsim
#      (build/, built first when absent) with the MIPS programs inside it,
#   3. the firmware build as it ships (build-mips-fw/, WY_SYSROOT_PREFIX=OFF,
#      size-optimised, no tests), installed into build-mips-fw/fwimage, and the
#      footprint check of that tree, which writes the table in docs/footprint.md.
# Runs as root on a fresh machine after scripts/setup.sh; sets up what it needs
# (binfmt_misc for qemu-mips) itself, idempotently.
#   WY_NATIVE_BUILD  native build dir to take gwsim and the stand-ins from (build)
#   WY_NO_BINFMT=1   do not register qemu-mips; run MIPS programs through wrappers
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
jobs=$(nproc)
native=${WY_NATIVE_BUILD:-$top/build}
cross=$top/build-mips
firmware=$top/build-mips-fw
sysroot=/usr/mips-linux-gnu
triple=mips-linux-gnu
start=$(date +%s)

step() { printf -- '-- target: %s\n' "$*"; }

bash scripts/setup.sh

if [ ! -f "$native/CMakeCache.txt" ]; then
  step "configuring the native build in $native"
  cmake -S . -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
step "native build (gwsim and the stand-ins)"
cmake --build "$native" -j "$jobs"

step "mbedTLS for the target (certsubj), from Debian's source package"
mbedtls_root=$(bash scripts/mbedtls-target.sh | tail -n 1)

step "cross build in $cross"
cmake -S . -B "$cross" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mips-linux-gnu.cmake" \
  -DCMAKE_BUILD_TYPE=MinSizeRel -DWY_HOST_GWSIM="$native/bin/gwsim" \
  -DWY_MBEDTLS_ROOT="$mbedtls_root" >/dev/null
cmake --build "$cross" -j "$jobs"

# A MIPS program started inside a simulated gateway is exec'd by the native
# gwsim or shell, so the kernel itself must hand it to qemu-mips: binfmt_misc,
# with Debian's qemu taking its library prefix from /etc/qemu-binfmt/mips.
probe_dir=$cross/probe
mkdir -p "$probe_dir"
printf '%s\n' '#include <stdio.h>' \
  'int main(void) { unsigned v = 1; puts(*(unsigned char *)&v ? "little-endian" : "big-endian"); return 0; }' \
  >"$probe_dir/endian.c"
$triple-gcc -Os -o "$probe_dir/endian" "$probe_dir/endian.c"

binfmt_setup() {
  local misc=/proc/sys/fs/binfmt_misc
  [ -e $misc/register ] || mount -t binfmt_misc binfmt_misc $misc 2>/dev/null || return 1
  if [ ! -e $misc/qemu-mips ]; then
    [ -r /usr/lib/binfmt.d/qemu-mips.conf ] || return 1
    cat /usr/lib/binfmt.d/qemu-mips.conf >$misc/register 2>/dev/null || return 1
  fi
  grep -qx enabled $misc/qemu-mips || echo 1 >$misc/qemu-mips 2>/dev/null || return 1
  if [ ! -e /etc/qemu-binfmt/mips ]; then
    mkdir -p /etc/qemu-binfmt && ln -sfn "$sysroot" /etc/qemu-binfmt/mips || return 1
  fi
  [ "$("$probe_dir/endian" 2>/dev/null)" = big-endian ]
}

# Fallback: a wrapper per MIPS program, layered over the staged tree.
wrappers_setup() {
  local qemu; qemu=$(command -v qemu-mips)
  (cd "$cross/fwroot" && find . -type f) | while read -r rel; do
    rel=${rel#./}
    case $rel in lib/*) continue ;; esac  # libraries are loaded by qemu, not run
    head -c 4 "$cross/fwroot/$rel" | grep -q ELF || continue
    mkdir -p "$(dirname "$cross/fwroot-qemu/$rel")"
    printf '#!/bin/sh\nexec %s -L %s -0 "$0" %s "$@"\n' "$qemu" "$sysroot" "$cross/fwroot/$rel" \
      >"$cross/fwroot-qemu/$rel"
    chmod +x "$cross/fwroot-qemu/$rel"
  done
}

rm -rf "$cross/fwroot-qemu" && mkdir -p "$cross/fwroot-qemu"
if [ "${WY_NO_BINFMT:-0}" != 1 ] && binfmt_setup; then
  step "MIPS programs run through binfmt_misc (qemu-mips)"
else
  step "binfmt_misc unavailable: MIPS programs run through wrappers in $cross/fwroot-qemu"
  wrappers_setup
fi

step "tests under qemu-mips"
ctest_rc=0
ctest --test-dir "$cross" -j "$jobs" --output-on-failure || ctest_rc=$?

# Skips are never silent: print each skipped test with its reason.
python3 - "$cross/Testing/Temporary/LastTest.log" <<'PY'
import re, sys
try:
    log = open(sys.argv[1], errors="replace").read()
except OSError:
    sys.exit(0)
skipped = 0
for block in re.split(r"\n(?=\d+/\d+ Testing: )", log):
    m = re.match(r"\d+/\d+ Testing: (\S+)", block)
    if not m or "[  SKIPPED ]" not in block:
        continue
    skipped += 1
    why = re.search(r": Skipped\n(.*?)\n\[  SKIPPED \]", block, re.S)
    print("-- target: skipped %s: %s" % (m.group(1), why.group(1).strip() if why else "(no reason given)"))
if skipped:
    print("-- target: %d tests skipped on the target, each with its reason above" % skipped)
PY
step "tests done in $(( $(date +%s) - start )) s since the stage began"

# The check is shown to refuse what it must before it judges the firmware.
footprint_selftest() {
  local t=$cross/footprint-selftest
  rm -rf "$t" && mkdir -p "$t/ok/userfs/cgi-bin" "$t/cxx/userfs/bin" "$t/big/userfs/cgi-bin" "$t/host/userfs/bin"
  printf 'int main(void) { return 0; }\n' >"$t/small.c"
  printf '#include <string>\nint main(int c, char **v) { std::string s(v[0]); return (int)s.size() + c; }\n' >"$t/cxx.cpp"
  printf 'const unsigned char page[20000] = {1};\nint main(int c, char **v) { return page[c] + v[0][0]; }\n' >"$t/big.c"
  $triple-gcc -Os -o "$t/ok/userfs/cgi-bin/ok_page" "$t/small.c"
  $triple-g++ -Os -o "$t/cxx/userfs/bin/cxx_dynamic" "$t/cxx.cpp"
  $triple-gcc -Os -o "$t/big/userfs/cgi-bin/big_page" "$t/big.c"
  gcc -Os -o "$t/host/userfs/bin/host_program" "$t/small.c"
  printf 'userfs/cgi-bin/ok_page\nuserfs/cgi-bin/absent_page\n' >"$t/expect.txt"
  python3 scripts/footprint.py "$t/ok" >"$t/ok.out" \
    || { cat "$t/ok.out"; echo "footprint self-test: a small C page was refused" >&2; return 1; }
  if python3 scripts/footprint.py "$t/cxx" >"$t/cxx.out" || ! grep -q 'needs libstdc++.so.6' "$t/cxx.out"; then
    cat "$t/cxx.out"; echo "footprint self-test: a program needing libstdc++.so.6 passed" >&2; return 1
  fi
  if python3 scripts/footprint.py "$t/big" >"$t/big.out" || ! grep -q 'over budget' "$t/big.out"; then
    cat "$t/big.out"; echo "footprint self-test: a 20 KB CGI page passed" >&2; return 1
  fi
  if python3 scripts/footprint.py "$t/host" >"$t/host.out" || ! grep -q 'not a 32-bit big-endian MIPS' "$t/host.out"; then
    cat "$t/host.out"; echo "footprint self-test: a host program passed" >&2; return 1
  fi
  # The mbedTLS libraries are allowed to certsubj alone.
  mkdir -p "$t/mbed/userfs/bin"
  printf 'int wy_stub(void) { return 1; }\n' >"$t/stub.c"
  printf 'int wy_stub(void);\nint main(void) { return wy_stub(); }\n' >"$t/mbed.c"
  $triple-gcc -shared -fPIC -Wl,-soname,libmbedcrypto.so.7 -o "$t/libmbedcrypto.so.7" "$t/stub.c"
  $triple-gcc -Os -o "$t/mbed/userfs/bin/other_program" "$t/mbed.c" "$t/libmbedcrypto.so.7"
  if python3 scripts/footprint.py "$t/mbed" >"$t/mbed.out" || ! grep -q 'needs libmbedcrypto.so.7' "$t/mbed.out"; then
    cat "$t/mbed.out"; echo "footprint self-test: a program other than certsubj needing mbedTLS passed" >&2; return 1
  fi
  if python3 scripts/footprint.py "$t/ok" --expect "$t/expect.txt" >"$t/missing.out" ||
     ! grep -q 'absent_page .*missing from the tree' "$t/missing.out"; then
    cat "$t/missing.out"; echo "footprint self-test: a missing deliverable passed" >&2; return 1
  fi
}
step "footprint check self-test"
footprint_selftest

step "firmware build in $firmware"
footprint_rc=0
if cmake -S . -B "$firmware" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mips-linux-gnu.cmake" \
     -DCMAKE_BUILD_TYPE=MinSizeRel -DWY_SYSROOT_PREFIX=OFF -DWY_BUILD_TESTS=OFF \
     -DWY_MBEDTLS_ROOT="$mbedtls_root" >/dev/null &&
   cmake --build "$firmware" -j "$jobs"; then
  step "footprint of the firmware tree"
  rm -rf "$firmware/fwimage"
  cmake --install "$firmware" --component firmware --prefix "$firmware/fwimage" >/dev/null
  python3 scripts/footprint.py "$firmware/fwimage" --expect "$firmware/deliverables.txt" \
    --markdown "$firmware/footprint.md" --doc "$top/docs/footprint.md" || footprint_rc=$?
else
  echo "-- target: the firmware build failed" >&2
  footprint_rc=1
fi

# Both verdicts are reported before either fails the stage.
if [ "$ctest_rc" -ne 0 ]; then
  echo "-- target: tests failed under qemu-mips" >&2
fi
if [ "$footprint_rc" -ne 0 ]; then
  echo "-- target: footprint check failed" >&2
fi
[ "$ctest_rc" -eq 0 ] && [ "$footprint_rc" -eq 0 ] || exit 1
step "target stage passed in $(( $(date +%s) - start )) s"
