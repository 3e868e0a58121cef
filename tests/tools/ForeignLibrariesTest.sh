#!/bin/sh
# The programs run from a folder that holds libraries of their own names
# (a broken libstdc++.so.6, a libConduit.so) and load none of them: only
# their own folder's libraries and the system's.
# Usage: ForeignLibrariesTest.sh BIN_DIR [VELTMaster]
set -u
bin=$(cd "$1" && pwd)
master=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAILED: $*"; failed=1; }

mkdir "$work/junk" "$work/conduit" "$work/state" && chmod 700 "$work/state"
for lib in libstdc++.so.6 libgcc_s.so.1 libm.so.6 libConduit.so; do
  echo "not a library" > "$work/junk/$lib"
done
cd "$work/junk" || exit 1

"$bin/veltctl" --help > /dev/null
status=$?
[ "$status" -eq 0 ] || fail "veltctl --help ended with $status"

if [ -n "$master" ]; then
  state=$(env QT_QPA_PLATFORM=offscreen XDG_STATE_HOME="$work/state" \
    XDG_RUNTIME_DIR="$work/state" CONDUIT_SIMULATOR=1:3.26 timeout 60 "$master" --print-state)
  status=$?
  [ "$status" -eq 0 ] || fail "VELTMaster --print-state ended with $status"
  case "$state" in
    *"(simulated)"*) ;;
    *) fail "VELTMaster --print-state said: $state" ;;
  esac
fi

# A veltctl without a Conduit beside it, run where a working libConduit.so
# lies: it must not take that one.
mkdir -p "$work/program/bin"
cp "$bin/veltctl" "$work/program/bin/" && cp -r "$bin/strings" "$work/program/bin/"
cp "$bin/libConduit.so" "$work/conduit/"
cd "$work/conduit" || exit 1
info=$("$work/program/bin/veltctl" --simulate 1:3.26 info 2>&1)
case "$info" in
  *"(simulated)"*) fail "veltctl took the libConduit.so of the working folder: $info" ;;
esac

[ "$failed" -eq 0 ] && echo "passed"
exit "$failed"
