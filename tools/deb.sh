#!/usr/bin/env bash
# Builds the Debian package from a Release build (VELT_BUILD_DIR, default
# build-release; made when missing), checks it with lintian, installs it
# with apt, tries the installed program, veltctl and the file types the
# desktop sees, and removes the package again.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${VELT_BUILD_DIR:-build-release}
if [ ! -f "$dir/CMakeCache.txt" ]; then
  VELT_BUILD_DIR=$dir ./tools/build.sh -DCMAKE_BUILD_TYPE=Release -DVELT_BUILD_TESTS=OFF \
    -DVELT_BUILD_BENCH=OFF
fi
rm -f "$dir"/velt-studio_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls "$PWD/$dir"/velt-studio_*.deb)
echo "deb: built $deb"

# Errors fail; the one warning left is explained in the README.
lintian --fail-on error,warning --suppress-tags initial-upload-closes-no-bugs "$deb"
echo "deb: lintian clean"

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
else
  as_root=(sudo)
fi
apt_get() { "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -y -qq "$@"; }
work=$(mktemp -d)
cleanup() {
  apt_get remove velt-studio >/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
apt_get install "$deb" >/dev/null
echo "deb: installed"

state=$(cd "$work" && HOME="$work" QT_QPA_PLATFORM=offscreen CONDUIT_SIMULATOR=1:3.26 \
  VELTMaster --print-state 2>/dev/null)
echo "deb: VELTMaster --print-state: $state"
grep -q '3\.26 (simulated)' <<<"$state"
veltctl info --simulate 1:3.26 | grep -q '^firmware: 3.26$'
veltctl --simulate 1:3.26 records pull "$work/records.dtf" >/dev/null
type=$(xdg-mime query filetype "$work/records.dtf")
default=$(xdg-mime query default "$type")
echo "deb: records.dtf is $type, opened by $default"
[ "$type" = application/x-velt-records ]
[ "$default" = com.velt.VeltStudio3.desktop ]
echo "deb: all checks passed; removing the package"
