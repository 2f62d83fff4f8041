#!/usr/bin/env bash
# Installs the Debian package on this machine and uses it as a new user would: the program started
# from its desktop entry, a message recorded (test sound server), played back and sent through the
# installed mail sender to a loopback SMTP sink; then removes the package and looks for anything
# of it left behind. Needs root, and a machine that may install packages.
#   tools/package-check.sh <package.deb>
set -euo pipefail
deb=$(realpath "${1:?usage: $0 <package.deb>}")
top=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d /tmp/chirpel-package.XXXXXX)
chmod 755 "$work"
user=chirpelkid
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; exit 1; }
dpkg -L chirpel | sort >"$work/files"
id "$user" >/dev/null 2>&1 || useradd -m "$user"
home=$(getent passwd "$user" | cut -d: -f6)
rm -rf "$home/.config/chirpel" "$home/.local/state/chirpel" "$home/.local/share/chirpel" "$home/.cache/chirpel"

# The private sound server, reachable by the new user.
export CHIRPEL_SOUND_DIR=$work/sound
mkdir -p "$CHIRPEL_SOUND_DIR"
"$top/tests/soundserver.sh" start
chmod -R a+rX "$CHIRPEL_SOUND_DIR"
chmod a+rw "$CHIRPEL_SOUND_DIR/runtime/pulse/native"
export PULSE_SERVER=unix:$CHIRPEL_SOUND_DIR/runtime/pulse/native
export CHIRPEL_BIN_DIR=/usr/bin
. "$top/tests/e2e/desktop.sh"
. "$top/tests/e2e/chirpel_e2e.sh"
desktop_start
trap 'status=$?; desktop_stop; "$top/tests/soundserver.sh" stop || true; exit $status' EXIT

port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
mkdir -p "$work/sink"
desktop_launch env PYTHONPATH="$top/tests/e2e" /usr/bin/python3 -m aiosmtpd -n -l "127.0.0.1:$port" -c smtp_sink.MailSaver "$work/sink"
as_user() {
  runuser -u "$user" -- env -i HOME="$home" USER="$user" PATH=/usr/bin:/bin DISPLAY="$DISPLAY" \
    PULSE_SERVER="$PULSE_SERVER" XDG_RUNTIME_DIR="$work/run-$user" \
    CHIRPEL_SENDMAIL="msmtp --host=127.0.0.1 --port=$port --from=chirpel@example.org --auth=off --tls=off" "$@"
}
mkdir -p "$work/run-$user" && chown "$user" "$work/run-$user" && chmod 700 "$work/run-$user"
userreg=$home/.config/chirpel/user.reg

# A first start from the menu entry, closed at once: the settings a new user gets.
start_from_menu() {
  as_user gio launch /usr/share/applications/org.chirpel.Chirpel.desktop
  CHIRPEL_WID=$(desktop_wait_window '^VoiceMailForm$' 30) || { fail "the desktop entry started no window"; return 1; }
  CHIRPEL_PID=$(pgrep -u "$user" -x chirpel | head -n 1)
  e2e_window_position
}
start_from_menu
e2e_click_window "$E2E_CLOSE_X" "$E2E_CLOSE_Y"
desktop_poll 30 bash -c "! pgrep -u $user -x chirpel" || fail "the program did not end at its close button"
[ -s "$userreg" ] || fail "no settings written for the new user"
sed -i -e 's/^"ReciptAddr"=.*/"ReciptAddr"="gran@example.org"/' -e 's/^"SendWait"=.*/"SendWait"="0"/' \
  -e 's/^"KidName"=.*/"KidName"="Mia"/' "$userreg"

# Record a tone, let it play back, send it.
sox -n -r 44100 -c 1 -b 16 "$work/tone.wav" synth 8 sine 440 vol 0.5
start_from_menu
e2e_pointer_away
sleep 1
e2e_grab_dashboard "$work/idle.png"
desktop_launch paplay -d micfeed "$work/tone.wav"
sleep 0.5
e2e_click_window "$E2E_RECORD_X" "$E2E_RECORD_Y"
e2e_pointer_away
sleep 3
e2e_click_window "$E2E_RECORD_X" "$E2E_RECORD_Y"
e2e_pointer_away
message=$(as_user sh -c 'echo ${TMPDIR:-/tmp}/chirpel.wav')
desktop_poll 15 test -s "$message" || fail "no message recorded"
# The playback that follows by itself ends on the start page.
desktop_poll 20 e2e_dashboard_is "$work/idle.png" || { desktop_screenshot "$work/after-playback.png"; fail "the playback did not return to the start page"; }
e2e_click_window 355 89
desktop_poll 30 bash -c "ls '$work/sink'/*.eml >/dev/null 2>&1" || fail "no mail reached the sink"
grep -q "^To: .*gran@example.org" "$work"/sink/*.eml 2>/dev/null || fail "the mail is not addressed to the recipient"
grep -q 'audio/wav' "$work"/sink/*.eml 2>/dev/null || fail "the mail carries no message"
handoff=$home/.local/state/chirpel/eMail.dat
[ -f "$handoff" ] || fail "no hand-off in the user's state folder"
[ ! -e /usr/bin/eMail.dat ] || fail "a hand-off was left in the program's folder"
e2e_click_window "$E2E_CLOSE_X" "$E2E_CLOSE_Y"
desktop_poll 30 bash -c "! pgrep -u $user -x chirpel" || fail "the program did not end"

# Removed, nothing of the package is left.
echo "sent: $(ls "$work"/sink/*.eml 2>/dev/null | wc -l) mail(s) received; hand-off at $handoff"
apt-get purge -y -qq chirpel >>"$work/apt.log" 2>&1 || fail "apt-get purge"
left=$(while read -r f; do if [ -f "$f" ]; then echo "$f"; fi; done <"$work/files")
[ -z "$left" ] || fail "files left after removal: $left"
stray=$(find /usr /etc /var/lib /opt -iname '*chirpel*' -not -path '/var/lib/dpkg/*' 2>/dev/null | head || true)
[ -z "$stray" ] || fail "left behind: $stray"

echo "$(wc -l <"$work/files") paths installed; $(ls "$work"/sink/*.eml 2>/dev/null | wc -l) mail(s) received"
[ "$failures" -eq 0 ] && { echo "package check passed"; rm -rf "$work"; } || { echo "$failures check(s) failed; see $work"; exit 1; }
