#!/usr/bin/env bash
# Sourced by the test scripts: starts what the tests need on a machine with no
# display and no sound card, and stops it all when the sourcing shell exits.
#   - a virtual X display (Xvfb), exported as DISPLAY
#   - a private PulseAudio server with only a null sink, exported as PULSE_SERVER
# The services live in a private folder under $ADHAN_SERVICES_DIR (or a new temp dir).

ADHAN_SERVICES_DIR=${ADHAN_SERVICES_DIR:-$(mktemp -d /tmp/adhan-services.XXXXXX)}
mkdir -p "$ADHAN_SERVICES_DIR"
_adhan_pids=()

adhan_stop_services() {
  local p
  for p in "${_adhan_pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${_adhan_pids[@]}"; do wait "$p" 2>/dev/null || true; done
  _adhan_pids=()
}
trap adhan_stop_services EXIT

adhan_start_xvfb() {
  local fdfile="$ADHAN_SERVICES_DIR/display"
  rm -f "$fdfile"
  Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp -noreset 9>"$fdfile" >"$ADHAN_SERVICES_DIR/xvfb.log" 2>&1 &
  _adhan_pids+=($!)
  local i
  for i in $(seq 1 100); do
    [ -s "$fdfile" ] && break
    sleep 0.1
  done
  if [ ! -s "$fdfile" ]; then
    echo "test-services: Xvfb did not start" >&2
    cat "$ADHAN_SERVICES_DIR/xvfb.log" >&2
    return 1
  fi
  DISPLAY=":$(tr -d '\n' <"$fdfile")"
  export DISPLAY
  echo "test-services: Xvfb on $DISPLAY"
}

adhan_start_sound() {
  local dir="$ADHAN_SERVICES_DIR/pulse"
  mkdir -p "$dir/runtime" "$dir/home"
  chmod 700 "$dir/runtime"
  local sock="$dir/native"
  export XDG_RUNTIME_DIR="$dir/runtime"
  export PULSE_SERVER="unix:$sock"
  cat >"$dir/default.pa" <<PA
load-module module-null-sink sink_name=adhan_null sink_properties=device.description=AdhanNull
load-module module-native-protocol-unix socket=$sock auth-anonymous=1
set-default-sink adhan_null
PA
  HOME="$dir/home" pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    --disable-shm=yes --log-target=stderr -F "$dir/default.pa" >"$dir/pulse.log" 2>&1 &
  _adhan_pids+=($!)
  local i
  for i in $(seq 1 100); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
  done
  if ! pactl info >/dev/null 2>&1; then
    echo "test-services: PulseAudio did not start" >&2
    cat "$dir/pulse.log" >&2
    return 1
  fi
  echo "test-services: PulseAudio null sink at $PULSE_SERVER"
}

