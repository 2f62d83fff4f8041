#!/usr/bin/env bash
# First run and the settings file: the real program on a private desktop writes its twenty-seven
# settings at a normal end; a key missing a number comes back with the defaults; a damaged
# settings file is kept aside.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/desktop.sh"

bin=${CHIRPEL_BIN_DIR:?CHIRPEL_BIN_DIR names the folder holding chirpel}
out=${CHIRPEL_E2E_OUT:-}
work=$(mktemp -d "${TMPDIR:-/tmp}/chirpel-firstrun.XXXXXX")
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

export XDG_CONFIG_HOME="$work/config"
export TMPDIR="$work/tmp"
mkdir -p "$TMPDIR"
userreg="$XDG_CONFIG_HOME/chirpel/user.reg"

desktop_start

# Starts chirpel, waits for its window, optionally photographs it, closes it like a user would.
run_and_close() {
  local shot=${1:-}
  desktop_launch "$bin/chirpel" 2>"$work/chirpel.log"
  local pid=$DESKTOP_LAUNCHED_PID wid status=0
  if ! wid=$(desktop_wait_window '^VoiceMailForm$' 60); then
    fail "the window VoiceMailForm did not show"
    [ -n "$out" ] && desktop_screenshot "$out/firstrun-failure.png"
    cat "$work/chirpel.log" >&2
    kill -KILL "$pid" 2>/dev/null
    return
  fi
  [ -n "$shot" ] && [ -n "$out" ] && desktop_screenshot "$out/$shot"
  desktop_close_window "$wid"
  desktop_wait_exit "$pid" 30 || status=$?
  [ "$status" -eq 0 ] || fail "chirpel ended with status $status after its window was closed"
}

# expect_values LINE...: each line stands in user.reg exactly once.
expect_values() {
  local line
  for line in "$@"; do
    [ "$(grep -cxF -- "$line" "$userreg")" -eq 1 ] || fail "user.reg lacks: $line"
  done
}

first_run_values=(
  '"HideTips"="0"' '"AutoRecord"="1"' '"AutoPlay"="1"' '"BeepOnRecord"="1"' '"AutoClose"="0"'
  '"Mono"="1"' '"GSM610"="1"' '"PackOnSend"="1"' '"Bits16"="1"' '"Quality "=dword:00000000'
  '"PlainSize"=dword:00000000' "\"MsgFileName\"=\"$TMPDIR/chirpel.wav\"" '"DurationSec"=dword:00000000'
  '"MinWaveLevel"=dword:00000032' '"WebMail"="0"' '"SendWait"="1"' '"ReciptName"=""' '"ReciptAddr"=""'
  '"MaxTimeSec"=dword:0000012c' '"LimitSize"="1"'
  '"IsGirl"="0"' '"CustCursor"="1"' '"SoundPrompt"="0"' '"ShowShield"="0"' '"KidName"=""'
  '"GuideName"="Monkey"' '"KidAge"=dword:00000000'
)

# 1. First run: no settings at all.
run_and_close firstrun.png
if [ -f "$userreg" ]; then
  [ "$(head -n 1 "$userreg")" = "REGEDIT4" ] || fail "user.reg does not start with REGEDIT4"
  expect_values '[HKEY_CURRENT_USER\Software\Brimblet\Chirpel]' "${first_run_values[@]}"
  count=$(grep -c '^"' "$userreg" || true)
  [ "$count" -eq 27 ] || fail "user.reg holds $count values, not 27"
  grep -q '^"Quality"=' "$userreg" && fail "a value named Quality without its trailing blank was written"
else
  fail "no user.reg was written at the normal end"
fi

# 2. A key lacking only MaxTimeSec: the failure rule brings back the defaults.
mkdir -p "$(dirname "$userreg")"
cat >"$userreg" <<EOF
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Brimblet\\Chirpel]
"HideTips"="1"
"AutoRecord"="0"
"AutoPlay"="0"
"BeepOnRecord"="0"
"AutoClose"="1"
"Mono"="0"
"GSM610"="0"
"PackOnSend"="0"
"Bits16"="0"
"Quality "=dword:00000002
"PlainSize"=dword:0007a121
"MsgFileName"="/home/kid/hello.wav"
"DurationSec"=dword:00000004
"MinWaveLevel"=dword:00000007
"WebMail"="1"
"SendWait"="0"
"ReciptName"="Grandma"
"ReciptAddr"="gran@example.org"
"LimitSize"="0"
"IsGirl"="1"
"CustCursor"="0"
"SoundPrompt"="1"
"ShowShield"="0"
"KidName"="Zoe"
"GuideName"="Monkey"
"KidAge"=dword:00000005

EOF
run_and_close
expect_values '"GSM610"="1"' '"Quality "=dword:00000000' '"MaxTimeSec"=dword:0000012c' \
  '"AutoRecord"="1"' '"AutoPlay"="1"' '"BeepOnRecord"="1"' '"AutoClose"="0"' '"Mono"="1"' '"Bits16"="1"' \
  '"PackOnSend"="1"' '"SendWait"="1"' '"LimitSize"="1"' '"MinWaveLevel"=dword:00000032' \
  "\"MsgFileName\"=\"$TMPDIR/chirpel.wav\"" \
  '"HideTips"="1"' '"PlainSize"=dword:0007a121' '"DurationSec"=dword:00000004' \
  '"WebMail"="0"' '"ReciptName"=""' '"ReciptAddr"=""' \
  '"IsGirl"="1"' '"CustCursor"="0"' '"SoundPrompt"="1"' '"KidName"="Zoe"' '"KidAge"=dword:00000005'

# 3. A damaged settings file: the program starts from the defaults and keeps the damaged file.
printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brimblet\\Chirpel]\n"MsgFileName"="/home/ki' >"$userreg"
cp "$userreg" "$work/damaged"
run_and_close
cmp -s "$userreg.bad" "$work/damaged" || fail "the damaged settings file was not kept as user.reg.bad"
expect_values "${first_run_values[@]}"

desktop_stop
[ -n "$out" ] && mkdir -p "$out" && cp "$userreg" "$out/firstrun-user.reg"
rm -rf "$work"
if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "firstrun: all checks passed"
