# Helpers the end-to-end tests share on top of desktop.sh. Every wait is bounded; every process starts
# through desktop_launch so that the desktop's tear-down stops it by its id.
E2E_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
declare -F desktop_start >/dev/null || . "$E2E_HERE/desktop.sh"
E2E_FAILURES=0
E2E_BIN=${CHIRPEL_BIN_DIR:?CHIRPEL_BIN_DIR names the folder holding chirpel}
# Screenshots: CHIRPEL_E2E_SHOTS if set, else the build's e2e output folder, else none.
E2E_OUT=${CHIRPEL_E2E_SHOTS:-${CHIRPEL_E2E_OUT:-}}
E2E_WORK="" E2E_NAME=e2e CHIRPEL_PID="" CHIRPEL_WID="" WIN_X=0 WIN_Y=0
# Places on the voice-mail window (window coordinates).
E2E_RECORD_X=91 E2E_RECORD_Y=89 E2E_SEND_X=355 E2E_SEND_Y=89 E2E_MENU_X=113 E2E_MENU_Y=223 E2E_CLOSE_X=548
E2E_CLOSE_Y=148 E2E_DASH_X=10 E2E_DASH_Y=10 E2E_DASH_W=430 E2E_DASH_H=170 E2E_OUTLINE_W=614 E2E_OUTLINE_H=379

fail() { echo "FAIL: $*" >&2 && E2E_FAILURES=$((E2E_FAILURES + 1)); }
e2e_log() { echo "e2e: $*" >&2; }
# e2e_new_user NAME: a work folder with empty settings and temporary folders, as a new user has.
e2e_new_user() {
  E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/chirpel-$1.XXXXXX")
  export XDG_CONFIG_HOME="$E2E_WORK/config" TMPDIR="$E2E_WORK/tmp"
  mkdir -p "$XDG_CONFIG_HOME" "$TMPDIR"
  E2E_USERREG="$XDG_CONFIG_HOME/chirpel/user.reg" E2E_MESSAGE="$TMPDIR/chirpel.wav"
}
# The program and the test's own sound tools must reach the private test daemon only.
e2e_require_private_sound() {
  [ -n "${CHIRPEL_SOUND_DIR:-}" ] && [ "${PULSE_SERVER:-}" = "unix:$CHIRPEL_SOUND_DIR/runtime/pulse/native" ] ||
    { echo "e2e: PULSE_SERVER must name the private test sound server (run through ctest)" >&2 && exit 2; }
  timeout 10 pactl info >/dev/null 2>&1 || { echo "e2e: the private sound server at $PULSE_SERVER does not answer" >&2 && exit 2; }
}
# e2e_begin NAME: a test's start: the private sound server, a new user and a desktop; sets the
# shield's parents' links at the screen's right edge (E2E_LINK_X, E2E_CLOSE_LINK_Y, E2E_CONFIGURE_Y).
e2e_begin() {
  E2E_NAME=$1
  e2e_require_private_sound
  e2e_new_user "$1"
  desktop_start
  read -r E2E_SCREEN_W E2E_SCREEN_H < <(xdotool getdisplaygeometry)
  E2E_LINK_X=$((E2E_SCREEN_W - 139 - 40 + 8)) E2E_CLOSE_LINK_Y=$((116 + 8)) E2E_CONFIGURE_Y=$((149 + 8))
}
# e2e_start_chirpel [SECONDS]: starts the program and waits for its voice-mail window; sets
# CHIRPEL_PID, CHIRPEL_WID and the window's position WIN_X, WIN_Y. A window that never shows fails.
e2e_start_chirpel() {
  desktop_launch "$E2E_BIN/chirpel" 2>>"$E2E_WORK/chirpel.log"
  CHIRPEL_PID=$DESKTOP_LAUNCHED_PID
  if ! CHIRPEL_WID=$(desktop_wait_window '^VoiceMailForm$' "${1:-60}"); then
    e2e_shot start-failure.png
    cat "$E2E_WORK/chirpel.log" >&2
    kill -KILL "$CHIRPEL_PID" 2>/dev/null
    fail "the voice-mail window did not show"
    return 1
  fi
  e2e_window_position
}
# The same, and the test ends when the window does not show.
e2e_must_start() { e2e_start_chirpel || e2e_finish; }

e2e_window_position() {
  local X Y WINDOW SCREEN
  eval "$(xdotool getwindowgeometry --shell "$CHIRPEL_WID")"
  WIN_X=$X WIN_Y=$Y
}

