#!/usr/bin/env bash
# Sending: the time from a press on Send to the loopback SMTP sink's receipt of the mail, for a
# 60-second message (16-bit mono 8000 Hz speech, packed to GSM on each send), median of the runs;
# and the mail sender's peak memory (GNU time) on the same hand-off. Real chirpel on a private X
# desktop and sound server, msmtp as the mail agent.
#   bench/send.sh <build dir> [runs]      (default 12 runs)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: $0 <build dir> [runs]}" && pwd)
runs=${2:-12}
sender="$build/bin/Vantorq Systems/SendMail"
for program in "$build/bin/chirpel" "$sender"; do
  [ -x "$program" ] || { echo "send.sh: build $program first" >&2; exit 2; }
done

work=$(mktemp -d /tmp/chirpel-bench-send.XXXXXX)
export CHIRPEL_SOUND_DIR=$work/sound
mkdir -p "$CHIRPEL_SOUND_DIR"
"$here/../tests/soundserver.sh" start
export PULSE_SERVER=unix:$CHIRPEL_SOUND_DIR/runtime/pulse/native
. "$here/../tests/e2e/desktop.sh"
desktop_start
cleanup() {
  # The stopped programs' exit statuses must not end the clean-up half way.
  set +e
  desktop_stop
  "$here/../tests/soundserver.sh" stop || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'cleanup; exit 143' TERM
trap 'cleanup; exit 130' INT

mkdir -p "$work/bin" "$work/config/chirpel" "$work/tmp" "$work/sink"
cp "$build/bin/chirpel" "$build/bin/machine.reg" "$work/bin/"
export XDG_CONFIG_HOME=$work/config TMPDIR=$work/tmp XDG_DATA_HOME=$work/data XDG_STATE_HOME=$work/state
port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
touch "$work/msmtprc" && chmod 600 "$work/msmtprc"
export CHIRPEL_SENDMAIL="msmtp -C '$work/msmtprc' --host=127.0.0.1 --port=$port --from=chirpel@example.org --auth=off --tls=off"
desktop_launch env PYTHONPATH="$here/../tests/e2e" /usr/bin/python3 -m aiosmtpd -n -l "127.0.0.1:$port" \
  -c smtp_sink.MailSaver "$work/sink"
desktop_poll 15 bash -c "exec 3<>/dev/tcp/127.0.0.1/$port" || { echo "send.sh: no SMTP sink" >&2; exit 1; }

# Sixty seconds of speech as the recorder writes it.
espeak-ng -w "$work/speech.wav" "$(printf 'This is a voice message for grandma, sent from the computer. %.0s' {1..12})"
sox "$work/speech.wav" -r 8000 -c 1 -b 16 "$work/plain.wav" repeat 20 trim 0 60
message=$work/tmp/chirpel.wav
{
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brimblet\\Chirpel]\n'
  printf '"%s"="%s"\n' HideTips 0 AutoRecord 1 AutoPlay 0 BeepOnRecord 0 AutoClose 0 Mono 1 GSM610 1 PackOnSend 1 \
    Bits16 1 WebMail 0 SendWait 0 ReciptName Grandma ReciptAddr gran@example.org LimitSize 1 IsGirl 1 CustCursor 0 \
    SoundPrompt 0 ShowShield 0 KidName Zoe GuideName Monkey MsgFileName "$message"
  printf '"%s"=dword:%08x\n' "Quality " 0 PlainSize 0 DurationSec 60 MinWaveLevel 50 MaxTimeSec 300 KidAge 5
  echo
} >"$work/config/chirpel/user.reg"

desktop_launch "$work/bin/chirpel" 2>"$work/chirpel.log"
wid=$(desktop_wait_window '^VoiceMailForm$' 60)
eval "$(xdotool getwindowgeometry --shell "$wid")"
times=()
for ((i = 0; i < runs; i++)); do
  cp "$work/plain.wav" "$message"
  xdotool mousemove $((X + 355)) $((Y + 89))
  sleep 0.3
  start=$(date +%s%N)
  xdotool mousedown 1 mouseup 1
  until [ -e "$work/sink/$i.eml" ]; do
    sleep 0.005
    (( $(date +%s%N) - start < 60000000000 )) || { echo "send.sh: mail $i did not arrive" >&2; exit 1; }
  done
  times+=($(( ($(date +%s%N) - start) / 1000000 )))
  xdotool mousemove 1 1
  sleep 0.5
done
printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR] = $1} END {
  printf "press on Send to the sink'"'"'s receipt, 60 s message, %d runs: median %d ms (min %d, max %d)\n",
    NR, NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2, a[1], a[NR]}'
ls -l "$message" | awk '{print "packed message: " $5 " bytes"}'

# The sender alone on the last hand-off: its peak memory and time, median of 5.
handoff=$work/bin/eMail.dat
for ((i = 0; i < 5; i++)); do
  /usr/bin/time -f '%M %e' -o "$work/time.$i" "$sender" "$handoff"
done
cat "$work"/time.* | sort -n | awk '{m[NR] = $1; e[NR] = $2} END {
  printf "SendMail on that hand-off: peak memory %d KiB (median of %d), %s s\n", m[(NR + 1) / 2], NR, e[(NR + 1) / 2]}'
