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
# The lists also configure without GoogleTest and Google Benchmark (a stock Visual Studio): the
# tests and benchmarks are left out, and say so.
[ "$(cmake -S . -B build/no-test-libs -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
      -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON | grep -c 'are left out')" = 2 ]
for preset in host mingw mingw-x86; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
ctest --preset host  # reads the two exes just built
source tools/wine-session.sh build/mingw
ctest --preset mingw
# A run in which every test is skipped is no test run: where 32-bit programs cannot run, the x86
# runner is not started at all, and the reason is printed instead.
if [ -z "$wine_no_32bit_reason" ]; then
  ctest --preset mingw-x86
else
  echo "x86 Wine tests not run: $wine_no_32bit_reason"
fi
# The test bundle as a user runs it on a Windows PC, in a prefix of its own whose system netsh is
# a decoy.
tools/make-test-bundle.sh build/bundle/netscheme-tests.zip >/dev/null
tools/run-bundle.sh build/bundle/netscheme-tests.zip | tee build/bundle/run.log
bundle=$(tr -d '\r' < build/bundle/run.log | sed -n 's/^tests: \([0-9]*\) passed, \([0-9]*\) failed, \([0-9]*\) skipped$/\1 \2 \3/p' | tail -n 1)
read -r bundle_passed bundle_failed bundle_skipped <<< "$bundle"

count() { ctest --preset "$1" -N | sed -n 's/^Total Tests: //p'; }
host=$(count host) x64=$(count mingw) x86=$(count mingw-x86)
echo
echo "summary:"
echo "  host: $host tests passed (portable code, both exes' files)"
echo "  x64: built, $x64 Wine tests passed"
if [ -z "$wine_no_32bit_reason" ]; then
  echo "  x86: built, $x86 Wine tests passed"
  x86_passed=$x86 x86_skipped=0
else
  echo "  x86: built, Wine tests skipped: $wine_no_32bit_reason"
  x86_passed=0 x86_skipped=$x86
fi
echo "  test bundle (run-tests.cmd, the system's netsh a decoy never started): $bundle_passed test programs passed, $bundle_skipped skipped"
echo "tests: $((host + x64 + x86_passed + bundle_passed)) passed, $bundle_failed failed, $((x86_skipped + bundle_skipped)) skipped"
