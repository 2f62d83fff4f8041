#!/usr/bin/env bash
# Sound quality of chirpel-pack against sox's own GSM 6.10 conversion.
#
#   bench/pack_quality.sh [BUILD_DIR] [WORK_DIR]
#
# For each sample the reference is the source mixed to mono and resampled to 8000 Hz in floating
# point by sox's very-high-quality resampler. Both GSM files are decoded by sox and compared with
# the reference (bench/pack_snr.py: SNR in dB after lining up within +-40 samples). sox dithers
# with a new random seed on every run, so its figure is the median of five runs. Also checks that
# ffmpeg decodes chirpel-pack's result as gsm_ms, mono, 8000 Hz.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build/dev}" && pwd)
work=${2:-${TMPDIR:-/tmp}/chirpel-pack-bench}
pack=$build/bin/chirpel-pack
"$here/pack_samples.sh" "$work"
cd "$work"

snr() { python3 "$here/pack_snr.py" "$1" "$2" | sed 's/.*snr_db=\([^ ]*\).*/\1/'; }

printf '%-12s %9s %9s %9s %17s  %s\n' sample ours_dB sox_dB diff_dB "sox_runs_range" "ffmpeg sees"
for sample in speech20 mono22k mono11k8 speech300; do
    sox "$sample.wav" -c 1 -e floating-point -b 32 -t raw ref.f32 rate -v 8000
    cp "$sample.wav" ours.wav
    "$pack" ours.wav
    sox ours.wav -t f32 ours.f32
    ours=$(snr ref.f32 ours.f32)
    runs=()
    for _ in 1 2 3 4 5; do
        sox "$sample.wav" -r 8000 -c 1 -e gsm-full-rate sox.wav
        sox sox.wav -t f32 sox.f32
        runs+=("$(snr ref.f32 sox.f32)")
    done
    sorted=$(printf '%s\n' "${runs[@]}" | sort -g)
    soxdb=$(sed -n 3p <<<"$sorted")
    range="$(head -1 <<<"$sorted")..$(tail -1 <<<"$sorted")"
    seen=$(ffprobe -v error -show_entries stream=codec_name,sample_rate,channels,duration -of csv=p=0 ours.wav)
    printf '%-12s %9s %9s %9s %17s  %s\n' "$sample" "$ours" "$soxdb" \
        "$(python3 -c "print(f'{$ours - $soxdb:+.3f}')")" "$range" "$seen"
done
rm -f ref.f32 ours.wav ours.f32 sox.wav sox.f32
