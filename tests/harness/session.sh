#!/usr/bin/env bash
# Runs a command inside a private desktop session: a PulseAudio server with a
# null sink on a private XDG_RUNTIME_DIR, an Xvfb display with openbox and
# trayer. Every process started here is stopped on exit, whatever happened.
#   tests/harness/session.sh [--no-display] COMMAND...
set -u
want_display=1
if [ "${1:-}" = "--no-display" ]; then want_display=0; shift; fi

root=$(mktemp -d "${TMPDIR:-/tmp}/loqa-session.XXXXXX")
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${pids[@]}"; do
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$pid" 2>/dev/null
    done
    rm -rf "$root"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

export XDG_RUNTIME_DIR="$root/run"
export HOME="$root/home"
export XDG_CONFIG_HOME="$HOME/.config"
export XDG_DATA_HOME="$HOME/.local/share"
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
chmod 700 "$XDG_RUNTIME_DIR"
unset PULSE_SERVER PULSE_SINK

pulseaudio -n --daemonize=no --use-pid-file=no --system=no --exit-idle-time=-1 \
    --disable-shm=yes --log-target=file:"$root/pulse.log" \
    --load="module-native-protocol-unix" \
    --load="module-null-sink sink_name=loqa_null rate=22050 channels=1" \
    --load="module-always-sink" &
pids+=($!)
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done
if ! pactl info >/dev/null 2>&1; then
    echo "session: the private sound server did not start" >&2
    cat "$root/pulse.log" >&2
    exit 1
fi
pactl set-default-sink loqa_null >/dev/null
export LOQA_TEST_SINK=loqa_null
export LOQA_TEST_MONITOR=loqa_null.monitor

if [ "$want_display" = 1 ]; then
    # A display number of our own: the first free one from 90 on.
    n=90
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >"$root/xvfb.log" 2>&1 &
    pids+=($!)
    export DISPLAY=":$n"
    for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
    sleep 0.2
    openbox --sm-disable >"$root/openbox.log" 2>&1 &
    pids+=($!)
    trayer --edge top --align right --widthtype request --height 24 --expand false --transparent false \
        >"$root/trayer.log" 2>&1 &
    pids+=($!)
    sleep 0.5
    export LOQA_TEST_DISPLAY="$DISPLAY"
fi

"$@"
status=$?
exit $status
