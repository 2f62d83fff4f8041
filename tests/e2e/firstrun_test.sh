#!/usr/bin/env bash
# First run and the settings file: the real program writes its twenty-seven settings at a normal
# end; a damaged settings file is kept aside. How a stored key is read is the settings store's unit test's.
set -euo pipefail
. "$(dirname "$0")/chirpel_e2e.sh"
e2e_begin firstrun
# Starts chirpel, optionally photographs it, closes it as a user would.
run_and_close() {
  e2e_start_chirpel || return 0
  [ -z "${1:-}" ] || e2e_shot "$1"
  desktop_close_window "$CHIRPEL_WID"
  e2e_expect_exit "after its window was closed"
}
# expect_values LINE...: each line stands in user.reg exactly once.
expect_values() {
  local line
  for line in "$@"; do
    [ "$(grep -cxF -- "$line" "$E2E_USERREG")" -eq 1 ] || fail "user.reg lacks: $line"
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
if [ -f "$E2E_USERREG" ]; then
  [ "$(head -n 1 "$E2E_USERREG")" = "REGEDIT4" ] || fail "user.reg does not start with REGEDIT4"
  expect_values '[HKEY_CURRENT_USER\Software\Brimblet\Chirpel]' "${first_run_values[@]}"
  count=$(grep -c '^"' "$E2E_USERREG" || true)
  [ "$count" -eq 27 ] || fail "user.reg holds $count values, not 27"
  grep -q '^"Quality"=' "$E2E_USERREG" && fail "a value named Quality without its trailing blank was written"
else
  fail "no user.reg was written at the normal end"
fi
# 2. A damaged settings file: the program starts from the defaults and keeps the damaged file.
printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brimblet\\Chirpel]\n"MsgFileName"="/home/ki' >"$E2E_USERREG"
cp "$E2E_USERREG" "$E2E_WORK/damaged"
run_and_close
cmp -s "$E2E_USERREG.bad" "$E2E_WORK/damaged" || fail "the damaged settings file was not kept as user.reg.bad"
expect_values "${first_run_values[@]}"
e2e_finish
