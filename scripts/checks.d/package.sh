#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch root, and checks what a user gets:
# the Depends line computed from the binary, the files in their places, the demo job run
# by the installed binary, and the installed manual page clean under both linters and
# listing the genres of the installed genre page.
set -euo pipefail
cmake --build build --target package >build/package.log 2>&1 || { cat build/package.log; exit 1; }
deb=$(ls build/package/velkor_*.deb)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
fail() { echo "package: $*" >&2; exit 1; }

depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libxml2* ]] || fail "Depends lacks libxml2: $depends"
doc=$root/usr/share/doc/velkor page=$root/usr/share/man/man1/velkor.1
for file in id3genres.html id3genres.ru.html id3genres.css id3genres.js; do
  cmp -s "res/$file" "$doc/$file" || fail "$doc/$file differs from res/$file"
done
cmp -s README.md "$doc/README.md" || fail "README.md missing from $doc"

# The demo job, run by the installed binary on freshly made samples.
bash demo/make_samples.sh "$root/demo"
cp demo/album.xml demo/broken.xml "$root/demo/"
(cd "$root/demo" && LC_ALL=C.UTF-8 "$root/usr/bin/velkor" album.xml broken.xml missing.xml >report.txt 2>&1) ||
  fail "the demo job failed: $(cat "$root/demo/report.txt")"
grep -qx "ID3 v1.1 tag was added to file '01 - Opening.mp3'." "$root/demo/report.txt" ||
  fail "unexpected demo report: $(cat "$root/demo/report.txt")"
[ "$(tail -c 128 "$root/demo/01 - Opening.mp3" | head -c 10)" = TAGOpening ] || fail "01 - Opening.mp3 has no tag"

# The manual page: no complaint from either linter, and it renders with every genre of
# the page's genresList under its number.
lint=$(groff -man -ww -z "$page" 2>&1; mandoc -Tlint "$page" 2>&1) || true
[ -z "$lint" ] || fail "manual page lint: $lint"
rendered=$(mandoc -Tascii "$page" | sed 's/.\x08//g')  # without the overstrikes of bold and underline
expected=$(sed -n '/^var genresList = \[/,/^\];/p' "$doc/id3genres.js" | grep -o '"[^"]*"' | tr -d '"' | awk '{print NR - 1 "  " $0}')
listed=$(sed -n '/^GENRES/,/^FILES/p' <<<"$rendered" | sed -n 's/^ *\([0-9]\{1,3\}  .*\)$/\1/p')
[ "$listed" = "$expected" ] || fail "GENRES differs from genresList: $(diff <(echo "$expected") <(echo "$listed") | head)"
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes, Depends: $depends; $(wc -l <<<"$listed") genres in the manual page"
