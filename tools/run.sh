#!/usr/bin/env bash
# Builds the exe and starts it under Wine. With a display, it opens there as on Windows.
# Without one it runs under Xvfb: screenshots of the welcome box and, after Enter has closed
# it, of the main window go to build/mingw/screenshot-*.png; it then keeps running until Ctrl+C.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target netscheme
exe=build/mingw/app/netscheme.exe
if [ -n "${DISPLAY:-}" ]; then
  export KEEP_DISPLAY=1
  source tools/wine-session.sh build/mingw
  exec "$wine64" "$exe"
fi
source tools/wine-session.sh build/mingw
shot() { xwd -root -silent -display "$DISPLAY" | convert xwd:- "png:build/mingw/screenshot-$1.png"; }
"$wine64" "$exe" &
pid=$!
sleep 3
shot welcome
xdotool key Return   # the welcome box has the keyboard focus
sleep 2
shot main
echo "screenshots: build/mingw/screenshot-welcome.png, build/mingw/screenshot-main.png"
echo "the tool is running under Xvfb on $DISPLAY; Ctrl+C ends it"
wait "$pid"
