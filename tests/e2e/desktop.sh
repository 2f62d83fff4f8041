# A private X desktop (Xvfb + openbox) for the end-to-end tests: running programs on it, finding and
# closing their windows, screenshots. Every wait is bounded; all it starts is stopped by process id.
DESKTOP_XVFB_PID="" DESKTOP_WM_PID="" DESKTOP_PIDS=() DESKTOP_WORK=""

desktop_log() { echo "desktop: $*" >&2; }
# Polls a command every 0.1 s until it succeeds or the seconds run out.
desktop_poll() {
  local tries=$(($1 * 10))
  shift
  while ((tries-- > 0)); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}
# desktop_start [WIDTHxHEIGHTxDEPTH]: Xvfb on the first free display, then openbox.
desktop_start() {
  DESKTOP_WORK=$(mktemp -d "${TMPDIR:-/tmp}/chirpel-desktop.XXXXXX")
  trap desktop_stop EXIT
  # A test stopped from outside (a time limit) still takes its desktop down.
  trap 'desktop_stop; exit 143' TERM
  trap 'desktop_stop; exit 130' INT
  Xvfb -displayfd 3 -screen 0 "${1:-1024x768x24}" -nolisten tcp 3>"$DESKTOP_WORK/display" 2>"$DESKTOP_WORK/xvfb.log" &
  DESKTOP_XVFB_PID=$!
  if ! desktop_poll 15 grep -q '[0-9]' "$DESKTOP_WORK/display"; then
    desktop_log "Xvfb did not start"; cat "$DESKTOP_WORK/xvfb.log" >&2; return 1
  fi
  export DISPLAY=":$(tr -dc '0-9' <"$DESKTOP_WORK/display")"
  if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    mkdir -m 700 "$DESKTOP_WORK/runtime"
    export XDG_RUNTIME_DIR="$DESKTOP_WORK/runtime"
  fi
  # The program must take the X11 display, as on a user's desktop.
  unset QT_QPA_PLATFORM WAYLAND_DISPLAY
  openbox --sm-disable >"$DESKTOP_WORK/openbox.log" 2>&1 &
  DESKTOP_WM_PID=$!
  desktop_wm_ready || { desktop_log "openbox did not start"; cat "$DESKTOP_WORK/openbox.log" >&2; return 1; }
  desktop_log "running on $DISPLAY"
}
# openbox announces itself before it manages windows, and a window mapped in between stays
# unmapped for good. It is ready once a probe window mapped now shows up in its client list.
desktop_wm_ready() {
  local attempt probe
  for attempt in 1 2 3 4 5; do
    xev -name chirpel-desktop-probe >/dev/null 2>&1 &
    probe=$!
    desktop_poll 5 desktop_wm_has_clients && attempt=ready
    kill "$probe" 2>/dev/null; wait "$probe" 2>/dev/null
    [ "$attempt" = ready ] && { desktop_poll 5 desktop_wm_has_no_clients; return 0; }
  done
  return 1
}
desktop_wm_has_clients() { xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -q '0x'; }
desktop_wm_has_no_clients() { ! desktop_wm_has_clients; }
# Stops every process started here, the desktop last; waits at most a few seconds for each.
desktop_stop() {
  local pid
  for pid in "${DESKTOP_PIDS[@]}" $DESKTOP_WM_PID $DESKTOP_XVFB_PID; do
    kill -0 "$pid" 2>/dev/null || continue
    kill -TERM "$pid" 2>/dev/null
    desktop_poll 5 desktop_gone "$pid" || kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  DESKTOP_PIDS=() DESKTOP_WM_PID="" DESKTOP_XVFB_PID=""
  [ -n "$DESKTOP_WORK" ] && rm -rf "$DESKTOP_WORK"
  DESKTOP_WORK=""
}
desktop_gone() { ! kill -0 "$1" 2>/dev/null; }
# desktop_launch COMMAND [ARGS...]: starts it on the desktop in the background; its id is in
# DESKTOP_LAUNCHED_PID (no command substitution, so it stays a child of this shell).
desktop_launch() {
  "$@" &
  DESKTOP_LAUNCHED_PID=$!
  DESKTOP_PIDS+=("$DESKTOP_LAUNCHED_PID")
}
# desktop_window NAME_REGEX: prints the id of the first visible window so named, or fails.
desktop_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 | grep .; }
# desktop_wait_window NAME_REGEX [SECONDS]: the same, waiting for it.
desktop_wait_window() {
  desktop_poll "${2:-20}" desktop_window "$1" && desktop_window "$1" && return 0
  desktop_log "no window named $1 within ${2:-20}s"
  return 1
}
# Closes a window the way a user does: activated, then the window manager's Alt+F4 asks it to close.
desktop_close_window() {
  timeout 5 xdotool windowactivate --sync "$1" >/dev/null 2>&1 || desktop_log "window $1 did not become active"
  timeout 5 xdotool key --clearmodifiers alt+F4
}
# desktop_wait_exit PID [SECONDS]: waits for a launched process; returns its exit status, or 124
# (and kills it) when it is still running after the seconds.
desktop_wait_exit() {
  if ! desktop_poll "${2:-20}" desktop_gone "$1"; then
    desktop_log "process $1 still runs after ${2:-20}s"
    kill -KILL "$1" 2>/dev/null
    wait "$1" 2>/dev/null
    return 124
  fi
  wait "$1"
}
# desktop_screenshot FILE: the whole screen as a picture.
desktop_screenshot() { mkdir -p "$(dirname "$1")" && timeout 20 import -window root "$1"; }
