#!/usr/bin/env bash
# shellcheck disable=SC2317 # its functions run from traps and from wait_for
# Runs the program on the X display (DISPLAY) with a private session bus, the
# accessibility bus and its registry, and reads the program's windows from
# outside as a screen reader does (atspi_check.py). Everything started here is
# stopped on the way out, whether the check passed, failed or was cut short.
#
#   atspi_check.sh PROGRAM
set -uo pipefail

program=${1:?usage: atspi_check.sh PROGRAM}
here=$(cd "$(dirname "$0")" && pwd)
# The AT-SPI bindings are Debian's, for Debian's interpreter.
python=/usr/bin/python3
launcher=/usr/libexec/at-spi-bus-launcher
registry=/usr/libexec/at-spi2-registryd

die() {
  echo "atspi_check: $*" >&2
  exit 1
}

[ -n "${DISPLAY:-}" ] || die "no X display: DISPLAY is not set (start Xvfb first)"
[ -x "$program" ] || die "no program at $program"
for tool in dbus-daemon dbus-send setsid timeout xprop "$launcher" "$registry"; do
  command -v "$tool" >/dev/null || die "$tool is missing (scripts/setup.sh installs it)"
done
"$python" -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null ||
  die "the AT-SPI bindings for $python are missing (scripts/setup.sh installs them)"

work=$(mktemp -d /tmp/adhan-atspi.XXXXXX)
groups=() # a process group for each thing started here, named by its leader

checker=
stop_all() {
  local g i alive
  trap '' HUP INT TERM # a second signal must not cut the stopping short
  [ -n "$checker" ] && kill -TERM "$checker" 2>/dev/null
  # The program first, then the registry, the buses, and last the hold on the display.
  for ((i = ${#groups[@]} - 1; i >= 0; i--)); do
    kill -TERM -- "-${groups[i]}" 2>/dev/null
  done
  for i in $(seq 1 50); do
    alive=0
    for g in "${groups[@]}"; do
      kill -0 -- "-$g" 2>/dev/null && alive=1
    done
    [ "$alive" = 0 ] && break
    sleep 0.1
  done
  for g in "${groups[@]}"; do
    kill -KILL -- "-$g" 2>/dev/null
  done
  wait 2>/dev/null
  groups=()
  rm -rf "$work"
}
trap stop_all EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# Starts a command in a process group of its own, so that it and whatever it
# starts can be stopped together. (setsid runs the command in place: a
# background job here is never a group leader.)
start() {
  setsid "$@" &
  groups+=($!)
}

# Waits up to `tenths` tenths of a second for a command to succeed.
wait_for() {
  local tenths=$1 i
  shift
  for ((i = 0; i < tenths; i++)); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

# Nothing from the caller's desktop session may leak in.
unset AT_SPI_BUS_ADDRESS DBUS_SESSION_BUS_ADDRESS
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# The X server starts afresh whenever its last client leaves, dropping any
# client still connecting. The bus launcher connects only for a moment, so
# without a connection held here the registry or the program could be caught
# connecting just then. This one lasts until the end of the check.
start xprop -root -spy >"$work/display.hold" 2>&1
wait_for 50 test -s "$work/display.hold" || die "cannot reach the X display $DISPLAY"
kill -0 "${groups[-1]}" 2>/dev/null || die "lost the X display $DISPLAY: $(cat "$work/display.hold")"

# A session bus of our own, with nothing to start on demand.
cat >"$work/session.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$work</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
start dbus-daemon --nofork --config-file="$work/session.conf" --print-address=3 \
  3>"$work/session.address" 2>"$work/session.log"
wait_for 50 test -s "$work/session.address" || die "the session bus did not start: $(cat "$work/session.log")"
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/session.address")
export DBUS_SESSION_BUS_ADDRESS

# The accessibility bus, and the registry on it.
start "$launcher" --launch-immediately --a11y=1 >"$work/launcher.log" 2>&1
a11y_address() {
  dbus-send --session --print-reply=literal --reply-timeout=1000 --dest=org.a11y.Bus \
    /org/a11y/bus org.a11y.Bus.GetAddress
}
wait_for 100 a11y_address || die "the accessibility bus did not start: $(cat "$work/launcher.log")"
a11y=$(a11y_address | tr -d ' \n')
start "$registry" >"$work/registry.log" 2>&1
registry_up() {
  dbus-send --bus="$a11y" --print-reply=literal --reply-timeout=1000 \
    --dest=org.freedesktop.DBus /org/freedesktop/DBus org.freedesktop.DBus.NameHasOwner \
    string:org.a11y.atspi.Registry | grep -q true
}
wait_for 100 registry_up ||
  die "the registry did not start on $a11y: $(cat "$work/registry.log" "$work/launcher.log")"

kill -0 "${groups[0]}" 2>/dev/null || die "lost the X display $DISPLAY"

# The program, its accessibility bridge on whether or not a screen reader asked.
start env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 "$program" >"$work/program.log" 2>&1
program_pid=${groups[-1]}
echo "atspi_check: $program running as process $program_pid on $DISPLAY"

# In the background, so that a signal to this script is handled at once.
timeout --kill-after=2 25 "$python" "$here/atspi_check.py" "$program_pid" --wait 15 &
checker=$!
wait "$checker"
status=$?
checker=
if ! kill -0 "$program_pid" 2>/dev/null; then
  echo "atspi_check: the program ended before the check was done" >&2
  status=1
fi
if [ "$status" != 0 ]; then
  [ "$status" = 124 ] && echo "atspi_check: the check timed out" >&2
  echo "--- program output:" >&2
  cat "$work/program.log" >&2
fi
exit "$status"
