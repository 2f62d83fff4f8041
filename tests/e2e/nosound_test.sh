#!/usr/bin/env bash
# Without a sound server a press on Record returns to the start page, logs a line and writes
# nothing; once the server is there the next press records. A double-click on Record keeps
# recording (the second click does not land on Stop).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/desktop.sh"
. "$here/chirpel_e2e.sh"

e2e_require_private_sound
e2e_new_user nosound
real_socket=${PULSE_SERVER#unix:}
# The program looks for its server where there is none yet; the test links it in later.
export PULSE_SERVER="unix:$E2E_WORK/pulse-native"

desktop_start
e2e_start_chirpel || { fail "the voice-mail window did not show"; e2e_finish nosound; }
e2e_pointer_away
sleep 1
e2e_grab_dashboard "$E2E_WORK/idle.png"
e2e_shot nosound-idle.png

e2e_click_window "$E2E_RECORD_X" "$E2E_RECORD_Y"
e2e_pointer_away
sleep 2
e2e_shot nosound-after-record.png
e2e_dashboard_is "$E2E_WORK/idle.png" || fail "without a sound server the window did not return to its start page"
grep -q "chirpel.sound: cannot record" "$E2E_WORK/chirpel.log" ||
  fail "no log line for the refused recording: $(cat "$E2E_WORK/chirpel.log")"
[ ! -e "$E2E_MESSAGE" ] || fail "a message file was written without a sound server"

# The server appears: the next press records.
ln -s "$real_socket" "$E2E_WORK/pulse-native"
e2e_click_window "$E2E_RECORD_X" "$E2E_RECORD_Y"
e2e_pointer_away
e2e_wait 10 e2e_dashboard_is_not "$E2E_WORK/idle.png" || fail "the press after the server came did not record"
sleep 2
e2e_click_window "$E2E_RECORD_X" "$E2E_RECORD_Y" # Stop lies where Record was
e2e_pointer_away
e2e_wait 20 e2e_dashboard_is "$E2E_WORK/idle.png" || fail "no return to the start page after the playback"
[ -s "$E2E_MESSAGE" ] || fail "no message after recording with the server"
first=$(stat -c %s "$E2E_MESSAGE" 2>/dev/null || echo 0)
e2e_log "first message: $first bytes"
cp "$E2E_MESSAGE" "$E2E_WORK/first.wav" 2>/dev/null || true

# A double-click on Record: two clicks 150 ms apart.
xdotool mousemove $((WIN_X + E2E_RECORD_X)) $((WIN_Y + E2E_RECORD_Y))
sleep 0.2
xdotool click --repeat 2 --delay 150 1
e2e_pointer_away
sleep 1.5
e2e_shot nosound-double-click.png
e2e_dashboard_is_not "$E2E_WORK/idle.png" || fail "the double-click did not leave the window recording"
sleep 1
e2e_click_window "$E2E_RECORD_X" "$E2E_RECORD_Y"
e2e_pointer_away
e2e_wait 20 e2e_dashboard_is "$E2E_WORK/idle.png" || fail "no return to the start page after the double-click take"
second=$(stat -c %s "$E2E_MESSAGE" 2>/dev/null || echo 0)
e2e_log "message after the double-click take: $second bytes"
[ "$second" -gt 8000 ] || fail "the double-clicked take left a message of $second bytes"

e2e_finish nosound
