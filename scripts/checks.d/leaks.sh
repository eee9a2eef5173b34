#!/usr/bin/env bash
# One whole run under valgrind's memcheck: renames, tags, a file that already has a tag, a
# failed rename, a move from /dev/shm to another file system, a job file that does not
# parse and one that does not exist. Any memory error, and any block definitely,
# indirectly or possibly lost, fails the check; blocks the C and C++ run-times keep
# reachable until exit are no leak.
set -euo pipefail
work=$(mktemp -d) shm=$(mktemp -d -p /dev/shm)
trap 'rm -rf "$work" "$shm"' EXIT
[ "$(stat -c %d "$work")" != "$(stat -c %d "$shm")" ] || { echo "leaks: $work and /dev/shm share a file system" >&2; exit 1; }

bash demo/make_samples.sh "$work"
cp "$work/track03.mp3" "$shm/far.mp3"
cat >"$work/job.xml" <<XML
<album title="Leak check" artist="Velkor" genre="17" year="2026">
  <file oldName="track01.mp3" newName="one.mp3" track="1" title="One"/>
  <file oldName="track02.mp3" title="Two" comment="tag only"/>
  <file oldName="$shm/far.mp3" newName="far.mp3" track="3" title="Across file systems"/>
  <file oldName="tagged.mp3" title="Has a tag"/>
  <file oldName="gone.mp3" newName="one.mp3"/>
</album>
XML
printf '<album><file oldName="a.mp3">\n</album>\n' >"$work/broken.xml"

(cd "$work" && LC_ALL=C.UTF-8 valgrind --error-exitcode=99 --leak-check=full --show-leak-kinds=definite,indirect,possible \
  --errors-for-leak-kinds=definite,indirect,possible --log-file=valgrind.log "$OLDPWD/build/src/velkor" job.xml broken.xml missing.xml \
  >report.txt) || { cat "$work/valgrind.log" "$work/report.txt"; exit 1; }
[ -f "$work/far.mp3" ] && [ ! -e "$shm/far.mp3" ] || { echo "leaks: the move across file systems did not happen" >&2; exit 1; }
[ "$(grep -c . "$work/report.txt")" = 10 ] || { cat "$work/report.txt"; exit 1; }
echo "leaks: memcheck clean over a run of 10 reported lines:"
sed -n 's/^==[0-9]*== *//; /in use at exit\|total heap usage\|lost:\|reachable:\|ERROR SUMMARY/p' "$work/valgrind.log"
