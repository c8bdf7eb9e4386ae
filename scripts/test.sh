#!/usr/bin/env bash
# The whole test suite, from a fresh machine: installs what is missing, then
#   1. builds and runs every test natively, from a copy of the checkout's
#      tracked files in a temporary directory with nothing beside it, so that
#      nothing outside the repository can be read (its build/ also serves
#      the target stage),
#   2. the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer (build-san/),
#   3. a short run of every libFuzzer target under ASan and UBSan (build-fuzz/, clang),
#   4. the target stage: big-endian MIPS build, tests under qemu, footprint check,
#   5. the kernel module's build check against the installed kernel headers,
#   6. the browser stage: every table page in headless Chromium (scripts/test-browser.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
jobs=$(nproc)

bash scripts/setup.sh

stage() { printf '\n==== %s ====\n' "$*"; }

stage "native build and tests, from a copy with nothing beside it"
alone=$(mktemp -d /tmp/wy-alone.XXXXXX)
trap 'rm -rf --one-file-system "$alone"' EXIT
# Tracked files as they are in the working tree: a file never added to git
# is missing here, as in a fresh clone.
git ls-files -z --cached | while IFS= read -r -d '' f; do
  if [ -e "$f" ] || [ -L "$f" ]; then printf '%s\0' "$f"; fi
done | tar --null -T - -cf - | tar -xf - -C "$alone"
cmake -S "$alone" -B "$alone/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$alone/build" -j "$jobs"
ctest --test-dir "$alone/build" -j "$jobs" --output-on-failure

stage "sanitizer build (ASan + UBSan) and tests"
cmake -S . -B build-san -G Ninja -DCMAKE_BUILD_TYPE=Debug -DWY_SANITIZE=ON >/dev/null
cmake --build build-san -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-san -j "$jobs" --output-on-failure

stage "fuzz targets (libFuzzer, ASan + UBSan), short runs"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DWY_FUZZ=ON -DWY_BUILD_TESTS=OFF -DWY_FUZZ_SECONDS="${WY_FUZZ_SECONDS:-20}" >/dev/null
cmake --build build-fuzz -j "$jobs"
ctest --test-dir build-fuzz -L fuzz -j "$jobs" --output-on-failure --no-tests=error

stage "target: big-endian MIPS build, tests under qemu-mips, footprint check"
WY_NATIVE_BUILD="$alone/build" "$top/scripts/test-target.sh"

stage "kernel module built against the installed kernel headers"
"$top/kmod/v6snoop/kbuild-check.sh"

stage "browser: every table page in headless Chromium, served by the simulated gateway"
"$top/scripts/test-browser.sh" "$alone/build"
# The copy goes with the run; keep the screenshots in the checkout's build tree.
mkdir -p "$top/build/browser" && cp "$alone/build/browser/"*.png "$top/build/browser/"

stage "all stages passed"
