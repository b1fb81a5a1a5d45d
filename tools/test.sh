#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test: the portable tests natively
# (with ASan and UBSan) with the checks of both exes' files, then all tests of both Windows builds
# under Wine, the x64 exe's and the x86 exe's (in the same 64-bit prefix, under WOW64). Where
# 32-bit programs cannot run, the x86 exe's Wine tests are reported as skipped, with the reason.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
# Every source file laid out as .clang-format says.
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format-14 --dry-run --Werror
for preset in host mingw mingw-x86; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
ctest --preset host  # reads the two exes just built
source tools/wine-session.sh build/mingw
ctest --preset mingw
ctest --preset mingw-x86

count() { ctest --preset "$1" -N | sed -n 's/^Total Tests: //p'; }
host=$(count host) x64=$(count mingw) x86=$(count mingw-x86)
echo
echo "summary:"
echo "  host: $host tests passed (portable code, both exes' files)"
echo "  x64: built, $x64 Wine tests passed"
if [ -z "$wine_no_32bit_reason" ]; then
  echo "  x86: built, $x86 Wine tests passed"
  echo "tests: $((host + x64 + x86)) passed, 0 failed"
else
  echo "  x86: built, Wine tests skipped: $wine_no_32bit_reason"
  echo "tests: $((host + x64)) passed, 0 failed, $x86 skipped"
fi
