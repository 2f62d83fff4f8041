#!/usr/bin/env bash
# Without a sound server a press on Record returns to the start page, logs a line and writes
# nothing; once the server is there the next press records. A double-click on Record keeps
# recording (the second click does not land on Stop).
set -euo pipefail
. "$(dirname "$0")/chirpel_e2e.sh"
e2e_begin nosound
real_socket=${PULSE_SERVER#unix:}
# The program looks for its server where there is none yet; the test links it in later.
export PULSE_SERVER="unix:$E2E_WORK/pulse-native"
# stop_take WHAT: Stop lies where Record was; the playback then ends on the start page.
stop_take() {
  e2e_press "$E2E_RECORD_X" "$E2E_RECORD_Y"
  e2e_wait 20 e2e_is_idle || fail "no return to the start page after $1"
}
e2e_must_start
e2e_grab_idle
e2e_shot nosound-idle.png

e2e_press "$E2E_RECORD_X" "$E2E_RECORD_Y"
sleep 2
e2e_shot nosound-after-record.png
e2e_is_idle || fail "without a sound server the window did not return to its start page"
grep -q "chirpel.sound: cannot record" "$E2E_WORK/chirpel.log" || fail "no log line for the refused recording: $(cat "$E2E_WORK/chirpel.log")"
[ ! -e "$E2E_MESSAGE" ] || fail "a message file was written without a sound server"
# The server appears: the next press records.
ln -s "$real_socket" "$E2E_WORK/pulse-native"
e2e_press "$E2E_RECORD_X" "$E2E_RECORD_Y"
e2e_wait 10 e2e_not_idle || fail "the press after the server came did not record"
sleep 2
stop_take "the playback"
[ -s "$E2E_MESSAGE" ] || fail "no message after recording with the server"
# A double-click on Record: two clicks 150 ms apart.
xdotool mousemove $((WIN_X + E2E_RECORD_X)) $((WIN_Y + E2E_RECORD_Y)) sleep 0.2 click --repeat 2 --delay 150 1
e2e_pointer_away
sleep 1.5
e2e_shot nosound-double-click.png
e2e_not_idle || fail "the double-click did not leave the window recording"
sleep 1
stop_take "the double-click take"
size=$(stat -c %s "$E2E_MESSAGE" 2>/dev/null || echo 0)
[ "$size" -gt 8000 ] || fail "the double-clicked take left a message of $size bytes"
e2e_finish
