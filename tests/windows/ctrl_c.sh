#!/usr/bin/env bash
# Ctrl-C in a tmux pane at several moments of a run that moves a large file from a drive on
# tmpfs (X:) into a folder on disk, between thousands of entries that fail at once. After
# each: the code of a program ended by Ctrl-C, no entry after the one in hand, no partial
# copy, and the file whole under one name: the new one only when the move had completed.
# Usage: ctrl_c.sh EXE (Wine set up by the caller).
set -euo pipefail
exe=$(realpath "$1")
# Large enough that a copy lasts well past the moment Ctrl-C is sent, however fast the disk.
size=$((1 << 30))
ended_by_ctrl_c=$((0xC000013A & 0xFF))  # Wine's exit status: the low byte of the Windows code
drive=$WINEPREFIX/dosdevices/x:
case $(readlink "$drive" || true) in
  */velkor-ctrl-c.*) rm -f "$drive" ;;  # left by a run that was killed
esac
[ ! -e "$drive" ] || { echo "ctrl_c: drive X: is in use in $WINEPREFIX"; exit 1; }
near=$(mktemp -d) far=$(mktemp -d /dev/shm/velkor-ctrl-c.XXXXXX)
trap 'tmux -S "$near/tmux" kill-server 2>/dev/null || true; rm -f "$drive"; rm -rf "$near" "$far"' EXIT
ln -s "$far" "$drive"

entries() { for i in $(seq "$1" "$2"); do echo "<file oldName='missing-$i' newName='x-$i'/>"; done; }
{ echo '<job>'; entries 1 5000; echo "<file oldName='x:\\big.mp3' newName='big.mp3' title='Big'/>"
  entries 5001 25000; echo '</job>'; } >"$near/job.xml"

printed() { grep -q -- "$1" "$near/out.txt" 2>/dev/null; }
copied_at_least() { [ "$(stat -c %s "$near"/.velkor-move-*.partial 2>/dev/null || echo -1)" -ge "$1" ]; }
size_of() { stat -c %s "$1" 2>/dev/null || echo none; }

status=0
# run_case WHAT KEYS MOVED MOMENT...: one run, KEYS sent once the command MOMENT succeeds.
run_case() {
  local what=$1 keys=$2 moved=$3 sent=0 problems=()
  shift 3
  rm -f "$near/big.mp3" "$near/out.txt" "$near/rc"
  truncate -s "$size" "$far/big.mp3"
  tmux -S "$near/tmux" new-session -d -x 100 -y 20 "cd '$near' && wine '$exe' job.xml >out.txt; echo \$? >rc"
  for _ in $(seq 1200); do
    [ -s "$near/rc" ] && break
    if [ $sent = 0 ] && "$@"; then
      tmux -S "$near/tmux" send-keys $keys
      sent=1
    fi
    sleep 0.05
  done
  local code
  code=$(cat "$near/rc" 2>/dev/null || echo none)
  [ $sent = 1 ] || problems+=("the moment never came")
  [ "$code" = "$ended_by_ctrl_c" ] || problems+=("exit code $code")
  ! printed "'x-25000'" || problems+=("the run went on")
  ! copied_at_least 0 || problems+=("a partial copy was left")
  local wanted="$size none"
  [ "$moved" = no ] || wanted="none $((size + 128))"
  [ "$(size_of "$far/big.mp3") $(size_of "$near/big.mp3")" = "$wanted" ] ||
    problems+=("sizes at the old and new name: $(size_of "$far/big.mp3") $(size_of "$near/big.mp3")")
  if [ ${#problems[@]} -gt 0 ]; then
    echo "ctrl_c: $what: ${problems[*]}"
    status=1
  else
    echo "ctrl_c: $what: exit $code, moved: $moved, no partial copy"
  fi
}

run_case "while reporting, before the move" C-c no printed "'x-10'"
run_case "as the copy begins" C-c no copied_at_least 0
run_case "during the copy" C-c no copied_at_least $((size / 8))
run_case "twice during the copy" "C-c C-c" no copied_at_least $((size / 16))
run_case "after the move, between entries" C-c yes printed "was renamed to"
exit $status
