#!/usr/bin/env bash
# The level window on a private desktop with the private sound server: "Volume Level..." in the
# Parents' Menu opens it under the pointer; dragging its handle to the top and bottom sets the
# default sink to 100 % and 0 %; a volume set from outside (pactl) moves the handle; "Microphone
# Level..." turns it in place to the default source, whose level the handle then sets.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/desktop.sh"
. "$here/chirpel_e2e.sh"

e2e_require_private_sound
e2e_new_user level
desktop_start

# Menu items below the menu's top-left corner (the header, the shield item, a separator, then
# the two level items), and the level window's parts in window coordinates: the slider at
# (35, 30), 24 x 68, its 16-row handle; the device name's box at (6, 27), 18 x 70.
volume_item_dy=58 microphone_item_dy=82
slider_x=35 slider_y=30 slider_h=68 handle_h=16
name_x=6 name_y=27 name_w=18 name_h=70

sink_percent() { pactl get-sink-volume @DEFAULT_SINK@ | grep -o '[0-9]*%' | head -n 1 | tr -d '%'; }
source_percent() { pactl get-source-volume @DEFAULT_SOURCE@ | grep -o '[0-9]*%' | head -n 1 | tr -d '%'; }
sink_is() { [ "$(sink_percent)" = "$1" ]; }
source_is() { [ "$(source_percent)" = "$1" ]; }

LEVEL_WID="" LEVEL_X=0 LEVEL_Y=0
level_window_position() {
  local X Y WIDTH HEIGHT WINDOW SCREEN
  eval "$(xdotool getwindowgeometry --shell "$LEVEL_WID")"
  LEVEL_X=$X LEVEL_Y=$Y
}

# handle_top: the handle's top row within the slider as drawn now (its yellow knob starts two
# rows below its top edge).
handle_top() {
  e2e_grab "$E2E_WORK/slider.png" $((LEVEL_X + slider_x)) $((LEVEL_Y + slider_y)) 24 "$slider_h" &&
    convert "$E2E_WORK/slider.png" -depth 8 rgb:- | python3 -c '
import sys
data = sys.stdin.buffer.read()
for y in range(68):
    r, g, b = data[(y * 24 + 6) * 3:(y * 24 + 6) * 3 + 3]
    if r > 200 and g > 150 and b < 170:
        print(y - 2)
        break
else:
    sys.exit(1)'
}
handle_near() {
  local top
  top=$(handle_top) && [ "$top" -ge $(($1 - 1)) ] && [ "$top" -le $(($1 + 1)) ]
}

# drag_handle ROW: grabs the handle in its middle and drags it to that row of the slider.
drag_handle() {
  local top x
  top=$(handle_top) || { fail "no handle to be seen on the slider"; return 1; }
  x=$((LEVEL_X + slider_x + 12))
  xdotool mousemove "$x" $((LEVEL_Y + slider_y + top + handle_h / 2))
  sleep 0.2
  xdotool mousedown 1
  sleep 0.1
  xdotool mousemove "$x" $((LEVEL_Y + slider_y + $1 + handle_h / 2))
  sleep 0.1
  xdotool mousemove "$x" $((LEVEL_Y + slider_y + $1))
  sleep 0.2
  xdotool mouseup 1
}

# open_level ITEM_DY: the Parents' Menu through a Ctrl+click, then the item; the pointer stays on
# the item, which is where the window comes up.
open_level() {
  local menu_x menu_y
  e2e_click_window "$E2E_MENU_X" "$E2E_MENU_Y" ctrl
  e2e_wait 10 e2e_popup_menu || { fail "a Ctrl+click on the menu button opened no Parents' Menu"; return 1; }
  read -r _ menu_x menu_y _ _ < <(e2e_popup_menu)
  POINTER_X=$((menu_x + 60)) POINTER_Y=$((menu_y + $1))
  e2e_click_screen "$POINTER_X" "$POINTER_Y"
}

