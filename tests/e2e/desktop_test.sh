#!/usr/bin/env bash
# End to end on a desktop: its own Xvfb with the openbox window manager and the xcompmgr
# compositor, a click target below everything and a "game" window of another program that has the
# keyboard. Checks, from the desktop's side:
#   - the lock holds through a failed cycle and a new connection (clicks still pass through);
#   - the game keeps the focus through lines, an outage of the service (the session stays in the
#     overlay and comes back by itself) and a failure box, which is modal to the main window and
#     wide enough for its caption;
#   - the handle can be told from the overlay in both states;
#   - the disabled room field is grey;
#   - on a screen too short for the overlay, the overlay's top-right corner and its handle are on it.
#   desktop_test.sh <zandrel> <zandrel-demo> <click-target> <work-dir>
# With SCREENSHOT_DIR set, it leaves screenshots of the desktop there.
set -euo pipefail

zandrel=$1 demo=$2 target=$3 work=$4
mkdir -p "$work"
rm -rf "${work:?}"/*
source "$(dirname "$0")/lib.sh"

# Waits for the overlay and its handle to map ($1 says when, for the message); sets overlay and handle.
overlay_maps() {
  overlay=$(window_named 'Zandrel overlay' 20) || fail "the overlay did not map $1"
  handle=$(window_named 'Zandrel lock' 5) || fail "the handle did not map $1"
}
gone() { ! xdotool search --onlyvisible --name "^$1\$" >/dev/null; }
joins() { grep -c "^demo: joined room $1\$" "$work/demo.log" || true; }
joined_at_least() { [ "$(joins "$1")" -ge "$2" ]; }
focus_stays() { focused "$game" || fail "$1 took the focus from the game (now $(xdotool getwindowfocus))"; }
handle_centre() { geometry_of "$handle"; hx=$((X + 10)) hy=$((Y + 10)); }
# How much the brightest pixel of the handle stands out from the overlay's background beside it.
handle_contrast() {
  screenshot "$work/s.png"
  geometry_of "$handle"
  local brightest background
  brightest=$(convert "$work/s.png" -crop "20x20+$X+$Y" -colorspace gray -format '%[fx:int(255*maxima)]' info:)
  # Beside the handle, in the overlay's top margin, where no text ever is.
  background=$(convert "$work/s.png" -crop "1x1+$((X - 5))+$((Y - 2))" -colorspace gray -format '%[fx:int(255*maxima)]' info:)
  echo $((brightest - background))
}

start_display 1280x800
start_desktop tall
start_tray
start_demo 0
demo_port=$port

"$target" >"$work/target.log" 2>&1 &
pids+=($!)
window_named 'click target' 10 >/dev/null || fail "no click target"
"$target" --game 60 60 420 300 >"$work/game.log" 2>&1 &
pids+=($!)
game=$(window_named game 10) || fail "no game window"
start_zandrel

# Connect: the overlay maps at the right edge, with lines.
connect_room 123
overlay_maps "after the first connect"
geometry_of "$overlay"
[ "$X,$Y,$WIDTH,$HEIGHT" = "993,178,267,444" ] || fail "overlay at $X,$Y ${WIDTH}x$HEIGHT, expected 993,178 267x444"
inside_x=$((993 + 130)) inside_y=$((178 + 300))

# The disabled room field shows its number in grey, not black.
screenshot "$work/s.png"
geometry_of "$main"
convert "$work/s.png" -crop "160x25+$((X + 150))+$((Y + 149))" +repage "$work/field.png"
[ "$(count_colour "$work/field.png" 0 0 0)" -eq 0 ] || fail "the disabled room field has black text"
[ "$(count_colour "$work/field.png" 180 180 180)" -gt 50 ] || fail "the disabled room field shows no grey text"

# The program's icon sits in the tray, and its menu opens there.
icon=$(tray_icon)
[ -n "$icon" ] || fail "no icon in the tray"
geometry_of "$icon"
menu_open() { xwininfo -root -tree | grep '"zandrel": ("zandrel" "zandrel")  1[0-9][0-9]x[0-9]*+' >/dev/null; }
# A tray passes the click on to the icon; one that has just embedded it may not yet.
for _ in 1 2 3; do
  xdotool mousemove $((X + 11)) $((Y + 11)) click 3
  wait_for 2 menu_open && break
done
menu_open || fail "the tray icon's menu did not open"
keep_screenshot tray-menu.png
xdotool key Escape
menu_closed() { ! menu_open; }
wait_for 5 menu_closed || fail "the tray icon's menu did not close"

# The settings box, from the main window (Ctrl+,), beside the status line.
xdotool windowactivate --sync "$main"
xdotool key ctrl+comma
settings=$(window_named 设置 10) || fail "no settings box"
if [ -n "${SCREENSHOT_DIR:-}" ]; then
  xdotool windowmove "$settings" 560 440  # clear of the status line
  sleep 0.5
  keep_screenshot settings.png
fi
xdotool windowactivate --sync "$settings"
xdotool key Escape
wait_for 5 gone 设置 || fail "the settings box did not close"

# The unlocked handle stands out from the overlay.
contrast=$(handle_contrast)
[ "$contrast" -ge 30 ] || fail "the unlocked handle differs from the overlay by only $contrast"

# Lock: a click on the overlay reaches the target below.
handle_centre
xdotool mousemove $hx $hy click 1
sleep 0.3
contrast=$(handle_contrast)
[ "$contrast" -ge 30 ] || fail "the locked handle differs from the overlay by only $contrast"
xdotool mousemove $inside_x $inside_y click 1
wait_for 5 grep -q "^press $inside_x $inside_y\$" "$work/target.log" || fail "a click on the locked overlay did not reach the window below"

# The game takes the keyboard and keeps it while lines arrive.
xdotool windowactivate --sync "$game"
wait_for 5 focused "$game" || fail "the game did not get the focus"
sleep 2
focus_stays "lines arriving"
keep_screenshot desktop.png

# The demo service goes away and comes back: the session stays in the room's overlay (which tells
# of the outage) and returns by itself, and the game keeps the focus.
stop_demo() { kill "$demo_pid"; wait "$demo_pid" 2>/dev/null || true; }
joins_before=$(joins 123)
stop_demo
wait_for 10 grep -q "reconnecting in" "$work/zandrel.log" || fail "the session did not begin to reconnect"
focus_stays "the outage"
xdotool search --onlyvisible --name '^Zandrel overlay$' >/dev/null || fail "the overlay went away in an outage"
keep_screenshot reconnecting.png
start_demo "$demo_port"
wait_for 40 joined_at_least 123 $((joins_before + 1)) || fail "the session did not come back to the room by itself"
focus_stays "the reconnect"

# Back again, the service refuses the room: the session fails, and the box appears without taking
# the focus.
stop_demo
start_demo "$demo_port" --refuse-all
box=$(window_named 提示 40) || fail "no failure box"
sleep 0.5
focus_stays "the failure box"
geometry_of "$box"
[ "$WIDTH" -ge 160 ] || fail "the failure box is $WIDTH pixels wide, too narrow for its caption"
grep -q "window id" <<<"$(xprop -id "$box" WM_TRANSIENT_FOR)" || fail "the failure box is not modal to the main window"
keep_screenshot failure-box.png
wait_for 5 gone 'Zandrel overlay' || fail "the overlay stayed after the failure"

# The user answers the box; the service is back; connect again: the overlay comes back, still locked.
xdotool windowactivate --sync "$box"
xdotool key Return
wait_for 5 gone 提示 || fail "the failure box did not close"
stop_demo
start_demo "$demo_port"
connect_room 123
overlay_maps "again"
sleep 0.5
before=$(presses "$work/target.log")
xdotool mousemove $((inside_x + 7)) $inside_y click 1
wait_for 5 grep -q "^press $((inside_x + 7)) $inside_y\$" "$work/target.log" ||
  fail "after showing again, the locked overlay swallowed a click"

# With the game holding the keyboard, the command after $2 unlocks the locked overlay (a click at
# x offset $1 stays with it) and then locks it again (a click at offset $1 + 2 passes through); $2
# names it.
toggles_the_lock() {
  local at=$1 what=$2
  shift 2
  xdotool windowactivate --sync "$game"
  wait_for 5 focused "$game" || fail "the game did not get the focus back"
  "$@"
  sleep 0.5
  before=$(presses "$work/target.log")
  xdotool mousemove $((inside_x + at)) $inside_y click 1
  sleep 0.5
  [ "$(presses "$work/target.log")" = "$before" ] || fail "$what did not unlock the overlay"
  focus_stays "$what"
  xdotool windowactivate --sync "$game"
  "$@"
  sleep 0.5
  xdotool mousemove $((inside_x + at + 2)) $inside_y click 1
  wait_for 5 grep -q "^press $((inside_x + at + 2)) $inside_y\$" "$work/target.log" || fail "$what did not lock the overlay again"
}
# The global hotkey; and `zandrel --toggle-lock`, as a desktop's own shortcut would run it.
toggles_the_lock 11 Ctrl+Alt+L xdotool key ctrl+alt+l
lock_command() { "$zandrel" --toggle-lock >"$work/command.log" 2>&1 || fail "--toggle-lock failed: $(cat "$work/command.log")"; }
toggles_the_lock 15 --toggle-lock lock_command

# A second start of the program shows the first one's window, and ends.
"$zandrel" --lookup-host "127.0.0.1:$port" >"$work/second.log" 2>&1 &
second_pid=$!
pids+=($second_pid)
wait_for 15 ended "$second_pid" || fail "a second start did not end"
wait "$second_pid" || fail "a second start ended with status $?"
wait_for 5 focused "$main" || fail "a second start did not bring the first one's window forward"

# A run of another user's (another runtime folder) finds the hotkey taken, and says so.
XDG_RUNTIME_DIR="$work/runtime-other" "$zandrel" --lookup-host "127.0.0.1:$port" >"$work/second.log" 2>&1 &
second_pid=$!
pids+=($second_pid)
wait_for 15 grep -q "the hotkey Ctrl+Alt+L is taken" "$work/second.log" || fail "the second run did not tell that its hotkey is taken"
kill "$second_pid"
wait "$second_pid" 2>/dev/null || true

# "断开" ends the session and hides the overlay; another room can be joined in the same run.
xdotool windowactivate --sync "$main"
disconnect_button
wait_for 5 gone 'Zandrel overlay' || { screenshot "$work/disconnect.png"; fail "the overlay stayed after 断开 (the desktop: $work/disconnect.png)"; }
connect_room 124
wait_for 20 joined_at_least 124 1 || fail "no join of room 124 after 断开"
overlay_maps "for room 124"

# A storm of reconnects (a room that closes right after every join) while the game has the keyboard,
# in a new run of the program.
xdotool windowactivate --sync "$main"
xdotool key Escape
wait_for 10 ended "$zandrel_pid" || fail "Zandrel did not end within 10 s of closing its main window"
start_zandrel
connect_room 901
xdotool windowactivate --sync "$game"
wait_for 5 focused "$game" || fail "the game did not get the focus back"
wait_for 15 joined_at_least 901 4 || fail "fewer than 4 joins of the closing room"
focus_stays "a storm of reconnects"

xdotool windowactivate --sync "$main"
xdotool key Escape
wait_for 10 ended "$zandrel_pid" || fail "Zandrel did not end within 10 s of closing its main window"

# A screen too short for the overlay: its top-right corner and its handle are on the screen.
start_display 1280x400
start_desktop short
start_zandrel
connect_room 123
overlay_maps "on the short screen"
geometry_of "$overlay"
[ "$X,$Y,$WIDTH,$HEIGHT" = "993,0,267,444" ] || fail "on 1280x400 the overlay is at $X,$Y ${WIDTH}x$HEIGHT, expected 993,0 267x444"
geometry_of "$handle"
[ "$Y" -ge 0 ] && [ $((Y + HEIGHT)) -le 400 ] && [ $((X + WIDTH)) -le 1280 ] || fail "the handle is off the short screen at $X,$Y"
sleep 1
keep_screenshot short-screen.png
xdotool windowactivate --sync "$main"
xdotool key Escape
wait_for 10 ended "$zandrel_pid" || fail "Zandrel did not end on the short screen"
echo "PASS: lock, focus, failure box, handle, field colour and placement on an openbox desktop"
