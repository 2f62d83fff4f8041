#!/usr/bin/env bash
# A child's message from start to end: a new user records a tone, stops, hears it played back by
# itself, sees the buttons again and closes the window; the message holds the tone as 8000 Hz mono
# 16-bit PCM and the settings keep how long it lasted.
set -euo pipefail
. "$(dirname "$0")/chirpel_e2e.sh"
e2e_begin childflow
e2e_must_start
# The visible outline stands in the middle of the screen.
left=$(((E2E_SCREEN_W - E2E_OUTLINE_W) / 2)) top=$(((E2E_SCREEN_H - E2E_OUTLINE_H) / 2))
e2e_near "$WIN_X" $((left - 1)) $((left + 1)) && e2e_near "$WIN_Y" $((top - 1)) $((top + 1)) ||
  fail "the window's outline is not centred: it starts at $WIN_X,$WIN_Y on a ${E2E_SCREEN_W}x$E2E_SCREEN_H screen"

e2e_grab_idle
e2e_shot idle.png
e2e_feed_tone 30
e2e_press "$E2E_RECORD_X" "$E2E_RECORD_Y"
e2e_wait 10 e2e_not_idle || fail "the record button did not open the recording page"
sleep 1.2
e2e_shot recording.png
sleep 1.6
# The playback line carries what the program plays; the beep before the recording is over.
desktop_launch parec -d spk.monitor --rate=8000 --channels=1 --format=s16le --file-format=wav "$E2E_WORK/heard.wav"
capture=$DESKTOP_LAUNCHED_PID
sleep 0.3
stopped_at=$(date +%s.%N)
e2e_press "$E2E_RECORD_X" "$E2E_RECORD_Y"
sleep 1.2
e2e_not_idle || fail "no playback page after the stop (AutoPlay is on for a new user)"
e2e_shot playing.png
# The playback ends by itself and the window shows its buttons again.
back_after=""
if e2e_wait 20 e2e_is_idle; then
  back_after=$(awk -v a="$stopped_at" -v b="$(date +%s.%N)" 'BEGIN {printf "%.1f", b - a}')
  e2e_log "start page again ${back_after}s after the stop"
else
  fail "the window did not return to its start page after the playback"
  e2e_shot childflow-failure.png
fi
sleep 0.5
e2e_end "$capture" "$FEED_PID"
# The message file: PCM as a new user's settings ask for, holding the tone for the time recorded.
seconds=0
if [ -f "$E2E_MESSAGE" ]; then
  read -r tag channels rate bits seconds loud freq rms < <(e2e_wave_facts "$E2E_MESSAGE")
  e2e_log "message: format $tag, $channels channel(s), $rate Hz, $bits bits, ${seconds}s (${loud}s loud), ${freq} Hz, rms $rms"
  [ "$tag $channels $rate $bits" = "1 1 8000 16" ] ||
    fail "the message is not 16-bit mono 8000 Hz PCM: format $tag, $channels channels, $rate Hz, $bits bits"
  e2e_near "$seconds" 2 6 || fail "the message lasts ${seconds}s, not the three seconds recorded"
  e2e_near "$loud" "$seconds - 0.3" "$seconds" || fail "the tone fills only ${loud}s of the ${seconds}s message"
  e2e_near "$freq" 430 450 || fail "the message holds ${freq} Hz, not the 440 Hz tone"
  e2e_near "$rms" 0.05 1 || fail "the message is nearly silent (rms $rms)"
else
  fail "no message file at $E2E_MESSAGE"
fi
# The start page came back when the playback of the whole message was over, not before.
[ -z "$back_after" ] || e2e_near "$back_after" "$seconds - 0.5" "$seconds + 8" ||
  fail "the start page came back ${back_after}s after the stop, for a ${seconds}s message"
# What was played back is the same tone for the same time.
if [ -s "$E2E_WORK/heard.wav" ]; then
  read -r _ _ _ _ _ heard_loud heard_freq _ < <(e2e_wave_facts "$E2E_WORK/heard.wav")
  e2e_near "$heard_freq" 430 450 || fail "the playback sounded at ${heard_freq} Hz, not 440 Hz"
  e2e_near "$heard_loud" "$seconds - 0.5" "$seconds + 0.5" || fail "the playback sounded for ${heard_loud}s of a ${seconds}s message"
else
  fail "nothing was heard on the playback line"
fi
# Closing the window like a child ends the program and keeps the message's length.
e2e_close_button
if duration=$(e2e_reg_value DurationSec); then
  recorded=$(printf '%d' "0x${duration##*dword:}")
  e2e_near "$recorded" "int($seconds) - 1" "int($seconds) + 1" || fail "DurationSec is $recorded for a ${seconds}s message"
  [ "$recorded" -ge 2 ] || fail "DurationSec is $recorded after a recording of about three seconds"
else
  fail "the settings file has no DurationSec"
fi
e2e_finish
