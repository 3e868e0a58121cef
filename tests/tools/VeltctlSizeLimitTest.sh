#!/bin/bash
# A download saved under a file size limit too small for it: veltctl says
# why and which file, keeps the previous file and leaves no temporary file,
# instead of being killed halfway through the save.
# Usage: VeltctlSizeLimitTest.sh VELTCTL
set -u
veltctl=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
echo previous > day.dtf
message=$(ulimit -f 20 && "$veltctl" --simulate 1:3.26 records pull day.dtf 2>&1 >/dev/null)
status=$?
failed=0
[ "$status" -eq 1 ] || { echo "FAILED: exit status $status, not 1"; failed=1; }
case "$message" in
  *"cannot write day.dtf: File too large"*) ;;
  *) echo "FAILED: the message was: $message"; failed=1 ;;
esac
left=$(ls -A)
[ "$left" = "day.dtf" ] || { echo "FAILED: the folder holds: $left"; failed=1; }
[ "$(cat day.dtf)" = "previous" ] || { echo "FAILED: day.dtf was changed"; failed=1; }
[ "$failed" -eq 0 ] && echo passed
exit "$failed"
