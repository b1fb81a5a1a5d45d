#!/usr/bin/env bash
# Runs one Windows program under Wine with the build folder's own prefix: Chinese locale (ANSI
# and OEM code page 936), no debug noise, our stand-in netsh preferred over Wine's stub.
# The prefix and the display come from tools/wine-session.sh.
set -eu
prefix=$1
shift
export WINEPREFIX=$prefix WINEDEBUG=-all LANG=zh_CN.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;netsh.exe=n,b"
unset LC_ALL LANGUAGE
if [ -z "${DISPLAY:-}" ]; then
  echo "wine-run: DISPLAY is not set; start the tests through tools/test.sh" >&2
  exit 1
fi
exec wine "$@"
