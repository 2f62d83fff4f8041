#!/usr/bin/env bash
# Start-up time: from the start of the process to its first painted window, chirpel against a
# plain Qt window (minimal_window) and, for scale, the same window showing a line of text
# (minimal_window --text: what loading fonts alone adds), on a private X desktop (Xvfb + openbox)
# with the private test sound server, as a new user (empty settings); and chirpel once more with
# the shield on, which paints the full-screen shield first, measured to that first paint and, for
# reference, on to the first paint of the child's window over it. The programs run interleaved,
# one of each in turn, so that a machine that slows down or speeds up weighs on all of them alike.
#   bench/startup.sh <build dir> [runs]      (default 30 runs of each, after 3 warm-up rounds)
# Goals: chirpel at most 1.3 times the plain window; with the shield, at most 1.6 times.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: $0 <build dir> [runs]}" && pwd)
runs=${2:-30}
for program in chirpel minimal_window; do
  [ -x "$build/bin/$program" ] || { echo "startup.sh: build $build/bin/$program first" >&2; exit 2; }
done

work=$(mktemp -d /tmp/chirpel-bench-startup.XXXXXX)
export CHIRPEL_SOUND_DIR=$work/sound
mkdir -p "$CHIRPEL_SOUND_DIR"
"$here/../tests/soundserver.sh" start
export PULSE_SERVER=unix:$CHIRPEL_SOUND_DIR/runtime/pulse/native

. "$here/../tests/e2e/desktop.sh"
desktop_start
# A desktop session has a session bus, which the toolkit's accessibility bridge connects to at the
# first window; without one, every program would try to launch one at each start.
bus=$work/bus
dbus-daemon --session --nofork --address="unix:path=$bus" >/dev/null 2>&1 &
bus_pid=$!
export DBUS_SESSION_BUS_ADDRESS=unix:path=$bus
for _ in $(seq 50); do [ -S "$bus" ] && break; sleep 0.1; done
# desktop_start set its own traps; the sound server and the work folder go down with the desktop.
cleanup() {
  kill "$bus_pid" 2>/dev/null || true
  desktop_stop
  "$here/../tests/soundserver.sh" stop || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'cleanup; exit 143' TERM
trap 'cleanup; exit 130' INT

# A new user: no settings, so nothing is read but defaults and the shield stays hidden; the
# programs end right after their first paint, so no settings are written either.
export XDG_CONFIG_HOME=$work/config TMPDIR=$work/tmp
mkdir -p "$XDG_CONFIG_HOME" "$TMPDIR" "$work/shield/chirpel"
export CHIRPEL_EXIT_AFTER_FIRST_PAINT=1
# The shield's user: a kid profile (read whole or not at all) with ShowShield on; the message
# settings come from the defaults.
cat >"$work/shield/chirpel/user.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Brimblet\Chirpel]
"IsGirl"="0"
"CustCursor"="0"
"SoundPrompt"="0"
"ShowShield"="1"
"KidName"=""
"GuideName"="Monkey"
"KidAge"=dword:00000000

REG

python3 - "$build" "$runs" "$work/shield" <<'EOF'
import os, statistics, subprocess, sys, time
build, runs, shield_config = sys.argv[1], int(sys.argv[2]), sys.argv[3]
programs = [
    ("chirpel", [build + "/bin/chirpel"], {}),
    ("minimal_window", [build + "/bin/minimal_window"], {}),
    ("minimal_window --text", [build + "/bin/minimal_window", "--text"], {}),
    ("chirpel, shield on", [build + "/bin/chirpel"], {"XDG_CONFIG_HOME": shield_config}),
    ("  then the child's window", [build + "/bin/chirpel"],
     {"XDG_CONFIG_HOME": shield_config, "CHIRPEL_EXIT_AFTER_FIRST_PAINT": "child"}),
]
times = {name: [] for name, _, _ in programs}
for round_ in range(3 + runs):
    for name, argv, extra in programs:
        env = dict(os.environ, **extra)
        start = time.perf_counter()
        done = subprocess.run(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        elapsed = time.perf_counter() - start
        if done.returncode != 0:
            sys.exit("startup.sh: %s ended with status %d" % (name, done.returncode))
        if round_ >= 3:
            times[name].append(elapsed)
mean = {name: statistics.mean(t) for name, t in times.items()}
for name, t in times.items():
    print("first painted window: %-26s mean %6.1f ms, median %6.1f ms, sd %4.1f ms (%d runs)"
          % (name, mean[name] * 1e3, statistics.median(t) * 1e3, statistics.stdev(t) * 1e3, len(t)))
base = mean["minimal_window"]
print("minimal_window --text / minimal_window = %.2f" % (mean["minimal_window --text"] / base))
for name, goal in (("chirpel", 1.3), ("chirpel, shield on", 1.6)):
    ratio = mean[name] / base
    print("%s / minimal_window = %.2f (goal: at most %.2f)%s"
          % (name, ratio, goal, "" if ratio <= goal else "  -- ABOVE THE GOAL"))
print("chirpel, shield on, to the child's window / minimal_window = %.2f (no goal)"
      % (mean["  then the child's window"] / base))
EOF
