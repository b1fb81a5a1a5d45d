#!/usr/bin/env bash
# Runs one Windows test program under Wine with the prefix's screen DPI (LogPixels) set to the
# given value, and sets it back to 96 afterwards.
# Usage: wine-dpi-run.sh <prefix> <dpi> <program> [arguments]
set -eu
prefix=$1 dpi=$2
shift 2
here=$(dirname "$0")
set_dpi() {
  WINEPREFIX=$prefix WINEDEBUG=-all wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
    /d "$1" /f >/dev/null 2>&1
}
set_dpi "$dpi"
trap 'set_dpi 96' EXIT
EXPECTED_DPI=$dpi "$here/wine-run.sh" "$prefix" "$@"
