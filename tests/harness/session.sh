#!/usr/bin/env bash
# Runs a command inside a private desktop session: a PulseAudio server with a
# null sink on a private XDG_RUNTIME_DIR, an Xvfb display with openbox and
# trayer. Every process started here is stopped on exit, whatever happened.
# A part that does not come up ends the session with a failure, and inside a
# full session (with the display) tests may not skip for a missing part:
# LOQA_NO_SKIP=1 turns such a skip into a failure.
#   tests/harness/session.sh [--no-display] COMMAND...
set -u
want_display=1
if [ "${1:-}" = "--no-display" ]; then want_display=0; shift; fi

root=$(mktemp -d "${TMPDIR:-/tmp}/loqa-session.XXXXXX")
# Whatever a test leaves running (a bus daemon of its own, a program it started
# and never ended, after a crash or a timeout) carries this mark and is ended too.
export LOQA_SESSION_MARK=$root
pids=()
strays() {
    grep -lzx "LOQA_SESSION_MARK=$root" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3 | grep -vx "$$"
}
cleanup() {
    local pid
    for pid in $(strays); do pids+=("$pid"); done
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${pids[@]}"; do
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$pid" 2>/dev/null
    done
    rm -rf "$root"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Gives up on a part that did not come up: says which, shows its log, fails.
fail() {
    echo "session: $1" >&2
    [ -n "${2:-}" ] && [ -s "$2" ] && sed 's/^/  | /' "$2" >&2
    exit 1
}

# wait_for SECONDS WHAT PID COMMAND...: runs COMMAND until it succeeds. Fails
# when process PID ends first, or when SECONDS pass, naming WHAT it waited for.
wait_for() {
    local seconds=$1 what=$2 pid=$3
    shift 3
    local deadline=$((SECONDS + seconds))
    until "$@" >/dev/null 2>&1; do
        kill -0 "$pid" 2>/dev/null || { echo "session: $what: the process ended" >&2; return 1; }
        [ "$SECONDS" -lt "$deadline" ] || { echo "session: $what: not within $seconds s" >&2; return 1; }
        sleep 0.05
    done
}

export XDG_RUNTIME_DIR="$root/run"
export HOME="$root/home"
export XDG_CONFIG_HOME="$HOME/.config"
export XDG_DATA_HOME="$HOME/.local/share"
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
chmod 700 "$XDG_RUNTIME_DIR"
unset PULSE_SERVER PULSE_SINK LOQA_NO_SKIP LOQA_TEST_DISPLAY LOQA_TEST_SINK LOQA_TEST_MONITOR

command -v pulseaudio >/dev/null || fail "the private sound server cannot start: no pulseaudio on PATH"
pulseaudio -n --daemonize=no --use-pid-file=no --system=no --exit-idle-time=-1 \
    --disable-shm=yes --log-target=file:"$root/pulse.log" \
    --load="module-native-protocol-unix" \
    --load="module-null-sink sink_name=loqa_null rate=22050 channels=1" \
    --load="module-always-sink" &
pids+=($!)
wait_for 10 "the private sound server answering" "$!" pactl info ||
    fail "the private sound server did not start" "$root/pulse.log"
pactl set-default-sink loqa_null >/dev/null || fail "the null sink is missing" "$root/pulse.log"
export LOQA_TEST_SINK=loqa_null
export LOQA_TEST_MONITOR=loqa_null.monitor

if [ "$want_display" = 1 ]; then
    for tool in Xvfb xdpyinfo xprop openbox trayer; do
        command -v "$tool" >/dev/null || fail "the private display cannot start: no $tool on PATH"
    done
    # Xvfb picks a free display itself and writes its number once it accepts
    # connections, so two sessions at once never share one.
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$root/display" >"$root/xvfb.log" 2>&1 &
    pids+=($!)
    wait_for 20 "the X server writing its display number" "$!" grep -q '^[0-9]\+$' "$root/display" ||
        fail "the private display did not start" "$root/xvfb.log"
    export DISPLAY=":$(cat "$root/display")"
    wait_for 10 "the X server answering on $DISPLAY" "${pids[-1]}" xdpyinfo ||
        fail "the private display does not answer" "$root/xvfb.log"

    # A window manager that follows the desktop conventions announces itself on
    # the root window. Openbox now and then fails to open a display that has just
    # come up; it is given three tries.
    wm_up=0
    for _ in 1 2 3; do
        openbox --sm-disable >>"$root/openbox.log" 2>&1 &
        pids+=($!)
        if wait_for 10 "openbox managing the display" "$!" \
            sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'; then
            wm_up=1
            break
        fi
        sleep 0.5
    done
    [ "$wm_up" = 1 ] || fail "the window manager did not start" "$root/openbox.log"

    trayer --edge top --align right --widthtype request --height 24 --expand false --transparent false \
        >"$root/trayer.log" 2>&1 &
    pids+=($!)
    # The tray host is up when its panel is mapped on the display.
    wait_for 10 "trayer's panel on the display" "$!" sh -c 'xwininfo -root -tree | grep -q "\"panel\""' ||
        fail "the tray host did not start" "$root/trayer.log"
    export LOQA_TEST_DISPLAY="$DISPLAY"
    export LOQA_NO_SKIP=1
fi

"$@"
status=$?
exit $status
