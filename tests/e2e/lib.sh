# Helpers for the end-to-end tests, sourced by them. Each test sets `work` (its scratch folder)
# before it sources this file.

# The program's settings go to the test's own folder, never the user's; so does its runtime folder,
# where the running instance listens for commands.
export XDG_CONFIG_HOME="$work/config"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p -m 0700 "$XDG_RUNTIME_DIR" "$work/runtime-other"

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  for log in "$work"/*.log; do echo "--- $log"; tail -n 20 "$log"; done
  exit 1
}
# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
  local seconds=$1; shift
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.1
  done
}
ended() { ! kill -0 "$1" 2>/dev/null; }

# A display of our own, WIDTHxHEIGHT: Xvfb picks a free number and tells it on a pipe.
start_display() {
  local displayfd
  exec {displayfd}<> <(:)
  # -noreset: a server that resets when its last client leaves refuses the next client meanwhile.
  Xvfb -displayfd "$displayfd" -screen 0 "$1x24" -nolisten tcp -noreset >"$work/xvfb-$1.log" 2>&1 &
  pids+=($!)
  read -r -t 10 -u "$displayfd" display || fail "Xvfb did not start"
  export DISPLAY=":$display"
  wait_for 10 xwininfo -root >/dev/null 2>&1 || fail "Xvfb on $DISPLAY does not answer"
  export QT_QPA_PLATFORM=xcb
  unset WAYLAND_DISPLAY
  # No session bus of the user's desktop: notifications and portals would reach that desktop. A
  # test that wants a bus starts its own.
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"
}

# The demo chat service on port $1 (0: a free one), with any further options; sets demo_pid and port.
start_demo() {
  rm -f "$work/ports"
  "$demo" --port "$1" --rate 15 --seed 3 --ports-file "$work/ports" "${@:2}" >>"$work/demo.log" 2>&1 &
  demo_pid=$!
  pids+=($demo_pid)
  wait_for 10 test -s "$work/ports" || fail "the demo service did not start"
  port=$(sed -n 's/^main=//p' "$work/ports")
}

# The id of the visible window whose name is exactly $1, after waiting up to $2 seconds for it.
window_named() {
  wait_for "$2" xdotool search --onlyvisible --name "^$1\$" >/dev/null || return 1
  local ids
  ids=$(xdotool search --onlyvisible --name "^$1\$")  # whole, so no SIGPIPE under pipefail
  echo "${ids%%$'\n'*}"
}
# Sets X, Y, WIDTH and HEIGHT of window $1: where its contents are on the screen, whatever frame a
# window manager has put around it.
geometry_of() {
  eval "$(xwininfo -id "$1" | awk -F: '
    /Absolute upper-left X/ { print "X=" $2+0 } /Absolute upper-left Y/ { print "Y=" $2+0 }
    /^ *Width/ { print "WIDTH=" $2+0 } /^ *Height/ { print "HEIGHT=" $2+0 }')"
}

screenshot() { import -window root "$1"; }
# Prints how many pixels of the PNG $1 lie within 40 (per channel) of the colour r g b.
count_colour() {
  convert "$1" -depth 8 txt:- | awk -v r="$2" -v g="$3" -v b="$4" -F'[(),]' '
    NR > 1 { dr = $3 - r; dg = $4 - g; db = $5 - b;
             if (dr*dr < 1600 && dg*dg < 1600 && db*db < 1600) n++ }
    END { print n + 0 }'
}
# The colour r,g,b of pixel x y of the PNG $1.
pixel() { convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | tail -n 1 | sed 's/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1,\2,\3/'; }
# The largest difference, over the three channels, between the colours $1 and $2 (r,g,b each).
colour_distance() {
  awk -v a="$1" -v b="$2" 'BEGIN { split(a, p, ","); split(b, q, ","); m = 0;
    for (i = 1; i <= 3; i++) { d = p[i] - q[i]; if (d < 0) d = -d; if (d > m) m = d } print m }'
}

# How many presses the click target (log $1) has reported.
presses() { grep -c '^press' "$1" || true; }

# ---- A desktop and the program on it (the desktop tests) ----------------------------------------

# The window manager and the compositor on the current display.
start_desktop() {
  openbox >"$work/openbox-$1.log" 2>&1 &
  pids+=($!)
  wait_for 10 xdotool get_num_desktops >/dev/null 2>&1 || fail "openbox did not start on $DISPLAY ($1)"
  xcompmgr >"$work/xcompmgr-$1.log" 2>&1 &
  pids+=($!)
}
# A tray for the program's icon, in the top-right corner, above the windows (a dock) but reserving
# no room on the screen.
start_tray() {
  trayer --edge top --align right --widthtype request --height 24 --SetDockType true --SetPartialStrut false \
    --transparent false --tint 0x303030 >"$work/trayer.log" 2>&1 &
  pids+=($!)
}
# The id of the program's icon in the tray, if it is there.
# (awk reads to the end: a reader that stops early would fail the pipe.)
tray_icon() { xwininfo -root -tree | awk '/"zandrel": \("zandrel" "zandrel"\)  22x22/ && !found { print $1; found = 1 }'; }
# Zandrel, pointed at the demo service on $port, with any further options; sets zandrel_pid and main.
start_zandrel() {
  "$zandrel" --lookup-host "127.0.0.1:$port" "$@" >>"$work/zandrel.log" 2>&1 &
  zandrel_pid=$!
  pids+=($zandrel_pid)
  main=$(window_named Zandrel 15) || fail "the main window did not map"
}
# Types room $1 into the main window's field and presses Enter.
connect_room() {
  xdotool windowactivate --sync "$main"
  geometry_of "$main"
  xdotool mousemove $((X + 230)) $((Y + 161)) click 1
  sleep 0.2
  xdotool key ctrl+a BackSpace
  xdotool type --delay 30 "$1"
  xdotool key Return
}
# Presses "断开" in the main window.
disconnect_button() { geometry_of "$main"; xdotool mousemove $((X + 451)) $((Y + 161)) click 1; }
stop_zandrel() {
  kill "$zandrel_pid"
  wait_for 10 ended "$zandrel_pid" || fail "zandrel did not end"
}
# Joins room $1; the overlay maps, and the game has the keyboard again.
join_room() {
  connect_room "$1"
  overlay=$(window_named 'Zandrel overlay' 20) || fail "the overlay did not map for room $1"
  xdotool windowactivate --sync "$game"
}
# The overlay's face on the screen, in $1.
overlay_shot() {
  screenshot "$work/s.png"
  geometry_of "$overlay"
  convert "$work/s.png" -crop "${WIDTH}x$HEIGHT+$X+$Y" +repage "$1"
}
# Leaves a screenshot named $1 in SCREENSHOT_DIR, when it is set.
keep_screenshot() {
  [ -z "${SCREENSHOT_DIR:-}" ] && return 0
  mkdir -p "$SCREENSHOT_DIR"
  screenshot "$SCREENSHOT_DIR/$1"
}
# Whether window $1 has the keyboard.
focused() { [ "$(xdotool getwindowfocus)" = "$1" ]; }
