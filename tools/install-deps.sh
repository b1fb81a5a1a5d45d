#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when some are missing.
set -euo pipefail
packages=(cmake make g++ libgtest-dev googletest
          g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
          g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
          libbenchmark-dev clang-14 libclang-rt-14-dev clang-format-14 wine wine64
          xvfb xauth x11-apps xdotool imagemagick locales fonts-wqy-microhei fonts-wine)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
# wine32 (the x86 exe's tests, under WOW64) comes from the i386 architecture; where this kernel
# runs no 32-bit programs it could not run, and those tests are reported as skipped.
source "$(dirname "$0")/wine-env.sh"
netscheme_check_32bit
if [ -z "$wine_no_32bit_reason" ] || [ "$wine_no_32bit_reason" = "$netscheme_no_wine32" ]; then
  packages+=(wine32:i386)
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi
# Wine takes its ANSI and OEM code pages (936) from this locale.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  $sudo sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi
