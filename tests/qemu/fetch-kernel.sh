#!/usr/bin/env bash
# Downloads the Debian kernel package that linux-image-amd64 currently points
# at and unpacks it into DIR/root (kernel under boot/, modules under lib/).
# Does nothing when that package is already unpacked there.
# Usage: fetch-kernel.sh DIR
set -euo pipefail
dir=${1:?usage: fetch-kernel.sh DIR}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

kernel_package() {
  apt-cache depends linux-image-amd64 2>/dev/null |
    awk '$1 == "Depends:" && $2 ~ /^linux-image-[0-9]/ { print $2; exit }'
}

pkg=$(kernel_package)
if [ -z "$pkg" ]; then
  # No package lists yet (fresh machine): fetch them once.
  apt-get update -qq
  pkg=$(kernel_package)
fi
[ -n "$pkg" ] || { echo "fetch-kernel: linux-image-amd64 names no kernel package" >&2; exit 1; }

[ -e "$dir/$pkg.unpacked" ] && exit 0

rm -f "$dir"/*.unpacked "$dir"/linux-image-*.deb
# As root, apt warns that its _apt user cannot write here and downloads as
# root instead: harmless, so its messages are shown only when it fails.
download() { (cd "$dir" && apt-get download -qq "$pkg" 2>"$dir/download.log"); }
if ! download; then
  # Stale package lists name a version the archive no longer has.
  apt-get update -qq
  pkg=$(kernel_package)
  if ! download; then
    cat "$dir/download.log" >&2
    exit 1
  fi
fi
deb=$(ls "$dir/$pkg"_*.deb)
rm -rf "$dir/root"
dpkg-deb -x "$deb" "$dir/root"
rm -f "$deb" "$dir/download.log"
touch "$dir/$pkg.unpacked"
echo "fetch-kernel: unpacked $pkg"
