#!/usr/bin/env bash
# Starts and stops the private PulseAudio daemon that the sound integration tests talk to.
#
#   CHIRPEL_SOUND_DIR=<folder> soundserver.sh start|stop|status
#
# Everything the daemon and its clients keep (home, runtime dir with the socket, state, log,
# pid file) lives under $CHIRPEL_SOUND_DIR, so a user's own sound server is never touched.
# The daemon offers:
#   spk      null sink, the default sink; its monitor is the playback line
#   micfeed  null sink that tests feed with `paplay -d micfeed file.wav`
#   mic      its monitor remapped into an ordinary source, the default source (the microphone)
#   keeper   null sink fed by 10 ms loopbacks from both monitors: idle null sinks otherwise run
#            in 2-second blocks, which delays first data and the end of playback by up to 2 s
# Clients reach it with PULSE_SERVER=unix:$CHIRPEL_SOUND_DIR/runtime/pulse/native.
set -euo pipefail

dir=${CHIRPEL_SOUND_DIR:?set CHIRPEL_SOUND_DIR to the folder the test sound server lives in}
runtime=$dir/runtime
pidfile=$runtime/pulse/pid
socket=$runtime/pulse/native

server_env() {
    export HOME=$dir/home
    export XDG_RUNTIME_DIR=$runtime
    export PULSE_RUNTIME_PATH=$runtime/pulse
    export PULSE_STATE_PATH=$dir/state
    export PULSE_SERVER=unix:$socket
    unset PULSE_COOKIE DBUS_SESSION_BUS_ADDRESS || true
}

answers() {
    pactl info >/dev/null 2>&1
}

stop_server() {
    [ -f "$pidfile" ] || return 0
    local pid
    pid=$(cat "$pidfile" 2>/dev/null || true)
    # Only the daemon started with this folder's configuration, never a reused pid.
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null &&
        tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -qF -- "$dir/server.pa"; then
        kill -TERM "$pid"
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -0 "$pid" 2>/dev/null && kill -KILL "$pid"
    fi
    rm -f "$pidfile"
}

write_config() {
    cat >"$dir/server.pa" <<EOF
load-module module-native-protocol-unix auth-anonymous=1 socket=$socket
load-module module-null-sink sink_name=spk rate=44100 channels=2
load-module module-null-sink sink_name=micfeed rate=44100 channels=2
load-module module-remap-source source_name=mic master=micfeed.monitor
load-module module-null-sink sink_name=keeper rate=44100 channels=2
load-module module-loopback source=spk.monitor sink=keeper latency_msec=10
load-module module-loopback source=micfeed.monitor sink=keeper latency_msec=10
set-default-sink spk
set-default-source mic
EOF
}

start_server() {
    server_env
    stop_server
    mkdir -p "$HOME" "$PULSE_STATE_PATH" "$PULSE_RUNTIME_PATH"
    chmod 700 "$runtime" "$PULSE_RUNTIME_PATH"
    rm -f "$socket"
    write_config
    pulseaudio -n -F "$dir/server.pa" --exit-idle-time=-1 --daemonize=yes --use-pid-file=yes \
        --log-target="file:$dir/pulse.log" --log-level=notice
    for _ in $(seq 100); do
        if answers; then
            # The loopbacks settle their latency during the first seconds; a stream started
            # before that sees its first data and its end late.
            sleep 2
            return 0
        fi
        sleep 0.1
    done
    echo "soundserver: the daemon did not answer; see $dir/pulse.log" >&2
    stop_server
    return 1
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
