#!/usr/bin/env bash
# Runs one Windows test program under Wine with the prefix's screen DPI (LogPixels) set to the
# given value, and sets it back to 96 afterwards.
# Usage: wine-dpi-run.sh <prefix> <x64|x86> <dpi> <program> [arguments]
set -eu
prefix=$1 arch=$2 dpi=$3
shift 3
here=$(dirname "$0")
source "$here/../tools/wine-env.sh"
set_dpi() {
  (netscheme_wine_env "$prefix" && "$wine64" reg.exe add 'HKCU\Control Panel\Desktop' /v LogPixels \
    /t REG_DWORD /d "$1" /f >/dev/null 2>&1)
}
set_dpi "$dpi"
trap 'set_dpi 96' EXIT
EXPECTED_DPI=$dpi "$here/wine-run.sh" "$prefix" "$arch" "$@"
