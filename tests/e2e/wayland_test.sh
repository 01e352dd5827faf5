#!/usr/bin/env bash
# End to end on a Wayland desktop: a compositor nested in an Xvfb of its own, so that xdotool on the
# Xvfb drives the compositor's real input and a screenshot of the Xvfb shows everything the
# compositor draws, Wayland windows included. A fullscreen "game" in one colour holds the keyboard:
# a native Wayland window, or the same program through Xwayland. Zandrel starts as a desktop would
# start it (no platform chosen) and is driven by its commands (--connect, --toggle-lock), as a
# desktop's shortcuts would drive it, so that the game keeps the keyboard throughout. Checks, from
# the desktop's side:
#   - the overlay stands at the right edge, above the fullscreen game, translucent (the game's colour
#     darkened by the overlay's black, not hidden and not shown unchanged);
#   - the game keeps the focus when the overlay appears, and when it disappears and comes back;
#   - locked, a click on the overlay reaches the game below, where the desktop lets it (see
#     README's table); the handle stands above the overlay;
#   - a failure box (a refused room) leaves the game the keyboard.
#   wayland_test.sh <kwin|sway|mutter> <native|x11> <zandrel> <zandrel-demo> <click-target> <work-dir>
# sway refuses to run as root: it and the desktop's programs run as ZANDREL_TEST_USER (default
# zandrel-test, which scripts/install-deps.sh creates).
# With SCREENSHOT_DIR set, it leaves a screenshot of the desktop there.
set -euo pipefail

