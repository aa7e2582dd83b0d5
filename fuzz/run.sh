#!/usr/bin/env bash
# Runs each fuzz target of BUILD_DIR for $FUZZ_SECONDS seconds (default 60; a
# document reader for $FUZZ_READER_SECONDS when that is set) over
# a copy of its seed corpus in fuzz/corpus/<target>/. Exits non-zero when a target
# crashes or breaks one of its checks; the input that did it is kept in
# BUILD_DIR/fuzz-artifacts/<target>/.
set -euo pipefail

build=${1:?usage: fuzz/run.sh BUILD_DIR}
seconds=${FUZZ_SECONDS:-60}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
for corpus in "$here"/corpus/*/; do
    target=$(basename "$corpus")
    binary="$build/bin/$target"
    if [ ! -x "$binary" ]; then
        echo "fuzz: $binary is missing (build the fuzz_all target)" >&2
        status=1
        continue
    fi
    mkdir -p "$work/$target" "$build/fuzz-artifacts/$target"
    cp -R "$corpus". "$work/$target/"
    # The settings codecs get the full time; each document reader a share of it.
    case $target in
    fuzz_inifile | fuzz_settings | fuzz_documentlist) budget=$seconds ;;
    *) budget=${FUZZ_READER_SECONDS:-$seconds} ;;
    esac
    options=(-max_total_time="$budget" -timeout=30 -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1
             -artifact_prefix="$build/fuzz-artifacts/$target/")
    if [ -f "$here/$target.dict" ]; then
        options+=(-dict="$here/$target.dict")
    fi
    echo "fuzz: $target for ${budget}s"
    if "$binary" "${options[@]}" "$work/$target" >"$work/$target.log" 2>&1; then
        grep -E '^stat::number_of_executed_units|^Done' "$work/$target.log" || true
    else
        echo "fuzz: $target FAILED; input kept in $build/fuzz-artifacts/$target/" >&2
        tail -n 40 "$work/$target.log" >&2
        status=1
    fi
done
exit "$status"
