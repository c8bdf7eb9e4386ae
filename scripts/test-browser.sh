#!/usr/bin/env bash
# The browser stage: a simulated gateway serves its web interface (gwsim web,
# lighttpd on 127.0.0.1) and headless Chromium loads every table page of the
# firmware tree through it over fixture stores (platform/web/test/browser_stage.py).
# Screenshots land in BUILD_DIR/browser/.
#   usage: scripts/test-browser.sh [BUILD_DIR]   (default build/)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath -m "${1:-build}")

bash scripts/setup.sh
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
# Every program of the firmware tree, so that every page is staged.
cmake --build "$build" -j "$(nproc)"
# Debian's python3, which has Debian's Selenium.
/usr/bin/python3 platform/web/test/browser_stage.py "$build" "$build/browser"
