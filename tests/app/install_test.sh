#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a user gets: the
# application folder under lib/sokuri, the links in bin, the desktop entry
# and icon, a per-user folder made from the installed copies (and kept on the
# next start), a portable folder that stays as it was, and a Debian package
# naming its dependencies.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
app=$prefix/lib/sokuri
for f in sokuri-cli sokuri.ini chasen.sh sokuri-installed; do
  [ -e "$app/$f" ] || fail "missing $app/$f"
done
[ -x "$app/chasen.sh" ] || fail "chasen.sh is not executable"
[ -L "$prefix/bin/sokuri-cli" ] || fail "no link bin/sokuri-cli"
[ -f "$prefix/share/applications/sokuri.desktop" ] || fail "no desktop entry"
grep -q '^Name\[ja\]=' "$prefix/share/applications/sokuri.desktop" || fail "no Japanese name"
grep -q '^Icon=sokuri$' "$prefix/share/applications/sokuri.desktop" || fail "no icon name"
[ -f "$prefix/share/icons/hicolor/scalable/apps/sokuri.svg" ] || fail "no icon"
# Documents open from the desktop: the entry takes a file and names the type.
entry=$prefix/share/applications/sokuri.desktop
grep -q '^Exec=sokuri %f$' "$entry" || fail "the desktop entry takes no file"
grep -q '^MimeType=application/x-sokuri-document;$' "$entry" || fail "the desktop entry names no type"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" || fail "desktop-file-validate rejects the entry"
else
  fail "desktop-file-validate is missing (package desktop-file-utils)"
fi
mime=$prefix/share/mime/packages/sokuri.xml
[ -f "$mime" ] || fail "no shared-mime-info type"
grep -q 'type="application/x-sokuri-document"' "$mime" || fail "the type is not named"
grep -q '<glob pattern="\*.skr"/>' "$mime" || fail "no *.skr glob"
grep -q '<comment xml:lang="ja">' "$mime" || fail "no Japanese comment"
grep -q '<comment>' "$mime" || fail "no English comment"
if command -v update-mime-database >/dev/null; then
  update-mime-database "$prefix/share/mime" >/dev/null 2>&1 || fail "update-mime-database rejects the type"
  grep -q '^application/x-sokuri-document:\*\.skr$' "$prefix/share/mime/globs" \
    || fail "the database does not map *.skr"
fi
chmod -R a-w "$app"

# First start of an installed program: the user's own folder is made.
home=$work/home
mkdir -p "$home"
HOME=$home XDG_DATA_HOME= "$prefix/bin/sokuri-cli" settings >/dev/null
user=$home/.local/share/sokuri
[ -f "$user/sokuri.ini" ] || fail "no per-user sokuri.ini"
[ -x "$user/chasen.sh" ] || fail "no per-user chasen.sh"
[ -d "$user/plugins" ] || fail "no per-user plugins"
[ -f "$user/plugins/arXiv.ini" ] || fail "the shipped engines' plugins were not copied"
# A second start keeps the user's changed settings.
printf '[chasen]\r\ntype=1\r\nhost=myhost\r\nport=31000\r\n' > "$user/sokuri.ini"
out=$(HOME=$home XDG_DATA_HOME= "$prefix/bin/sokuri-cli" settings)
grep -q '^host=myhost$' <<<"$out" || fail "the user's sokuri.ini was not kept: $out"
# XDG_DATA_HOME names the data folder when set.
HOME=$home XDG_DATA_HOME=$work/xdg "$prefix/bin/sokuri-cli" plugins >/dev/null
[ -f "$work/xdg/sokuri/sokuri.ini" ] || fail "XDG_DATA_HOME not used"
# A folder named with --app-dir is the only one used.
HOME=$work/home3 XDG_DATA_HOME= "$prefix/bin/sokuri-cli" --app-dir "$work/portable-named" plugins \
  >/dev/null 2>&1 || true
[ ! -e "$work/home3/.local/share/sokuri" ] || fail "--app-dir still made a user folder"

# A portable folder keeps working in place.
cp -r "$build/app" "$work/portable"
HOME=$work/home2 XDG_DATA_HOME= "$work/portable/sokuri-cli" settings >/dev/null
[ ! -e "$work/home2/.local/share/sokuri" ] || fail "a portable folder made a user folder"

# The Debian package.
(cd "$build" && cpack -G DEB -B "$work/deb" >/dev/null)
deb=$(ls "$work"/deb/sokuri_*.deb)
info=$(dpkg-deb --info "$deb")
for dep in chasen fonts-ipafont-gothic libqt6widgets6 libqt6network6 libqt6core6 libicu72; do
  grep -q "Depends:.*\b$dep\b" <<<"$info" || fail "the package does not depend on $dep"
done
files=$(dpkg-deb -c "$deb")
for f in ./usr/lib/sokuri/sokuri-cli ./usr/lib/sokuri/sokuri-installed ./usr/share/applications/sokuri.desktop \
  ./usr/share/mime/packages/sokuri.xml; do
  grep -q " $f\$" <<<"$files" || fail "the package lacks $f"
done
# The package as Debian expects it: lintian, the metadata, the manual pages,
# the dependencies, the debug symbols.
dbgsym=
grep -qE '^CMAKE_BUILD_TYPE:[A-Z]+=(Debug|RelWithDebInfo)$' "$build/CMakeCache.txt" && dbgsym=dbgsym
bash "$(dirname "$0")/package_test.sh" "$work/deb" $dbgsym
echo "install test passed"
