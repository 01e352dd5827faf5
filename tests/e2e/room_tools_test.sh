#!/bin/bash
# The room's tools end to end on a desktop (openbox, xcompmgr, a game window of another program
# holding the keyboard), with the real binary and the demo service, checked from the screen and
# from the disk:
#   - with 观众19 and 观众20 highlighted (green) and 观众20 blocked, room 900's last lines show one green line
#     (title and text), where without the block they show two; the gift stands out in its own
#     colour (magenta);
#   - the chat log holds the room's lines in order, in UTF-8, without the blocked viewer's;
#   - in the flood of room 907 with repeats merged, counts grow in place: between two looks the
#     rows that hold counts stay while the counts change; without merging there are none;
#   - in the flood, with or without merging, every look at the overlay shows its text: painting held
#     back to the display's frames never leaves the overlay empty on the screen.
#   room_tools_test.sh <zandrel> <zandrel-demo> <click-target> <work-dir>
# With SCREENSHOT_DIR set, it leaves screenshots of the desktop there.
set -euo pipefail

zandrel=$1 demo=$2 target=$3 work=$4
mkdir -p "$work"
rm -rf "${work:?}"/*
source "$(dirname "$0")/lib.sh"
export XDG_DATA_HOME="$work/data"


# What the streamer set up in an earlier run.
write_settings() {
  mkdir -p "$XDG_CONFIG_HOME/Zandrel"
  cat >"$XDG_CONFIG_HOME/Zandrel/Zandrel.conf" <<CONF
[rules]
blockedSenders=$1
highlightedSenders="观众19\n观众20"
mergeRepeats=$2
[look]
highlightColour=#00ff00
giftsStandOut=1
giftColour=#ff00ff
[log]
enabled=1
CONF
}
# The rows of the PNG $1 that hold pixels near the colour r g b, one a line, top to bottom.
rows_of() {
  convert "$1" -depth 8 txt:- | awk -v r="$2" -v g="$3" -v b="$4" -F'[(),]' '
    NR > 1 { dr = $3 - r; dg = $4 - g; db = $5 - b;
             if (dr*dr < 1600 && dg*dg < 1600 && db*db < 1600 && !hit[$2 + 0]++) print $2 + 0 }'
}
rows_with() { rows_of "$@" | wc -l; }
# Fails unless the overlay's face in the PNG $1 shows text (white pixels); $2 says when.
shows_text() {
  [ "$(count_colour "$1" 252 252 252)" -gt 50 ] || { cp "$1" "$work/empty-overlay.png"; fail "the overlay was empty $2 (the look: $work/empty-overlay.png)"; }
}

start_display 1280x800
start_desktop room-tools
start_demo 0
"$target" --game 60 60 420 300 >"$work/game.log" 2>&1 &
pids+=($!)
game=$(window_named game 10) || fail "no game window"

# ---- Block, highlight, gifts, and the log: room 900 ------------------------------------------
write_settings 观众20 0
start_zandrel
join_room 900
log_file() { ls "$XDG_DATA_HOME"/zandrel/logs/room-900-*.txt 2>/dev/null | head -n 1; }
has_gift() { [ -n "$(log_file)" ] && grep -q $'\t土豪\t\[礼物\] ' "$(log_file)"; }
wait_for 10 has_gift || fail "the gift is not in the chat log (in $XDG_DATA_HOME: $(find "$XDG_DATA_HOME" -type f))"
sleep 0.5
focused "$game" || fail "the game lost the keyboard"
overlay_shot "$work/room900.png"
keep_screenshot highlight-and-gift.png
# One line (a title and a text) is about two rows of text high.
line_rows=$(rows_with "$work/room900.png" 255 0 255)  # the gift's line
green=$(rows_with "$work/room900.png" 0 255 0)
echo "green rows: $green; the gift's line: $line_rows rows"
[ "$green" -gt $((line_rows / 2)) ] && [ "$green" -lt $((line_rows * 3 / 2)) ] ||
  fail "$green rows in green in the overlay, expected one line's ($line_rows): 观众19's, with 观众20 blocked"
[ "$(count_colour "$work/room900.png" 255 0 255)" -gt 20 ] || fail "no gift in magenta in the overlay"

# The settings box's page of lists, for the README.
if [ -n "${SCREENSHOT_DIR:-}" ]; then
  xdotool windowactivate --sync "$main"
  xdotool key ctrl+comma
  settings=$(window_named 设置 10) || fail "no settings box"
  xdotool windowactivate --sync "$settings"
  xdotool key ctrl+Tab
  xdotool windowmove "$settings" 40 40
  sleep 0.8
  keep_screenshot settings-lists.png
  xdotool key Escape
  wait_for 5 eval '! xdotool search --onlyvisible --name "^设置\$" >/dev/null' || fail "the settings box did not close"
  xdotool windowactivate --sync "$game"
fi

# The log: the room's lines in order, UTF-8, the blocked viewer's not among them.
log=$(log_file)
iconv -f UTF-8 -t UTF-8 "$log" >/dev/null || fail "the chat log is not UTF-8"
! grep -q $'\t观众20\t' "$log" || fail "the blocked viewer's line is in the log"
expected=$(for i in $(seq 1 19); do echo "观众$i"; done; echo 土豪)
actual=$(awk -F'\t' '$2 ~ /^观众|^土豪/ { print $2 }' "$log")
[ "$actual" = "$expected" ] || fail "the log's lines: $(echo $actual), expected $(echo $expected)"
stop_zandrel

# The same room without the block: two green lines, so the count above saw the block.
write_settings "" 0
start_zandrel
join_room 900
wait_for 10 eval '[ "$(grep -c $'"'"'\t土豪\t'"'"' "$(log_file)")" -ge 2 ]' || fail "no second gift in the log"
sleep 0.5
overlay_shot "$work/room900-unblocked.png"
green=$(rows_with "$work/room900-unblocked.png" 0 255 0)
echo "green rows without the block: $green"
[ "$green" -gt $((line_rows * 3 / 2)) ] || fail "$green rows in green without the block, expected two lines' ($((2 * line_rows)))"
stop_zandrel

# ---- Repeats merged in the flood of room 907 --------------------------------------------------
# A merged line's count is drawn in its own colour (255,170,80). With merging on, the counts grow in
# place: between two looks the rows holding counts stay where they were while what they show
# changes. With merging off there are no counts.
count_colour_rgb="255 170 80"
write_settings "" 1
start_zandrel
join_room 907
sleep 2
grew_in_place=
for i in $(seq 1 20); do
  overlay_shot "$work/a.png"
  sleep 0.2
  overlay_shot "$work/b.png"
  shows_text "$work/a.png" "in room 907's flood, repeats merged"
  shows_text "$work/b.png" "in room 907's flood, repeats merged"
  rows_a=$(rows_of "$work/a.png" $count_colour_rgb | tr '\n' ' ')
  rows_b=$(rows_of "$work/b.png" $count_colour_rgb | tr '\n' ' ')
  changed=$(compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 || true)
  if [ -n "$rows_a" ] && [ "$rows_a" = "$rows_b" ] && [ "${changed%% *}" -gt 0 ]; then
    grew_in_place=1
    break
  fi
done
keep_screenshot merged.png
focused "$game" || fail "the game lost the keyboard in the flood"
[ -n "$grew_in_place" ] || fail "no count grew in place in room 907 (rows with counts: '$rows_a', then '$rows_b')"
stop_zandrel

write_settings "" 0
start_zandrel
join_room 907
sleep 2
for i in $(seq 1 10); do
  overlay_shot "$work/unmerged.png"
  shows_text "$work/unmerged.png" "in room 907's flood"
done
[ "$(rows_with "$work/unmerged.png" $count_colour_rgb)" -eq 0 ] || fail "counts in room 907 without merging"
stop_zandrel
echo "PASS"
