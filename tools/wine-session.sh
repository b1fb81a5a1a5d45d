#!/usr/bin/env bash
# Sourced: gives this shell a display (Xvfb unless KEEP_DISPLAY=1 and one is set), the build
# folder's Wine prefix (made once: about 700 MB, 10-25 s) and a wineserver kept up.
# Usage: source tools/wine-session.sh build/mingw
wine_build=$(cd "$1" && pwd)
export WINEPREFIX=$wine_build/wineprefix WINEDEBUG=-all LANG=zh_CN.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="
unset LC_ALL LANGUAGE

if [ -z "${DISPLAY:-}" ] || [ "${KEEP_DISPLAY:-0}" != 1 ]; then
  # DISPLAY must be set before the prefix's first Wine command, or no window can be made.
  for n in $(seq 90 120); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || break
  done
  Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  wine_xvfb_pid=$!
  export DISPLAY=:$n
  for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
fi

# A prefix made before wine32 was installed cannot start 32-bit programs, nor (with plain `wine`)
# 64-bit ones: make it again.
if [ -f "$WINEPREFIX/system.reg" ] && [ ! -f "$WINEPREFIX/made-with-wine32" ]; then
  rm -rf "$WINEPREFIX"
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "creating the Wine prefix in $WINEPREFIX (once per build folder)"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
  # No window manager under Xvfb: Wine draws the caption itself, and does not wait for a
  # window manager's answer (2 s each time a window is hidden) when windows are unmanaged.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  touch "$WINEPREFIX/made-with-wine32"
fi
wineserver -p >/dev/null 2>&1 || true
# Start the prefix's services now: started by a test, they would inherit its output pipe and
# keep the test runner waiting for its end as long as the server lives.
wine wineboot.exe </dev/null >/dev/null 2>&1 || true

wine_session_end() {
  wineserver -k 2>/dev/null || true
  [ -n "${wine_xvfb_pid:-}" ] && kill "$wine_xvfb_pid" 2>/dev/null || true
}
