#!/usr/bin/env bash
# Writes the test bundle: every Windows test program that may run on a real PC, for x64 and x86,
# each set with the stand-in netsh in its stand-in folder, run-tests.cmd and README.txt.
# Needs the mingw and mingw-x86 builds. Usage: tools/make-test-bundle.sh OUT.zip
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "$1")
mkdir -p "$(dirname "$out")"
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
root="$staging/netscheme-tests"
for arch in x64 x86; do
  build=build/mingw
  [ "$arch" = x86 ] && build=build/mingw-x86
  mkdir -p "$root/$arch/stand-in"
  for test in textfile_tests schemes_tests netconfig_tests form_tests; do
    cp "$build/tests/$test.exe" "$root/$arch/"
  done
  cp "$build/tests/win32/win32_tests.exe" "$build/tests/win32/run_quietly.exe" "$root/$arch/"
  cp "$build/tests/win32/stand_in_netsh.exe" "$root/$arch/stand-in/netsh.exe"
done
cp tools/bundle/run-tests.cmd tools/bundle/README.txt "$root/"
rm -f "$out"
(cd "$staging" && cmake -E tar cf "$out" --format=zip netscheme-tests)
echo "$out"
