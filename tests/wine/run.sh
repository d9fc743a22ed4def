#!/usr/bin/env bash
# Runs a Windows program of ours under 64-bit Wine, as a user whose regional
# settings are Arabic (Saudi Arabia) with the long-time form "hh:mm:ss tt"
# and the short date "dd/MM/yyyy", as set in the Control Panel. The prefix,
# made on first use, is $ADHAN_WINEPREFIX (default: one beside the services).
# With ADHAN_WINE_LANG (say en_US.UTF-8, an English Windows whose code page
# for non-Unicode programs is 1252), a prefix of that language beside it.
#   run.sh PROGRAM.exe [ARGS...]
set -euo pipefail
lang=${ADHAN_WINE_LANG:-ar_SA.UTF-8}
export WINEPREFIX=${ADHAN_WINEPREFIX:-${ADHAN_SERVICES_DIR:-/tmp}/wine}${ADHAN_WINE_LANG:+-$lang}
# Wine takes the user's locale from the C library's, which must be there.
export LOCPATH="$WINEPREFIX-locale"
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
wine=(env -u LC_ALL -u LC_TIME LANG="$lang" /usr/lib/wine/wine64)
{
  flock 9 # runs side by side make the locale and the prefix once
  [ -d "$LOCPATH/$lang" ] || (mkdir -p "$LOCPATH" && localedef -i "${lang%%.*}" -f UTF-8 "$LOCPATH/$lang")
  if [ ! -f "$WINEPREFIX/.ready" ]; then
    LD_PRELOAD= "${wine[@]}" wineboot -i >/dev/null 2>&1 # made on the real clock
    "${wine[@]}" reg add 'HKCU\Control Panel\International' /v sTimeFormat /d "hh:mm:ss tt" /f >/dev/null 2>&1
    "${wine[@]}" reg add 'HKCU\Control Panel\International' /v sShortDate /d dd/MM/yyyy /f >/dev/null 2>&1
    # Wine keeps the host's QT_* settings from Windows programs. Ours print
    # their messages (and the test results) on stderr and stdout, as they do
    # on a console, instead of to the debugger.
    "${wine[@]}" reg add 'HKCU\Environment' /v QT_FORCE_STDERR_LOGGING /d 1 /f >/dev/null 2>&1
    /usr/lib/wine/wineserver -w
    touch "$WINEPREFIX/.ready"
  fi
} 9>"$WINEPREFIX.lock"
if [ -n "${TZ:-}" ] && [ -f "$1" ]; then
  # Wine takes its time zone from TZ, but a Windows program that finds TZ in
  # its environment reads it itself, the C runtime's way ("Europe/London" is
  # not one): the program starts without it.
  set -- cmd /c "set TZ=&& $("${wine[@]}" winepath -w "$1" 2>/dev/null) ${*:2}"
fi
# Under Wine 8 a process that has decoded audio through Media Foundation dies
# of SIGSEGV in Wine's own teardown once it has ended. A test program's
# results are out by then: its totals decide.
out=$(mktemp) && trap 'rm -f "$out"' EXIT
status=0
"${wine[@]}" "$@" | tee "$out" || status=${PIPESTATUS[0]}
if [ "$status" = 139 ] && grep -aqE '^Totals: [0-9]+ passed, 0 failed' "$out"; then
  echo "run.sh: the program crashed in Wine's teardown after passing; taken as passed" >&2
  status=0
fi
exit "$status"
