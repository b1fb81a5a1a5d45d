#!/usr/bin/env bash
# Sourced by every script that runs Wine: the one place that says how it runs.
#
#   netscheme_check_32bit      sets wine_no_32bit_reason: empty where 32-bit programs can run,
#                              else why not (NETSCHEME_NO_32BIT=1 forces the latter anywhere)
#   netscheme_wine_env PREFIX  exports the prefix, the locale (ANSI and OEM code page 936), the
#                              debug channels and DLL overrides, and the 64-bit loader
#   netscheme_exec_closed CMD  replaces this (sub)shell with CMD, without its file descriptors
#                              beyond 0-2, so a server it leaves running holds no pipe of the
#                              caller's open: call it as ( netscheme_exec_closed CMD ) [&]
#
# Every program starts through the 64-bit loader ($wine64, also WINELOADER): Debian's `wine`
# takes the 32-bit one whenever wine32 is installed, which fails on kernels that run no 32-bit
# programs ("Exec format error"). The 64-bit loader hands a 32-bit exe to the one beside it.

wine64=/usr/lib/wine/wine64
netscheme_no_wine32="wine32 is not installed"

# A 96-byte i386 ELF program that exits with status 7: whether this kernel runs it is the answer.
netscheme_kernel_runs_32bit() {
  local probe status=0
  probe=$(mktemp)
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00'`
        `'\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00'`
        `'\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'`
        `'\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'`
        `'\xb8\x01\x00\x00\x00\xbb\x07\x00\x00\x00\xcd\x80' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  [ "$status" -eq 7 ]
}

netscheme_check_32bit() {
  wine_no_32bit_reason=""
  if [ "${NETSCHEME_NO_32BIT:-0}" = 1 ]; then
    wine_no_32bit_reason="NETSCHEME_NO_32BIT=1 is set"
  elif [ "$(uname -m)" != x86_64 ]; then
    wine_no_32bit_reason="this machine is $(uname -m), not x86_64"
  elif ! netscheme_kernel_runs_32bit; then
    wine_no_32bit_reason="this kernel runs no 32-bit programs (ia32_emulation is off; boot with ia32_emulation=on)"
  elif [ ! -x /usr/lib/wine/wine ]; then
    wine_no_32bit_reason=$netscheme_no_wine32
  fi
}

netscheme_wine_env() {
  export WINEPREFIX=$1 WINEDEBUG=-all LANG=zh_CN.UTF-8
  export WINEDLLOVERRIDES="mscoree,mshtml=;netsh.exe=n,b"  # no Mono/Gecko prompts; our netsh first
  export WINELOADER=$wine64 WINESERVER=/usr/lib/wine/wineserver64
  unset LC_ALL LANGUAGE
}

netscheme_exec_closed() {
  local fd
  for fd in /proc/$BASHPID/fd/*; do
    fd=${fd##*/}
    [ "$fd" -gt 2 ] && eval "exec $fd>&-" 2>/dev/null
  done
  exec "$@" </dev/null
}
