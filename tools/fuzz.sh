#!/usr/bin/env bash
# Builds the fuzz targets with clang, ASan and UBSan, and runs each for a
# short time (FUZZ_SECONDS, default 20). Any finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/setup.sh
seconds="${FUZZ_SECONDS:-20}"
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELT_FUZZ=ON -DVELT_BUILD_GUI=OFF -DVELT_BUILD_TESTS=OFF >/dev/null
targets=$(sed -n 's/^velt_add_fuzzer(\([A-Za-z0-9_]*\).*/\1/p' fuzz/CMakeLists.txt)
# shellcheck disable=SC2086
cmake --build build-fuzz -j "$(nproc 2>/dev/null || echo 2)" --target $targets
for target in build-fuzz/fuzz/*Fuzz; do
  name=$(basename "$target")
  corpus="build-fuzz/corpus/$name"
  mkdir -p "$corpus"
  # Seeds written by our own writer (fuzz/MakeFuzzSeeds.cpp) start the
  # corpus of targets whose valid inputs are too long to be found by chance.
  for seed in fuzz/corpus/"$name"/*; do
    if [ -f "$seed" ] && [ ! -e "$corpus/$(basename "$seed")" ]; then
      cp "$seed" "$corpus"/
    fi
  done
  echo "== $name for ${seconds} s"
  log="build-fuzz/$name.log"
  if ! UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 "$target" -max_total_time="$seconds" \
      -print_final_stats=1 "$corpus" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "$name found a fault" >&2
    exit 1
  fi
  tail -n 8 "$log"
done
