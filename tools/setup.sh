#!/usr/bin/env bash
# Installs everything the build and the tests need. Does nothing when all is there.
set -euo pipefail

packages=(wine wine64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 cmake ninja-build googletest clang libclang-rt-14-dev libbenchmark-dev python3 binutils-mingw-w64-i686 librsvg2-bin)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
