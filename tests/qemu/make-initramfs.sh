#!/usr/bin/env bash
# Builds the guest's initramfs (an uncompressed newc cpio): static busybox,
# the modules of guest-modules.txt in load order, the init script and the
# static probe program.
# Usage: make-initramfs.sh KERNEL_ROOT PROBE OUTPUT
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
kroot=${1:?usage: make-initramfs.sh KERNEL_ROOT PROBE OUTPUT}
probe=${2:?usage: make-initramfs.sh KERNEL_ROOT PROBE OUTPUT}
out=${3:?usage: make-initramfs.sh KERNEL_ROOT PROBE OUTPUT}

die() { echo "make-initramfs: $*" >&2; exit 1; }

# The guest has no loader: both programs must be static.
is_static() { readelf -h "$1" >/dev/null 2>&1 && ! readelf -l "$1" | grep -q INTERP; }
busybox=$(command -v busybox || true)
[ -n "$busybox" ] && is_static "$busybox" || die "need a static busybox (package busybox-static)"
[ -x "$probe" ] && is_static "$probe" || die "$probe is not a static executable"

moddir=$(ls -d "$kroot"/lib/modules/*/kernel 2>/dev/null | head -n 1)
[ -n "$moddir" ] || die "no modules under $kroot/lib/modules"

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage"/{bin,dev,proc,sys,tmp,modules,kxtest}
cp "$busybox" "$stage/bin/busybox"
cp "$here/guest-init.sh" "$stage/init"
# Without its debug information the probe is a fraction of the image.
strip -o "$stage/kxtest/scsi_guest_probe" "$probe"
chmod 755 "$stage/init" "$stage/kxtest/scsi_guest_probe"

# Module names use '-' and '_' interchangeably.
norm() { echo "${1//-/_}"; }
loaded=" "
while read -r name _; do
  case "$name" in ''|'#'*) continue ;; esac
  file=$(find "$moddir" -name "$name.ko*" | head -n 1)
  [ -n "$file" ] || die "module $name not in this kernel"
  case "$file" in
    *.ko) cp "$file" "$stage/modules/$name.ko" ;;
    *.ko.xz) xz -dc "$file" >"$stage/modules/$name.ko" ;;
    *.ko.zst) zstd -qdc "$file" >"$stage/modules/$name.ko" ;;
    *) die "cannot unpack $file" ;;
  esac
  # A newer kernel may split modules differently: catch an order that no
  # longer holds here rather than as an insmod failure in the guest.
  for dep in $(strings -a "$stage/modules/$name.ko" | sed -n 's/^depends=//p' | tr ',' ' '); do
    case "$loaded" in *" $(norm "$dep") "*) ;; *) die "module $name needs $dep first" ;; esac
  done
  loaded="$loaded$(norm "$name") "
  echo "$name" >>"$stage/modules/order"
done <"$here/guest-modules.txt"

(cd "$stage" && find . | LC_ALL=C sort | "$busybox" cpio -o -H newc 2>/dev/null) >"$out"
