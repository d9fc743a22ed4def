#!/usr/bin/env bash
# Starts, for one kind of desktop, a display server and a sound server of its
# own, a private session bus with the accessibility registry, and a tray (for
# "focus", a window manager that guards the focus instead; for "wine", both);
# then drives the real program from outside (drive.py). Everything started is
# stopped on the way out; the services' logs and screenshots are kept only
# when a check failed.
# Under Wine, the Windows program is driven by tests/wine/drive.py instead.
#   run.sh x11|wayland|sni|focus|wine|install PROGRAM
set -uo pipefail
mode=${1:-} program=${2:-}
# A folder of its own, whatever the caller's services use.
ADHAN_SERVICES_DIR=$(mktemp -d /tmp/adhan-desktop.XXXXXX)
# shellcheck source=SCRIPTDIR/../../scripts/test-services.sh
source "$(dirname "$0")/../../scripts/test-services.sh"
# shellcheck disable=SC2154 # status is set inside the trap
trap 'status=$?; WINEPREFIX="$ADHAN_SERVICES_DIR/wine" wineserver -k 2>/dev/null; adhan_stop_services
  [ "$status" = 0 ] && rm -rf "$ADHAN_SERVICES_DIR"' EXIT
trap '[ -n "${driver:-}" ] && kill "$driver" 2>/dev/null; exit 143' TERM INT HUP

# A sound server of its own too, so that what one test hears no other plays.
adhan_start_sound || exit 1
here=$(dirname "$0") limit=70
case $mode in
  wayland) unset DISPLAY && adhan_start_weston && adhan_start_session_bus ;;
  x11) unset WAYLAND_DISPLAY && adhan_start_xvfb && adhan_start_session_bus && adhan_start_trayer ;;
  focus) unset WAYLAND_DISPLAY && adhan_start_xvfb && adhan_start_session_bus && adhan_start_mutter ;;
  sni) unset WAYLAND_DISPLAY && adhan_start_xvfb && adhan_start_session_bus && adhan_start_sni_host ;;
  wine | install) unset WAYLAND_DISPLAY && adhan_start_xvfb && adhan_start_trayer && here="$here/../wine" limit=160 &&
    export ADHAN_WINEPREFIX="$ADHAN_SERVICES_DIR/wine" && # a fresh one, on this display
    { [ "$mode" = install ] || { adhan_start_session_bus && adhan_start_mutter; }; } ;;
  *) echo "usage: run.sh x11|wayland|sni|focus|wine|install PROGRAM" >&2 && false ;;
esac || exit 1
# In the background, so that a signal to this script is handled at once.
timeout --kill-after=3 "$limit" /usr/bin/python3 "$here/drive.py" "$mode" "$program" "$ADHAN_SERVICES_DIR" &
driver=$!
wait "$driver"