# Waits up to TENTHS tenths of a second for a command to succeed.
#   _adhan_wait_for TENTHS COMMAND...
_adhan_wait_for() {
  local tenths=$1 i
  shift
  for ((i = 0; i < tenths; i++)); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

# Tells why a service did not come up, with the end of its log.
#   _adhan_failed WHAT LOG
_adhan_failed() {
  echo "test-services: $1 did not start" >&2
  tail -n 20 "$2" >&2
  return 1
}

# A desktop session of its own: a private runtime folder (XDG_RUNTIME_DIR), a
# session bus with nothing to start on demand (DBUS_SESSION_BUS_ADDRESS), and on
# it the accessibility bus with its registry, so that programs show their
# windows to whoever reads them as a screen reader does.
adhan_start_session_bus() {
  local dir="$ADHAN_SERVICES_DIR/dbus"
  mkdir -p "$dir" "$ADHAN_SERVICES_DIR/session"
  chmod 700 "$ADHAN_SERVICES_DIR/session"
  export XDG_RUNTIME_DIR="$ADHAN_SERVICES_DIR/session"
  unset AT_SPI_BUS_ADDRESS DBUS_SESSION_BUS_ADDRESS
  cat >"$dir/session.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$dir</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
  dbus-daemon --nofork --config-file="$dir/session.conf" --print-address=3 \
    3>"$dir/address" 2>"$dir/session.log" &
  _adhan_pids+=($!)
  _adhan_wait_for 50 test -s "$dir/address" || _adhan_failed "the session bus" "$dir/session.log" ||
    return 1
  DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$dir/address")
  export DBUS_SESSION_BUS_ADDRESS

  /usr/libexec/at-spi-bus-launcher --launch-immediately --a11y=1 >"$dir/launcher.log" 2>&1 &
  _adhan_pids+=($!)
  _adhan_wait_for 100 dbus-send --session --print-reply --reply-timeout=1000 --dest=org.a11y.Bus \
    /org/a11y/bus org.a11y.Bus.GetAddress || _adhan_failed "the accessibility bus" "$dir/launcher.log" ||
    return 1
  /usr/libexec/at-spi2-registryd >"$dir/registry.log" 2>&1 &
  _adhan_pids+=($!)
  local a11y
  a11y=$(dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus \
    org.a11y.Bus.GetAddress | tr -d ' \n')
  _adhan_wait_for 100 sh -c "dbus-send --bus='$a11y' --print-reply=literal --dest=org.freedesktop.DBus \
    /org/freedesktop/DBus org.freedesktop.DBus.NameHasOwner string:org.a11y.atspi.Registry | grep -q true" ||
    _adhan_failed "the accessibility registry" "$dir/registry.log" || return 1
  echo "test-services: session bus at $DBUS_SESSION_BUS_ADDRESS, accessibility registry on $a11y"
}

# A headless Wayland compositor (weston) in a private XDG_RUNTIME_DIR, exported
# as WAYLAND_DISPLAY: the socket's full path, so that it is found whatever
# XDG_RUNTIME_DIR says later. No panel and no animations: nothing on its screen
# moves but the programs.
adhan_start_weston() {
  local dir="$ADHAN_SERVICES_DIR/wayland"
  mkdir -p "$dir"
  chmod 700 "$dir"
  export XDG_RUNTIME_DIR="$dir"
  printf '[shell]\npanel-position=none\nstartup-animation=none\nanimation=none\nclose-animation=none\n' \
    >"$ADHAN_SERVICES_DIR/weston.ini"
  weston --backend=headless-backend.so --use-pixman --idle-time=0 --socket=adhan-wayland \
    --config="$ADHAN_SERVICES_DIR/weston.ini" \
    >"$ADHAN_SERVICES_DIR/weston.log" 2>&1 &
  _adhan_pids+=($!)
  _adhan_wait_for 100 test -S "$dir/adhan-wayland" || _adhan_failed weston "$ADHAN_SERVICES_DIR/weston.log" ||
    return 1
  export WAYLAND_DISPLAY="$dir/adhan-wayland"
  echo "test-services: weston on $WAYLAND_DISPLAY"
}

# A system tray (trayer) at the top right of the X display, where icons dock
# through XEmbed.
adhan_start_trayer() {
  trayer --edge top --align right --widthtype request --height 24 >"$ADHAN_SERVICES_DIR/trayer.log" 2>&1 &
  _adhan_pids+=($!)
  _adhan_wait_for 100 sh -c 'xwininfo -root -tree | grep -q "\"panel\""' ||
    _adhan_failed trayer "$ADHAN_SERVICES_DIR/trayer.log" || return 1
  echo "test-services: trayer on $DISPLAY"
}

# A StatusNotifierItem watcher and host on the session bus (gtk-sni-tray on the
# X display), so that programs put their tray icons up over D-Bus.
adhan_start_sni_host() {
  gtk-sni-tray-standalone -w >"$ADHAN_SERVICES_DIR/sni.log" 2>&1 &
  _adhan_pids+=($!)
  _adhan_wait_for 100 sh -c 'dbus-send --session --print-reply=literal --dest=org.kde.StatusNotifierWatcher \
    /StatusNotifierWatcher org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher \
    string:IsStatusNotifierHostRegistered | grep -q true' ||
    _adhan_failed "the StatusNotifierItem host" "$ADHAN_SERVICES_DIR/sni.log" || return 1
  echo "test-services: StatusNotifierItem host on the session bus"
}

# A window manager that guards the focus, as a user's desktop does: GNOME's
# mutter on the X display, on the session bus adhan_start_session_bus started.
adhan_start_mutter() {
  mutter --x11 --replace --sm-disable >"$ADHAN_SERVICES_DIR/mutter.log" 2>&1 &
  _adhan_pids+=($!)
  _adhan_wait_for 100 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
    _adhan_failed mutter "$ADHAN_SERVICES_DIR/mutter.log" || return 1
  echo "test-services: mutter on $DISPLAY"
}
