#!/usr/bin/env bash
# Builds the release exe and puts it in dist/ with a Chinese user guide and SHA-256 sums.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target netscheme
rm -rf dist
mkdir -p dist
cp build/mingw/app/netscheme.exe dist/
# The README's user part, as a text file Notepad opens: UTF-8 with a byte order mark, CR LF.
{
  printf '\xEF\xBB\xBF'
  sed -n '/^## 用户说明/,/^## /p' README.md | sed '$d' | sed 's/^## 用户说明/网络方案切换 使用说明/; s/`//g; s/$/\r/'
} > "dist/使用说明.txt"
(cd dist && sha256sum netscheme.exe "使用说明.txt" > SHA256SUMS)
ls -l dist
