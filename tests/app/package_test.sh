#!/usr/bin/env bash
# The Debian package as Debian expects it, given the folder cpack wrote it
# to: no error or warning from lintian (the one override aside), the
# dependencies computed and those loaded at run time, the documentation,
# manual pages, completion and AppStream metadata in place and valid, and
# stripped programs; with "dbgsym" (a build with debug information) their
# symbols in the dbgsym package, which lintian accepts too.
set -euo pipefail
folder=$1
expect_dbgsym=${2:-}
deb=$(ls "$folder"/sokuri_*.deb)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in lintian appstreamcli desktop-file-validate; do
  command -v $tool >/dev/null || fail "$tool is missing (scripts/install-deps installs it)"
done

findings=$(lintian --show-overrides "$deb" 2>&1) || true
echo "$findings"
bad=$(grep -E '^[EW]: ' <<<"$findings" || true)
[ -z "$bad" ] || fail "lintian reports errors or warnings: $bad"
grep -q '^O: sokuri: national-encoding' <<<"$findings" \
  || fail "the national-encoding override is not applied"

fields=$(dpkg-deb --field "$deb")
depends=$(sed -n 's/^Depends: //p' <<<"$fields")
for dep in libc6 libstdc++6 libqt6core6 libqt6network6 libicu72 zlib1g libssl3 qt6-qpa-plugins \
  qt6-translations-l10n fonts-ipafont-gothic "chasen | mecab-ipadic-utf8"; do
  [[ ", $depends," == *", $dep"[\ ,]* ]] || fail "Depends lacks $dep: $depends"
done
grep -q '^Recommends: .*xdg-utils' <<<"$fields" || fail "no Recommends of xdg-utils"
grep -qE '^Maintainer: .*(example|placeholder)' <<<"$fields" && fail "the maintainer is a placeholder"
paragraphs=$(sed -n '/^Description:/,/^[A-Z]/p' <<<"$fields" | grep -c '^ \.$' || true)
((paragraphs == 2)) || fail "the description has $((paragraphs + 1)) paragraphs, not 3"

dpkg-deb -x "$deb" "$work/root"
root=$work/root
head -n 1 "$root/usr/share/doc/sokuri/copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
  || fail "the copyright file is not machine-readable"
zcat "$root/usr/share/doc/sokuri/changelog.gz" | head -n 1 | grep -q "^sokuri ($(sed -n 's/^Version: //p' <<<"$fields")) " \
  || fail "the changelog's first entry is not this version"
for program in sokuri sokuri-cli sokuri-chasen-server sokuri-demo-engine; do
  [ -f "$root/usr/share/man/man1/$program.1.gz" ] || fail "no manual page for $program"
  [ -L "$root/usr/bin/$program" ] || fail "no /usr/bin/$program"
done
[ -f "$root/usr/share/bash-completion/completions/sokuri-cli" ] || fail "no bash completion"

entry=$root/usr/share/applications/sokuri.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate rejects the entry"
metainfo=$(ls "$root"/usr/share/metainfo/*.metainfo.xml)
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects $metainfo"
grep -q '<launchable type="desktop-id">sokuri.desktop</launchable>' "$metainfo" \
  || fail "the metadata does not launch the desktop entry"
mime=$(sed -n 's/^MimeType=\(.*\);$/\1/p' "$entry")
grep -q "<mediatype>$mime</mediatype>" "$metainfo" || fail "the metadata does not name $mime"
for binary in $(sed -n 's|.*<binary>\(.*\)</binary>.*|\1|p' "$metainfo"); do
  [ -L "$root/usr/bin/$binary" ] || fail "the metadata names $binary, which the package lacks"
done
grep -q '<summary xml:lang="ja">' "$metainfo" || fail "no Japanese summary"
grep -q '<p xml:lang="ja">' "$metainfo" || fail "no Japanese description"

# The programs are stripped; a build with debug information keeps their
# symbols in the dbgsym package, by build id.
for program in sokuri-cli sokuri-chasen-server; do
  file -L "$root/usr/lib/sokuri/$program" | grep -q ', stripped' || fail "$program is not stripped"
done
if [ "$expect_dbgsym" = dbgsym ]; then
  ddeb=$(ls "$folder"/sokuri-dbgsym_*.ddeb) || fail "no dbgsym package"
  debug=$(dpkg-deb -c "$ddeb")
  for program in sokuri-cli sokuri-chasen-server; do
    id=$(readelf -n "$root/usr/lib/sokuri/$program" | sed -n 's/.*Build ID: \(..\)\(.*\)/\1\/\2/p')
    grep -q "/usr/lib/debug/.build-id/$id.debug\$" <<<"$debug" || fail "no debug symbols of $program"
  done
  findings=$(lintian "$ddeb" 2>&1) || true
  bad=$(grep -E '^[EW]: ' <<<"$findings" || true)
  [ -z "$bad" ] || fail "lintian reports errors or warnings of the dbgsym package: $bad"
fi
echo "package test passed"
