#!/usr/bin/env bash
# Boots a Debian kernel under qemu with our initramfs, lets the probe run
# against QEMU's SCSI disks and a LIO LUN of the guest kernel, and checks the
# marker lines of the guest console: every expected line must be there and
# no other marker line may be.
# Usage: run-guest.sh PROBE WORK_DIR [TIMEOUT_SECONDS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
probe=${1:?usage: run-guest.sh PROBE WORK_DIR [TIMEOUT_SECONDS]}
work=${2:?usage: run-guest.sh PROBE WORK_DIR [TIMEOUT_SECONDS]}
limit=${3:-120}
mkdir -p "$work"

"$here/fetch-kernel.sh" "$work/kernel"
kroot=$work/kernel/root
# An ELF vmlinux boots through its PVH entry without decompression; the
# Debian package ships only the compressed image, which is used then.
kernel=$(ls "$kroot"/boot/vmlinux-* 2>/dev/null | head -n 1 || true)
[ -n "$kernel" ] || kernel=$(ls "$kroot"/boot/vmlinuz-* | head -n 1)
"$here/make-initramfs.sh" "$kroot" "$probe" "$work/initramfs.cpio"

# Fresh identities every run, so that no expected value can be built in.
hex() { od -An -N"$1" -tx1 /dev/urandom | tr -d ' \n'; }
serial=$(hex 12 | tr a-f A-F | cut -c1-23)  # 23: see the VPD layout note below
wwn=5001405$(hex 5 | cut -c1-9)
initiator=5001405$(hex 5 | cut -c1-9)

console=$work/console.log
rm -f "$console"
disk() {  # role scsi-id vendor product
  echo "-blockdev driver=null-co,node-name=$1,size=16777216,read-zeroes=on"
  echo "-device scsi-hd,bus=scsi0.0,drive=$1,scsi-id=$2,lun=0,vendor=$3,product=$4"
}
# KVM cannot run this guest here: plain TCG.
# shellcheck disable=SC2046
qemu-system-x86_64 -accel tcg -m 256 -smp 1 \
  -nodefaults -no-user-config -display none -nic none -no-reboot \
  -serial "file:$console" \
  -kernel "$kernel" -initrd "$work/initramfs.cpio" \
  -append "console=ttyS0 loglevel=1 panic=-1 kxserial=$serial kxwwn=$wwn kxinitiator=$initiator" \
  -device virtio-scsi-pci,id=scsi0 \
  $(disk pure 0 PURE FlashArray) \
  $(disk other 1 ACME BlockDisk) \
  $(disk blade 2 PURE FlashBlade) &
qemu=$!
# Also when CTest gives up on us: a signal leaves through the EXIT trap.
trap 'kill "$qemu" 2>/dev/null || true' EXIT
trap 'exit 1' TERM INT HUP
start=$(date +%s)
while kill -0 "$qemu" 2>/dev/null; do
  if [ $(( $(date +%s) - start )) -ge "$limit" ]; then
    kill "$qemu" 2>/dev/null || true
    wait "$qemu" 2>/dev/null || true
    echo "FAIL: guest still running after $limit s; console:"
    tail -n 60 "$console" 2>/dev/null || true
    exit 1
  fi
  sleep 0.2
done
rc=0
wait "$qemu" || rc=$?
echo "guest ran $(( $(date +%s) - start )) s, qemu exit status $rc"

mapfile -t lines < <(tr -d '\r' <"$console" | grep '^KXTEST ' || true)
declare -A path=()
for l in "${lines[@]}"; do
  read -r _ kind name p _ <<<"$l"
  [ "$kind" = role ] && path[$name]=$p
done

expected=()
expect() {  # LINE with @role words for device paths; a final * matches any rest
  local out=() w
  for w in $1; do
    if [ "${w:0:1}" = @ ]; then
      w=${path[${w:1}]:-"<no device for ${w:1}>"}
    fi
    out+=("$w")
  done
  expected+=("${out[*]}")
}
for x in sd sg; do
  expect "std @pure.$x PURE FlashArray"
  expect "supported @pure.$x 0"
  expect "std @other.$x ACME BlockDisk"
  expect "supported @other.$x 1"
  expect "std @blade.$x PURE FlashBlade"
  expect "supported @blade.$x 1"
  expect "std @lio.$x PURE FlashArray"
  expect "supported @lio.$x 0"
  # LIO's page 0x83: the T10 designator is "PURE    FlashArray:" + serial +
  # NUL, 43 bytes for a 23-character serial, which puts the target port
  # designator at the position the decoder reads; the port name is the
  # tcm_loop WWN, the device name designator after it the target's name.
  expect "vpd @lio.$x serial=$serial port=$wwn name=naa.$wwn"
done
expect "sysfs @pure.sd PURE FlashArray"
expect "sysfs @other.sd ACME BlockDisk"
expect "sysfs @blade.sd PURE FlashBlade"
expect "sysfs @lio.sd PURE FlashArray"
expect "error /dev/null /dev/null is not SCSI device"
expect "supported /dev/null 1 err=/dev/null is not SCSI device"
expect "vpd /dev/null failed: /dev/null is not SCSI device"
expect "error /dev/kx-absent Failed to get KxDevice for device[/dev/kx-absent]. Error:[*"
expect "supported /dev/kx-absent 1 err=Failed to get KxDevice for device[/dev/kx-absent]. Error:[*"
expect "done"

matches() {  # marker-line expected
  local want="KXTEST $2"
  if [ "${want: -1}" = "*" ]; then
    [[ $1 == "${want%\*}"* ]]
  else
    [ "$1" = "$want" ]
  fi
}
bad=0
declare -A seen=()
for l in "${lines[@]}"; do
  case "$l" in "KXTEST role "*) continue ;; esac
  hit=""
  for i in "${!expected[@]}"; do
    if matches "$l" "${expected[$i]}"; then hit=$i; break; fi
  done
  if [ -z "$hit" ]; then
    echo "unexpected: $l"; bad=1
  elif [ -n "${seen[$hit]:-}" ]; then
    echo "repeated:   $l"; bad=1
  else
    seen[$hit]=1
  fi
done
for i in "${!expected[@]}"; do
  [ -n "${seen[$i]:-}" ] || { echo "missing:    KXTEST ${expected[$i]}"; bad=1; }
done
if [ $bad -ne 0 ]; then
  echo "FAIL: console of the guest:"
  tr -d '\r' <"$console" | tail -n 80
  exit 1
fi
echo "PASS: ${#expected[@]} marker lines as expected"
