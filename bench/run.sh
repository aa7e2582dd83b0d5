#!/usr/bin/env bash
# The benchmarks. Each prints one summary line: name, value, unit, target.
# Run by `make bench` inside the private session (sound server, no display).
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
loqa=$(cd "$build" && pwd)/bin/loqa
bin=$(cd "$build" && pwd)/bin
firstsound=$bin/bench_firstsound
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
runs=${BENCH_RUNS:-3}

"$here/make-text.sh" 100000 > "$work/book.txt"
"$here/make-text.sh" 10000 > "$work/small.txt"
"$here/make-text.sh" 1000000 > "$work/mega.txt"
"$here/make-text.sh" 900 > "$work/minute.txt"
"$here/make-text.sh" 50000 > "$work/half.txt"
echo "Hello there, this is one line." > "$work/line.txt"

now() { date +%s.%N; }
# limited SECONDS COMMAND...: every step has an end; one that hangs stops the
# benchmarks and says which it was.
limited() {
    local seconds=$1 status=0
    shift
    timeout --kill-after=10 "$seconds" "$@" || status=$?
    if [ "$status" = 124 ] || [ "$status" = 137 ]; then
        echo "bench: $(basename "$1") ${2:-} did not end within $seconds s" >&2
    fi
    return "$status"
}
median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
line() { printf '%-28s %10s %-4s %s\n' "$1" "$2" "$3" "$4"; }

# Rendering speed: loqa against espeak-ng alone, same voice and speed, alternated.
: > "$work/loqa.t"; : > "$work/espeak.t"
for _ in $(seq "$runs"); do
    t0=$(now); limited 600 "$loqa" /ttw "$work/book.txt" "$work/out.wav" -w 0 >/dev/null; t1=$(now)
    echo "$t1 - $t0" | bc -l >> "$work/loqa.t"
    t0=$(now); limited 600 espeak-ng -v en -s 175 -w "$work/ref.wav" -f "$work/book.txt"; t1=$(now)
    echo "$t1 - $t0" | bc -l >> "$work/espeak.t"
done
lt=$(median < "$work/loqa.t"); et=$(median < "$work/espeak.t")
audio=$(soxi -D "$work/out.wav")
line render_time_loqa "$(printf %.2f "$lt")" s "audio $(printf %.0f "$audio") s"
line render_time_espeak "$(printf %.2f "$et")" s "reference"
line render_time_ratio "$(echo "$lt / $et" | bc -l | xargs printf %.3f)" x "<= 1.05"

# flite: loqa against the flite program on 10 KB, same voice, alternated.
slt=$("$loqa" /e | tr -d '\r' | sed -n 's/^\([0-9]*\)\. English (America) slt Female (flite)$/\1/p')
: > "$work/floqa.t"; : > "$work/flite.t"
for _ in $(seq "$runs"); do
    t0=$(now); limited 600 "$loqa" /ttw "$work/small.txt" "$work/fout.wav" -w 0 -e "$slt" >/dev/null; t1=$(now)
    echo "$t1 - $t0" | bc -l >> "$work/floqa.t"
    t0=$(now); limited 600 flite -voice slt -f "$work/small.txt" -o "$work/fref.wav"; t1=$(now)
    echo "$t1 - $t0" | bc -l >> "$work/flite.t"
done
lt=$(median < "$work/floqa.t"); ft=$(median < "$work/flite.t")
line render_time_loqa_flite "$(printf %.2f "$lt")" s "audio $(printf %.0f "$(soxi -D "$work/fout.wav")") s (flite's $(printf %.0f "$(soxi -D "$work/fref.wav")") s)"
line render_time_flite "$(printf %.2f "$ft")" s "reference"
line render_time_ratio_flite "$(echo "$lt / $ft" | bc -l | xargs printf %.3f)" x "<= 1.05"
rm -f "$work/fout.wav" "$work/fref.wav"

# Memory: peak resident size of that run, and of the same on a 10 KB text.
big=$( { limited 600 /usr/bin/time -f %M "$loqa" /ttw "$work/book.txt" "$work/out.wav" -w 0 >/dev/null; } 2>&1 | tail -n1)
small=$( { limited 120 /usr/bin/time -f %M "$loqa" /ttw "$work/small.txt" "$work/small.wav" -w 0 >/dev/null; } 2>&1 | tail -n1)
line render_peak_rss_100k "$((big / 1024))" MB "<= 60"
line render_peak_rss_growth "$(( (big - small) / 1024 ))" MB "<= 10 (100 KB vs 10 KB)"

