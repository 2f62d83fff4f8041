#!/usr/bin/env bash
# The parents' options dialog as a parent uses it: name (non-ASCII), age, Girl, a 2-minute limit,
# GSM off, a recipient, OK; the settings file then holds exactly those changes (and the tips panel's
# next tip). Cancel and Esc change nothing; the shield's "Configure the program" opens the dialog.
set -euo pipefail
. "$(dirname "$0")/chirpel_e2e.sh"
e2e_begin options
# Places in the dialog's client area: the tab headers and each page's controls.
tab_y=95 tab_personal=153 tab_recording=247 tab_send=331
name_x=250 name_y=209 age_x=160 age_y=241 girl_x=220 girl_y=273
gsm_x=42 gsm_y=167 track_mid_x=243 track_y=286
send_to_x=48 send_to_y=269 addr_x=353 addr_y=311
ok_x=363 ok_y=377 cancel_x=445 cancel_y=377
# wait_dialog WHAT: the options dialog shows; sets DLG_X, DLG_Y, its client area on the screen.
wait_dialog() {
  local info
  DIALOG=$(desktop_wait_window '^Chirpel Options$' 10) && info=$(xwininfo -id "$DIALOG") ||
    { fail "$1 opened no options dialog"; return 1; }
  DLG_X=$(awk '/Absolute upper-left X/ {print $NF}' <<<"$info")
  DLG_Y=$(awk '/Absolute upper-left Y/ {print $NF}' <<<"$info")
}
dialog_closed() { e2e_wait 10 e2e_no_visible_window '^Chirpel Options$' || fail "$1 did not close the options dialog"; }
click_dialog() { e2e_click_screen $((DLG_X + $1)) $((DLG_Y + $2)); }
# type_into X Y TEXT: a click on a field, then the text, through one connection (so in this order).
type_into() { xdotool mousemove $((DLG_X + $1)) $((DLG_Y + $2)) sleep 0.2 click 1 sleep 0.2 type --delay 60 "$3"; }
shot_dialog() { e2e_pointer_away && sleep 0.3 && e2e_shot "$1"; }
# The Parents' Menu's last item, "Options...".
open_options_from_menu() {
  e2e_open_menu && e2e_click_screen $((MENU_X + 40)) $((MENU_Y + MENU_H - 12)) && wait_dialog '"Options..."'
}
# expect_settings FILE WHAT: the settings file's values, the tips panel's own aside, are those of FILE.
expect_settings() {
  diff <(grep '^"' "$1" | grep -v '^"LorvaneNextTip"=' | sort) \
    <(grep '^"' "$E2E_USERREG" | grep -v '^"LorvaneNextTip"=' | sort) >&2 || fail "$2"
}
next_tip_is() { [ "$(e2e_reg_value LorvaneNextTip)" = "\"LorvaneNextTip\"=dword:0000000$1" ] || fail "$2"; }
# A first run that ends normally writes every value: what the dialog must leave alone.
e2e_must_start
e2e_close_button
cp "$E2E_USERREG" "$E2E_WORK/first.reg"
# The parent's changes, page by page.
e2e_must_start
if open_options_from_menu; then
  click_dialog "$tab_personal" "$tab_y"
  type_into "$name_x" "$name_y" 'Zoë Ann'
  # Letters never reach the age field.
  type_into "$age_x" "$age_y" '7y'
  click_dialog "$girl_x" "$girl_y"
  shot_dialog options-personalization.png
  click_dialog "$tab_recording" "$tab_y"
  click_dialog "$gsm_x" "$gsm_y"
  # From 5 minutes one step toward the middle: 2 minutes.
  click_dialog "$track_mid_x" "$track_y"
  click_dialog "$tab_send" "$tab_y"
  click_dialog "$send_to_x" "$send_to_y"
  type_into "$addr_x" "$addr_y" 'grandma@example.org'
  shot_dialog options-send-email.png
  click_dialog "$ok_x" "$ok_y"
  dialog_closed OK
fi
e2e_close_button
sed -e 's/^"KidName"=.*/"KidName"="Zoë Ann"/' -e 's/^"KidAge"=.*/"KidAge"=dword:00000007/' \
  -e 's/^"IsGirl"=.*/"IsGirl"="1"/' -e 's/^"MaxTimeSec"=.*/"MaxTimeSec"=dword:00000078/' \
  -e 's/^"GSM610"=.*/"GSM610"="0"/' -e 's/^"SendWait"=.*/"SendWait"="0"/' \
  -e 's/^"ReciptAddr"=.*/"ReciptAddr"="grandma@example.org"/' "$E2E_WORK/first.reg" >"$E2E_WORK/expected.reg"
expect_settings "$E2E_WORK/expected.reg" "after OK the settings file does not hold exactly the parent's changes"
next_tip_is 1 "the tips panel did not move on to the next tip"
cp "$E2E_USERREG" "$E2E_WORK/ok.reg"
# Cancel changes nothing; the shield's link opens the same dialog, which Esc closes.
e2e_must_start
if open_options_from_menu; then
  click_dialog "$tab_personal" "$tab_y"
  type_into "$name_x" "$name_y" 'Nobody'
  click_dialog "$cancel_x" "$cancel_y"
  dialog_closed Cancel
fi
e2e_open_menu || e2e_finish
e2e_menu_shield
desktop_wait_window '^DesktopWindow$' 5 >/dev/null || fail "\"Show Security Shield\" did not show the shield"
e2e_click_screen "$E2E_LINK_X" "$E2E_CONFIGURE_Y"
if wait_dialog '"Configure the program" on the shield'; then
  e2e_shot options-from-shield.png
  timeout 5 xdotool windowactivate --sync "$DIALOG" >/dev/null 2>&1 || true
  xdotool key Escape
  dialog_closed Esc
fi
e2e_click_screen "$E2E_LINK_X" "$E2E_CLOSE_LINK_Y" ctrl
e2e_expect_exit "after Ctrl+press on \"Close Chirpel\""
sed -e 's/^"ShowShield"=.*/"ShowShield"="1"/' "$E2E_WORK/ok.reg" >"$E2E_WORK/expected.reg"
expect_settings "$E2E_WORK/expected.reg" "Cancel or Esc changed a setting"
next_tip_is 3 "the next two openings did not each move the tips on"
e2e_finish
