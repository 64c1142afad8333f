#!/bin/busybox sh
# Init of the test guest. Loads the SCSI modules, presents a ramdisk LUN of
# the kernel's own SCSI target (LIO) through the tcm_loop fabric, maps every
# test device to its role, runs the probe on them and powers off.
# Marker lines ("KXTEST ...") on the console are what the host checks.
# Kernel command line: kxserial=<unit serial> kxwwn=<16 hex> kxinitiator=<16 hex>
/bin/busybox mkdir -p /proc /sys /dev /tmp
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
# The initramfs has no /dev/console node, so init starts without one.
exec </dev/console >/dev/console 2>&1

mark() { echo "KXTEST $*"; }
fail() {
  mark "fail $*"
  dmesg | tail -n 40
  poweroff -f
}
param() { tr ' ' '\n' </proc/cmdline | sed -n "s/^$1=//p"; }
# Waits up to 10 s for a path to appear (device probing is asynchronous).
await() {
  n=0
  while [ ! -e "$1" ]; do
    n=$((n + 1))
    [ $n -le 200 ] || return 1
    sleep 0.05
  done
}

# The probe's detail lines only crowd the console.
export KX_HOSTLOG_LEVEL=2

# No modprobe in here: keep the kernel from calling one.
echo /bin/true >/proc/sys/kernel/modprobe
for m in $(cat /modules/order); do
  insmod "/modules/$m.ko" || fail "insmod $m"
done

serial=$(param kxserial)
wwn=naa.$(param kxwwn)
initiator=naa.$(param kxinitiator)
[ -n "$serial" ] || fail "no kxserial on the command line"

# LIO: an rd_mcp ramdisk with Pure-style identity, exported as LUN 0 of a
# tcm_loop target port.
mount -t configfs configfs /sys/kernel/config || fail "mount configfs"
t=/sys/kernel/config/target
dev=$t/core/rd_mcp_0/kxlun
mkdir -p "$dev" || fail "mkdir $dev"
echo rd_pages=256 >"$dev/control" || fail "rd_pages"
echo 1 >"$dev/enable" || fail "enable ramdisk"
echo PURE >"$dev/wwn/vendor_id" || fail "vendor_id"
echo FlashArray >"$dev/wwn/product_id" || fail "product_id"
echo 0x24a937 >"$dev/wwn/company_id" || fail "company_id"
echo "$serial" >"$dev/wwn/vpd_unit_serial" || fail "vpd_unit_serial"
tpg=$t/loopback/$wwn/tpgt_1
mkdir -p "$tpg/lun/lun_0" || fail "mkdir $tpg"
# Linking the LUN scans it, which needs the I_T nexus to exist already.
echo "$initiator" >"$tpg/nexus" || fail "nexus"
ln -s "$dev" "$tpg/lun/lun_0/kxlun" || fail "link LUN"

# Roles by SCSI address: QEMU's disks by target id on the virtio adapter,
# the LIO LUN as the only device of the tcm_loop adapter.
host_of() {
  for h in /sys/class/scsi_host/host*; do
    [ "$(cat "$h/proc_name")" = "$1" ] && { echo "${h##*host}"; return; }
  done
}
vhost=$(host_of virtio_scsi)
lhost=$(host_of tcm_loopback)
[ -n "$vhost" ] || fail "no virtio_scsi host"
[ -n "$lhost" ] || fail "no tcm_loop host"
probe_args=""
role() {
  d=/sys/bus/scsi/devices/$2/
  await "$d/block" || fail "no block device for $1 ($2)"
  await "$d/scsi_generic" || fail "no generic device for $1 ($2)"
  sd=/dev/$(ls "$d/block")
  sg=/dev/$(ls "$d/scsi_generic")
  await "$sd" || fail "no $sd"
  await "$sg" || fail "no $sg"
  read -r vendor <"$d/vendor"
  read -r model <"$d/model"
  mark "role $1.sd $sd"
  mark "role $1.sg $sg"
  # What the kernel itself read: tells a broken set-up from a broken probe.
  mark "sysfs $sd $vendor $model"
  for p in $sd $sg; do
    for op in $3; do probe_args="$probe_args $op $p"; done
  done
}
role pure "$vhost:0:0:0" "std supported"
role other "$vhost:0:1:0" "std supported"
role blade "$vhost:0:2:0" "std supported"
role lio "$lhost:0:1:0" "std supported vpd"

/kxtest/scsi_guest_probe $probe_args \
  std /dev/null supported /dev/null vpd /dev/null \
  std /dev/kx-absent supported /dev/kx-absent ||
  mark "fail probe exited with $?"
poweroff -f
