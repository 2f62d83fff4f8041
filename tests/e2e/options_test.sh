#!/usr/bin/env bash
# The parents' options dialog as a parent uses it: name (non-ASCII), age, Girl, a 2-minute limit,
# GSM off, a recipient, OK; the settings file then holds exactly those changes (and the tips panel's
# next tip). Cancel and Esc change nothing; the shield's "Configure the program" opens the dialog.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/desktop.sh"
. "$here/chirpel_e2e.sh"

e2e_require_private_sound
e2e_new_user options
desktop_start
read -r screen_w _ < <(xdotool getdisplaygeometry)

# Places in the dialog's client area: the tab headers and each page's controls.
tab_y=95 tab_personal=153 tab_recording=247 tab_send=331
name_x=250 name_y=209 age_x=160 age_y=241 girl_x=220 girl_y=273
gsm_x=42 gsm_y=167 track_mid_x=243 track_y=286
send_to_x=48 send_to_y=269 addr_x=353 addr_y=311
ok_x=363 ok_y=377 cancel_x=445 cancel_y=377
configure_x=$((screen_w - 139 - 40 + 8)) configure_y=$((149 + 8))
close_link_x=$((screen_w - 139 - 40 + 8)) close_link_y=$((116 + 8))

# The dialog's client area on the screen (the window manager's frame around it aside).
dialog_position() {
  local info
  info=$(xwininfo -id "$1") || return 1
  DLG_X=$(awk '/Absolute upper-left X/ {print $NF}' <<<"$info")
  DLG_Y=$(awk '/Absolute upper-left Y/ {print $NF}' <<<"$info")
}
click_dialog() { e2e_click_screen $((DLG_X + $1)) $((DLG_Y + $2)); }
# The dialog with its title bar, into the screenshots folder.
shot_dialog() {
  [ -n "$E2E_OUT" ] || return 0
  xdotool mousemove 1 1
  sleep 0.4
  mkdir -p "$E2E_OUT"
  e2e_grab "$E2E_OUT/$1" $((DLG_X - 2)) $((DLG_Y - 24)) 497 424 || e2e_log "no screenshot $1"
}
# The Parents' Menu's last item, "Options...": sets DIALOG and the dialog's position.
open_options_from_menu() {
  e2e_click_window "$E2E_MENU_X" "$E2E_MENU_Y" ctrl
  e2e_wait 10 e2e_popup_menu || { fail "a Ctrl+click on the menu button opened no Parents' Menu"; return 1; }
  local menu_x menu_y menu_h
  read -r _ menu_x menu_y _ menu_h < <(e2e_popup_menu)
  e2e_click_screen $((menu_x + 40)) $((menu_y + menu_h - 12))
  DIALOG=$(desktop_wait_window '^Chirpel Options$' 10) || { fail "\"Options...\" opened no options dialog"; return 1; }
  dialog_position "$DIALOG"
}
end_normally() { e2e_click_window "$E2E_CLOSE_X" "$E2E_CLOSE_Y"; e2e_expect_exit "at the end of $1"; }
# The settings file's values, sorted, without the tips panel's own.
settings_of() { grep '^"' "$1" | grep -v '^"LorvaneNextTip"=' | sort; }

# A first run that ends normally writes every value: what the dialog must leave alone.
e2e_start_chirpel || { fail "the voice-mail window did not show"; e2e_finish options; }
end_normally "first run"
cp "$E2E_USERREG" "$E2E_WORK/first.reg"

# The parent's changes, page by page.
e2e_start_chirpel || { fail "the voice-mail window did not show again"; e2e_finish options; }
if open_options_from_menu; then
  shot_dialog options-appearance.png
  [ -n "$E2E_OUT" ] && e2e_grab "$E2E_OUT/options-tips.png" $((DLG_X + 8)) $((DLG_Y + 7)) 476 68
  click_dialog "$tab_personal" "$tab_y"
  click_dialog "$name_x" "$name_y"
  xdotool type --delay 60 'Zoë Ann'
  click_dialog "$age_x" "$age_y"
  # Letters never reach the age field.
  xdotool type --delay 60 '7y'
  click_dialog "$girl_x" "$girl_y"
  shot_dialog options-personalization.png
  click_dialog "$tab_recording" "$tab_y"
  click_dialog "$gsm_x" "$gsm_y"
  # From 5 minutes one step toward the middle: 2 minutes.
  click_dialog "$track_mid_x" "$track_y"
  shot_dialog options-recording.png
  click_dialog "$tab_send" "$tab_y"
  click_dialog "$send_to_x" "$send_to_y"
  click_dialog "$addr_x" "$addr_y"
  xdotool type --delay 60 'grandma@example.org'
  shot_dialog options-send-email.png
  click_dialog "$ok_x" "$ok_y"
  e2e_wait 10 e2e_no_visible_window '^Chirpel Options$' || fail "OK did not close the options dialog"