# The server is shared with the other tests: its volumes go back to what they were, whatever happens.
sink_before=$(sink_percent) source_before=$(source_percent)
restore_levels() {
  pactl set-sink-volume @DEFAULT_SINK@ "${sink_before:-100}%" || true
  pactl set-source-volume @DEFAULT_SOURCE@ "${source_before:-100}%" || true
}
trap 'restore_levels; desktop_stop' EXIT
pactl set-sink-volume @DEFAULT_SINK@ 50%
pactl set-source-volume @DEFAULT_SOURCE@ 100%
e2e_start_chirpel || { fail "the voice-mail window did not show"; e2e_finish level; }

open_level "$volume_item_dy"
if LEVEL_WID=$(desktop_wait_window '^SliderForm$' 10); then
  sleep 0.5
  level_window_position
  [ "$LEVEL_X,$LEVEL_Y" = "$((POINTER_X - 45)),$((POINTER_Y - 60))" ] ||
    fail "the level window opened at $LEVEL_X,$LEVEL_Y, not at the pointer less (45, 60)"
  e2e_shot level-volume.png
  e2e_grab "$E2E_WORK/name-volume.png" $((LEVEL_X + name_x)) $((LEVEL_Y + name_y)) "$name_w" "$name_h"
  # Half volume: position 50, the handle 26 rows down.
  e2e_wait 5 handle_near 26 || fail "at 50 % the handle is at row $(handle_top), not 26"

  drag_handle -20
  e2e_wait 5 sink_is 100 || fail "the handle dragged to the top left the sink at $(sink_percent) %"
  e2e_wait 5 handle_near 0 || fail "at 100 % the handle is at row $(handle_top), not 0"
  drag_handle 80
  e2e_wait 5 sink_is 0 || fail "the handle dragged to the bottom left the sink at $(sink_percent) %"
  e2e_wait 5 handle_near 52 || fail "at 0 % the handle is at row $(handle_top), not 52"
  e2e_pointer_away

  # From outside: 25 % is position 75, 39 rows down.
  pactl set-sink-volume @DEFAULT_SINK@ 25%
  e2e_wait 5 handle_near 39 || fail "pactl's 25 % put the handle at row $(handle_top), not 39"
  e2e_shot level-volume-25.png
  volume_at="$LEVEL_X,$LEVEL_Y"
else
  fail "\"Volume Level...\" showed no level window"
fi

# The microphone: a Ctrl+click does not move the window manager's focus, and while the menu is open
# the window stays; it turns in place to the default source (at full level: the handle on top).
volume_at=${volume_at:-none}
open_level "$microphone_item_dy"
if LEVEL_WID=$(desktop_wait_window '^SliderForm$' 10); then
  sleep 0.5
  level_window_position
  [ "$LEVEL_X,$LEVEL_Y" = "$volume_at" ] ||
    fail "the microphone's level window is at $LEVEL_X,$LEVEL_Y, not in place at $volume_at"
  e2e_shot level-microphone.png
  e2e_grab "$E2E_WORK/name-microphone.png" $((LEVEL_X + name_x)) $((LEVEL_Y + name_y)) "$name_w" "$name_h"
  e2e_same_picture "$E2E_WORK/name-volume.png" "$E2E_WORK/name-microphone.png" &&
    fail "the device name did not change for the microphone"
  e2e_wait 5 handle_near 0 || fail "at full microphone level the handle is at row $(handle_top), not 0"
  drag_handle 80
  e2e_wait 5 source_is 0 || fail "the handle dragged to the bottom left the source at $(source_percent) %"
  sink_is 25 || fail "the microphone's slider changed the sink to $(sink_percent) %"

  # A click elsewhere puts the window away.
  e2e_click_window 50 300
  e2e_wait 5 e2e_no_visible_window '^SliderForm$' || fail "the level window stayed after a click elsewhere"
else
  fail "\"Microphone Level...\" showed no level window"
fi

restore_levels
desktop_close_window "$CHIRPEL_WID"
desktop_wait_exit "$CHIRPEL_PID" 30 || fail "chirpel did not end after its window closed"
e2e_finish level
