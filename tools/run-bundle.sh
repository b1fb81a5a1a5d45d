#!/usr/bin/env bash
# Runs the test bundle as a user on a Windows PC would: unzipped into a Wine prefix of its own,
# into a folder whose path holds a "!", "cmd /c run-tests.cmd". The prefix's system netsh.exe is a
# decoy: a test that starts the system's netsh (never allowed on a real PC) fails this run. First
# it checks that a program the loader cannot start is reported skipped, not failed, and stops
# nothing; that a program that ends well without the test runner's summary is no pass; and that
# in a folder it cannot write in, nothing runs and it says why. Prints the bundle's own lines.
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
place="$WINEPREFIX/drive_c/tests!here"
rm -rf "$marker" "$place"
mkdir -p "$place"
(cd "$place" && cmake -E tar xf "$zip")
bundle="$place/netscheme-tests"
export NETSCHEME_NO_PAUSE=1

# A program whose DLL is left out, as one importing what an older Windows lacks.
cp build/mingw/tests/win32/loader_fails.exe "$bundle/x64/"
cp build/mingw-x86/tests/win32/loader_fails.exe "$bundle/x86/"
check=$(cd "$bundle" && NETSCHEME_BUNDLE_TESTS=loader_fails \
        netscheme_exec_closed timeout 120 "$wine64" cmd.exe /c run-tests.cmd | tr -d '\r') || {
  echo "run-tests.cmd failed on a program the loader cannot start:"; echo "$check"; exit 1; }
if ! grep -qx 'skipped x64\\loader_fails: this Windows lacks a DLL it needs (0xC0000135)' <<< "$check"; then
  echo "run-tests.cmd did not report a program the loader cannot start as skipped:"; echo "$check"; exit 1
fi
rm -f "$bundle"/x*/loader_fails.* "$bundle/results.txt"

# A program that ends with 0 but without the test runner's summary (here the stand-in) is no pass.
check=$(cd "$bundle" && NETSCHEME_BUNDLE_TESTS='stand-in\netsh' \
        netscheme_exec_closed timeout 120 "$wine64" cmd.exe /c run-tests.cmd | tr -d '\r') && {
  echo "run-tests.cmd passed a program that printed no test summary:"; echo "$check"; exit 1; }
if ! grep -q '^FAILED x64\\stand-in\\netsh: it ended without the test runner.s summary' <<< "$check"; then
  echo "run-tests.cmd did not fail a program that printed no test summary:"; echo "$check"; exit 1
fi
rm -f "$bundle"/x*/stand-in/netsh.log "$bundle/results.txt"

# A folder it cannot write in: nothing runs, nothing is counted, exit code 2 and the words why.
# Root writes through permission bits: the immutable flag, or where the file system has none, a
# folder in the way of results.txt.
chattr +i "$bundle" 2>/dev/null || mkdir "$bundle/results.txt"
code=0
(cd "$bundle" && netscheme_exec_closed timeout 120 "$wine64" cmd.exe /c run-tests.cmd) \
  > build/bundle/unwritable.log 2>&1 || code=$?
chattr -i "$bundle" 2>/dev/null || true
rmdir "$bundle/results.txt" 2>/dev/null || true
said=$(iconv -f GBK -t UTF-8 build/bundle/unwritable.log | tr -d '\r')
if [ "$code" != 2 ] || ! grep -q '请把测试包解压到可以写入的文件夹' <<< "$said" || grep -q passed <<< "$said"; then
  echo "run-tests.cmd in a folder it cannot write in: exit code $code, it printed:"; echo "$said"; exit 1
fi

status=0
(cd "$bundle" && netscheme_exec_closed timeout 1200 "$wine64" cmd.exe /c run-tests.cmd) || status=$?
if [ -f "$marker" ]; then
  echo "the system's netsh was started by a test: $(tr -d '\0' < "$marker")"
  status=1
fi
exit "$status"