fi
end_normally "the run with OK"
sed -e 's/^"KidName"=.*/"KidName"="Zoë Ann"/' -e 's/^"KidAge"=.*/"KidAge"=dword:00000007/' \
  -e 's/^"IsGirl"=.*/"IsGirl"="1"/' -e 's/^"MaxTimeSec"=.*/"MaxTimeSec"=dword:00000078/' \
  -e 's/^"GSM610"=.*/"GSM610"="0"/' -e 's/^"SendWait"=.*/"SendWait"="0"/' \
  -e 's/^"ReciptAddr"=.*/"ReciptAddr"="grandma@example.org"/' "$E2E_WORK/first.reg" >"$E2E_WORK/expected.reg"
if ! diff <(settings_of "$E2E_WORK/expected.reg") <(settings_of "$E2E_USERREG") >&2; then
  fail "after OK the settings file does not hold exactly the parent's changes"
fi
[ "$(e2e_reg_value LorvaneNextTip)" = '"LorvaneNextTip"=dword:00000001' ] ||
  fail "the tips panel did not move on to the next tip"
cp "$E2E_USERREG" "$E2E_WORK/ok.reg"

# Cancel changes nothing; the shield's link opens the same dialog, which Esc closes.
e2e_start_chirpel || { fail "the voice-mail window did not show a third time"; e2e_finish options; }
if open_options_from_menu; then
  click_dialog "$tab_personal" "$tab_y"
  click_dialog "$name_x" "$name_y"
  xdotool type --delay 60 'Nobody'
  click_dialog "$cancel_x" "$cancel_y"
  e2e_wait 10 e2e_no_visible_window '^Chirpel Options$' || fail "Cancel did not close the options dialog"
fi
e2e_click_window "$E2E_MENU_X" "$E2E_MENU_Y" ctrl
if e2e_wait 10 e2e_popup_menu; then
  read -r _ menu_x menu_y _ _ < <(e2e_popup_menu)
  e2e_click_screen $((menu_x + 60)) $((menu_y + 30))
  desktop_wait_window '^DesktopWindow$' 5 >/dev/null || fail "\"Show Security Shield\" did not show the shield"
  e2e_click_screen "$configure_x" "$configure_y"
  if DIALOG=$(desktop_wait_window '^Chirpel Options$' 10); then
    dialog_position "$DIALOG"
    e2e_shot options-from-shield.png
    timeout 5 xdotool windowactivate --sync "$DIALOG" >/dev/null 2>&1 || true
    xdotool key Escape
    e2e_wait 10 e2e_no_visible_window '^Chirpel Options$' || fail "Esc did not close the options dialog"
  else
    fail "\"Configure the program\" on the shield opened no options dialog"
  fi
  e2e_click_screen "$close_link_x" "$close_link_y" ctrl
  e2e_expect_exit "after Ctrl+press on \"Close Chirpel\""
else
  fail "the Parents' Menu did not open a second time"
fi
sed -e 's/^"ShowShield"=.*/"ShowShield"="1"/' "$E2E_WORK/ok.reg" >"$E2E_WORK/expected.reg"
if ! diff <(settings_of "$E2E_WORK/expected.reg") <(settings_of "$E2E_USERREG") >&2; then
  fail "Cancel or Esc changed a setting"
fi
[ "$(e2e_reg_value LorvaneNextTip)" = '"LorvaneNextTip"=dword:00000003' ] ||
  fail "the next two openings did not each move the tips on"

e2e_finish options
