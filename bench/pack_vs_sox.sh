#!/usr/bin/env bash
# Whole-process speed and peak memory of chirpel-pack against sox converting the same speech to
# GSM 6.10 WAV (sox in.wav -r 8000 -c 1 -e gsm-full-rate out.wav).
#
#   bench/pack_vs_sox.sh [BUILD_DIR] [WORK_DIR] [PAIRS]
#
# Samples: 20 s and 5 minutes of 44100 Hz 16-bit stereo speech (bench/pack_samples.sh).
# 1. Paired runs: chirpel-pack and sox alternate PAIRS times (default 40), each run timed from
#    spawn to exit; the figure is the median of the per-pair ratios chirpel-pack / sox.
# 2. hyperfine's own summary of both commands.
# 3. Peak resident memory from /usr/bin/time -v, against 2.2 x file size + 16 MiB.
# chirpel-pack rewrites its file in place, so every run packs a fresh copy of the sample; the copy
# is made and synced to disk before the clock starts.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build/dev}" && pwd)
work=${2:-${TMPDIR:-/tmp}/chirpel-pack-bench}
pairs=${3:-40}
pack=$build/bin/chirpel-pack
"$here/pack_samples.sh" "$work"
cd "$work"

for sample in speech20 speech300; do
    echo "== $sample.wav ($(stat -c %s "$sample.wav") bytes)"
    python3 - "$pack" "$sample" "$pairs" <<'EOF'
import os, shutil, statistics, sys, time

pack, sample, pairs = sys.argv[1], sys.argv[2], int(sys.argv[3])
ours = [pack, f"{sample}.pack.wav"]
sox = ["sox", f"{sample}.wav", "-r", "8000", "-c", "1", "-e", "gsm-full-rate", f"{sample}.sox.wav"]

def timed(argv):
    start = time.perf_counter()
    pid = os.posix_spawnp(argv[0], argv, os.environ)
    _, status, _ = os.wait4(pid, 0)
    elapsed = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{argv[0]} failed")
    return elapsed

def fresh_copy():
    # Written out before the clock starts, so that both programs read a file that is settled in
    # the page cache, as a message recorded a while ago is.
    shutil.copyfile(f"{sample}.wav", ours[1])
    fd = os.open(ours[1], os.O_RDONLY)
    os.fsync(fd)
    os.close(fd)

for _ in range(3):  # warm-up: page cache, dynamic loader
    fresh_copy(); timed(ours); timed(sox)
t_ours, t_sox, ratios = [], [], []
for i in range(pairs):
    fresh_copy()
    # Alternate which goes first, so that neither always meets a warmer machine.
    if i % 2:
        b = timed(sox); a = timed(ours)
    else:
        a = timed(ours); b = timed(sox)
    t_ours.append(a); t_sox.append(b); ratios.append(a / b)
q = statistics.quantiles(ratios, n=4)
print(f"paired runs: {pairs}; median wall chirpel-pack {statistics.median(t_ours)*1e3:.1f} ms, "
      f"sox {statistics.median(t_sox)*1e3:.1f} ms")
print(f"ratio chirpel-pack/sox: median {statistics.median(ratios):.3f} (quartiles {q[0]:.3f}..{q[2]:.3f})")
EOF
    if command -v hyperfine > /dev/null; then
        hyperfine -N --style basic --warmup 3 --runs 20 --prepare "sh -c 'cp $sample.wav $sample.pack.wav && sync $sample.pack.wav'" \
            "$pack $sample.pack.wav" "sox $sample.wav -r 8000 -c 1 -e gsm-full-rate $sample.sox.wav" 2>&1 |
            grep -E "Benchmark|Time|±|faster" || true
    fi
    size=$(stat -c %s "$sample.wav")
    cp "$sample.wav" "$sample.pack.wav"
    ours_kb=$(/usr/bin/time -v "$pack" "$sample.pack.wav" 2>&1 | sed -n 's/.*Maximum resident set size (kbytes): //p')
    sox_kb=$(/usr/bin/time -v sox "$sample.wav" -r 8000 -c 1 -e gsm-full-rate "$sample.sox.wav" 2>&1 |
        sed -n 's/.*Maximum resident set size (kbytes): //p')
    limit_kb=$(( (size * 22 / 10 + 16 * 1048576) / 1024 ))
    echo "peak memory: chirpel-pack ${ours_kb} KiB, sox ${sox_kb} KiB, limit 2.2 x file + 16 MiB = ${limit_kb} KiB"
    rm -f "$sample.pack.wav" "$sample.sox.wav"
done
