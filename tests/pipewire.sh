#!/usr/bin/env bash
# Starts and stops a private PipeWire (pipewire, wireplumber and pipewire-pulse on a session bus
# of their own) that offers the sound integration tests what tests/soundserver.sh's PulseAudio
# offers, under the same names and at the same socket:
#
#   CHIRPEL_SOUND_DIR=<folder> pipewire.sh start|stop|status
#
#   spk      null sink, the default sink; its monitor is the playback line
#   micfeed  null sink that tests feed with `paplay -d micfeed file.wav`
#   mic      its monitor remapped into an ordinary source, the default source (the microphone)
# The graph runs at 44100 Hz (clock.force-rate), the rate of the test material, so that what is
# recorded can be compared sample for sample; PipeWire's own default of 48 kHz would resample.
# Clients reach it with PULSE_SERVER=unix:$CHIRPEL_SOUND_DIR/runtime/pulse/native.
set -euo pipefail

dir=${CHIRPEL_SOUND_DIR:?set CHIRPEL_SOUND_DIR to the folder the test sound server lives in}
runtime=$dir/runtime
socket=$runtime/pulse/native
pids=$dir/pipewire.pids

server_env() {
    export HOME=$dir/home
    export XDG_RUNTIME_DIR=$runtime
    export XDG_CONFIG_HOME=$dir/config XDG_STATE_HOME=$dir/state XDG_DATA_HOME=$dir/data
    export PULSE_SERVER=unix:$socket
    export PIPEWIRE_RUNTIME_DIR=$runtime
    export DBUS_SESSION_BUS_ADDRESS=unix:path=$runtime/bus
    unset PULSE_COOKIE PIPEWIRE_REMOTE || true
}

answers() { pactl info >/dev/null 2>&1; }

stop_server() {
    [ -f "$pids" ] || return 0
    local pid
    # Only what this script started from this folder, by the ids it noted, newest first.
    for pid in $(tac "$pids"); do
        if kill -0 "$pid" 2>/dev/null && tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "XDG_RUNTIME_DIR=$runtime"; then
            kill -TERM "$pid"
            for _ in $(seq 30); do
                kill -0 "$pid" 2>/dev/null || break
                sleep 0.1
            done
            kill -0 "$pid" 2>/dev/null && kill -KILL "$pid"
        fi
    done
    rm -f "$pids"
}

launch() {
    "$@" >>"$dir/pipewire.log" 2>&1 &
    echo $! >>"$pids"
}

start_server() {
    server_env
    stop_server
    mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$XDG_DATA_HOME" "$runtime"
    chmod 700 "$runtime"
    rm -f "$socket" "$runtime/bus"
    : >"$dir/pipewire.log"
    launch dbus-daemon --session --nofork --address="$DBUS_SESSION_BUS_ADDRESS"
    for _ in $(seq 50); do [ -S "$runtime/bus" ] && break; sleep 0.1; done
    launch pipewire
    sleep 0.5
    launch wireplumber
    launch pipewire-pulse
    for _ in $(seq 100); do answers && break; sleep 0.1; done
    if ! answers; then
        echo "pipewire: pipewire-pulse did not answer; see $dir/pipewire.log" >&2
        stop_server
        return 1
    fi
    pw-metadata -n settings 0 clock.force-rate 44100 >/dev/null
    pactl load-module module-null-sink sink_name=spk rate=44100 channels=2 >/dev/null
    pactl load-module module-null-sink sink_name=micfeed rate=44100 channels=2 >/dev/null
    pactl load-module module-remap-source source_name=mic master=micfeed.monitor >/dev/null
    pactl set-default-sink spk
    pactl set-default-source mic
    sleep 1
}

case ${1:-} in
start) start_server ;;
stop) server_env && stop_server ;;
status) server_env && answers && pactl info ;;
*)
    echo "usage: CHIRPEL_SOUND_DIR=<folder> $0 start|stop|status" >&2
    exit 2
    ;;
esac
