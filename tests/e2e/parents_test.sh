#!/usr/bin/env bash
# The parents' side: a plain click on the menu button shows the hint, a Ctrl+click the Parents'
# Menu; the shield comes up beneath the window (seen through its heart-shaped hole) and is
# remembered; closing the window leaves the program running, the program icon brings the window
# back, and only a Ctrl+left press on "Close Chirpel" ends the program.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/desktop.sh"
. "$here/chirpel_e2e.sh"

e2e_require_private_sound
e2e_new_user parents
desktop_start
read -r screen_w _ < <(xdotool getdisplaygeometry)

# The shield's program icon and its "Close Chirpel" link at the right edge.
icon_x=$((61 + 48)) icon_y=$((49 + 48))
close_link_x=$((screen_w - 139 - 40 + 8)) close_link_y=$((116 + 8))
# Inside the window's heart-shaped hole, and on its body beside the guide, in window coordinates.
hole_x=451 hole_y=253 body_x=50 body_y=300

e2e_start_chirpel || { fail "the voice-mail window did not show"; e2e_finish parents; }

# A plain click on the menu button: the hint for parents, no menu.
e2e_click_window "$E2E_MENU_X" "$E2E_MENU_Y"
e2e_pointer_away
if bubble=$(desktop_wait_window '^CallOutForm$' 10); then
  e2e_no_popup_menu || fail "a plain click on the menu button opened the Parents' Menu"
  sleep 0.5
  e2e_shot hint.png
  # A click on the bubble puts it away.
  eval "$(xdotool getwindowgeometry --shell "$bubble" | sed 's/^/BUBBLE_/')"
  e2e_click_screen $((BUBBLE_X + BUBBLE_WIDTH / 2)) $((BUBBLE_Y + BUBBLE_HEIGHT / 2))
  e2e_wait 5 e2e_no_visible_window '^CallOutForm$' || fail "a click on the hint bubble did not close it"
else
  fail "a plain click on the menu button showed no hint bubble"
fi

# A Ctrl+click: the Parents' Menu, 5 px left of and 15 px above the pointer.
e2e_click_window "$E2E_MENU_X" "$E2E_MENU_Y" ctrl
if e2e_wait 10 e2e_popup_menu; then
  read -r _ menu_x menu_y _ _ < <(e2e_popup_menu)
  [ "$menu_x,$menu_y" = "$((WIN_X + E2E_MENU_X - 5)),$((WIN_Y + E2E_MENU_Y - 15))" ] ||
    fail "the Parents' Menu opened at $menu_x,$menu_y, not 5 px left of and 15 px above the pointer"
  e2e_no_visible_window '^CallOutForm$' || fail "a Ctrl+click on the menu button showed the hint bubble"
  sleep 0.3
  e2e_shot parents-menu.png
  # "Show Security Shield", the item under the menu's header.
  e2e_click_screen $((menu_x + 60)) $((menu_y + 30))
else
  fail "a Ctrl+click on the menu button opened no Parents' Menu"
  e2e_finish parents
fi

# The shield comes up at once, beneath the window.
if shield=$(desktop_wait_window '^DesktopWindow$' 2); then
  e2e_wait 5 e2e_below "$shield" "$CHIRPEL_WID" || fail "the shield is not beneath the voice-mail window"
else
  fail "\"Show Security Shield\" did not show the shield"
fi
e2e_pointer_away
sleep 0.5
e2e_shot shield.png
e2e_grab "$E2E_WORK/hole-over.png" $((WIN_X + hole_x)) $((WIN_Y + hole_y)) 10 10
e2e_grab "$E2E_WORK/body-over.png" $((WIN_X + body_x)) $((WIN_Y + body_y)) 10 10

# Closing the window with the shield up: the program goes on, the shield stays.
e2e_click_window "$E2E_CLOSE_X" "$E2E_CLOSE_Y"
e2e_pointer_away
e2e_wait 10 e2e_no_visible_window '^VoiceMailForm$' || fail "the close button did not close the voice-mail window"
sleep 1
e2e_running || fail "closing the window with the shield up ended the program"
e2e_visible_window '^DesktopWindow$' >/dev/null || fail "the shield went away with the voice-mail window"
e2e_shot shield-alone.png
# What showed through the heart was the shield; the body covered it.
e2e_grab "$E2E_WORK/hole-bare.png" $((WIN_X + hole_x)) $((WIN_Y + hole_y)) 10 10
e2e_grab "$E2E_WORK/body-bare.png" $((WIN_X + body_x)) $((WIN_Y + body_y)) 10 10
e2e_same_picture "$E2E_WORK/hole-over.png" "$E2E_WORK/hole-bare.png" ||
  fail "the shield did not show through the window's heart-shaped hole"
e2e_same_picture "$E2E_WORK/body-over.png" "$E2E_WORK/body-bare.png" &&
  fail "the window's body did not cover the shield"

# The program icon brings the window back, above the shield.
e2e_click_screen "$icon_x" "$icon_y"
if CHIRPEL_WID=$(desktop_wait_window '^VoiceMailForm$' 10); then
  e2e_wait 5 e2e_below "$shield" "$CHIRPEL_WID" || fail "the window came back beneath the shield"
else
  fail "the program icon did not bring the voice-mail window back"
fi

# A plain press on "Close Chirpel" only beeps; a Ctrl+left press ends the program.
e2e_click_screen "$close_link_x" "$close_link_y"
sleep 1
e2e_running || fail "a press on \"Close Chirpel\" without Ctrl ended the program"
e2e_click_screen "$close_link_x" "$close_link_y" ctrl
e2e_expect_exit "after a Ctrl+press on \"Close Chirpel\""
[ "$(e2e_reg_value ShowShield)" = '"ShowShield"="1"' ] || fail "the settings do not remember the shown shield"

# The next start: the shield first, the window over it.
if e2e_start_chirpel; then
  shield=$(desktop_wait_window '^DesktopWindow$' 5) || fail "the next start did not show the shield"
  order=$(e2e_client_list _NET_CLIENT_LIST)
  first=$(grep -nx -e "$shield" -e "$CHIRPEL_WID" <<<"$order" | head -n 1 | cut -d: -f2)
  [ "$first" = "$shield" ] || fail "the next start showed the window before the shield"
  e2e_wait 5 e2e_below "$shield" "$CHIRPEL_WID" || fail "after the next start the shield is not beneath the window"
  e2e_click_screen "$close_link_x" "$close_link_y" ctrl
  e2e_expect_exit "after the second Ctrl+press on \"Close Chirpel\""
  [ "$(e2e_reg_value ShowShield)" = '"ShowShield"="1"' ] || fail "the shield was forgotten after the second run"
else
  fail "the voice-mail window did not show on the next start"
fi

e2e_finish parents
