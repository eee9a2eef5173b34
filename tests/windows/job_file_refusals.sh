#!/usr/bin/env bash
# Devices named as job files, which a read would block on, are refused at once with their
# parse-error line and no file touched; a hang fails through the timeout. (The hostile job
# files are rows of the end-to-end table, which runs under Wine too.)
# Usage: job_file_refusals.sh EXE (Wine set up by the caller).
set -euo pipefail
exe=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
head -c 200 /dev/zero >a.mp3
expected=$(for name in COM1 aux.xml com1.xml; do
  echo "While parsing XML document '$name' an error 0x800700DE occurred on line 0 position 0: Not a regular file"
done)
status=0
actual=$(timeout 60 wine "$exe" COM1 aux.xml com1.xml </dev/null | tr -d '\r') ||
  { echo "job file refusals: the run failed or hung ($?)"; status=1; }
if [ "$actual" != "$expected" ]; then
  echo "job file refusals: expected"; echo "$expected"; echo "but got"; echo "$actual"; status=1
fi
[ "$(ls)" = a.mp3 ] && [ "$(wc -c <a.mp3)" -eq 200 ] || { echo "job file refusals: a file was touched"; status=1; }
[ $status -eq 0 ] && echo "job file refusals: all refused at once"
exit $status
