#!/usr/bin/env bash
# Installs the Debian packages a list file names, only those missing.
# Usage: scripts/install-deps.sh [LIST_FILE...]   (default: debian-packages.txt)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
lists=("$@")
[ ${#lists[@]} -gt 0 ] || lists=("$here/debian-packages.txt")

missing=()
for list in "${lists[@]}"; do
  while read -r pkg _; do
    case "$pkg" in ''|'#'*) continue ;; esac
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done < "$list"
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
