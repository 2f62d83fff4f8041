#!/usr/bin/env bash
# The tip bubble's and the progress window's unit tests once more on a real X server with a window
# manager, which frames, places and activates windows as a user's desktop does (offscreen does none of it).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/desktop.sh"

bin=${CHIRPEL_BIN_DIR:?CHIRPEL_BIN_DIR names the folder holding the test programs}
desktop_start
status=0
QT_QPA_PLATFORM=xcb timeout 180 "$bin/app_tests" \
  --gtest_filter='CallOut*:ModalCallOut*:ParentsTest*:ProgressWindow*' || status=$?
exit "$status"
