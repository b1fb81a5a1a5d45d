#!/usr/bin/env bash
# Builds both release exes and puts them in dist/ with a Chinese user guide, the test bundle for
# Windows PCs (netscheme-tests.zip) and SHA-256 sums.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
rm -rf dist
mkdir -p dist
for arch in x64 x86; do
  preset=mingw
  [ "$arch" = x86 ] && preset=mingw-x86
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"  # the exe and the test programs of the bundle
  cp "build/$preset/app/netscheme.exe" "dist/netscheme-$arch.exe"
done
# The README's user part, as a text file Notepad opens: UTF-8 with a byte order mark, CR LF.
{
  printf '\xEF\xBB\xBF'
  sed -n '/^## 用户说明/,/^## /p' README.md | sed '$d' | sed 's/^## 用户说明/网络方案切换 使用说明/; s/`//g; s/$/\r/'
} > "dist/使用说明.txt"
tools/make-test-bundle.sh dist/netscheme-tests.zip >/dev/null
(cd dist && sha256sum netscheme-x64.exe netscheme-x86.exe "使用说明.txt" netscheme-tests.zip > SHA256SUMS)
ls -l dist
