#!/usr/bin/env bash
# Fails when a C++ file of the tree differs from what clang-format makes of it
# (Debian 12's clang-format 14 with the committed .clang-format), and lists the
# files that differ. With file arguments, checks only those.
#   tools/check-format.sh            the whole tree (tracked and new files)
#   tools/check-format.sh FILE...    just these
# Fix a listed file with: clang-format -i FILE
set -euo pipefail
cd "$(dirname "$0")/.."

formatter=${CLANG_FORMAT:-}
if [ -z "$formatter" ]; then
    for candidate in clang-format-14 clang-format; do
        if command -v "$candidate" >/dev/null; then
            formatter=$candidate
            break
        fi
    done
fi
if [ -z "$formatter" ]; then
    echo "check-format: clang-format not found (Debian package clang-format)" >&2
    exit 2
fi
version=$("$formatter" --version | sed -n 's/.*version \([0-9]*\)\..*/\1/p')
if [ "$version" != 14 ]; then
    echo "check-format: warning: $formatter is version $version; the tree is formatted with 14" >&2
fi

if [ $# -gt 0 ]; then
    files=("$@")
else
    mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' '*.c' | sort -u)
fi

differ=0
for file in "${files[@]}"; do
    [ -f "$file" ] || continue
    if ! "$formatter" --style=file "$file" | cmp -s - "$file"; then
        echo "$file"
        differ=$((differ + 1))
    fi
done
if [ "$differ" -gt 0 ]; then
    echo "check-format: $differ of ${#files[@]} files differ from clang-format (clang-format -i FILE fixes one)" >&2
    exit 1
fi
echo "check-format: ${#files[@]} files formatted"
