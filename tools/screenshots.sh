#!/usr/bin/env bash
# The README's pictures: the child's window, the Parents' Menu, the options dialog and the shield,
# taken from the real program on a private desktop (Xvfb + openbox) as a new user sees them.
#   tools/screenshots.sh <build dir> <output folder>
set -euo pipefail
here=$(cd "$(dirname "$0")/../tests/e2e" && pwd)
export CHIRPEL_BIN_DIR=$(cd "${1:?usage: $0 <build dir> <output folder>}" && pwd)/bin
out=$(mkdir -p "${2:?usage: $0 <build dir> <output folder>}" && cd "$2" && pwd)
. "$here/desktop.sh"
. "$here/chirpel_e2e.sh"

e2e_new_user screenshots
desktop_start 1024x768x24
window_shot() { e2e_grab "$out/$1" "$WIN_X" "$WIN_Y" 614 379; }

e2e_start_chirpel
e2e_pointer_away
sleep 0.5
window_shot child-window.png

e2e_click_window "$E2E_MENU_X" "$E2E_MENU_Y" ctrl
e2e_wait 10 e2e_popup_menu
read -r _ menu_x menu_y menu_w menu_h < <(e2e_popup_menu)
sleep 0.3
e2e_grab "$out/parents-menu.png" "$WIN_X" "$WIN_Y" $((menu_x + menu_w - WIN_X + 8)) $((menu_y + menu_h - WIN_Y + 8))
e2e_click_screen $((menu_x + 40)) $((menu_y + menu_h - 12))
dialog=$(desktop_wait_window '^Chirpel Options$' 10)
info=$(xwininfo -id "$dialog")
dx=$(awk '/Absolute upper-left X/ {print $NF}' <<<"$info") dy=$(awk '/Absolute upper-left Y/ {print $NF}' <<<"$info")
xdotool mousemove 1 1
sleep 0.5
e2e_grab "$out/options.png" $((dx - 2)) $((dy - 24)) 497 424
e2e_click_screen $((dx + 445)) $((dy + 377))   # Cancel
desktop_poll 10 bash -c "! xdotool search --onlyvisible --name '^Chirpel Options$' >/dev/null"

# The shield: from the Parents' Menu, as a parent turns it on.
e2e_click_window "$E2E_MENU_X" "$E2E_MENU_Y" ctrl
e2e_wait 10 e2e_popup_menu
read -r _ menu_x menu_y _ _ < <(e2e_popup_menu)
e2e_click_screen $((menu_x + 40)) $((menu_y + 30))   # Show Security Shield
sleep 1
e2e_pointer_away
desktop_screenshot "$out/shield.png"
desktop_stop
rm -rf "$E2E_WORK"
echo "screenshots in $out"