# First sound: process start to the first sound heard at the null sink.
mega=$(limited 300 "$firstsound" "$loqa" "$work/mega.txt" 5)
one=$(limited 300 "$firstsound" "$loqa" "$work/line.txt" 5)
line first_sound_1mb "$mega" ms "<= 300"
line first_sound_one_line "$one" ms "reference"
line first_sound_difference "$((mega - one))" ms "<= 50"
line first_sound_1mb_flite "$(limited 300 "$firstsound" "$loqa" "$work/mega.txt" 5 -e "$slt")" ms "<= 300"
# speech-dispatcher: a private daemon with its espeak-ng module, playing to the null sink.
if command -v speech-dispatcher >/dev/null; then
    sd=$work/speechd; mkdir -p "$sd/config/modules" "$sd/run"; chmod 700 "$sd/run"
    printf 'AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"\nDefaultModule espeak-ng\nAudioOutputMethod "pulse"\n' \
        > "$sd/config/speechd.conf"
    echo "EspeakIndexing 1" > "$sd/config/modules/espeak-ng.conf"
    PULSE_SERVER=${PULSE_SERVER:-unix:$XDG_RUNTIME_DIR/pulse/native} XDG_RUNTIME_DIR=$sd/run \
        speech-dispatcher -s -t 0 -c unix_socket -S "$sd/sock" -C "$sd/config" -L "$sd/log" >/dev/null 2>&1 &
    sdpid=$!
    for _ in $(seq 100); do [ -S "$sd/sock" ] && break; sleep 0.1; done
    export SPEECHD_ADDRESS=unix_socket:$sd/sock
    sdvoice=$("$loqa" /e | tr -d '\r' | sed -n 's/^\([0-9]*\)\. English (Great Britain) (speech-dispatcher espeak-ng)$/\1/p')
    line first_sound_1mb_speechd "$(limited 300 "$firstsound" "$loqa" "$work/mega.txt" 5 -e "$sdvoice")" ms "<= 300"
    kill "$sdpid"; wait "$sdpid" 2>/dev/null || true
    unset SPEECHD_ADDRESS
fi

# Pacing: -w 8 on about a minute of speech takes an eighth of it.
t0=$(now); limited 120 "$loqa" /ttw "$work/minute.txt" "$work/minute.wav" -w 8 >/dev/null; t1=$(now)
took=$(echo "$t1 - $t0" | bc -l); audio=$(soxi -D "$work/minute.wav")
line pacing_w8 "$(printf %.2f "$took")" s "$(printf %.2f "$(echo "$audio / 8" | bc -l)") +-10% (audio $(printf %.1f "$audio") s / 8)"

# Sound after Pause and Stop, and the stop of a text against its last sound.
limited 300 "$bin/bench_speechtiming" "$runs"

# MP3: loqa /ttm against espeak-ng followed by lame with the same options, alternated.
: > "$work/ttm.t"; : > "$work/pipe.t"
for _ in $(seq "$runs"); do
    t0=$(now); limited 600 "$loqa" /ttm "$work/half.txt" "$work/half.mp3" -w 0 >/dev/null; t1=$(now)
    echo "$t1 - $t0" | bc -l >> "$work/ttm.t"
    t0=$(now); limited 600 espeak-ng -v en -s 175 -w "$work/ref.wav" -f "$work/half.txt"
    limited 600 lame --quiet -b 128 -m s -q 5 "$work/ref.wav" "$work/ref.mp3"; rm -f "$work/ref.wav"; t1=$(now)
    echo "$t1 - $t0" | bc -l >> "$work/pipe.t"
done
mt=$(median < "$work/ttm.t"); pt=$(median < "$work/pipe.t")
line mp3_time_loqa "$(printf %.2f "$mt")" s "audio $(printf %.0f "$(soxi -D "$work/half.mp3")") s"
line mp3_time_espeak_lame "$(printf %.2f "$pt")" s "reference"
line mp3_time_ratio "$(echo "$mt / $pt" | bc -l | xargs printf %.3f)" x "<= 1.05"

# Pronunciation dictionaries on 1 MB (no dictionary, an empty one, 1,000 entries).
limited 3600 "$here/lexicon.sh" "$loqa" "$runs"

# Documents and the window.
limited 300 "$bin/bench_documentload"
limited 600 "$bin/bench_documentopen" pdf 1000
limited 900 "$bin/bench_documentopen" pdf 5000
limited 600 "$bin/bench_documentopen" epub 9
limited 300 "$bin/bench_window" switch
limited 900 "$bin/bench_window" openpdf 5000
limited 300 "$bin/bench_tabstrip"
if [ -n "${DISPLAY:-}" ]; then
    cold=$(limited 300 "$here/coldstart.sh" "$loqa")
    line cold_start_three_documents "$cold" ms "<= 400"
fi
limited 300 "$bin/bench_window" firstsound
limited 300 "$bin/bench_window" lag
limited 300 "$bin/bench_window" lag "English (America) slt Female (flite)"
