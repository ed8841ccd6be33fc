#!/usr/bin/env bash
# Installs the Debian packages the build needs (and those named as arguments), only when some
# are missing. With --only, just the packages named.
set -euo pipefail
if [ "${1:-}" = --only ]; then
  shift
  pkgs=("$@")
else
  pkgs=(cmake g++ make pkg-config zlib1g-dev libdeflate-dev libjpeg62-turbo-dev libsqlite3-dev
        qt6-base-dev libgtest-dev libgmock-dev libbenchmark-dev "$@")
fi
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
