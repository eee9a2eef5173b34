#!/usr/bin/env bash
# Builds the job file reader's libFuzzer target with clang (ASan + UBSan) and replays its
# seed corpus: every seed must run clean.
set -euo pipefail
CC=clang-14 CXX=clang++-14 cmake -S fuzz -B build-fuzz >/dev/null
cmake --build build-fuzz -j2
build-fuzz/job_file_reader_fuzzer fuzz/corpus/* 2>build-fuzz/replay.log || {
  cat build-fuzz/replay.log
  exit 1
}
echo "fuzz corpus: $(ls fuzz/corpus | wc -l) seeds replayed clean"
