#!/usr/bin/env bash
# Runs one Windows test program under Wine with the build folder's own prefix, the Wine
# environment of tools/wine-env.sh. An x86 program where 32-bit programs cannot run is not
# started: exit status 77, which CTest reports as skipped, with the reason.
# The prefix and the display come from tools/wine-session.sh.
# Usage: wine-run.sh <prefix> <x64|x86> <program> [arguments]
set -eu
prefix=$1 arch=$2
shift 2
source "$(dirname "$0")/../tools/wine-env.sh"
if [ "$arch" = x86 ]; then
  netscheme_check_32bit
  if [ -n "$wine_no_32bit_reason" ]; then
    echo "skipped: $wine_no_32bit_reason"
    exit 77
  fi
fi
if [ -z "${DISPLAY:-}" ]; then
  echo "wine-run: DISPLAY is not set; start the tests through tools/test.sh" >&2
  exit 1
fi
netscheme_wine_env "$prefix"
exec "$wine64" "$@"
