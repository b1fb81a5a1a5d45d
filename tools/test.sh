#!/usr/bin/env bash
# Installs what is missing, builds both presets and runs every test: the portable tests
# natively (with ASan and UBSan), then all tests of the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset host >/dev/null
cmake --build --preset host
ctest --preset host
cmake --preset mingw >/dev/null
cmake --build --preset mingw
source tools/wine-session.sh build/mingw
trap wine_session_end EXIT
ctest --preset mingw
