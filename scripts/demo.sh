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

step "factory interpreter: version banner (the kernel node is not asked)"
in_gw 'wyci version'

step "production line: every manufacturing write needs its own arming"
in_gw 'wyci ATBT 1'
in_gw 'wyci ATWriteVornaMac 0257590010A4 86 1 0'
in_gw 'wyci ATSeriesNumber WY16A0001234Z'
in_gw 'wyci ATBT 1'
in_gw 'wyci ATSeriesNumber WY16A0001234Z'
in_gw 'wyci ATBT 1'
in_gw 'wyci ATWriteWpaPsk demo-key-0001'

step "the record in flash after the writes (first MAC at 0x1FF48, serial at 0x1FF68)"
in_gw "$dump -s 0x1ff00 -n 167 \$WY_SYSROOT/dev/mtd0"

step "web interface: three firewall rules in the configuration store"
for i in 0 1 2; do
  in_gw "wyapi set Firewall_LANtoWAN_Entry$i Active Yes && wyapi set Firewall_LANtoWAN_Entry$i SrcIPAddrType SingleAddr && wyapi set Firewall_LANtoWAN_Entry$i SrcStartIPAddr 192.168.1.1$i && wyapi set Firewall_LANtoWAN_Entry$i DestIPAddrType AnyAddr && wyapi set Firewall_LANtoWAN_Entry$i Service 'Any[TCP]' && wyapi set Firewall_LANtoWAN_Entry$i Action Drop"
done
in_gw 'wyapi set Firewall_Common LANtoWANNum 3 && wyapi set WebCurSet_Entry firewalldir_id LANtoWAN'

step "the rule list page, then delete rule 2 of 3 and list again (rows only)"
in_gw '$WY_SYSROOT/userfs/cgi-bin/fwrule_list | grep -c "<tr class"'
in_gw '$WY_SYSROOT/userfs/cgi-bin/fwrule_action Delete 1; echo'
in_gw '$WY_SYSROOT/userfs/cgi-bin/fwrule_list | grep -o "<td width=\"20%\" align=center>[^<]*</td>"'
in_gw 'wyapi get Firewall_Common LANtoWANNum'

step "web interface: three user-defined firewall services, the service list, delete the second"
for i in 0 1 2; do
  in_gw "wyapi set FWService_Entry$i ServiceName Game$i && wyapi set FWService_Entry$i Protocol UDP && wyapi set FWService_Entry$i ServicePortType rangePort && wyapi set FWService_Entry$i StartPort 500$i && wyapi set FWService_Entry$i EndPort 510$i"
done
in_gw 'wyapi set Firewall_Common ServiceNum 3'
in_gw '$WY_SYSROOT/userfs/cgi-bin/fwservice_select | grep "Game"'
in_gw '$WY_SYSROOT/userfs/cgi-bin/fwservice_action Delete 1'
in_gw '$WY_SYSROOT/userfs/cgi-bin/fwservice_select | grep "Game"'
in_gw 'wyapi get Firewall_Common ServiceNum'

step "configuration saved to flash: each commit writes the other copy, one version up"
in_gw 'wyapi commit WebCurSet_Entry 2>/dev/null && wyapi commit WebCurSet_Entry 2>/dev/null && wyci doRomfileInfo'

step "power cycle: the gateway boots the newest intact copy"
"$gwsim" stop "$gw"
"$gwsim" start "$gw"
in_gw 'wyapi get Firewall_Common LANtoWANNum'

step "unit report: firmware tag, bootloader, manufacturing record, checksums"
in_gw 'wyci ATDumpROMMRD'

step "ROM-D: the running configuration kept as this unit's default configuration"
in_gw 'wyci copy romt romd 2>/dev/null && wyci romd show crc'

step "restore to defaults after a change: the power cycle boots ROM-D's configuration"
in_gw 'wyapi set Firewall_Common LANtoWANNum 0 && wyapi commit WebCurSet_Entry 2>/dev/null && wyapi get Firewall_Common LANtoWANNum'
in_gw 'wyci ATRestoredefault 2>/dev/null'
"$gwsim" stop "$gw"
"$gwsim" start "$gw"
in_gw 'wyapi get Firewall_Common LANtoWANNum'

step "bridge MLD snooping: real Linux MLD traffic replayed through the module"
"$top/build/bin/v6snoop-replay" "$top"/kmod/v6snoop/test/captures/p?.pcap | tail -n 12

step "web interface: lighttpd on the loopback address, the firewall rule page over HTTP"
url=$("$gwsim" web "$gw")
echo "serving $url (index: ${url}index.html)"
printf '$ curl %s\n' "${url}fwrule_list.html"
curl -sS "${url}fwrule_list.html" | grep -o '<frame [^>]*>'
printf '$ curl %s   (rows only)\n' "${url}cgi-bin/fwrule_list"
curl -sS "${url}cgi-bin/fwrule_list" | grep -o '<td width="20%" align=center>[^<]*</td>'

step "stop the gateway"
"$gwsim" stop "$gw"
echo "stopped"
if curl -s -o /dev/null "${url}index.html"; then
  echo "demo: the web interface still answers after the gateway stopped" >&2
  exit 1
fi
echo "the web interface stopped with it"
