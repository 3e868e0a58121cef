#!/usr/bin/env bash
# Sets up the machine (Debian packages) and builds the tree in ./build.
# Extra arguments go to cmake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/setup.sh
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B "${VELT_BUILD_DIR:-build}" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "${VELT_BUILD_DIR:-build}" -j "$jobs"
