#!/usr/bin/env bash
# Sets everything up, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/build.sh
# The printing test prints to a CUPS-PDF queue: start cupsd and add the
# queue for the run (only what is not there already), undo it at the end.
./tools/cups-pdf.sh start
trap './tools/cups-pdf.sh stop' EXIT
jobs=$(nproc 2>/dev/null || echo 2)
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j "$jobs"