e2e_no_visible_window() { ! desktop_window "$1" >/dev/null; }
# e2e_click_window X Y [MODIFIER]: a left click at a point of the voice-mail window, with a key
# held through press and release when one is named.
e2e_click_window() { e2e_click_screen $((WIN_X + $1)) $((WIN_Y + $2)) "${3:-}"; }
# One connection to the window system moves and clicks: from two, a busy server may take the click
# first. No --sync: it waits many seconds when the pointer is already there.
e2e_click_screen() {
  if [ -n "${3:-}" ]; then
    xdotool mousemove "$1" "$2" sleep 0.2 keydown "$3" mousedown 1 mouseup 1 keyup "$3"
  else
    xdotool mousemove "$1" "$2" sleep 0.2 mousedown 1 mouseup 1
  fi
}
e2e_pointer_away() { xdotool mousemove 1 1 && sleep 0.1; }
# e2e_press X Y [MODIFIER]: a click on the window, then the pointer out of the way of the pictures.
e2e_press() { e2e_click_window "$@" && e2e_pointer_away; }
e2e_wait() { desktop_poll "$@"; }
# e2e_shot NAME: the whole screen into the output folder, when there is one.
e2e_shot() { [ -z "$E2E_OUT" ] || desktop_screenshot "$E2E_OUT/$1" || e2e_log "no screenshot $1"; }
# e2e_grab FILE X Y W H: a screen region as a picture.
e2e_grab() { timeout 20 import -window root -crop "${4}x${5}+${2}+${3}" +repage "$1"; }
# e2e_same_picture A B: the two pictures agree (a few stray pixels aside).
e2e_same_picture() {
  local differing # large counts may come as 1.2e+06
  differing=$(compare -metric AE -fuzz 4% "$1" "$2" null: 2>&1) || true
  awk -v n="$differing" 'BEGIN {exit !(n ~ /^[0-9.e+]+$/ && n + 0 < 30)}'
}
# e2e_grab_dashboard FILE: the voice-mail window's dashboard as it is drawn now.
e2e_grab_dashboard() { e2e_grab "$1" $((WIN_X + E2E_DASH_X)) $((WIN_Y + E2E_DASH_Y)) "$E2E_DASH_W" "$E2E_DASH_H"; }
e2e_dashboard_is() { e2e_grab_dashboard "$E2E_WORK/dash-now.png" && e2e_same_picture "$E2E_WORK/dash-now.png" "$1"; }
# The start page as drawn into $E2E_WORK/idle.png, once two looks half a second apart agree.
e2e_idle_settled() { e2e_grab_dashboard "$E2E_WORK/idle.png" && sleep 0.5 && e2e_dashboard_is "$E2E_WORK/idle.png"; }
e2e_grab_idle() { e2e_pointer_away && e2e_wait 15 e2e_idle_settled || fail "the window did not settle on its start page"; }
e2e_is_idle() { e2e_dashboard_is "$E2E_WORK/idle.png"; }
e2e_not_idle() { e2e_grab_dashboard "$E2E_WORK/dash-now.png" && ! e2e_same_picture "$E2E_WORK/dash-now.png" "$E2E_WORK/idle.png"; }
# e2e_feed_tone SECONDS: the microphone hears a steady 440 Hz tone from now on (FEED_PID).
e2e_feed_tone() {
  sox -n -r 44100 -c 1 -b 16 "$E2E_WORK/tone.wav" synth "$1" sine 440 vol 0.5
  desktop_launch paplay -d micfeed "$E2E_WORK/tone.wav"
  FEED_PID=$DESKTOP_LAUNCHED_PID
  sleep 0.5
}
# e2e_end PID...: interrupts sound tools and waits a few seconds for each.
e2e_end() {
  local pid
  for pid in "$@"; do kill -INT "$pid" 2>/dev/null || true; desktop_wait_exit "$pid" 5 || true; done
}
# e2e_start_sink FOLDER: the loopback SMTP sink (smtp_sink.py) on a free port (SINK_PORT, SINK_PID).
e2e_start_sink() {
  SINK_PORT=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  desktop_launch env PYTHONPATH="$E2E_HERE" /usr/bin/python3 -m aiosmtpd -n -l "127.0.0.1:$SINK_PORT" -c smtp_sink.MailSaver "$1"
  SINK_PID=$DESKTOP_LAUNCHED_PID
  e2e_wait 15 bash -c "exec 3<>/dev/tcp/127.0.0.1/$SINK_PORT" || fail "the SMTP sink did not start on port $SINK_PORT"
}
# e2e_popup_menu: prints "id x y w h" of a shown popup menu of the program (an override-redirect
# window of its class that is no tooltip), or fails.
e2e_popup_menu() {
  local id info
  for id in $(xwininfo -root -children 2>/dev/null | awk '$1 ~ /^0x/ && /\("chirpel" "chirpel"\)/ {print $1}'); do
    info=$(xwininfo -id "$id" 2>/dev/null) || continue
    grep -q 'Map State: IsViewable' <<<"$info" || continue
    grep -q 'Override Redirect State: yes' <<<"$info" || continue
    xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q -e TOOLTIP -e DND && continue
    awk -v id="$id" '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
      /Width:/ {w=$NF} /Height:/ {h=$NF} END {print id, x, y, w, h}' <<<"$info"
    return 0
  done
  return 1
}
# e2e_open_menu: a Ctrl+click on the menu button opens the Parents' Menu; sets MENU_X MENU_Y MENU_H.
e2e_open_menu() {
  e2e_click_window "$E2E_MENU_X" "$E2E_MENU_Y" ctrl
  e2e_wait 10 e2e_popup_menu || { fail "a Ctrl+click on the menu button opened no Parents' Menu"; return 1; }
  read -r _ MENU_X MENU_Y _ MENU_H < <(e2e_popup_menu)
}
# "Show Security Shield", the item under the menu's header.
e2e_menu_shield() { e2e_click_screen $((MENU_X + 60)) $((MENU_Y + 30)); }
# e2e_client_list PROPERTY: the window manager's clients in that property's order, as numbers.
e2e_client_list() {
  local w
  xprop -root "$1" 2>/dev/null | sed 's/.*#//; s/,/ /g' | tr ' ' '\n' | grep '^0x' | while read -r w; do echo $((w)); done
}
# e2e_below A B: window A lies below window B in the window manager's stacking order.
e2e_below() {
  local list pos_a pos_b
  list=$(e2e_client_list _NET_CLIENT_LIST_STACKING)
  pos_a=$(grep -nx "$1" <<<"$list" | cut -d: -f1)
  pos_b=$(grep -nx "$2" <<<"$list" | cut -d: -f1)
  [ -n "$pos_a" ] && [ -n "$pos_b" ] && [ "$pos_a" -lt "$pos_b" ]
}

