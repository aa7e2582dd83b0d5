#!/usr/bin/env bash
# Cold start: from starting loqa (three documents) to its window shown on the
# private display. Prints the median of five starts in milliseconds.
set -euo pipefail
loqa=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/txt"
: > "$home/loqa.apl"
for n in 1 2 3; do
    echo "Document $n for the cold start." > "$home/txt/doc$n.txt"
    printf '%s\r\n' "$home/txt/doc$n.txt" >> "$home/loqa.apl"
done
printf '[General]\r\nGreeting=0\r\n' > "$home/loqa.ini"
times=()
limit=${COLDSTART_LIMIT:-20}
for _ in 1 2 3 4 5; do
    start=$(date +%s%N)
    LOQA_HOME=$home QT_QPA_PLATFORM=xcb "$loqa" &
    pid=$!
    until xdotool search --onlyvisible --name '^Loquora$' >/dev/null 2>&1; do
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "coldstart: loqa ended before its window appeared" >&2
            exit 1
        fi
        if [ $(( ($(date +%s%N) - start) / 1000000000 )) -ge "$limit" ]; then
            echo "coldstart: the window \"Loquora\" did not appear within $limit s" >&2
            kill "$pid"; wait "$pid" 2>/dev/null || true
            exit 1
        fi
    done
    end=$(date +%s%N)
    times+=($(( (end - start) / 1000000 )))
    kill "$pid"; wait "$pid" 2>/dev/null || true
done
printf '%s\n' "${times[@]}" | sort -n | sed -n 3p
