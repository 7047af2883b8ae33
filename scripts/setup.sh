#!/usr/bin/env bash
# Installs what building and testing Glowmere needs on Debian 12, and nothing that is
# already there: the mingw-w64 cross compiler, Wine (64-bit), Xvfb and the X tools the
# tests drive it with, Xorg's dummy video driver and cvt (several monitors and real
# display-mode switches for the tests), Mesa's software OpenGL, GoogleTest, the Japanese
# fonts, and the locales whose code pages the tests run under (932, 1252 and 936).
set -euo pipefail

packages=(
  cmake ninja-build g++ clang googletest libgtest-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64
  xvfb xdotool x11-utils x11-xserver-utils imagemagick libgl1-mesa-dri libx11-dev
  xserver-xorg-core xserver-xorg-video-dummy xcvt
  fonts-ipafont-gothic locales zip
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine takes the ANSI code page from the locale: ja_JP.UTF-8 gives 932, en_US.UTF-8 1252
# and zh_CN.UTF-8 936.
missing=()
for l in ja_JP en_US zh_CN; do
  locale -a 2>/dev/null | grep -qi "^$l\.utf-\?8$" || missing+=("$l")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: generating the locales ${missing[*]}"
  for l in "${missing[@]}"; do
    as_root sed -i "s/^# *\($l.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$l.UTF-8 UTF-8" /etc/locale.gen || echo "$l.UTF-8 UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
  done
  as_root locale-gen >/dev/null
fi
