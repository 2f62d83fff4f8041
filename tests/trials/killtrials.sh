#!/usr/bin/env bash
# Kill trials: chirpel-pack killed at random points of packing, chirpel at random points of writing its
# settings after a SIGTERM; every file must then be the old or the complete new one, with no temporary
# file left. Then the refusals: chirpel-pack on a FIFO, a device, a folder and a name with a newline;
# chirpel with a FIFO or /dev/zero for its settings file, and with no display. Every wait is bounded.
#   killtrials.sh BIN_DIR [PACK_TRIALS [SETTINGS_TRIALS]]
set -u
bin=${1:?usage: killtrials.sh BIN_DIR [PACK_TRIALS [SETTINGS_TRIALS]]}
pack_trials=${2:-100} settings_trials=${3:-50}
work=$(mktemp -d "${TMPDIR:-/tmp}/chirpel-kill.XXXXXX")
trap '[ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
failures=0 named_moments=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
die() { echo "killtrials: $*" >&2; exit 1; }
now_ms() { date +%s%3N; }
# A uniformly random delay in seconds from 0 to $1 milliseconds.
random_delay() { awk -v max="$1" -v seed="$RANDOM$RANDOM" 'BEGIN { srand(seed); printf "%.4f", rand() * max / 1000 }'; }
# Files in folder $1 other than $2.
leftovers() { ls -A "$1" | grep -v -x -F "$2"; }
# A kill may leave only the one named temporary file of the instant between linking the new file in
# and renaming it over the old one (the next save removes it); never two.
check_leftovers() {
  local extra
  extra=$(leftovers "$1" "$2")
  if [ -z "$extra" ]; then return 0; fi
  if [ "$(wc -l <<<"$extra")" = 1 ] && [[ $extra == "$2".chirpel-tmp.* ]]; then
    named_moments=$((named_moments + 1))
  else
    fail "$3 left $extra"
  fi
}
# classify FILE TRIAL NAME=REFERENCE...: counts the trial under the first reference the file equals.
classify() {
  local file=$1 trial=$2 pair
  shift 2
  for pair in "$@"; do
    cmp -s "$file" "${pair#*=}" && { eval "${pair%%=*}=\$((${pair%%=*} + 1))"; return; }
  done
  fail "$trial: $(basename "$file") is neither the old nor a complete new file:"$'\n'"$(head -c 2000 "$file")"
}
# ---- chirpel-pack ---------------------------------------------------------------------------
pack="$bin/chirpel-pack"
mkdir -p "$work/pack"
sox -n -r 44100 -c 2 -b 16 "$work/original.wav" synth 20 sine 300-3000 vol 0.5 2>/dev/null || die "sox is needed"
cp "$work/original.wav" "$work/packed.wav"
start=$(now_ms)
"$pack" "$work/packed.wav" || die "chirpel-pack fails without a kill"
pack_ms=$(($(now_ms) - start + 5))
old=0 new=0
for ((i = 0; i < pack_trials; i++)); do
  cp "$work/original.wav" "$work/pack/msg.wav"
  "$pack" "$work/pack/msg.wav" 2>/dev/null &
  pid=$!
  sleep "$(random_delay "$pack_ms")"
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  classify "$work/pack/msg.wav" "pack trial $i" old="$work/original.wav" new="$work/packed.wav"
  check_leftovers "$work/pack" msg.wav "pack trial $i"
done
"$pack" "$work/pack/msg.wav" 2>/dev/null # one save to the end clears what a kill left
[ -z "$(leftovers "$work/pack" msg.wav)" ] || fail "a complete save left $(leftovers "$work/pack" msg.wav)"
echo "chirpel-pack: $pack_trials kills within ${pack_ms} ms of start: $old old, $new packed," \
  "$named_moments with a named temporary file left for the next save, failures so far $failures"
