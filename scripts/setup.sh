#!/usr/bin/env bash
# Installs what building and testing Kestrova needs on a Debian 12 machine.
# Safe to run again: it only installs what is missing.
set -euo pipefail

packages=(
  cmake g++ googletest
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  wine wine64 xvfb xdotool x11-utils imagemagick fonts-ipafont-gothic locales
  clang-14 libclang-rt-14-dev
  python3-gi gir1.2-gtk-3.0
  zip
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# npm comes with Node.js on some machines (and then conflicts with Debian's): only when there is none.
command -v npm >/dev/null 2>&1 || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine decodes arguments and file names with the Unix locale: Japanese names need ja_JP.UTF-8.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "setup: generating the ja_JP.UTF-8 locale"
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi

# The 7-Zip console builds (Windows and Linux) come from the npm package 7zip-bin.
root=$(cd "$(dirname "$0")/.." && pwd)
if [ ! -x "$root/third_party/node_modules/7zip-bin/linux/x64/7za" ]; then
  echo "setup: fetching 7zip-bin from npm"
  mkdir -p "$root/third_party"
  (cd "$root/third_party" && npm install --no-audit --no-fund --silent 7zip-bin@5 >/dev/null)
  chmod +x "$root/third_party/node_modules/7zip-bin/linux/x64/7za" || true
fi
