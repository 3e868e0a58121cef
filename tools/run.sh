#!/usr/bin/env bash
# Sets everything up and starts VELTMaster against the simulated instrument.
# Without a display the program runs offscreen just long enough to print the
# connection state it reached, then the command-line demo runs (tools/demo.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/build.sh
export CONDUIT_SIMULATOR="${CONDUIT_SIMULATOR:-1:3.26}"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec ./build/bin/VELTMaster "$@"
fi
echo "No display found: running VELTMaster offscreen to show the connection it reaches." >&2
QT_QPA_PLATFORM=offscreen ./build/bin/VELTMaster --print-state
echo "Then the command-line demo: veltctl pulls from the simulated instrument." >&2
exec ./tools/demo.sh
