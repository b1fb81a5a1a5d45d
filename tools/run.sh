#!/usr/bin/env bash
# Builds the exe and starts it under Wine: on your display when there is one, otherwise under
# Xvfb, where it saves a screenshot of the screen (build/mingw/screenshot-welcome.png) and keeps
# running until Ctrl+C.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target netscheme
if [ -n "${DISPLAY:-}" ]; then
  export KEEP_DISPLAY=1
  source tools/wine-session.sh build/mingw
  exec wine build/mingw/app/netscheme.exe
fi
source tools/wine-session.sh build/mingw
trap wine_session_end EXIT
wine build/mingw/app/netscheme.exe &
sleep 4   # the welcome box comes first; Enter closes it, then the window is shown
import -window root build/mingw/screenshot-welcome.png 2>/dev/null || true
echo "screenshot: build/mingw/screenshot-welcome.png (Ctrl+C ends)"
wait
