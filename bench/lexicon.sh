#!/usr/bin/env bash
# Pronunciation dictionaries: /ttw on 1 MB with no dictionary, an empty one and
# one of 1,000 entries that the text does not hold (so the audio is the same and
# only the matching is measured), alternated; medians and the ratios to none.
# Usage: lexicon.sh LOQA [RUNS]; bench_lexicon beside LOQA times the rewrite alone.
set -euo pipefail
loqa=$1
runs=${2:-3}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$here/make-text.sh" 1000000 > "$work/mega.txt"
mkdir -p "$work/none" "$work/empty" "$work/full"
: > "$work/empty/loqa.dic"
for i in $(seq 1000); do printf 'zq%04dx\tspoken form %d\n' "$i" "$i"; done > "$work/full/loqa.dic"

now() { date +%s.%N; }
median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
line() { printf '%-28s %10s %-4s %s\n' "$1" "$2" "$3" "$4"; }

for kind in none empty full; do : > "$work/$kind.t"; done
for _ in $(seq "$runs"); do
    for kind in none empty full; do
        t0=$(now)
        LOQA_HOME="$work/$kind" timeout --kill-after=10 900 "$loqa" /ttw "$work/mega.txt" "$work/out.wav" -w 0 >/dev/null
        t1=$(now)
        echo "$t1 - $t0" | bc -l >> "$work/$kind.t"
        rm -f "$work/out.wav"
    done
done
none=$(median < "$work/none.t"); empty=$(median < "$work/empty.t"); full=$(median < "$work/full.t")
line lexicon_ttw_1mb_none "$(printf %.2f "$none")" s "reference"
line lexicon_ttw_1mb_empty "$(printf %.2f "$empty")" s "empty loqa.dic"
line lexicon_ttw_1mb_1000 "$(printf %.2f "$full")" s "1,000 entries"
line lexicon_ratio_empty "$(echo "$empty / $none" | bc -l | xargs printf %.3f)" x "<= 1.02"
line lexicon_ratio_1000 "$(echo "$full / $none" | bc -l | xargs printf %.3f)" x "<= 1.05"
"$(dirname "$loqa")/bench_lexicon" "$work/mega.txt"
