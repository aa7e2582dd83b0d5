#!/usr/bin/env bash
# Keeps the layers apart, by the #include lines of the tree:
# - <X11/...> and <xcb/...> only in src/platform/x11/, <pulse/...> only in
#   src/platform/pulse/: the rest of the program sees those parts through
#   platform/'s own interfaces;
# - no QtWidgets header below the windows: nothing in src/platform, src/speech,
#   src/settings, src/audio, src/text, src/document, src/reading, src/alarm, src/clipboard or
#   src/commands shows a window (widgets/ and ui/ do), and their libraries do not
#   link QtWidgets, widgets/ or ui/;
# - a header of src/ is included by its folder below src/ ("settings/inifile.h"),
#   never by its bare name, so an include line says which library it uses.
# Lists every offending line as FILE:LINE: TEXT and fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

# The QtWidgets module's header names, from the installed Qt, leaving out the
# few that only forward to QtGui or QtCore (qaction.h, qshortcut.h ...).
headers=""
for query in "qtpaths6 --query QT_INSTALL_HEADERS" "qmake6 -query QT_INSTALL_HEADERS"; do
    headers=$($query 2>/dev/null || true)
    [ -d "$headers/QtWidgets" ] && break
    headers=""
done
if [ -z "$headers" ]; then
    for dir in /usr/include/*/qt6 /usr/include/qt6; do
        [ -d "$dir/QtWidgets" ] && headers=$dir && break
    done
fi
if [ -z "$headers" ]; then
    echo "check-includes: the QtWidgets headers were not found (Debian package qt6-base-dev)" >&2
    exit 2
fi
widgets_names=$(comm -23 <(ls "$headers/QtWidgets" | sort) <(ls "$headers/QtGui" "$headers/QtCore" | sort))

# FILE:LINE:NAME for every #include of the files given.
includes() {
    [ $# -gt 0 ] || return 0
    grep -HnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"][^>"]+[>"]' "$@" |
        sed -E 's/^([^:]+:[0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^>"]+)[>"].*/\1:\2/'
}

mapfile -t all < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' '*.c' | sort -u)
existing=()
for file in "${all[@]}"; do [ -f "$file" ] && existing+=("$file"); done

found=0
report() {
    echo "$1: $2"
    found=$((found + 1))
}

while IFS=: read -r file line name; do
    case "$name" in
    X11/* | xcb/*) [[ $file == src/platform/x11/* ]] || report "$file:$line" "<$name> outside src/platform/x11/" ;;
    pulse/*) [[ $file == src/platform/pulse/* ]] || report "$file:$line" "<$name> outside src/platform/pulse/" ;;
    esac
done < <(includes "${existing[@]}")

below=()
for file in "${existing[@]}"; do
    case "$file" in
    src/platform/* | src/speech/* | src/settings/* | src/audio/* | src/text/* | src/document/* | src/reading/* | src/alarm/* | \
        src/clipboard/* | src/commands/*) below+=("$file") ;;
    esac
done
while IFS=: read -r file line name; do
    base=${name#QtWidgets/}
    if [ "$name" = QtWidgets ] || { [ "$base" != "$name" ] && [ -n "$base" ]; } ||
        grep -qxF -- "$base" <<<"$widgets_names"; then
        report "$file:$line" "<$name> is a QtWidgets header; below ui/ nothing shows a window"
    fi
done < <(includes "${below[@]}")

# Their libraries link no window either: not QtWidgets, not widgets/ or ui/.
for list in src/platform/CMakeLists.txt src/speech/CMakeLists.txt src/settings/CMakeLists.txt \
    src/audio/CMakeLists.txt src/text/CMakeLists.txt src/document/CMakeLists.txt src/reading/CMakeLists.txt src/alarm/CMakeLists.txt \
    src/clipboard/CMakeLists.txt src/commands/CMakeLists.txt; do
    [ -f "$list" ] || continue
    while IFS=: read -r line text; do
        report "$list:$line" "links $(grep -oE 'Qt6::Widgets|loqa_widgets|loqa_ui|loqa_app' <<<"$text" | head -n 1)"
    done < <(grep -nE '^[^#]*(Qt6::Widgets|loqa_widgets|loqa_ui|loqa_app)' "$list" || true)
done

# Headers of src/ by their bare name, and where each lives.
declare -A home
while read -r header; do home[${header##*/}]=${header#src/}; done < <(git ls-files -- 'src/*.h')
while IFS=: read -r file line name; do
    [[ $name == */* ]] && continue
    if [ -n "${home[$name]:-}" ]; then
        report "$file:$line" "\"$name\" by its bare name; include \"${home[$name]}\""
    fi
done < <(includes "${existing[@]}")

if [ "$found" -gt 0 ]; then
    echo "check-includes: $found lines cross a layer" >&2
    exit 1
fi
echo "check-includes: ${#existing[@]} files keep their layers"
