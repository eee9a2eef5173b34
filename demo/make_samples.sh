#!/usr/bin/env bash
# Writes small silent MP3 files (MPEG-1 Layer III, 128 kbit/s, 44.1 kHz) into the given folder.
set -euo pipefail
dir=$1
mkdir -p "$dir"

# One frame: its 4-byte header and 413 zero bytes of side information and audio data.
frame() { printf '\xff\xfb\x90\x64'; head -c 413 /dev/zero; }
sample() { for _ in $(seq 1 20); do frame; done >"$1"; }

for name in track01 track02 track03 tagged locked; do sample "$dir/$name.mp3"; done

# A file that already ends in an ID3 v1 tag: "TAG" and 125 more bytes.
{ printf 'TAG%-30s%-30s%-30s%-4s' 'Old title' 'Old artist' 'Old album' '1999'; head -c 30 /dev/zero; printf '\xff'; } \
  >>"$dir/tagged.mp3"

# A file without write permission cannot be tagged.
chmod a-w "$dir/locked.mp3"