compositor=$1 game_platform=$2 zandrel=$3 demo=$4 target=$5 work=$6
mkdir -p "$work"
rm -rf "${work:?}"/*
source "$(dirname "$0")/lib.sh"

start_display 1280x800
xvfb=$DISPLAY
# The compositor's socket, named for this run, so that the test ends whatever carries the name. The
# desktop's session bus is a daemon of the test's own (dbus-run-session would leave its daemon
# behind when it is ended from outside), as are the session's first program and the document
# portal's file system in the runtime folder, which the desktop's portals start.
socket_name=zandrel-$compositor-$$
trap 'pkill -f -- "$socket_name" 2>/dev/null || true; pkill -f -- "$work/session-start.sh" 2>/dev/null || true
  fusermount3 -u "$XDG_RUNTIME_DIR/doc" 2>/dev/null || true; cleanup' EXIT
start_session_bus() {
  dbus-daemon --session --nofork --print-address=1 >"$work/bus.address" 2>"$work/bus.log" &
  pids+=($!)
  wait_for 10 test -s "$work/bus.address" || fail "no session bus"
  export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus.address")
}

# The compositor; sets session_display (its Xwayland) and exports WAYLAND_DISPLAY for its clients.
start_kwin() {
  # The packaged binary carries a file capability that the kernel refuses here; a plain copy works,
  # under the same name.
  mkdir -p "$work/bin" "$work/kwin-config"
  cp /usr/bin/kwin_wayland "$work/bin/kwin_wayland"
  # No screen locker: there is no login manager to unlock it, and it would cover everything.
  printf '[Daemon]\nAutolock=false\nLockOnResume=false\n' >"$work/kwin-config/kscreenlockerrc"
  # The session's first program tells the test its displays, and then waits as a session does.
  cat >"$work/session-start.sh" <<EOF
#!/bin/sh
echo "session_display=\$DISPLAY wayland_display=\$WAYLAND_DISPLAY" >"$work/session.env.tmp"
mv "$work/session.env.tmp" "$work/session.env"
while kill -0 \$PPID 2>/dev/null; do sleep 1; done  # as long as KWin runs
EOF
  chmod +x "$work/session-start.sh"
  start_session_bus
  XDG_CONFIG_HOME="$work/kwin-config" "$work/bin/kwin_wayland" --x11-display "$xvfb" \
    --xwayland --width 1280 --height 800 --socket "$socket_name" "$work/session-start.sh" \
    >"$work/kwin.log" 2>&1 &
  pids+=($!)
  wait_for 40 test -s "$work/session.env" || fail "KWin did not start its session"
  eval "$(cat "$work/session.env")"
  export WAYLAND_DISPLAY=$wayland_display
}

# Runs a program of the desktop: as the desktop's user, with its displays and folders.
as_desktop() { "$@"; }

start_sway() {
  local user=${ZANDREL_TEST_USER:-zandrel-test}
  id "$user" >/dev/null 2>&1 || fail "no user $user to run sway as (scripts/install-deps.sh makes one)"
  # The desktop's user must reach the programs and the test's folder; a checkout in a folder that
  # only root may enter cannot be tested this way.
  if ! runuser -u "$user" -- test -x "$zandrel" -a -x "$target" -a -w "$work"; then
    chmod a+rwx "$work" 2>/dev/null || true
    runuser -u "$user" -- test -x "$zandrel" -a -x "$target" -a -w "$work" || {
      echo "SKIP: $user cannot run the programs under $(dirname "$zandrel")"
      exit 77
    }
  fi
  local runtime="$work/sway-runtime"
  mkdir -p -m 0700 "$runtime" "$work/sway-config"
  cat >"$work/session-start.sh" <<END
#!/bin/sh
echo "session_display=\$DISPLAY wayland_display=\$WAYLAND_DISPLAY" >"$runtime/session.env.tmp"
mv "$runtime/session.env.tmp" "$runtime/session.env"
END
  chmod 0755 "$work/session-start.sh"
  cat >"$work/sway.conf" <<END
output * resolution 1280x800 position 0 0 bg #204060 solid_color
default_border none
xwayland enable
exec $work/session-start.sh
END
  chown -R "$user" "$runtime" "$work/sway-config"
  chmod 0644 "$work/sway.conf"
  runuser -u "$user" -- env -i PATH="$PATH" HOME="$work/sway-config" DISPLAY="$xvfb" XDG_RUNTIME_DIR="$runtime" \
    WLR_BACKENDS=x11 WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
  pids+=($!)
  wait_for 40 test -s "$runtime/session.env" || fail "sway did not start its session"
  eval "$(cat "$runtime/session.env")"
  export WAYLAND_DISPLAY=$wayland_display
  # The desktop's programs run as its user; the test reads what they write.
  mkdir -p "$XDG_CONFIG_HOME"
  chown -R "$user" "$XDG_CONFIG_HOME"
  desktop_user=$user desktop_runtime=$runtime
  as_desktop() {
    runuser -u "$desktop_user" -- env -i PATH="$PATH" LANG="${LANG:-C.UTF-8}" HOME="$work/sway-config" XDG_RUNTIME_DIR="$desktop_runtime" \
      XDG_CONFIG_HOME="$XDG_CONFIG_HOME" DISPLAY="$session_display" WAYLAND_DISPLAY="$wayland_display" \
      XDG_SESSION_TYPE=wayland ASAN_OPTIONS="${ASAN_OPTIONS:-}" LSAN_OPTIONS="${LSAN_OPTIONS:-}" \
      UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" ${QT_QPA_PLATFORM:+QT_QPA_PLATFORM=$QT_QPA_PLATFORM} "$@"
  }
}

start_mutter() {
  # Its nested output takes the size of a dummy mode; its Xwayland wants the cookie it made.
  start_session_bus
  MUTTER_DEBUG_DUMMY_MODE_SPECS=1280x800 mutter --wayland --nested \
    --wayland-display "$socket_name" >"$work/mutter.log" 2>&1 &
  pids+=($!)
  wait_for 30 grep -q "Using public X11 display" "$work/mutter.log" || fail "Mutter did not start"
  local log
  log=$(cat "$work/mutter.log")
  session_display=${log#*Using public X11 display }
  session_display=${session_display%%,*}
  auth_file() { compgen -G "$XDG_RUNTIME_DIR/.mutter-Xwaylandauth.*" >/dev/null; }
  wait_for 10 auth_file || fail "Mutter made no Xwayland cookie"
  local cookies
  cookies=$(compgen -G "$XDG_RUNTIME_DIR/.mutter-Xwaylandauth.*")
  export XAUTHORITY=${cookies%%$'\n'*}
  export WAYLAND_DISPLAY=$socket_name
}

case $compositor in
  kwin) start_kwin ;;
  sway) start_sway ;;
  mutter) start_mutter ;;
  *) fail "no such compositor: $compositor" ;;
esac
[ -n "$session_display" ] || fail "the compositor offers no Xwayland"
# On KWin, the desktop's portals on its session bus, as Plasma starts them: the lock key goes
# through the GlobalShortcuts portal there.
portal_kde=/usr/lib/x86_64-linux-gnu/libexec/xdg-desktop-portal-kde
if [ "$compositor" = kwin ] && [ -x "$portal_kde" ] && [ -x /usr/libexec/xdg-desktop-portal ]; then
  export XDG_CURRENT_DESKTOP=KDE
  DISPLAY=$session_display "$portal_kde" >"$work/portal-kde.log" 2>&1 &
  pids+=($!)
  /usr/libexec/xdg-desktop-portal --replace >"$work/portal.log" 2>&1 &
  pids+=($!)
  portal_shortcuts=yes
fi
# From here on, programs start as the desktop's own would: with its displays.
export XDG_SESSION_TYPE=wayland DISPLAY=$session_display
unset QT_QPA_PLATFORM

# The desktop's own display (the Xwayland), for asking where its X11 clients are.
on_session() { DISPLAY=$session_display as_desktop "$@"; }
# Sets X, Y, WIDTH and HEIGHT of the desktop's X11 window $1.
session_geometry_of() {
  local info
  info=$(on_session xwininfo -id "$1")
  eval "$(awk -F: '/Absolute upper-left X/ { print "X=" $2+0 } /Absolute upper-left Y/ { print "Y=" $2+0 }
    /^ *Width/ { print "WIDTH=" $2+0 } /^ *Height/ { print "HEIGHT=" $2+0 }' <<<"$info")"
}
# Input and screenshots go through the Xvfb, that is through the compositor.
screenshot() { DISPLAY=$xvfb import -window root "$1"; }
click_at() { DISPLAY=$xvfb xdotool mousemove "$1" "$2" click 1; }
game_active() { local last; last=$(grep -E '^(active|inactive)$' "$work/game.log" || true); [ "${last##*$'\n'}" = "active" ]; }
# Where the compositor offers a layer shell (KWin, sway), the overlay is a layer surface, which no
# X11 tool sees: its place and presence are read from the screen. Elsewhere it is an X11 window of
# the Xwayland.
case $compositor in
  kwin | sway) layer_shell=yes ;;
  *) layer_shell=no ;;
esac
# A pixel of the game's orange, and the same under the overlay's translucent black (160/255).
game_orange=255,128,0 under_overlay=95,48,0
colour_at() {  # x y expected-colour: within a small distance
  local seen
  seen=$(pixel "$work/screen.png" "$1" "$2")
  [ "$(colour_distance "$seen" "$3")" -le 16 ]
}
overlay_shown() {
  if [ "$layer_shell" = yes ]; then
    screenshot "$work/screen.png"
    colour_at $((993 + 3)) $((178 + 220)) $under_overlay
  else
    on_session xdotool search --onlyvisible --name '^Zandrel overlay$' >/dev/null
  fi
}
# The overlay's rectangle on the screen, from the pixels just inside and just outside its edges (its
# corners are rounded, so the edges are sampled in their middles).
overlay_at() {  # x y width height
  local x=$1 y=$2 w=$3 h=$4
  screenshot "$work/screen.png"
  colour_at $((x + 1)) $((y + h / 2)) $under_overlay && colour_at $((x - 2)) $((y + h / 2)) $game_orange &&
    colour_at $((x + w - 2)) $((y + h / 2)) $under_overlay && colour_at $((x + w + 1)) $((y + h / 2)) $game_orange &&
    colour_at $((x + w / 2)) $((y + 1)) $under_overlay && colour_at $((x + w / 2)) $((y - 2)) $game_orange &&
    colour_at $((x + w / 2)) $((y + h - 2)) $under_overlay && colour_at $((x + w / 2)) $((y + h + 1)) $game_orange
}
# A drag with the left button, in steps as a hand makes it.
drag() {  # from-x from-y to-x to-y
  DISPLAY=$xvfb xdotool mousemove "$1" "$2" mousedown 1
  local step
  for step in 1 2 3 4; do
    sleep 0.1
    DISPLAY=$xvfb xdotool mousemove $(($1 + ($3 - $1) * step / 4)) $(($2 + ($4 - $2) * step / 4))
  done
  sleep 0.2
  DISPLAY=$xvfb xdotool mouseup 1
}

# Where a click on the locked overlay reaches the game: README's table, measured. Through Xwayland,
# the overlay's empty input region lets a click through to X11 windows below it where the
# compositor asks Xwayland for the window under the pointer (Mutter), and to no window of another
# client where it does not (sway); a native Wayland window below it gets none.
# On a layer surface, the overlay's input region is the handle alone while locked, so a click goes to
# whatever is below, on every compositor that offers one.
case $compositor-$game_platform in
  mutter-x11 | kwin-* | sway-*) expect_click_through=yes ;;
  *) expect_click_through=no ;;
esac
expect_click_through=${EXPECT_CLICK_THROUGH:-$expect_click_through}
start_demo 0
game_env=(QT_QPA_PLATFORM=wayland)
[ "$game_platform" = x11 ] && game_env=(QT_QPA_PLATFORM=xcb)
QT_QPA_PLATFORM=${game_env[0]#QT_QPA_PLATFORM=} as_desktop "$target" --fullscreen-game ff8000 >"$work/game.log" 2>&1 &
pids+=($!)
wait_for 20 game_active || fail "the fullscreen game did not get the focus"

# Zandrel as a desktop starts it, told to join room 123 at once.
as_desktop "$zandrel" --lookup-host "127.0.0.1:$port" --connect 123 >>"$work/zandrel.log" 2>&1 &
pids+=($!)
wait_for 20 overlay_shown || fail "the overlay did not appear"
if [ "$layer_shell" = yes ]; then
  grep -q "the overlay is shown on a layer shell" "$work/zandrel.log" || fail "the overlay is not on a layer surface"
  wait_for 5 overlay_at 993 178 267 444 || fail "the overlay is not at 993,178 267x444 (see $work/screen.png)"
else
  overlay=$(on_session xdotool search --onlyvisible --name '^Zandrel overlay$')
  overlay=${overlay%%$'\n'*}
  session_geometry_of "$overlay"
  [ "$X,$Y,$WIDTH,$HEIGHT" = "993,178,267,444" ] || fail "overlay at $X,$Y ${WIDTH}x$HEIGHT, expected 993,178 267x444"
fi

# The game takes the keyboard back from the main window, away from the overlay and the window.
click_at 200 700
wait_for 10 game_active || fail "the game did not get the focus back"
activations=$(grep -c '^inactive$' "$work/game.log" || true)

# The overlay goes and comes back, as after a change of room: the game keeps the focus.
as_desktop "$zandrel" --disconnect || fail "--disconnect failed"
overlay_gone() { ! overlay_shown; }
wait_for 10 overlay_gone ||
  fail "the overlay stayed after --disconnect"
as_desktop "$zandrel" --connect 123 || fail "--connect failed"
wait_for 20 overlay_shown || fail "the overlay did not come back"
sleep 1
[ "$(grep -c '^inactive$' "$work/game.log" || true)" = "$activations" ] || fail "the overlay took the focus from the game"
game_active || fail "the game lost the focus"

# Above the game and translucent: a pixel of the overlay's margin is the game's orange darkened by
# the overlay's black at 160/255, neither the orange itself (below the game) nor black (opaque).
# (The compositor draws the overlay a frame or so after it maps.)
margin_translucent() {
  screenshot "$work/screen.png"
  seen=$(pixel "$work/screen.png" $((993 + 3)) $((178 + 220)))
  [ "$(colour_distance "$seen" 95,48,0)" -le 16 ]
}
wait_for 10 margin_translucent ||
  fail "the overlay's margin is $seen, not the game's orange under the translucent black (95,48,0)"
if [ -n "${SCREENSHOT_DIR:-}" ]; then
  mkdir -p "$SCREENSHOT_DIR"
  cp "$work/screen.png" "$SCREENSHOT_DIR/$compositor-$game_platform.png"
fi

# On KWin, the desktop binds the lock key for Zandrel through its GlobalShortcuts portal, and the key
# reaches it while the native game has the keyboard: the handle's disc (left of its padlock) turns
# the locked light grey, then back.
if [ "${portal_shortcuts:-}" = yes ]; then
  wait_for 20 grep -q "the desktop's shortcut portal binds the lock key Ctrl+Alt+L" "$work/zandrel.log" ||
    fail "the desktop's portal did not bind the lock key"
  handle_is() { screenshot "$work/screen.png"; colour_at $((993 + 267 - 23 + 4)) $((178 + 5 + 10)) "$1"; }
  DISPLAY=$xvfb xdotool key ctrl+alt+l
  wait_for 5 handle_is 161,136,110 || fail "Ctrl+Alt+L through the portal did not lock the overlay"
  DISPLAY=$xvfb xdotool key ctrl+alt+l
  wait_for 5 handle_is 74,49,23 || fail "Ctrl+Alt+L through the portal did not unlock the overlay"
  game_active || fail "the game lost the focus to the lock key"
fi

# Unlocked, the overlay follows a drag, and comes back with another; the game keeps the keyboard.
drag $((993 + 130)) $((178 + 300)) $((693 + 130)) $((218 + 300))
wait_for 5 overlay_at 693 218 267 444 || fail "the overlay did not follow the drag to 693,218 (see $work/screen.png)"
drag $((693 + 130)) $((218 + 300)) $((993 + 130)) $((178 + 300))
wait_for 5 overlay_at 993 178 267 444 || fail "the overlay did not come back to 993,178 (see $work/screen.png)"
# KWin takes the keyboard from the active window at a press on a layer surface, even one that asks
# for none (README's table): there the streamer clicks the game again, as after arranging anything.
if [ "$compositor" = kwin ]; then
  click_at 200 700
  wait_for 10 game_active || fail "the game did not get the focus back after the drag"
else
  game_active || fail "the game lost the focus to the drag"
fi
! grep -q "^press 1123 478$" "$work/game.log" || fail "a press on the unlocked overlay reached the game"
! grep -q "^press 1093 508$" "$work/game.log" || fail "the game had a press at 1093,508 before the test made one"

# Locked, a click on the overlay reaches the game below it.
as_desktop "$zandrel" --toggle-lock || fail "--toggle-lock failed"
sleep 0.5
# (Elsewhere than where the drag left the pointer: a hand moves before it clicks, and Xwayland on
# sway learns where the pointer is only from motion.)
presses_before=$(presses "$work/game.log")
click_at $((993 + 100)) $((178 + 330))
if [ "$compositor-$game_platform" = sway-x11 ]; then
  # The click reaches the game, but after the drag Xwayland on sway puts it elsewhere (measured: at
  # 1279,286) until the pointer has moved over the game; README's table.
  more_presses() { [ "$(presses "$work/game.log")" -gt "$presses_before" ]; }
  wait_for 5 more_presses || fail "a click on the locked overlay did not reach the game"
elif [ "$expect_click_through" = yes ]; then
  wait_for 5 grep -q "^press 1093 508$" "$work/game.log" || fail "a click on the locked overlay did not reach the game"
else
  sleep 1
  ! grep -q "^press 1093 508$" "$work/game.log" || fail "a click on the locked overlay reached the game; README's table says it does not"
fi
game_active || fail "the game lost the focus to the lock"

# The handle stands above the overlay: its disc, left of the padlock, has the locked light grey
# (235,235,235), however translucent the handle is drawn, not the overlay's darkened orange.
handle_shown() {
  screenshot "$work/screen.png"
  seen=$(pixel "$work/screen.png" $((993 + 267 - 23 + 4)) $((178 + 5 + 10)))
  [ "$(colour_distance "$seen" 95,48,0)" -gt 16 ]
}
wait_for 5 handle_shown || fail "the handle is not above the overlay (its middle is $seen)"

# A failure (a refused room) shows its box, and the game keeps the keyboard.
activations=$(grep -c '^inactive$' "$work/game.log" || true)
as_desktop "$zandrel" --connect 902 || fail "--connect failed"
box_shown() { on_session xdotool search --onlyvisible --name '^提示$' >/dev/null; }
wait_for 20 box_shown || fail "no failure box"
sleep 1
[ "$(grep -c '^inactive$' "$work/game.log" || true)" = "$activations" ] || fail "the failure box took the focus from the game"
echo "PASS: on $compositor with a $game_platform game: place, above, translucent, focus, lock, handle, failure box"
