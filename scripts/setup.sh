#!/usr/bin/env bash
# Installs the Debian packages the build, the simulator and the tests need.
# Idempotent: only missing packages are installed (as root, as on these machines).
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config python3 git
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libfuse3-dev fuse3 libpugixml-dev libmbedtls-dev
  clang libclang-rt-14-dev
  g++-mips-linux-gnu binutils-mips-linux-gnu qemu-user
  linux-headers-amd64 kmod iproute2 tcpdump
  ca-certificates openssl dpkg-dev
  liblz4-dev # the codec benchmark's baseline only
  zlib1g-dev # the CRC-32 benchmark's baseline only
  lighttpd chromium chromium-driver python3-selenium curl
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

# The package manager's output goes to a log; only its tail is shown, and
# only when it fails.
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  log=$(mktemp /tmp/wy-setup.XXXXXX.log)
  if ! { "${sudo_cmd[@]}" apt-get update -q &&
         DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q \
           --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
    echo "setup: package installation failed; the last lines of $log:" >&2
    tail -n 30 "$log" >&2
    exit 1
  fi
  rm -f "$log"
fi

# Debian's own lighttpd service would listen on every address; the simulator
# starts servers of its own, on the loopback address only.
if [[ " ${missing[*]:-} " == *" lighttpd "* ]] && [ -f /run/lighttpd.pid ]; then
  service lighttpd stop >/dev/null 2>&1 || true
fi

# The simulator mounts FUSE file systems; the node must exist.
if [ ! -e /dev/fuse ]; then
  echo "setup: /dev/fuse is missing; the gateway simulator cannot run here" >&2
  exit 1
fi
