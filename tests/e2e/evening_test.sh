#!/bin/bash
# A streamer's evening end to end on a desktop (openbox, xcompmgr, a tray, a notification service
# on the session's bus, a game window of another program holding the keyboard), with the real
# binary and the demo service, checked from the other side:
#   - the standard error log with --verbose is UTF-8, and holds the join request; with --quiet it
#     holds neither that nor the chat;
#   - a refused room reaches the notification service (what it was sent) while the game keeps the
#     keyboard; without a service, the tray's balloon says it;
#   - after a room change a separator line stands centred in the overlay;
#   - the handle's two states differ on the screen in most of the disc, and the locked one has a
#     mark (dark inside light);
#   - a left click on the tray icon hides and shows the main window;
#   - the settings box opens clear of a wide overlay, and its hotkey field takes one chord (Return
#     then answers the box);
#   - with auto-connect set, a new start joins the last room by itself.
#   evening_test.sh <zandrel> <zandrel-demo> <click-target> <work-dir>
# With SCREENSHOT_DIR set, it leaves screenshots of the desktop there.
set -euo pipefail

zandrel=$1 demo=$2 target=$3 work=$4
mkdir -p "$work"
rm -rf "${work:?}"/*
source "$(dirname "$0")/lib.sh"
export XDG_DATA_HOME="$work/data"
conf="$XDG_CONFIG_HOME/Zandrel/Zandrel.conf"

joins() { grep -c "^demo: joined room $1\$" "$work/demo.log" || true; }
joined_more() { [ "$(joins "$1")" -gt "$2" ]; }
focus_stays() { focused "$game" || fail "$1 took the focus from the game (now $(xdotool getwindowfocus))"; }
# Zandrel for a Chinese user, as the streamers are: Qt's own texts (a box's button) are Chinese too.
# (LANGUAGE, which names the messages' language alone: this machine may have no Chinese locale.)
start_zandrel_in_chinese() { LANGUAGE=zh_CN start_zandrel "$@"; }
visible() { xdotool search --onlyvisible --name "^$1\$" >/dev/null; }
hidden() { ! visible "$1"; }
# A session bus of the test's own, for the notification service. It starts no service on demand:
# a service the test stops stays stopped.
start_bus() {
  cat >"$work/bus.conf" <<'CONF'
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
  dbus-daemon --config-file="$work/bus.conf" --fork --print-address=3 --print-pid=4 3>"$work/bus" 4>"$work/bus.pid"
  DBUS_SESSION_BUS_ADDRESS=$(cat "$work/bus")
  export DBUS_SESSION_BUS_ADDRESS
  pids+=("$(cat "$work/bus.pid")")
}
notifications_owned() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.freedesktop.Notifications | grep -q 'boolean true'
}
# The handle's 20x20 pixels on the screen, one "r g b" a line, in $1.
handle_pixels() {
  screenshot "$work/s.png"
  geometry_of "$handle"
  convert "$work/s.png" -crop "20x20+$X+$Y" -depth 8 txt:- | awk -F'[(),]' 'NR > 1 { print $3, $4, $5 }' >"$1"
}
# Title-blue pixels of the overlay's face (PNG $1) in the middle of its width, where a name and
# its time never reach but a centred separator does.
centred_title_pixels() {
  convert "$1" -crop "90x444+140+0" +repage "$work/middle.png"
  count_colour "$work/middle.png" 10 160 255
}

# Room 902 refuses the join: the failure box comes, the game keeps the keyboard, and the file $4
# tells of it ($3, a fixed string); $1 names the screenshot, $2 what else came.
refused_room() {
  "$zandrel" --connect 902 >"$work/command.log" 2>&1 || fail "--connect failed"
  wait_for 20 grep -qF "$3" "$4" || fail "no word of $2 in $4"
  wait_for 10 visible 提示 || fail "no failure box"
  sleep 0.5
  focus_stays "the failure and $2"
  keep_screenshot "$1"
}
answer_box() {
  xdotool windowactivate --sync "$(window_named 提示 5)" key Return
  wait_for 10 hidden 提示 || fail "the failure box did not close"
}

start_display 1280x800
start_bus
dbus-monitor --session "type='method_call',interface='org.freedesktop.Notifications',member='Notify'" \
  >"$work/notify.log" 2>&1 &
pids+=($!)
dunst >"$work/dunst.log" 2>&1 &
dunst_pid=$!
pids+=($dunst_pid)
wait_for 10 notifications_owned || fail "dunst did not take the notification service"
start_desktop evening
start_tray
start_demo 0 --rate 1
"$target" --game 60 60 420 300 >"$work/game.log" 2>&1 &
pids+=($!)
game=$(window_named game 10) || fail "no game window"
start_zandrel_in_chinese --verbose

# Room 123: the verbose log on standard error is UTF-8, with the viewers' names and the join request.
join_room 123
# (A chat line's notice: "N: name:text", with bytes beyond ASCII.)
chat_logged() { LC_ALL=C grep -q $'] N: [^ ]*[\x80-\xff]' "$work/zandrel.log"; }
wait_for 10 chat_logged || fail "no chat line in the log"
iconv -f UTF-8 -t UTF-8 "$work/zandrel.log" >/dev/null 2>&1 || fail "the log is not UTF-8"
grep -q '^send : ' "$work/zandrel.log" || fail "the log lacks the join request"
handle=$(window_named 'Zandrel lock' 5) || fail "no handle"

# The handle's two states on the screen: most of the disc changes by far more than a shade, and the
# locked disc holds dark and light pixels both (its padlock).
handle_pixels "$work/unlocked.txt"
xdotool windowactivate --sync "$main"
xdotool key ctrl+alt+l
sleep 0.5
handle_pixels "$work/locked.txt"
xdotool key ctrl+alt+l
changed=$(paste -d' ' "$work/unlocked.txt" "$work/locked.txt" | awk '
  { d = ($4 + $5 + $6 - $1 - $2 - $3) / 3; if (d < 0) d = -d; if (d > 40) n++ } END { print n + 0 }')
[ "$changed" -ge 120 ] || fail "the locked handle differs from the unlocked one in $changed pixels only"
marks=$(awk '{ l = ($1 + $2 + $3) / 3; if (l > 120) light++; if (l < 70) dark++ }
  END { print (light >= 30 && dark >= 15) ? "yes" : "no" }' "$work/locked.txt")
[ "$marks" = yes ] || fail "the locked handle carries no mark"

# A room change: a centred separator line, where one room showed none.
xdotool windowactivate --sync "$game"
overlay_shot "$work/room123.png"
before=$(centred_title_pixels "$work/room123.png")
[ "$before" -lt 20 ] || fail "a single room shows $before title-blue pixels in the overlay's middle"
joined=$(joins 124)
xdotool windowactivate --sync "$main"
disconnect_button
join_room 124
wait_for 20 joined_more 124 "$joined" || fail "room 124 was not joined"
separator_shown() { overlay_shot "$work/room124.png"; [ "$(centred_title_pixels "$work/room124.png")" -ge 40 ]; }
wait_for 10 separator_shown || fail "no separator line in the middle of the overlay"
keep_screenshot separator.png

# A refused room while the game has the keyboard: the notification service gets the text.
refused_room notification.png "its notification" '连接请求被拒绝' "$work/notify.log"
[ "$(dunstctl count displayed)" -ge 1 ] || fail "dunst shows no notification"
answer_box

# No notification service: the tray's balloon tells it instead.
kill "$dunst_pid"
wait_for 10 ended "$dunst_pid" || fail "dunst did not end"
xdotool windowactivate --sync "$game"
refused_room balloon.png "the tray's balloon" 'the tray tells it' "$work/zandrel.log"
answer_box

# The tray icon: a left click hides the main window, another shows it.
icon=$(tray_icon)
[ -n "$icon" ] || fail "no icon in the tray"
geometry_of "$icon"
xdotool mousemove $((X + 11)) $((Y + 11)) click 1
wait_for 5 hidden Zandrel || fail "a left click on the tray icon did not hide the main window"
sleep 1  # a second click at once would be a double click
xdotool mousemove $((X + 11)) $((Y + 11)) click 1
wait_for 5 visible Zandrel || fail "a second left click on the tray icon did not show the main window"
main=$(window_named Zandrel 5)

# A wide overlay (500 px) and the settings box: it opens clear of the overlay.
stop_zandrel
sed -i 's/^\[overlay\]$/[overlay]\nwidth=500\nheight=444/' "$conf"
grep -q '^width=500$' "$conf" || fail "the settings file has no [overlay] section to widen"
mv "$work/zandrel.log" "$work/zandrel-1.log"
start_zandrel_in_chinese --quiet
join_room 123
xdotool windowactivate --sync "$main"
xdotool key ctrl+comma
settings=$(window_named 设置 10) || fail "no settings box"
sleep 0.5
geometry_of "$settings"
box_x=$X box_y=$Y box_w=$WIDTH box_h=$HEIGHT
geometry_of "$overlay"
if [ $((box_x + box_w)) -gt "$X" ] && [ "$box_x" -lt $((X + WIDTH)) ] &&
   [ $((box_y + box_h)) -gt "$Y" ] && [ "$box_y" -lt $((Y + HEIGHT)) ]; then
  fail "the settings box ($box_x,$box_y ${box_w}x$box_h) opened under the overlay ($X,$Y ${WIDTH}x$HEIGHT)"
fi
keep_screenshot settings-clear.png

# Its hotkey field (the fifth stop from the tabs) takes one chord; the Return after it answers the box.
xdotool key Tab Tab Tab Tab Tab
sleep 0.2
xdotool key ctrl+alt+k
sleep 0.2
xdotool key Return
wait_for 5 hidden 设置 || fail "Return after the chord did not answer the settings box"
grep -q '^hotkey=Ctrl+Alt+K$' "$conf" || fail "the hotkey is not the one chord: $(grep '^hotkey=' "$conf")"

# A quiet log: no join request (uid, checksum), no chat lines.
! grep -q '^send : ' "$work/zandrel.log" || fail "a quiet log holds the join request"
! grep -q '\] N: ' "$work/zandrel.log" || fail "a quiet log holds notices"

# Auto-connect: a new start joins the last room, 123, with nothing typed.
stop_zandrel
sed -i 's/^autoConnect=0$/autoConnect=1/' "$conf"
grep -q '^autoConnect=1$' "$conf" || fail "the settings file does not say whether to join at start"
joined=$(joins 123)
start_zandrel_in_chinese --quiet
wait_for 20 joined_more 123 "$joined" || fail "a new start did not join the last room by itself"
window_named 'Zandrel overlay' 20 >/dev/null || fail "the overlay did not map after the automatic join"

echo "PASS: log, notification, separator, handle, tray, settings box, one-chord hotkey and auto-connect on an openbox desktop"
