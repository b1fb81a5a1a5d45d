#!/usr/bin/env bash
# Sourced: gives this shell a display (Xvfb unless KEEP_DISPLAY=1 and one is set), the build
# folder's Wine prefix (made once: about 700 MB, 10-25 s) and a wineserver kept up. The Xvfb and
# the wineserver it starts are ended when the shell exits, however it exits (KEEP_DISPLAY=1: the
# caller ends them, or they go with the program it hands the shell to).
# Usage: source tools/wine-session.sh build/mingw
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
wine_build=$(cd "$1" && pwd)
netscheme_check_32bit
netscheme_wine_env "$wine_build/wineprefix"

wine_session_end() {
  "$WINESERVER" -k 2>/dev/null || true
  [ -n "${wine_xvfb_pid:-}" ] && kill "$wine_xvfb_pid" 2>/dev/null || true
}
if [ "${KEEP_DISPLAY:-0}" != 1 ]; then
  trap wine_session_end EXIT
  trap 'exit 130' INT TERM HUP  # through the EXIT trap
fi

# Runs one set-up step; on failure names it, shows what it printed, and says what to do.
wine_step() {
  local log status=0
  log=$(mktemp)
  (netscheme_exec_closed "$@") >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    {
      echo "Wine set-up failed: '$*' exited with status $status (WINEPREFIX=$WINEPREFIX). It printed:"
      sed 's/^/  | /' "$log" | tail -n 20
      if grep -q 'Exec format error' "$log"; then
        echo "This kernel runs no 32-bit programs: boot with ia32_emulation=on, or remove wine32 (apt-get remove wine32:i386)."
      else
        echo "Check that the prefix folder can be written, or remove it to have it made again."
      fi
    } >&2
  fi
  rm -f "$log"
  return "$status"
}

if [ -z "${DISPLAY:-}" ] || [ "${KEEP_DISPLAY:-0}" != 1 ]; then
  # DISPLAY must be set before the prefix's first Wine command, or no window can be made.
  for n in $(seq 90 120); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || break
  done
  (netscheme_exec_closed Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp) >/dev/null 2>&1 &
  wine_xvfb_pid=$!
  export DISPLAY=:$n
  for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
  if [ ! -e /tmp/.X11-unix/X$n ]; then
    echo "Wine set-up failed: Xvfb :$n did not start (is the xvfb package installed?)" >&2
    false
  fi
fi

# A prefix made where 32-bit programs could not run has no 32-bit half: make it again once they can.
if [ -f "$WINEPREFIX/system.reg" ] && [ -z "$wine_no_32bit_reason" ] && [ ! -f "$WINEPREFIX/made-with-wine32" ]; then
  rm -rf "$WINEPREFIX"
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "creating the Wine prefix in $WINEPREFIX (once per build folder)"
  wine_step "$wine64" wineboot.exe -i
  wine_step "$WINESERVER" -w
  # No window manager under Xvfb: Wine draws the caption itself, and does not wait for a
  # window manager's answer (2 s each time a window is hidden) when windows are unmanaged.
  wine_step "$wine64" reg.exe add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f
  wine_step "$wine64" reg.exe add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
  cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  [ -n "$wine_no_32bit_reason" ] || touch "$WINEPREFIX/made-with-wine32"
fi
if [ "${KEEP_DISPLAY:-0}" != 1 ]; then
  # Kept up for the session, and ended with it. (With KEEP_DISPLAY=1 it ends by itself after the
  # program the shell is handed to.) One still up from the set-up would refuse to be made persistent.
  "$WINESERVER" -k 2>/dev/null || true
  wine_step "$WINESERVER" -p
fi
# Start the prefix's services now: started by a test, they would inherit its output pipe and
# keep the test runner waiting for its end as long as the server lives.
wine_step "$wine64" wineboot.exe
