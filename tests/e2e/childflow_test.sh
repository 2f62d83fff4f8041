#!/usr/bin/env bash
# A child's message from start to end: a new user records a tone, stops, hears it played back by
# itself, sees the buttons again and closes the window; the message holds the tone as 8000 Hz mono
# 16-bit PCM and the settings keep how long it lasted.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/desktop.sh"
. "$here/chirpel_e2e.sh"

e2e_require_private_sound
e2e_new_user childflow

desktop_start
sox -n -r 44100 -c 1 -b 16 "$E2E_WORK/tone.wav" synth 30 sine 440 vol 0.5

e2e_start_chirpel || { fail "the voice-mail window did not show"; e2e_finish childflow; }

# The visible outline stands in the middle of the screen.
read -r screen_w screen_h < <(xdotool getdisplaygeometry)
e2e_near "$WIN_X" $(((screen_w - E2E_OUTLINE_W) / 2 - 1)) $(((screen_w - E2E_OUTLINE_W) / 2 + 1)) &&
  e2e_near "$WIN_Y" $(((screen_h - E2E_OUTLINE_H) / 2 - 1)) $(((screen_h - E2E_OUTLINE_H) / 2 + 1)) ||
  fail "the window's outline is not centred: it starts at $WIN_X,$WIN_Y on a ${screen_w}x$screen_h screen"

# The start page as drawn, to tell the pages apart later.
e2e_pointer_away
sleep 1
e2e_grab_dashboard "$E2E_WORK/idle.png"
e2e_shot idle.png

# The microphone hears a steady tone from now on.
desktop_launch paplay -d micfeed "$E2E_WORK/tone.wav"
feed=$DESKTOP_LAUNCHED_PID
sleep 0.5

e2e_click_window "$E2E_RECORD_X" "$E2E_RECORD_Y"
e2e_pointer_away
e2e_wait 10 e2e_dashboard_is_not "$E2E_WORK/idle.png" || fail "the record button did not open the recording page"
sleep 1.2
e2e_shot recording.png
sleep 1.6

# The playback line carries what the program plays; the beep before the recording is over.
desktop_launch parec -d spk.monitor --rate=8000 --channels=1 --format=s16le --file-format=wav "$E2E_WORK/heard.wav"
capture=$DESKTOP_LAUNCHED_PID
sleep 0.3
stopped_at=$(date +%s.%N)
e2e_click_window "$E2E_RECORD_X" "$E2E_RECORD_Y"
e2e_pointer_away
sleep 1.2
e2e_dashboard_is_not "$E2E_WORK/idle.png" || fail "no playback page after the stop (AutoPlay is on for a new user)"
e2e_shot playing.png

# The playback ends by itself and the window shows its buttons again.
if e2e_wait 20 e2e_dashboard_is "$E2E_WORK/idle.png"; then
  back_after=$(awk -v a="$stopped_at" -v b="$(date +%s.%N)" 'BEGIN {printf "%.1f", b - a}')
  e2e_log "start page again ${back_after}s after the stop"
else
  back_after=""
  fail "the window did not return to its start page after the playback"
  e2e_shot childflow-failure.png
fi
sleep 0.5
for pid in "$capture" "$feed"; do
  kill -INT "$pid" 2>/dev/null || true
  desktop_wait_exit "$pid" 5 || true
done

# The message file: PCM as a new user's settings ask for, holding the tone for the time recorded.
if [ -f "$E2E_MESSAGE" ]; then
  read -r tag channels rate bits seconds loud freq rms < <(e2e_wave_facts "$E2E_MESSAGE")
  e2e_log "message: format $tag, $channels channel(s), $rate Hz, $bits bits, ${seconds}s (${loud}s loud), ${freq} Hz, rms $rms"
  [ "$tag $channels $rate $bits" = "1 1 8000 16" ] ||
    fail "the message is not 16-bit mono 8000 Hz PCM: format $tag, $channels channels, $rate Hz, $bits bits"
  e2e_near "$seconds" 2 6 || fail "the message lasts ${seconds}s, not the three seconds recorded"
  e2e_near "$loud" "$seconds - 0.3" "$seconds" ||
    fail "the tone fills only ${loud}s of the ${seconds}s message"
  e2e_near "$freq" 430 450 || fail "the message holds ${freq} Hz, not the 440 Hz tone"
  e2e_near "$rms" 0.05 1 || fail "the message is nearly silent (rms $rms)"
else
  fail "no message file at $E2E_MESSAGE"
  seconds=0
fi

# The start page came back when the playback of the whole message was over, not before.
if [ -n "$back_after" ]; then
  e2e_near "$back_after" "$seconds - 0.5" "$seconds + 8" ||
    fail "the start page came back ${back_after}s after the stop, for a ${seconds}s message"
fi

# What was played back is the same tone for the same time.
if [ -s "$E2E_WORK/heard.wav" ]; then
  read -r _ _ _ _ _ heard_loud heard_freq _ < <(e2e_wave_facts "$E2E_WORK/heard.wav")
  e2e_log "played back: ${heard_loud}s of ${heard_freq} Hz"
  e2e_near "$heard_freq" 430 450 || fail "the playback sounded at ${heard_freq} Hz, not 440 Hz"
  e2e_near "$heard_loud" "$seconds - 0.5" "$seconds + 0.5" ||
    fail "the playback sounded for ${heard_loud}s of a ${seconds}s message"
else
  fail "nothing was heard on the playback line"
fi

# Closing the window like a child ends the program and keeps the message's length.
e2e_click_window "$E2E_CLOSE_X" "$E2E_CLOSE_Y"
e2e_expect_exit "after its close button"
if duration=$(e2e_reg_value DurationSec); then
  recorded=$(printf '%d' "0x${duration##*dword:}")
  e2e_log "settings: DurationSec $recorded"
  e2e_near "$recorded" "int($seconds) - 1" "int($seconds) + 1" ||
    fail "DurationSec is $recorded for a ${seconds}s message"
  [ "$recorded" -ge 2 ] || fail "DurationSec is $recorded after a recording of about three seconds"
else
  fail "the settings file has no DurationSec"
fi

e2e_finish childflow
