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
  export DISPLAY=":$(tr -d '\n' <"$fdfile")"
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
