#!/bin/sh
# Runs a command with a sound server of its own: PulseAudio in a private runtime folder, its default
# sink a null sink named "heard" that the command can record (ZANDREL_AUDIO_SINK), and a home of its
# own, so that speech-dispatcher, which the speech library starts on demand, starts here and speaks
# there. Everything it started is stopped at the end.
#   with_audio.sh [--lang LOCALE] COMMAND...
# --lang runs everything (the speech server included) in that locale, as a desktop session in that
# language would, and makes the locale first where the system lacks it (zh_CN.UTF-8 from the
# locales package's sources).
set -u
if [ "${1:-}" = "--lang" ]; then
    lang=$2
    shift 2
    unset LC_ALL LANGUAGE LC_CTYPE LC_MESSAGES LC_NUMERIC LC_TIME LC_COLLATE LC_MONETARY
    export LANG="$lang"
    case "$lang" in
    C | C.* | POSIX) ;;
    *)
        # `locale` complains on standard error, and only there, about a locale it cannot set.
        if [ -n "$(LC_ALL="$lang" locale 2>&1 >/dev/null)" ]; then
            command -v localedef >/dev/null || { echo "with_audio: $lang is missing and localedef is not installed (the locales package)" >&2; exit 1; }
            localedef -i "${lang%%.*}" -f "$(echo "${lang#*.}" | sed 's/^utf8$/UTF-8/I')" "$lang" ||
                { echo "with_audio: could not make the locale $lang (as root, with the locales package)" >&2; exit 1; }
        fi
        ;;
    esac
fi
work=$(mktemp -d /tmp/zandrel-audio-XXXXXX)
export XDG_RUNTIME_DIR="$work/run" HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
export XDG_DATA_HOME="$work/home/.local/share"
export ZANDREL_AUDIO_SINK=heard
mkdir -p "$XDG_RUNTIME_DIR" "$HOME" && chmod 700 "$XDG_RUNTIME_DIR"
unset PULSE_SERVER SPEECHD_ADDRESS
# The speech library reads the engine's voice list (thousands of lines) with strstr over the rest
# of the list at each line; the sanitizers' strstr checks measure that rest each time, which turns
# seconds into many minutes. The checks of the program's own strstr calls are not worth that here.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}intercept_strstr=0"
export TSAN_OPTIONS="${TSAN_OPTIONS:+$TSAN_OPTIONS:}intercept_strstr=0"

pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit -n \
    --load="module-null-sink sink_name=heard" --load="module-native-protocol-unix" \
    --log-target=file:"$work/pulseaudio.log" &
pulse=$!
cleanup() {
    # speech-dispatcher started on demand carries no marker of ours: end the ones with our runtime dir.
    for pid in $(pgrep -f speech-dispatcher) $(pgrep -f sd_espeak-ng); do
        if tr '\0' '\n' 2>/dev/null < /proc/$pid/environ | grep -qx "XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR"; then
            kill "$pid" 2>/dev/null
            kill -CONT "$pid" 2>/dev/null  # one a test stopped (SIGSTOP) ends only once continued
        fi
    done
    kill "$silence" "$pulse" 2>/dev/null
    wait "$pulse" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT INT TERM
for _ in $(seq 50); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
done
pactl set-default-sink heard || { echo "with_audio: PulseAudio did not start" >&2; cat "$work/pulseaudio.log" >&2; exit 1; }
# Silence played all along: a null sink that nobody plays to renders nothing, and its monitor would
# then record nothing either, so that the recording's times would not be the clock's.
pacat --playback --raw --format=s16le --rate=16000 --channels=1 --device=heard /dev/zero &
silence=$!
"$@"
