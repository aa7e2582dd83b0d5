#!/usr/bin/env bash
# English prose of about N bytes, from the licence texts every Debian system carries.
set -euo pipefail
n=${1:-100000}
src=/usr/share/common-licenses
tmp=$(mktemp)
trap 'rm -f "$tmp"' EXIT
for f in GPL-3 Apache-2.0 LGPL-3 MPL-2.0 GFDL-1.3 Artistic; do
    [ -f "$src/$f" ] && cat "$src/$f" >> "$tmp"
done
size=$(stat -c %s "$tmp")
set +o pipefail
for _ in $(seq $((n / size + 1))); do cat "$tmp"; done | head -c "$n"
