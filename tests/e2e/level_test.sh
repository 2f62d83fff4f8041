#!/usr/bin/env bash
# The level window with the private sound server: "Volume Level..." opens it under the pointer;
# its handle dragged to the top and bottom sets the default sink to 100 % and 0 %; pactl moves the
# handle; "Microphone Level..." turns it in place to the default source.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/desktop.sh"
. "$here/chirpel_e2e.sh"

e2e_require_private_sound
e2e_new_user level
desktop_start

# Below the menu's corner: the two level items. In the window: the slider at (35, 30), 24 x 68,
# with a 16-row handle.
volume_item_dy=58 microphone_item_dy=82 slider_x=35 slider_y=30

percent() { pactl "get-$1-volume" "@DEFAULT_${1^^}@" | grep -o '[0-9]*%' | head -n 1 | tr -d '%'; }
level_is() { [ "$(percent "$1")" = "$2" ]; }
# The server is shared with other tests: its volumes go back to what they were.
sink_before=$(percent sink) source_before=$(percent source)
trap 'pactl set-sink-volume @DEFAULT_SINK@ "$sink_before%"; pactl set-source-volume @DEFAULT_SOURCE@ "$source_before%"; desktop_stop' EXIT

# handle_top: the handle's top row in the slider as drawn (its yellow knob starts two rows lower).
handle_top() {
  e2e_grab "$E2E_WORK/slider.png" $((LEVEL_X + slider_x)) $((LEVEL_Y + slider_y)) 24 68 &&
    convert "$E2E_WORK/slider.png" -depth 8 rgb:- | python3 -c '
import sys
d = sys.stdin.buffer.read()
rows = [y for y in range(68) if d[(y * 24 + 6) * 3] > 200 and d[(y * 24 + 6) * 3 + 1] > 150 and d[(y * 24 + 6) * 3 + 2] < 170]
print(rows[0] - 2) if rows else sys.exit(1)'
}
handle_near() { local t; t=$(handle_top) && [ "$t" -ge $(($1 - 1)) ] && [ "$t" -le $(($1 + 1)) ]; }

# drag_handle ROW: grabs the handle in its middle and drags its top edge to that row.
drag_handle() {
  local top x=$((LEVEL_X + slider_x + 12))
  top=$(handle_top) || { fail "no handle to be seen"; return 1; }
  xdotool mousemove "$x" $((LEVEL_Y + slider_y + top + 8)) sleep 0.2 mousedown 1 sleep 0.1 \
    mousemove "$x" $((LEVEL_Y + slider_y + $1 + 8)) sleep 0.1 mousemove "$x" $((LEVEL_Y + slider_y + $1)) \
    sleep 0.2 mouseup 1
}

# open_level ITEM_DY: Ctrl+click on the menu button, then the item; sets LEVEL_WID, LEVEL_X, LEVEL_Y.
open_level() {
  local menu_x menu_y X Y WIDTH HEIGHT WINDOW SCREEN
  e2e_click_window "$E2E_MENU_X" "$E2E_MENU_Y" ctrl
  e2e_wait 10 e2e_popup_menu || { fail "no Parents' Menu"; return 1; }
  read -r _ menu_x menu_y _ _ < <(e2e_popup_menu)
  POINTER_X=$((menu_x + 60)) POINTER_Y=$((menu_y + $1))
  e2e_click_screen "$POINTER_X" "$POINTER_Y"
  LEVEL_WID=$(desktop_wait_window '^SliderForm$' 10) || { fail "menu item at +$1 showed no level window"; return 1; }
  sleep 0.5 && eval "$(xdotool getwindowgeometry --shell "$LEVEL_WID")"
  LEVEL_X=$X LEVEL_Y=$Y
}

pactl set-sink-volume @DEFAULT_SINK@ 50%
pactl set-source-volume @DEFAULT_SOURCE@ 100%
e2e_start_chirpel || { fail "the voice-mail window did not show"; e2e_finish level; }

if open_level "$volume_item_dy"; then
  [ "$LEVEL_X,$LEVEL_Y" = "$((POINTER_X - 45)),$((POINTER_Y - 60))" ] ||
    fail "the level window opened at $LEVEL_X,$LEVEL_Y, not at the pointer less (45, 60)"
  e2e_shot level-volume.png
  # Rows of the handle: 26 at 50 % (position 50), 0 at 100 %, 52 at 0 %, 39 at 25 % (position 75).
  e2e_wait 5 handle_near 26 || fail "at 50 % the handle is at row $(handle_top), not 26"
  drag_handle -20
  e2e_wait 5 level_is sink 100 || fail "the handle at the top left the sink at $(percent sink) %"
  e2e_wait 5 handle_near 0 || fail "at 100 % the handle is at row $(handle_top), not 0"
  drag_handle 80
  e2e_wait 5 level_is sink 0 || fail "the handle at the bottom left the sink at $(percent sink) %"
  e2e_wait 5 handle_near 52 || fail "at 0 % the handle is at row $(handle_top), not 52"
  e2e_pointer_away
  pactl set-sink-volume @DEFAULT_SINK@ 25%
  e2e_wait 5 handle_near 39 || fail "pactl's 25 % put the handle at row $(handle_top), not 39"
  volume_at="$LEVEL_X,$LEVEL_Y"
fi

# A Ctrl+click does not take the window manager's focus, and while the menu is open the window
# stays: it turns in place to the microphone (at full level: the handle on top).
if open_level "$microphone_item_dy"; then
  [ "$LEVEL_X,$LEVEL_Y" = "${volume_at:-}" ] || fail "the microphone's window is at $LEVEL_X,$LEVEL_Y, not in place"
  e2e_shot level-microphone.png
  e2e_wait 5 handle_near 0 || fail "at full microphone level the handle is at row $(handle_top), not 0"
  drag_handle 80
  e2e_wait 5 level_is source 0 || fail "the handle at the bottom left the source at $(percent source) %"
  level_is sink 25 || fail "the microphone's handle changed the sink"
fi

desktop_close_window "$CHIRPEL_WID"
desktop_wait_exit "$CHIRPEL_PID" 30 || fail "chirpel did not end after its window closed"
e2e_finish level
