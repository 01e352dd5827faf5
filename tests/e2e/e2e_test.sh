#!/usr/bin/env bash
# End to end on a real X server (its own Xvfb): a streamer types a room number and presses Enter,
# the overlay maps at the right edge, lines appear in their colours, the lock handle makes the
# overlay click-through, a failure box leaves the keyboard where it was, and closing the main window
# ends the program promptly.
#   e2e_test.sh <zandrel> <zandrel-demo> <click-target> <work-dir>
# With SCREENSHOT_DIR set, it also leaves screenshots of the main window and the overlay there.
set -euo pipefail

zandrel=$1 demo=$2 target=$3 work=$4
mkdir -p "$work"
rm -rf "${work:?}"/*
source "$(dirname "$0")/lib.sh"

start_display 1280x800
start_demo 0

"$target" >"$work/target.log" 2>&1 &
pids+=($!)
window_named 'click target' 10 >/dev/null || fail "no click target"

"$zandrel" --lookup-host "127.0.0.1:$port" >"$work/zandrel.log" 2>&1 &
zandrel_pid=$!
pids+=($zandrel_pid)
main=$(window_named Zandrel 15) || fail "the main window did not map"
geometry_of "$main"
main_x=$X main_y=$Y

# Succeeds when the lock handle's disc (left of the locked one's padlock) shows the colour r,g,b.
handle_colour_is() { screenshot "$work/s.png"; [ "$(pixel "$work/s.png" 1241 193)" = "$1" ]; }

# The streamer clicks into the room field, types the room and presses Enter.
xdotool mousemove $((main_x + 230)) $((main_y + 161)) click 1
sleep 0.3
xdotool type --delay 50 123
xdotool key Return

overlay=$(window_named 'Zandrel overlay' 20) || fail "the overlay did not map"
geometry_of "$overlay"
[ "$X,$Y,$WIDTH,$HEIGHT" = "993,178,267,444" ] || fail "overlay at $X,$Y ${WIDTH}x$HEIGHT, expected 993,178 267x444"
handle=$(window_named 'Zandrel lock' 5) || fail "the handle did not map"
geometry_of "$handle"
[ "$X,$Y,$WIDTH,$HEIGHT" = "1237,183,20,20" ] || fail "handle at $X,$Y ${WIDTH}x$HEIGHT, expected 1237,183 20x20"

# Lines appear: title-blue names and near-white texts inside the overlay.
lines_shown() {
  screenshot "$work/screen.png"
  convert "$work/screen.png" -crop 267x444+993+178 +repage "$work/overlay.png"
  [ "$(count_colour "$work/overlay.png" 10 160 255)" -gt 200 ] && [ "$(count_colour "$work/overlay.png" 252 252 252)" -gt 200 ]
}
wait_for 20 lines_shown || fail "no title-blue and near-white text in the overlay"
handle_colour_is 50,50,50 || fail "the handle is not the unlocked grey"
if [ -n "${SCREENSHOT_DIR:-}" ]; then
  mkdir -p "$SCREENSHOT_DIR"
  cp "$work/screen.png" "$SCREENSHOT_DIR/desktop.png"
fi

inside_x=$((993 + 130)) inside_y=$((178 + 300))

# Unlocked, a click on the overlay stays with the overlay.
before=$(presses "$work/target.log")
xdotool mousemove $inside_x $inside_y click 1
sleep 0.5
[ "$(presses "$work/target.log")" = "$before" ] || fail "a click on the unlocked overlay reached the window below"

# One click on the handle locks it: light grey with a padlock, and clicks pass through the overlay.
xdotool mousemove 1247 193 click 1
wait_for 5 handle_colour_is 235,235,235 || fail "the handle did not turn light grey"
xdotool mousemove $inside_x $inside_y click 1
wait_for 5 grep -q "^press $inside_x $inside_y\$" "$work/target.log" || fail "a click on the locked overlay did not reach the window below"

# A double click on the handle toggles twice: still locked.
xdotool mousemove 1247 193 click --repeat 2 --delay 80 1
sleep 0.5
handle_colour_is 235,235,235 || fail "a double click on the handle did not leave it locked"

# One more click unlocks: the overlay takes clicks again.
xdotool mousemove 1247 193 click 1
sleep 0.3
before=$(presses "$work/target.log")
xdotool mousemove $((inside_x + 5)) $inside_y click 1
sleep 0.5
[ "$(presses "$work/target.log")" = "$before" ] || fail "a click on the unlocked overlay reached the window below"

# A failure (a refused room, asked for by another start, as a desktop's shortcut would) shows its box
# without taking the keyboard: here no window manager decides the focus, so the box itself must not
# take it. The window that had the keyboard keeps it.
target_window=$(window_named 'click target' 5) || fail "no click target"
xdotool windowfocus --sync "$target_window" 2>/dev/null || xdotool windowfocus "$target_window"
"$zandrel" --connect 902 || fail "--connect 902 failed"
box=$(window_named 提示 20) || fail "no failure box"
sleep 0.5
[ "$(xdotool getwindowfocus)" = "$target_window" ] || fail "the failure box took the keyboard on a bare X server"
# No window manager here to ask; the box tells any that would be that it is not to be activated.
xprop -id "$box" _NET_WM_USER_TIME | grep -q "= 0$" ||
  fail "the failure box does not ask not to be activated: $(xprop -id "$box" _NET_WM_USER_TIME)"
xdotool windowfocus --sync "$box" 2>/dev/null || xdotool windowfocus "$box"
xdotool key Return
gone() { ! xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }
wait_for 5 gone 提示 || fail "the failure box did not close"

# Closing the main window (Esc) ends the program promptly, the session stopped first.
xdotool windowfocus --sync "$main" 2>/dev/null || xdotool windowfocus "$main"
xdotool key Escape
if ! wait_for 10 ended "$zandrel_pid"; then
  fail "Zandrel did not end within 10 s of closing its main window"
fi
wait "$zandrel_pid" || fail "Zandrel ended with status $?"
echo "PASS: connect, overlay, colours, click-through and close on a real X server"
