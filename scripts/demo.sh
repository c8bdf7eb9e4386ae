#!/usr/bin/env bash
# The main job: builds the project if needed, creates and starts a simulated
# gateway in a temporary directory, shows it at work, and always stops it.
# Each step is one `step` line followed by commands run inside the gateway
# with `in_gw`; append new steps before the end.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
jobs=$(nproc)

bash scripts/setup.sh
echo "demo: building in build/ (log: build/demo-build.log)"
mkdir -p build
if ! { [ -f build/CMakeCache.txt ] || cmake -S . -B build -G Ninja; } >build/demo-build.log 2>&1 ||
   ! cmake --build build -j "$jobs" >>build/demo-build.log 2>&1; then
  tail -n 40 build/demo-build.log >&2
  echo "demo: the build failed" >&2
  exit 1
fi

gwsim=$top/build/bin/gwsim
work=$(mktemp -d /tmp/wydemo.XXXXXX)
gw=$work/gw

cleanup() {
  "$gwsim" stop "$gw" >/dev/null 2>&1 || true
  if grep -q " $gw/" /proc/self/mountinfo; then
    echo "demo: $gw is still mounted; left in place" >&2
  else
    rm -rf "$work"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

step() { printf '\n== %s\n' "$*"; }
# Runs a shell command line inside the gateway ($WY_SYSROOT is its root).
in_gw() { printf '$ %s\n' "$1"; "$gwsim" run "$gw" -- sh -c "$1"; }
if command -v hexdump >/dev/null; then
  dump='hexdump -C'
else
  dump='od -A x -t x1z -v'
fi

step "create and start a simulated gateway in $gw"
"$gwsim" create "$gw"
"$gwsim" start "$gw"
echo "started (daemon pid $(cat "$gw/gwsim.pid"))"

step "flash partitions"
in_gw 'cat $WY_SYSROOT/proc/mtd'

step "manufacturing record: 167 bytes of /dev/mtd0 at 0x1FF00"
in_gw "$dump -s 0x1ff00 -n 167 \$WY_SYSROOT/dev/mtd0"

# Further steps go here.

step "stop the gateway"
"$gwsim" stop "$gw"
echo "stopped"
