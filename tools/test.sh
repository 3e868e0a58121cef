#!/usr/bin/env bash
# Sets everything up, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/build.sh
jobs=$(nproc 2>/dev/null || echo 2)
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j "$jobs"
