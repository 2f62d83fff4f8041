#!/usr/bin/env bash
# Sending through a loopback SMTP sink with msmtp: 1. SendWait off: the sink gets the packed message
# and its MP3 copy; with the sink out of service the mail waits in the outbox. 2. SendWait on: only
# a Ctrl+click passes the bubble; the kept mail goes first, then the (stand-in) composer opens.
set -euo pipefail
. "$(dirname "$0")/chirpel_e2e.sh"
e2e_begin send
kid=$'Zo\u00eb'
url=$(sed -n 's/^CHIRPEL_DOWNLOAD_URL:STRING=//p' "$E2E_BIN/../CMakeCache.txt")
# The program runs from a folder of its own, so that its eMail.dat is this test's alone.
mkdir -p "$E2E_WORK/bin" "$E2E_WORK/fakebin"
cp "$E2E_BIN/chirpel" "$E2E_BIN/machine.reg" "$E2E_WORK/bin/"
E2E_BIN="$E2E_WORK/bin" handoff="$E2E_WORK/bin/eMail.dat"
export XDG_DATA_HOME="$E2E_WORK/data" XDG_STATE_HOME="$E2E_WORK/state" XDG_CACHE_HOME="$E2E_WORK/cache"
outbox="$XDG_DATA_HOME/chirpel/outbox" composed="$E2E_WORK/composer.args"
# The desktop's mail composer stands in as a script that notes its arguments and the attachment.
cat >"$E2E_WORK/fakebin/xdg-email" <<SCRIPT
#!/bin/sh
printf '%s\0' "\$@" > "$composed.part"
while [ \$# -gt 0 ]; do [ "\$1" = --attach ] && cp "\$2" "$E2E_WORK/composer.attached"; shift; done
mv "$composed.part" "$composed"
SCRIPT
chmod +x "$E2E_WORK/fakebin/xdg-email"
export PATH="$E2E_WORK/fakebin:$PATH"

sink_dir="$E2E_WORK/sink"
e2e_start_sink "$sink_dir"
touch "$E2E_WORK/msmtprc" && chmod 600 "$E2E_WORK/msmtprc"
export CHIRPEL_SENDMAIL="msmtp -C '$E2E_WORK/msmtprc' --host=127.0.0.1 --port=$SINK_PORT --from=chirpel@example.org --auth=off --tls=off"
mails_are() { [ "$(find "$sink_dir" -name '*.eml' | wc -l)" -eq "$1" ]; }
kept_are() { [ "$(find "$outbox" -name '*.eml' 2>/dev/null | wc -l)" -eq "$1" ]; }
bubble() { desktop_window '^CallOutForm$'; }
click_bubble() { # [MODIFIER]: a click on the bubble's text
  local X Y WIDTH HEIGHT WINDOW SCREEN
  eval "$(xdotool getwindowgeometry --shell "$(bubble)")"
  e2e_click_screen $((X + 120)) $((Y + 110)) "${1:-}"
}
send() { e2e_click_window "$E2E_SEND_X" "$E2E_SEND_Y"; }

e2e_write_settings HideTips 0 AutoRecord 1 AutoPlay 0 BeepOnRecord 0 AutoClose 0 Mono 1 GSM610 1 PackOnSend 1 \
  Bits16 1 WebMail 0 SendWait 0 ReciptName Grandma ReciptAddr gran@example.org LimitSize 1 IsGirl 1 CustCursor 0 \
  SoundPrompt 0 ShowShield 0 KidName "$kid" GuideName Monkey MsgFileName "$E2E_MESSAGE" \
  -- "Quality " 0 PlainSize 0 DurationSec 0 MinWaveLevel 50 MaxTimeSec 300 KidAge 5
# 1. Record a tone and send it without waiting for a parent.
e2e_must_start
e2e_grab_idle
e2e_feed_tone 10
e2e_press "$E2E_RECORD_X" "$E2E_RECORD_Y"
e2e_wait 15 e2e_not_idle || fail "the record button did not start a recording"
sleep 3
e2e_press "$E2E_RECORD_X" "$E2E_RECORD_Y"
# The message file appears when the stop has saved the recording.
e2e_wait 15 test -s "$E2E_MESSAGE" || fail "the stop button did not save a message"
e2e_end "$FEED_PID"
send
if e2e_wait 10 bubble; then e2e_shot send-confirmed.png; else fail "no confirmation bubble after the send"; fi
if e2e_wait 30 mails_are 1; then
  [ "$(cat "$sink_dir/0.rcpt")" = gran@example.org ] || fail "the envelope went to $(cat "$sink_dir/0.rcpt")"
  /usr/bin/python3 "$E2E_HERE/mail_check.py" "$sink_dir/0.eml" "Voice message from $kid" gran@example.org "$url" \
    "$E2E_MESSAGE" "$E2E_WORK" || fail "the mail is not the message as sent"
else
  fail "the sink received no mail"
fi
grep -qx 'ForceNoUI=1' "$handoff" || fail "the hand-off does not say ForceNoUI=1"
# While the sink is out of service (it refuses mail but keeps its port) the mail waits in the outbox.
touch "$sink_dir/down"
e2e_pointer_away
send
e2e_wait 30 kept_are 1 || fail "the mail was not kept in the outbox while the sink was out of service"
e2e_close_button
# 2. SendWait on: the ready bubble waits for a parent's Ctrl+click.
sed -i 's/^"SendWait"=.*/"SendWait"="1"/' "$E2E_USERREG"
rm -f "$sink_dir/down"
e2e_must_start
send
if e2e_wait 10 bubble; then
  e2e_shot send-ready.png
  click_bubble
  sleep 1
  bubble >/dev/null || fail "a plain click closed the modal ready bubble"
  ! test -e "$composed" || fail "the sender started before the parent's Ctrl+click"
  click_bubble ctrl
  e2e_wait 5 e2e_no_visible_window '^CallOutForm$' || fail "a Ctrl+click did not close the ready bubble"
else
  fail "no ready bubble with SendWait on"
fi
e2e_wait 30 mails_are 2 || fail "the kept mail was not delivered at the sender's next start"
e2e_wait 10 kept_are 0 || fail "the delivered mail is still in the outbox"
if e2e_wait 20 test -e "$composed"; then
  mapfile -d '' -t args <"$composed"
  expected=(--utf8 --subject "Voice message from $kid" --body)
  [ "${args[*]:0:4}" = "${expected[*]}" ] || fail "the composer got ${args[*]:0:4}"
  [[ "${args[4]}" == *"download your FREE"* ]] || fail "the composer's body is not the template"
  n=${#args[@]}
  [ "${args[n - 3]}" = --attach ] && [ "${args[n - 1]}" = gran@example.org ] || fail "the composer got ${args[*]: -3}"
  [ "$(basename "${args[n - 2]}")" = chirpel.wav ] && cmp -s "$E2E_WORK/composer.attached" "$E2E_MESSAGE" ||
    fail "the composer was not given the message"
else
  fail "the mail composer was not opened with ForceNoUI 0"
fi
grep -qx 'ForceNoUI=0' "$handoff" || fail "the hand-off does not say ForceNoUI=0 with SendWait on"
e2e_close_button
e2e_end "$SINK_PID"
e2e_finish
