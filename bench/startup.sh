#!/usr/bin/env bash
# Start-up time: from the start of the process to its first painted window, chirpel against a
# plain Qt window (minimal_window) and, for scale, the same window showing a line of text
# (minimal_window --text: what loading fonts alone adds), measured together by hyperfine on a private X desktop
# (Xvfb + openbox) with the private test sound server, as a new user (empty settings).
#   bench/startup.sh <build dir> [hyperfine options...]     (e.g. build/dev --runs 40)
# Goal: chirpel takes at most 1.3 times as long as the plain window.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: $0 <build dir> [hyperfine options]}" && pwd)
shift
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
# desktop_start set its own traps; the sound server and the work folder go down with the desktop.
cleanup() {
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
mkdir -p "$XDG_CONFIG_HOME" "$TMPDIR"
export CHIRPEL_EXIT_AFTER_FIRST_PAINT=1

hyperfine -N --warmup 3 --runs 30 --export-json "$work/startup.json" "$@" \
  -n chirpel "$build/bin/chirpel" \
  -n minimal_window "$build/bin/minimal_window" \
  -n "minimal_window --text" "$build/bin/minimal_window --text"

python3 - "$work/startup.json" <<'EOF'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
chirpel, minimal, text = (results[n] for n in ("chirpel", "minimal_window", "minimal_window --text"))
ratio = chirpel["mean"] / minimal["mean"]
for name, r in (("chirpel", chirpel), ("minimal_window", minimal), ("minimal_window --text", text)):
    print("first painted window: %-22s %6.1f ms (median %6.1f)" % (name, r["mean"] * 1e3, r["median"] * 1e3))
print("minimal_window --text / minimal_window = %.2f" % (text["mean"] / minimal["mean"]))
print("chirpel / minimal_window = %.2f (goal: at most 1.30)%s"
      % (ratio, "" if ratio <= 1.3 else "  -- ABOVE THE GOAL"))
EOF
