#!/usr/bin/env bash
# The tip bubble's and the progress window's unit tests once more on a real X server with a window
# manager, which frames, places and activates windows as a user's desktop does (offscreen does none of it).
set -euo pipefail
. "$(dirname "$0")/desktop.sh"
desktop_start
QT_QPA_PLATFORM=xcb timeout 180 "${CHIRPEL_BIN_DIR:?names the folder holding the test programs}/app_tests" \
  --gtest_filter='CallOut*:ParentsTest*:ProgressWindow*'
