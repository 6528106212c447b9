# Shell helpers for driving the real window on a private X display. Source
# this file; it defines functions only.

# start_xvfb FOLDER [SIZE]: starts Xvfb on a free display with a screen of
# SIZE (default 1280x800), exports DISPLAY for it and sets XVFB_PID. Returns
# non-zero when it does not come up within 5 seconds.
start_xvfb() {
  local folder="$1" size="${2:-1280x800}"
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$folder/display" >"$folder/xvfb.log" 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 50); do
    if [ -s "$folder/display" ]; then
      export DISPLAY=":$(head -n1 "$folder/display")"
      export QT_QPA_PLATFORM=xcb
      unset XAUTHORITY WAYLAND_DISPLAY
      return 0
    fi
    sleep 0.1
  done
  cat "$folder/xvfb.log" >&2
  return 1
}

# find_window TITLE [SECONDS]: prints the id of the visible window titled
# exactly TITLE, or returns non-zero when none shows up in time (30 s: a busy
# machine may be slow, and a window that shows returns at once).
find_window() {
  local title="$1" tries=$((${2:-30} * 10)) id
  for _ in $(seq "$tries"); do
    id="$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n1)"
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# window_gone TITLE [SECONDS]: returns once no visible window is titled
# exactly TITLE, or non-zero when one still is after SECONDS (30).
window_gone() {
  local title="$1" tries=$((${2:-30} * 10))
  for _ in $(seq "$tries"); do
    xdotool search --onlyvisible --name "^${1}\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

# press WINDOW KEY...: gives WINDOW the keyboard and types the keys.
press() {
  local window="$1"
  shift
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
  sleep 0.2
  xdotool key --delay 80 "$@"
}

# type_text WINDOW TEXT: gives WINDOW the keyboard and types TEXT.
type_text() {
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
  sleep 0.2
  xdotool type --delay 20 "$2"
}
