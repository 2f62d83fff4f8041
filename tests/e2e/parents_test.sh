#!/usr/bin/env bash
# The parents' side: a Ctrl+click on the menu button opens the Parents' Menu (a plain click's hint is
# the voice-mail window's unit test's); the shield comes up beneath the window (seen through its
# heart-shaped hole) and is remembered; closing the window leaves the program running, the program
# icon brings the window back, and only a Ctrl+left press on "Close Chirpel" ends the program.
set -euo pipefail
. "$(dirname "$0")/chirpel_e2e.sh"
e2e_begin parents
# The shield's program icon; inside the window's heart-shaped hole, and on its body beside the guide.
icon_x=$((61 + 48)) icon_y=$((49 + 48)) hole_x=451 hole_y=253 body_x=50 body_y=300
# grab_spots SUFFIX: the hole and the body, 10 pixels square each.
grab_spots() {
  e2e_grab "$E2E_WORK/hole-$1.png" $((WIN_X + hole_x)) $((WIN_Y + hole_y)) 10 10
  e2e_grab "$E2E_WORK/body-$1.png" $((WIN_X + body_x)) $((WIN_Y + body_y)) 10 10
}
shield_shown() { [ "$(e2e_reg_value ShowShield)" = '"ShowShield"="1"' ]; }
e2e_must_start
# A Ctrl+click: the Parents' Menu, 5 px left of and 15 px above the pointer.
e2e_open_menu || e2e_finish
[ "$MENU_X,$MENU_Y" = "$((WIN_X + E2E_MENU_X - 5)),$((WIN_Y + E2E_MENU_Y - 15))" ] ||
  fail "the Parents' Menu opened at $MENU_X,$MENU_Y, not 5 px left of and 15 px above the pointer"
e2e_no_visible_window '^CallOutForm$' || fail "a Ctrl+click on the menu button showed the hint bubble"
sleep 0.3
e2e_shot parents-menu.png
e2e_menu_shield
# The shield comes up at once, beneath the window.
if shield=$(desktop_wait_window '^DesktopWindow$' 2); then
  e2e_wait 5 e2e_below "$shield" "$CHIRPEL_WID" || fail "the shield is not beneath the voice-mail window"
else
  fail "\"Show Security Shield\" did not show the shield"
fi
e2e_pointer_away
sleep 0.5
e2e_shot shield.png
grab_spots over
# Closing the window with the shield up: the program goes on, the shield stays.
e2e_press "$E2E_CLOSE_X" "$E2E_CLOSE_Y"
e2e_wait 10 e2e_no_visible_window '^VoiceMailForm$' || fail "the close button did not close the voice-mail window"
sleep 1
e2e_running || fail "closing the window with the shield up ended the program"
desktop_window '^DesktopWindow$' >/dev/null || fail "the shield went away with the voice-mail window"
# What showed through the heart was the shield; the body covered it.
grab_spots bare
e2e_same_picture "$E2E_WORK/hole-over.png" "$E2E_WORK/hole-bare.png" || fail "the shield did not show through the window's heart-shaped hole"
e2e_same_picture "$E2E_WORK/body-over.png" "$E2E_WORK/body-bare.png" && fail "the window's body did not cover the shield"
# The program icon brings the window back, above the shield.
e2e_click_screen "$icon_x" "$icon_y"
if CHIRPEL_WID=$(desktop_wait_window '^VoiceMailForm$' 10); then
  e2e_wait 5 e2e_below "$shield" "$CHIRPEL_WID" || fail "the window came back beneath the shield"
else
  fail "the program icon did not bring the voice-mail window back"
fi
# A plain press on "Close Chirpel" only beeps; a Ctrl+left press ends the program.
e2e_click_screen "$E2E_LINK_X" "$E2E_CLOSE_LINK_Y"
sleep 1
e2e_running || fail "a press on \"Close Chirpel\" without Ctrl ended the program"
e2e_click_screen "$E2E_LINK_X" "$E2E_CLOSE_LINK_Y" ctrl
e2e_expect_exit "after a Ctrl+press on \"Close Chirpel\""
shield_shown || fail "the settings do not remember the shown shield"
# The next start: the shield first, the window over it.
if e2e_start_chirpel; then
  shield=$(desktop_wait_window '^DesktopWindow$' 5) || fail "the next start did not show the shield"
  first=$(e2e_client_list _NET_CLIENT_LIST | grep -nx -e "$shield" -e "$CHIRPEL_WID" | head -n 1 | cut -d: -f2)
  [ "$first" = "$shield" ] || fail "the next start showed the window before the shield"
  e2e_wait 5 e2e_below "$shield" "$CHIRPEL_WID" || fail "after the next start the shield is not beneath the window"
  e2e_click_screen "$E2E_LINK_X" "$E2E_CLOSE_LINK_Y" ctrl
  e2e_expect_exit "after the second Ctrl+press on \"Close Chirpel\""
  shield_shown || fail "the shield was forgotten after the second run"
fi
e2e_finish
