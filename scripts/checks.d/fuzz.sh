#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and replays their seed corpora:
# every seed must run clean. The binary seeds are kept as text, one per line (its name,
# then its bytes in hex), and unpacked into build-fuzz/ first.
set -euo pipefail
CC=clang-14 CXX=clang++-14 cmake -S fuzz -B build-fuzz >/dev/null
cmake --build build-fuzz -j2
for name in declared-encoding message-format line-wrap; do
  rm -rf "build-fuzz/corpus-$name" && mkdir -p "build-fuzz/corpus-$name"
  while read -r seed hex; do
    printf '%s' "$hex" | xxd -r -p >"build-fuzz/corpus-$name/$seed"
  done <"fuzz/seeds-$name.hex"
done
for pair in job_file_reader:fuzz/corpus plain_scan:fuzz/corpus limits:fuzz/corpus \
            declared_encoding:build-fuzz/corpus-declared-encoding message_format:build-fuzz/corpus-message-format \
            line_wrap:build-fuzz/corpus-line-wrap; do
  target=${pair%%:*} corpus=${pair#*:}
  "build-fuzz/${target}_fuzzer" "$corpus"/* 2>"build-fuzz/${target}-replay.log" || {
    cat "build-fuzz/${target}-replay.log"
    exit 1
  }
  echo "fuzz ${target}: $(ls "$corpus" | wc -l) seeds replayed clean"
done
