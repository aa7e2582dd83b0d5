#!/usr/bin/env bash
# Installs the built tree into a temporary prefix and checks it the way a
# desktop and a user would: the desktop entry and AppStream data validate, the
# manual page renders, and the installed program converts from another folder.
# Then builds the Debian package and checks it with dpkg and lintian.
#   tools/check-install.sh BUILD_DIR
set -euo pipefail
build=${1:-build}
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
prefix=$root/prefix
fail() { echo "check-install: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" > "$root/install.log" || { cat "$root/install.log"; fail "install failed"; }
id=org.example.loquora.Loquora
for f in bin/loqa share/loqa/loqa.html share/loqa/samples/sample1.txt share/applications/$id.desktop \
         share/metainfo/$id.metainfo.xml share/icons/hicolor/scalable/apps/$id.svg \
         share/icons/hicolor/16x16/apps/$id.png share/icons/hicolor/256x256/apps/$id.png share/man/man1/loqa.1.gz; do
    [ -e "$prefix/$f" ] || fail "missing from the install: $f"
done
desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop entry invalid"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "AppStream data invalid"
man -l "$prefix/share/man/man1/loqa.1.gz" > "$root/man.txt" 2> "$root/man.err" || fail "manual page does not render"
grep -q "EXIT STATUS" "$root/man.txt" || fail "manual page lacks its exit statuses"
! grep -q "warning" "$root/man.err" || { cat "$root/man.err"; fail "manual page has warnings"; }

# The installed program, from another folder, with no LOQA_HOME.
work=$root/work
mkdir -p "$work"
(cd "$work" && HOME=$root/home timeout 120 "$prefix/bin/loqa" /ttw "Installed and speaking." -w 0) || fail "installed /ttw failed"
[ -s "$work/output.wav" ] || fail "installed /ttw left no output.wav"
(cd "$work" && HOME=$root/home timeout 60 "$prefix/bin/loqa" /e > "$root/voices.txt") || fail "installed /e failed"
grep -q "Male" "$root/voices.txt" || fail "installed /e listed no voices"
[ ! -e "$prefix/bin/loqa.ini" ] || fail "the installed program wrote beside itself"

# The Debian package.
(cd "$build" && cpack -G DEB > "$root/cpack.log" 2>&1) || { cat "$root/cpack.log"; fail "cpack failed"; }
deb=$(ls "$build"/loqa_*.deb | head -n 1)
dpkg-deb -c "$deb" > "$root/contents.txt"
for f in ./usr/bin/loqa ./usr/share/applications/$id.desktop ./usr/share/man/man1/loqa.1.gz ./usr/share/loqa/loqa.html; do
    grep -q " $f\$" "$root/contents.txt" || fail "the package lacks $f"
done
depends=$(dpkg-deb -f "$deb" Depends)
for d in lame espeak-ng-data libespeak-ng1 libqt6widgets6; do
    case "$depends" in *"$d"*) ;; *) fail "the package does not depend on $d: $depends" ;; esac
done
recommends=$(dpkg-deb -f "$deb" Recommends)
case "$recommends" in *qt6-wayland*) ;; *) fail "the package does not recommend qt6-wayland: $recommends" ;; esac
# lintian: errors fail; warnings are shown. A desktop entry that names file types
# must take files.
lintian --tag-display-limit 0 "$deb" > "$root/lintian.txt" 2>&1 || true
cat "$root/lintian.txt"
! grep -q "^E:" "$root/lintian.txt" || fail "lintian found errors in $deb"
! grep -q "desktop-mime-but-no-exec-code" "$root/lintian.txt" || fail "the desktop entry names file types but takes no file"
echo "check-install: install, desktop entry, AppStream, manual page, package: all good ($deb)"
