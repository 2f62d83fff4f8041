#!/usr/bin/env bash
# The level window with the private sound server: "Volume Level..." opens it under the pointer;
# its handle dragged to the top and bottom sets the default sink to 100 % and 0 %; pactl moves the
# handle; the click that opens the menu again hides it, and "Microphone Level..." brings it up at the
# pointer for the default source (its writes: the sound tests).
set -euo pipefail
. "$(dirname "$0")/chirpel_e2e.sh"
e2e_begin level
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
# expect_handle ROW WHAT: the handle comes to that row within 5 s.
expect_handle() { e2e_wait 5 handle_near "$1" || fail "$2 the handle is at row $(handle_top), not $1"; }
# drag_handle ROW: grabs the handle in its middle and drags its top edge to that row.
drag_handle() {
  local top x=$((LEVEL_X + slider_x + 12))
  top=$(handle_top) || { fail "no handle to be seen"; return 1; }
  xdotool mousemove "$x" $((LEVEL_Y + slider_y + top + 8)) sleep 0.2 mousedown 1 sleep 0.1 \
    mousemove "$x" $((LEVEL_Y + slider_y + $1 + 8)) sleep 0.1 mousemove "$x" $((LEVEL_Y + slider_y + $1)) \
    sleep 0.2 mouseup 1
}
# open_level ITEM_DY: the Parents' Menu, then the item; sets LEVEL_WID, LEVEL_X, LEVEL_Y.
open_level() {
  local X Y WIDTH HEIGHT WINDOW SCREEN
  e2e_open_menu || return 1
  [ -z "${LEVEL_WID:-}" ] || e2e_wait 5 e2e_no_visible_window '^SliderForm$' || fail "the level window stayed over the menu"
  POINTER_X=$((MENU_X + 60)) POINTER_Y=$((MENU_Y + $1))
  e2e_click_screen "$POINTER_X" "$POINTER_Y"
  LEVEL_WID=$(desktop_wait_window '^SliderForm$' 10) || { fail "menu item at +$1 showed no level window"; return 1; }
  sleep 0.5 && eval "$(xdotool getwindowgeometry --shell "$LEVEL_WID")"
  LEVEL_X=$X LEVEL_Y=$Y
}

pactl set-sink-volume @DEFAULT_SINK@ 50%
pactl set-source-volume @DEFAULT_SOURCE@ 100%
e2e_must_start

if open_level "$volume_item_dy"; then
  [ "$LEVEL_X,$LEVEL_Y" = "$((POINTER_X - 45)),$((POINTER_Y - 60))" ] ||
    fail "the level window opened at $LEVEL_X,$LEVEL_Y, not at the pointer less (45, 60)"
  e2e_shot level-volume.png
  # Rows of the handle: 26 at 50 % (position 50), 0 at 100 %, 52 at 0 %, 39 at 25 % (position 75).
  expect_handle 26 "at 50 %"
  drag_handle -20
  e2e_wait 5 level_is sink 100 || fail "the handle at the top left the sink at $(percent sink) %"
  expect_handle 0 "at 100 %"
  drag_handle 80
  e2e_wait 5 level_is sink 0 || fail "the handle at the bottom left the sink at $(percent sink) %"
  expect_handle 52 "at 0 %"
  e2e_pointer_away
  pactl set-sink-volume @DEFAULT_SINK@ 25%
  expect_handle 39 "after pactl's 25 %"
fi
# The Ctrl+click that opens the menu makes the child's window active, which hides the level window
# however quickly the click comes; "Microphone Level..." then brings it up at the pointer again.
if open_level "$microphone_item_dy"; then
  [ "$LEVEL_X,$LEVEL_Y" = "$((POINTER_X - 45)),$((POINTER_Y - 60))" ] ||
    fail "the microphone's window opened at $LEVEL_X,$LEVEL_Y, not at the pointer less (45, 60)"
  e2e_shot level-microphone.png
  expect_handle 0 "at full microphone level"
fi

desktop_close_window "$CHIRPEL_WID"
e2e_expect_exit "after its window closed"
e2e_finish
