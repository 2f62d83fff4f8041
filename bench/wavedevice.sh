#!/usr/bin/env bash
# Runs the wave device benchmark against a private test sound server, and for comparison
# measures parecord recording the same format for five seconds with /usr/bin/time.
#   bench/wavedevice.sh <build dir>      (e.g. build/dev)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: $0 <build dir>}
export CHIRPEL_SOUND_DIR
CHIRPEL_SOUND_DIR=$(mktemp -d /tmp/chirpel-bench-sound.XXXXXX)
trap '"$here/../tests/soundserver.sh" stop; rm -rf "$CHIRPEL_SOUND_DIR"' EXIT
"$here/../tests/soundserver.sh" start
export PULSE_SERVER=unix:$CHIRPEL_SOUND_DIR/runtime/pulse/native

"$build/bin/WaveDeviceBench" "${@:2}"

echo
echo "parecord, 44100 Hz 16-bit stereo, 5 s (user s, system s, wall s):"
/usr/bin/time -f "%U %S %e" timeout 5 parecord --rate=44100 --channels=2 --format=s16le \
    --latency-msec=20 "$CHIRPEL_SOUND_DIR/parecord.wav" || true
