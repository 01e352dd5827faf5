#!/usr/bin/env bash
# End to end on a real X server (its own Xvfb): a streamer types a room number and presses Enter,
# the overlay maps at the right edge, lines appear in their colours, the lock handle makes the
# overlay click-through, and closing the main window ends the program promptly.
#   e2e_test.sh <zandrel> <zandrel-demo> <click-target> <work-dir>
# With SCREENSHOT_DIR set, it also leaves screenshots of the main window and the overlay there.
set -euo pipefail

zandrel=$1 demo=$2 target=$3 work=$4
mkdir -p "$work"
rm -f "$work"/*
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

# A display of our own: Xvfb picks a free number and tells it on a pipe.
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 10 -u "$displayfd" display || fail "Xvfb did not start"
export DISPLAY=":$display"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

"$demo" --port 0 --rate 15 --seed 3 --ports-file "$work/ports" >"$work/demo.log" 2>&1 &
pids+=($!)
wait_for 10 test -s "$work/ports" || fail "the demo service did not start"
port=$(sed -n 's/^main=//p' "$work/ports")

"$target" >"$work/target.log" 2>&1 &
pids+=($!)
wait_for 10 xdotool search --onlyvisible --name '^click target$' >/dev/null || fail "no click target"

"$zandrel" --lookup-host "127.0.0.1:$port" >"$work/zandrel.log" 2>&1 &
zandrel_pid=$!
pids+=($zandrel_pid)
wait_for 15 xdotool search --onlyvisible --name '^Zandrel$' >/dev/null || fail "the main window did not map"
main=$(xdotool search --onlyvisible --name '^Zandrel$' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$main")"
main_x=$X main_y=$Y

screenshot() { import -window root "$1"; }
# Prints how many pixels of the PNG $1 lie within 40 (per channel) of the colour r g b.
count_colour() {
  convert "$1" -depth 8 txt:- | awk -v r="$2" -v g="$3" -v b="$4" -F'[(),]' '
    NR > 1 { dr = $3 - r; dg = $4 - g; db = $5 - b;
             if (dr*dr < 1600 && dg*dg < 1600 && db*db < 1600) n++ }
    END { print n + 0 }'
}
pixel() { convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | tail -n 1 | sed 's/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1,\2,\3/'; }
# Succeeds when the lock handle shows the colour r,g,b.
handle_colour_is() { screenshot "$work/s.png"; [ "$(pixel "$work/s.png" 1247 193)" = "$1" ]; }

# The streamer clicks into the room field, types the room and presses Enter.
xdotool mousemove $((main_x + 230)) $((main_y + 161)) click 1
sleep 0.3
xdotool type --delay 50 123
xdotool key Return

wait_for 20 xdotool search --onlyvisible --name '^Zandrel overlay$' >/dev/null || fail "the overlay did not map"
overlay=$(xdotool search --onlyvisible --name '^Zandrel overlay$' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$overlay")"
[ "$X,$Y,$WIDTH,$HEIGHT" = "993,178,267,444" ] || fail "overlay at $X,$Y ${WIDTH}x$HEIGHT, expected 993,178 267x444"
handle=$(xdotool search --onlyvisible --name '^Zandrel lock$' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$handle")"
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

presses() { grep -c '^press' "$work/target.log" || true; }
inside_x=$((993 + 130)) inside_y=$((178 + 300))

# Unlocked, a click on the overlay stays with the overlay.
before=$(presses)
xdotool mousemove $inside_x $inside_y click 1
sleep 0.5
[ "$(presses)" = "$before" ] || fail "a click on the unlocked overlay reached the window below"

# One click on the handle locks it: lighter grey, and clicks pass through the overlay.
xdotool mousemove 1247 193 click 1
wait_for 5 handle_colour_is 100,100,100 || fail "the handle did not turn lighter grey"
xdotool mousemove $inside_x $inside_y click 1
wait_for 5 grep -q "^press $inside_x $inside_y\$" "$work/target.log" || fail "a click on the locked overlay did not reach the window below"

# A double click on the handle toggles twice: still locked.
xdotool mousemove 1247 193 click --repeat 2 --delay 80 1
sleep 0.5
handle_colour_is 100,100,100 || fail "a double click on the handle did not leave it locked"

# One more click unlocks: the overlay takes clicks again.
xdotool mousemove 1247 193 click 1
sleep 0.3
before=$(presses)
xdotool mousemove $((inside_x + 5)) $inside_y click 1
sleep 0.5
[ "$(presses)" = "$before" ] || fail "a click on the unlocked overlay reached the window below"

# Closing the main window (Esc) ends the program promptly, the session stopped first.
xdotool windowfocus --sync "$main" 2>/dev/null || xdotool windowfocus "$main"
xdotool key Escape
ended() { ! kill -0 "$1" 2>/dev/null; }
if ! wait_for 10 ended "$zandrel_pid"; then
  fail "Zandrel did not end within 10 s of closing its main window"
fi
wait "$zandrel_pid" || fail "Zandrel ended with status $?"
echo "PASS: connect, overlay, colours, click-through and close on a real X server"
