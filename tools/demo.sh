#!/usr/bin/env bash
# The command-line demo: veltctl talks to the simulated instrument through
# libConduit.so, pulls its records and configurations into files of
# build/demo/ and checks them with the program's own readers.
# Expects a built tree (tools/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
profile="${CONDUIT_SIMULATOR:-1:3.26}"
veltctl=./build/bin/veltctl
mkdir -p build/demo
echo "== veltctl info (simulated instrument $profile)"
"$veltctl" --simulate "$profile" info
echo "== veltctl records pull build/demo/records.dtf"
"$veltctl" --simulate "$profile" records pull build/demo/records.dtf
echo "== veltctl configs pull build/demo/configs.ctf"
"$veltctl" --simulate "$profile" configs pull build/demo/configs.ctf
echo "== veltctl check"
"$veltctl" check build/demo/records.dtf
"$veltctl" check build/demo/configs.ctf
echo "== record 1, first lines of its A-scan"
"$veltctl" ascan build/demo/records.dtf 1 | head -n 5
