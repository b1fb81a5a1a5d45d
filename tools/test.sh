#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test: the portable tests natively
# (with ASan and UBSan), then all tests of both Windows builds under Wine, the x64 exe's and the
# x86 exe's (in the same 64-bit prefix, under WOW64).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset host >/dev/null
cmake --build --preset host
ctest --preset host
cmake --preset mingw >/dev/null
cmake --build --preset mingw
cmake --preset mingw-x86 >/dev/null
cmake --build --preset mingw-x86
source tools/wine-session.sh build/mingw
trap wine_session_end EXIT
ctest --preset mingw
ctest --preset mingw-x86
