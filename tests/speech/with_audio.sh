#!/bin/sh
# Runs a command with a sound server of its own: PulseAudio in a private runtime folder, its default
# sink a null sink named "heard" that the command can record (ZANDREL_AUDIO_SINK), and a home of its
# own, so that speech-dispatcher, which the speech library starts on demand, starts here and speaks
# there. Everything it started is stopped at the end.
set -u
work=$(mktemp -d /tmp/zandrel-audio-XXXXXX)
export XDG_RUNTIME_DIR="$work/run" HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
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
