#!/bin/sh
# Runs a command on an X server of its own (Xvfb, which picks a free display number), with Qt on
# xcb and no session bus of the user's desktop, in the locale ZANDREL_TEST_LOCALE (zh_CN.UTF-8, say:
# made here, whatever the machine has) or the C one. The X server is stopped at the end.
#   [ZANDREL_TEST_LOCALE=zh_CN.UTF-8] with_xvfb.sh <command> [arguments...]
set -u
work=$(mktemp -d /tmp/zandrel-xvfb-XXXXXX)
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb=$!
cleanup() { kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT INT TERM
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || { echo "with_xvfb: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(cat "$work/display")" QT_QPA_PLATFORM=xcb DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"
unset WAYLAND_DISPLAY
export XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
locale=${ZANDREL_TEST_LOCALE:-C}
if [ "$locale" != C ]; then
    mkdir -p "$work/locale"
    localedef -i "${locale%%.*}" -f "${locale#*.}" "$work/locale/$locale" 2>"$work/localedef.log" ||
        [ -d "$work/locale/$locale" ] || { echo "with_xvfb: cannot make the locale $locale" >&2; exit 1; }
    export LOCPATH="$work/locale"
fi
export LANG=$locale LC_ALL=$locale
"$@"
