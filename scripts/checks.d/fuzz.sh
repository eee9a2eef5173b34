#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and replays their seed corpora:
# every seed must run clean.
set -euo pipefail
CC=clang-14 CXX=clang++-14 cmake -S fuzz -B build-fuzz >/dev/null
cmake --build build-fuzz -j2
for pair in job_file_reader:corpus message_format:corpus-message-format line_wrap:corpus-line-wrap; do
  target=${pair%%:*} corpus=fuzz/${pair#*:}
  "build-fuzz/${target}_fuzzer" "$corpus"/* 2>"build-fuzz/${target}-replay.log" || {
    cat "build-fuzz/${target}-replay.log"
    exit 1
  }
  echo "fuzz ${target}: $(ls "$corpus" | wc -l) seeds replayed clean"
done
