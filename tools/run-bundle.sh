#!/usr/bin/env bash
# Runs the test bundle as a user on a Windows PC would: unzipped into a Wine prefix of its own,
# "cmd /c run-tests.cmd". The prefix's system netsh.exe is a decoy: a test that starts the
# system's netsh (never allowed on a real PC) fails this run. Prints the bundle's own lines.
# Usage: tools/run-bundle.sh BUNDLE.zip
set -euo pipefail
cd "$(dirname "$0")/.."
zip=$(realpath "$1")
mkdir -p build/bundle
source tools/wine-session.sh build/bundle
system32="$WINEPREFIX/drive_c/windows/system32"
cp build/mingw/tests/win32/decoy_netsh.exe "$system32/netsh.exe"
[ -d "$WINEPREFIX/drive_c/windows/syswow64" ] && [ -f build/mingw-x86/tests/win32/decoy_netsh.exe ] &&
  cp build/mingw-x86/tests/win32/decoy_netsh.exe "$WINEPREFIX/drive_c/windows/syswow64/netsh.exe"
marker="$WINEPREFIX/drive_c/netscheme-decoy-netsh.txt"
rm -rf "$marker" "$WINEPREFIX/drive_c/netscheme-tests"
(cd "$WINEPREFIX/drive_c" && cmake -E tar xf "$zip")
status=0
(cd "$WINEPREFIX/drive_c/netscheme-tests" && netscheme_exec_closed timeout 1200 "$wine64" cmd.exe /c run-tests.cmd) || status=$?
if [ -f "$marker" ]; then
  echo "the system's netsh was started by a test: $(tr -d '\0' < "$marker")"
  status=1
fi
exit "$status"
