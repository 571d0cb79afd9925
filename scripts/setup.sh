#!/usr/bin/env bash
# Installs what the Linux build needs when it is missing (Debian packages, as
# root). Safe to run again: it installs nothing that is already there.
set -euo pipefail

packages=(cmake g++ make libgtest-dev libgmock-dev googletest libbenchmark-dev
          nlohmann-json3-dev libcli11-dev binutils python3 python3-jsonschema)
missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing packages: ${missing[*]} (run as root, or install them with apt-get)" >&2
  exit 1
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${missing[@]}" >/dev/null
