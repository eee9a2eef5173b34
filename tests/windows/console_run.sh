#!/usr/bin/env bash
# One console-mode run of the Windows program as the command of a tmux pane 60 columns
# wide: each class painted in its colour, lines broken at the last space before the
# width, no blank lines. Usage: console_run.sh EXE (Wine set up by the caller).
set -euo pipefail
exe=$1
dir=$(mktemp -d)
socket=$dir/tmux
trap 'tmux -S "$socket" kill-server 2>/dev/null || true; rm -rf "$dir"' EXIT
cd "$dir"
head -c 200 /dev/zero >a.mp3
printf '%s' '<j><file oldName="a.mp3" title="A"/><file oldName="a.mp3" title="A"/><file/></j>' >job.xml
tmux -S "$socket" new-session -d -x 60 -y 20 "wine '$exe' job.xml gone-with-a-long-name.xml; echo EXIT=\$?; sleep 60"
for _ in $(seq 100); do
  tmux -S "$socket" capture-pane -p | grep -q 'EXIT=' && break
  sleep 0.2
done
screen=$(tmux -S "$socket" capture-pane -p -e)
# Cyan header, grey (default) tag line, yellow warning, magenta error; the 60-column
# buffer breaks the missing job file's line at its last space before column 59.
expected=(
  $'\e[96mProcessing file \'job.xml\':'
  $'\e[39mID3 v1.1 tag was added to file \'a.mp3\'.'
  $'\e[93mFile \'a.mp3\' contains ID3 tag.'
  $'\e[95mSource file name isn\'t specified for file #3. This file is'
  $'skiped.'
  $'File \'gone-with-a-long-name.xml\' does not exist: File not'
  $'found.'
)
status=0
for line in "${expected[@]}"; do
  grep -qF -- "$line" <<<"$screen" || { echo "console run: missing line: ${line@Q}"; status=1; }
done
grep -q 'EXIT=0' <<<"$screen" || { echo "console run: exit code"; status=1; }
[ $status -eq 0 ] && [ -z "${VELKOR_SHOW_SCREEN:-}" ] || printf '%s\n' "$screen" | cat -v
exit $status
