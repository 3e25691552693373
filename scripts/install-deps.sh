#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the run command
# need. As root it installs what is missing; otherwise it lists it.
#   scripts/install-deps.sh [native|all]
set -euo pipefail

native=(cmake ninja-build g++ googletest libgtest-dev libgmock-dev clang-14 clang-tidy-14 libclang-rt-14-dev
        python3 binutils libboost-dev nlohmann-json3-dev)
windows=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64
         binutils-mingw-w64-i686 wine wine64 xvfb xauth openbox fonts-ipafont-gothic
         imagemagick x11-utils procps wixl msitools)
# The gateway's web panel is tested in a real browser, driven headless.
browser=(chromium chromium-driver)

wanted=("${native[@]}")
[ "${1:-all}" = all ] && wanted+=("${windows[@]}" "${browser[@]}")

missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing Debian packages; install them with:" >&2
  echo "  sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