e2e_running() { kill -0 "$CHIRPEL_PID" 2>/dev/null; }
# e2e_expect_exit WHAT: the program ends by itself within 30 s, with status 0.
e2e_expect_exit() { desktop_wait_exit "$CHIRPEL_PID" 30 || fail "chirpel ended with status $? $1"; }
# e2e_close_button: the child's close button ends the program normally.
e2e_close_button() { e2e_click_window "$E2E_CLOSE_X" "$E2E_CLOSE_Y" && e2e_expect_exit "after its close button"; }
# e2e_reg_value NAME: the value's line in the settings file.
e2e_reg_value() { grep -F "\"$1\"=" "$E2E_USERREG" 2>/dev/null; }
# e2e_write_settings NAME TEXT ... -- NAME NUMBER ...: a settings file with these strings and numbers.
e2e_write_settings() {
  mkdir -p "$(dirname "$E2E_USERREG")"
  {
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brimblet\\Chirpel]\n'
    while [ "$1" != -- ]; do printf '"%s"="%s"\n' "$1" "$2" && shift 2; done
    shift && printf '"%s"=dword:%08x\n' "$@" && echo
  } >"$E2E_USERREG"
}
# e2e_wave_facts FILE: "format channels rate bits seconds loud_seconds frequency rms" of a PCM
# wave file; the frequency is counted over the loud part (20 ms blocks above a tenth of the peak).
e2e_wave_facts() {
  python3 - "$1" <<'EOF'
import struct, sys, wave
try:
    w = wave.open(sys.argv[1], "rb")
except (wave.Error, EOFError):  # no PCM wave: the format tag where it usually stands
    sys.exit(print(int.from_bytes(open(sys.argv[1], "rb").read(22)[20:22], "little"), 0, 0, 0, 0, 0, 0, 0))
channels, rate, bits = w.getnchannels(), w.getframerate(), w.getsampwidth() * 8
if bits != 16:
    sys.exit(print(1, channels, rate, bits, 0, 0, 0, 0))
frames = w.readframes(w.getnframes())
samples = struct.unpack("<%dh" % (len(frames) // 2), frames)[::channels]
peak = max((abs(s) for s in samples), default=0)
block = max(1, rate // 50)
loud = [i for i in range(0, len(samples), block)
        if peak > 300 and max(abs(s) for s in samples[i:i + block]) > peak / 10]
span = samples[loud[0]:loud[-1] + block] if loud else []
# Upward crossings with a hysteresis of a twentieth of the peak: noise around zero does not count.
ups, threshold, state = 0, peak / 20, bool(span) and span[0] > 0
for s in span:
    if state and s < -threshold:
        state = False
    elif not state and s > threshold:
        state, ups = True, ups + 1
loud_s = len(span) / rate
rms = (sum(s * s for s in span) / len(span)) ** 0.5 / 32768 if span else 0
print(1, channels, rate, bits, "%.3f" % (len(samples) / rate), "%.3f" % loud_s,
      "%.1f" % (ups / loud_s if loud_s else 0), "%.4f" % rms)
EOF
}
# e2e_near VALUE LOW HIGH: LOW <= VALUE <= HIGH for decimal numbers; LOW and HIGH may be sums.
e2e_near() { awk -v v="$1" "BEGIN {exit !(v >= ($2) && v <= ($3))}"; }
# Ends the test: the desktop down, the work folder gone, the verdict.
e2e_finish() {
  desktop_stop
  if [ "$E2E_FAILURES" -ne 0 ]; then
    e2e_log "kept $E2E_WORK for inspection"
    echo "$E2E_NAME: $E2E_FAILURES check(s) failed" >&2
    exit 1
  fi
  rm -rf "$E2E_WORK"
  echo "$E2E_NAME: all checks passed"
  exit 0
}
