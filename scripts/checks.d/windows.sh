#!/usr/bin/env bash
# The Windows program: both executables cross-built with mingw-w64 into build-win/, their
# PE files checked and their downloads (one zip each) listed, then tested under Wine: the
# unit tests, the end-to-end rows (through the Linux harness in build/), a console-mode run
# in a tmux pane, Ctrl-C during moves between volumes, job files refused at once (devices,
# hostile files), the exit code when MSXML cannot be created, the resources read back, and
# the program taken out of the zip. The 64-bit build is always tested; the 32-bit one where
# this machine runs 32-bit programs. Everything stays under build-win/.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
out=$root/build-win

for arch in i686 x86_64; do
  toolchain=()  # given at the first configuration only; the cache keeps it
  [ -f "$out/$arch/CMakeCache.txt" ] || toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-$arch-w64-mingw32.cmake)
  cmake -S . -B "$out/$arch" "${toolchain[@]}" -DVELKOR_BENCH=OFF >/dev/null
  cmake --build "$out/$arch" -j2
  /usr/bin/python3 tests/windows/pe_check.py "$out/$arch/src/velkor.exe" $arch res
  cmake --build "$out/$arch" --target package >"$out/$arch/package.log" || { cat "$out/$arch/package.log"; exit 1; }
done

# A download holds one folder named after itself: the program, the README with CR LF line
# ends, and the genre page.
zip_of() { ls "$out/$1"/package/velkor-*-win$([ "$1" = x86_64 ] && echo 64 || echo 32).zip; }
for arch in i686 x86_64; do
  zip=$(zip_of $arch)
  top=$(basename "$zip" .zip)
  listed=$(unzip -Z1 "$zip" | LC_ALL=C sort)
  expected=$(printf "$top/%s\n" README.txt id3genres.css id3genres.html id3genres.js id3genres.ru.html velkor.exe)
  [ "$listed" = "$expected" ] || { echo "$zip holds:"; echo "$listed"; echo "instead of:"; echo "$expected"; exit 1; }
  bare=$(unzip -p "$zip" "$top/README.txt" | grep -cv $'\r$' || true)
  [ "$bare" = 0 ] || { echo "$zip: README.txt has $bare line ends without CR"; exit 1; }
  unzip -p "$zip" "$top/README.txt" | tr -d '\r' | cmp -s - README.md || { echo "$zip: README.txt is not README.md"; exit 1; }
  echo "== $(basename "$zip"): $(stat -c %s "$zip") bytes"
done

arches=(x86_64)
if scripts/runs-32-bit-programs && dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
  arches+=(i686)
fi
echo "== Wine tests run on: ${arches[*]}"

export WINEPREFIX=$out/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LOCPATH=$out/locales
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$LOCPATH"
[ -d "$LOCPATH/ru_RU.UTF-8" ] || localedef -i ru_RU -f UTF-8 "$LOCPATH/ru_RU.UTF-8"
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i </dev/null >/dev/null 2>&1
wineserver -p 2>/dev/null || true  # kept up for the whole check; one may run already
trap 'wineserver -k || true' EXIT
# The first run starts Wine's own services; their pipes must not be the ones captured.
wine "$out/x86_64/src/velkor.exe" </dev/null >/dev/null 2>&1 || true

for arch in "${arches[@]}"; do
  exe=$out/$arch/src/velkor.exe
  echo "== Wine: $arch"
  ctest --test-dir "$out/$arch" --output-on-failure -j2
  VELKOR_E2E_PROGRAM=$exe VELKOR_E2E_RUNNER=wine timeout 900 "$root/build/tests/e2e_tests" --gtest_filter="E2e/Rows.*" --gtest_brief=1
  bash tests/windows/console_run.sh "$exe"
  bash tests/windows/ctrl_c.sh "$exe"
  bash tests/windows/job_file_refusals.sh "$exe"
  code=0
  WINEDLLOVERRIDES="mscoree,mshtml=;msxml3=" wine "$exe" job.xml </dev/null >/dev/null 2>&1 || code=$?
  [ "$code" -eq 2 ] || { echo "without MSXML the exit code is $code, not 2"; exit 1; }
  # The program as a user gets it: unpacked from the download, started with no job file.
  unpacked=$(mktemp -d)
  unzip -q "$(zip_of $arch)" -d "$unpacked"
  code=0
  usage=$(cd "$unpacked" && wine ./*/velkor.exe </dev/null 2>&1) || code=$?
  rm -rf "$unpacked"
  [ "$code" -eq 254 ] && [[ $usage == "Velkor 3.0"*"Call format:"* ]] ||
    { echo "the unpacked velkor.exe exited with $code, printing: $usage"; exit 1; }
done
