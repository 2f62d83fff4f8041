#!/usr/bin/env bash
# The private sound server of the integration and end-to-end tests, all of it under $CHIRPEL_SOUND_DIR:
# PulseAudio, or as pipewire.sh runs it pipewire, wireplumber and pipewire-pulse on a bus of their own.
#   CHIRPEL_SOUND_DIR=<folder> soundserver.sh start|stop|status
# Devices: spk (null sink, the default; its monitor is the playback line), micfeed (null sink tests feed
# with `paplay -d micfeed`), mic (micfeed's monitor as the default source), keeper (PulseAudio: fed by
# 10 ms loopbacks, since idle null sinks run in 2-second blocks that delay first data and ends by 2 s).
set -euo pipefail
dir=${CHIRPEL_SOUND_DIR:?set CHIRPEL_SOUND_DIR to the folder the test sound server lives in}
runtime=$dir/runtime
socket=$runtime/pulse/native
pids=$dir/server.pids
export HOME=$dir/home XDG_RUNTIME_DIR=$runtime PULSE_RUNTIME_PATH=$runtime/pulse PULSE_STATE_PATH=$dir/state
export XDG_CONFIG_HOME=$dir/config XDG_STATE_HOME=$dir/state XDG_DATA_HOME=$dir/data PULSE_SERVER=unix:$socket
unset PULSE_COOKIE PIPEWIRE_REMOTE DBUS_SESSION_BUS_ADDRESS || true

answers() { pactl info >/dev/null 2>&1; }
# wait_for SECONDS COMMAND...: polls every 0.1 s.
wait_for() {
  local tries=$(($1 * 10))
  shift
  until "$@"; do ((tries-- > 0)) || return 1; sleep 0.1; done
}
gone() { ! kill -0 "$1" 2>/dev/null; }

stop_server() {
  local pid
  # Only what this script started here (the ids it noted, newest first, and PulseAudio's pid file).
  for pid in $(cat "$runtime/pulse/pid" 2>/dev/null; tac "$pids" 2>/dev/null); do
    tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "XDG_RUNTIME_DIR=$runtime" || continue
    kill -TERM "$pid" 2>/dev/null || continue
    wait_for 5 gone "$pid" || kill -KILL "$pid" 2>/dev/null || true
  done
  rm -f "$pids" "$runtime/pulse/pid"
}

launch() {
  "$@" >>"$dir/server.log" 2>&1 &
  echo $! >>"$pids"
}

start_pulseaudio() {
  cat >"$dir/server.pa" <<CONF
load-module module-native-protocol-unix auth-anonymous=1 socket=$socket
load-module module-null-sink sink_name=spk rate=44100 channels=2
load-module module-null-sink sink_name=micfeed rate=44100 channels=2
load-module module-remap-source source_name=mic master=micfeed.monitor
load-module module-null-sink sink_name=keeper rate=44100 channels=2
load-module module-loopback source=spk.monitor sink=keeper latency_msec=10
load-module module-loopback source=micfeed.monitor sink=keeper latency_msec=10
set-default-sink spk
set-default-source mic
CONF
  pulseaudio -n -F "$dir/server.pa" --exit-idle-time=-1 --daemonize=yes --use-pid-file=yes \
    --log-target="file:$dir/server.log" --log-level=notice
  wait_for 10 answers || return 1
  sleep 2 # the loopbacks settle their latency: a stream started before that sees its first data late
}
# The graph runs at the test material's 44100 Hz, so that recordings compare sample for sample.
start_pipewire() {
  export PIPEWIRE_RUNTIME_DIR=$runtime DBUS_SESSION_BUS_ADDRESS=unix:path=$runtime/bus
  rm -f "$runtime/bus"
  launch dbus-daemon --session --nofork --address="$DBUS_SESSION_BUS_ADDRESS"
  wait_for 5 test -S "$runtime/bus" || true
  launch pipewire
  sleep 0.5
  launch wireplumber
  launch pipewire-pulse
  wait_for 10 answers || return 1
  pw-metadata -n settings 0 clock.force-rate 44100 >/dev/null
  pactl load-module module-null-sink sink_name=spk rate=44100 channels=2 >/dev/null
  pactl load-module module-null-sink sink_name=micfeed rate=44100 channels=2 >/dev/null
  pactl load-module module-remap-source source_name=mic master=micfeed.monitor >/dev/null
  pactl set-default-sink spk
  pactl set-default-source mic
  sleep 1
}

start_server() {
  stop_server
  mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$XDG_DATA_HOME" "$PULSE_RUNTIME_PATH"
  chmod 700 "$runtime" "$PULSE_RUNTIME_PATH"
  rm -f "$socket"
  : >"$dir/server.log"
  "start_${CHIRPEL_TEST_SOUND_SERVER:-pulseaudio}" && return 0
  echo "soundserver: the server did not answer; see $dir/server.log" >&2
  stop_server
  return 1
}

case ${1:-} in
start) start_server ;;
stop) stop_server ;;
status) answers && pactl info ;;
*) echo "usage: CHIRPEL_SOUND_DIR=<folder> $0 start|stop|status" >&2 && exit 2 ;;
esac