# ---- chirpel's settings write -----------------------------------------------------------------
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config" PULSE_SERVER="unix:$work/no-sound-server"
reg="$XDG_CONFIG_HOME/chirpel/user.reg"
mkdir -p "$(dirname "$reg")"
# Runs chirpel until it is up, asks it to end, and kills it $1 seconds later (empty: let it end).
run_chirpel() {
  "$bin/chirpel" 2>>"$work/chirpel.log" &
  local pid=$!
  sleep 1
  kill -TERM "$pid" 2>/dev/null
  [ -z "$1" ] || { sleep "$1" && kill -KILL "$pid" 2>/dev/null; }
  timeout 20 tail -s 0.01 --pid="$pid" -f /dev/null
  wait "$pid" 2>/dev/null
}
printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brimblet\\Chirpel]\n"ReciptName"="Grandma"\n' >"$work/old.reg"
cp "$work/old.reg" "$reg"
start=$(now_ms)
run_chirpel ""
end_ms=$(($(now_ms) - start - 1000 + 5))
cp "$reg" "$work/new.reg"
# The message settings and the kid profile are two whole saves: between them only the first is there.
grep -v -e '^"IsGirl"=' -e '^"CustCursor"=' -e '^"SoundPrompt"=' -e '^"ShowShield"=' -e '^"KidName"=' \
  -e '^"GuideName"=' -e '^"KidAge"=' "$work/new.reg" >"$work/between.reg"
# The old file lacks the numbers, so the program starts on the defaults and writes all 27 values.
[ "$(grep -c '=' "$work/new.reg")" -ge 27 ] || die "chirpel did not write its settings at SIGTERM"
old=0 between=0 new=0
for ((i = 0; i < settings_trials; i++)); do
  cp "$work/old.reg" "$reg"
  # Half the kills in the first eighth, where the saves are.
  run_chirpel "$(random_delay $((i % 2 ? end_ms : end_ms / 8)))"
  classify "$reg" "settings trial $i" old="$work/old.reg" new="$work/new.reg" between="$work/between.reg"
  check_leftovers "$(dirname "$reg")" user.reg "settings trial $i"
done
run_chirpel ""
[ -z "$(leftovers "$(dirname "$reg")" user.reg)" ] || fail "a complete settings save left $(leftovers "$(dirname "$reg")" user.reg)"
echo "chirpel settings: $settings_trials kills within ${end_ms} ms of SIGTERM: $old old, $between with the message" \
  "settings saved and the profile not yet, $new new, $named_moments named temporary files in all so far, failures so far $failures"
# ---- refusals ---------------------------------------------------------------------------------
mkfifo "$work/fifo.wav"
ln -s /dev/zero "$work/zero.wav"
mkdir "$work/folder.wav"
printf 'not a wave' >"$work/pack/bad"$'\n'"name.wav"
for target in fifo.wav zero.wav folder.wav pack/bad$'\n'name.wav; do
  timeout 10 "$pack" "$work/$target" 2>"$work/err"
  rc=$?
  [ "$(wc -l <"$work/err")" = 1 ] || fail "chirpel-pack on $target: not one line: $(cat "$work/err")"
  [[ $target == pack/* ]] || [ "$rc" = 2 ] || fail "chirpel-pack on $target: exit status $rc, not 2 (124 is a hang)"
done
for kind in fifo zero; do
  rm -f "$reg"
  if [ $kind = fifo ]; then mkfifo "$reg"; else ln -s /dev/zero "$reg"; fi
  : >"$work/chirpel.log"
  run_chirpel ""
  [ -p "$reg" ] || [ -L "$reg" ] || fail "a $kind settings file was replaced"
  grep -q "chirpel.settings: the settings file cannot be read" "$work/chirpel.log" ||
    fail "no log line for a $kind settings file: $(cat "$work/chirpel.log")"
done
out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= timeout 20 "$bin/chirpel" 2>&1)
rc=$?
[ "$rc" = 1 ] || fail "without a display chirpel exits with $rc, not 1"
[ "$out" = "chirpel: Chirpel needs a graphical desktop; DISPLAY is not set" ] || fail "without a display chirpel says: $out"
echo "killtrials: $failures failures"
[ "$failures" = 0 ]
