#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run.
# Idempotent: asks apt only for what is missing and refreshes the package
# lists only then. Works as root and, for other users, through sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev qt6-translations-l10n qt6-svg-dev
  libusb-1.0-0-dev libudev-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev libcli11-dev
  clang-14 libclang-rt-14-dev
  xvfb xauth poppler-utils
  cups printer-driver-cups-pdf
  umockdev libumockdev-dev libglib2.0-dev
  fonts-dejavu-core fonts-liberation2
  locales
  desktop-file-utils appstream libxml2-utils shared-mime-info xdg-utils lintian
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed'; then
    missing+=("$p")
  fi
done

# The tests that exchange files between a Russian and the C locale run
# under ru_RU.UTF-8 (they are skipped without it).
need_locale=0
if ! grep -qix 'ru_RU\.utf-\?8' <<<"$(locale -a 2>/dev/null || true)"; then
  need_locale=1
fi

if [ "${#missing[@]}" -eq 0 ] && [ "$need_locale" -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "setup: these packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
  exit 1
fi

if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}" >&2
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ "$need_locale" -eq 1 ]; then
  echo "setup: generating the locale ru_RU.UTF-8" >&2
  if ! grep -q '^ru_RU\.UTF-8 UTF-8' /etc/locale.gen; then
    echo 'ru_RU.UTF-8 UTF-8' | "${as_root[@]}" tee -a /etc/locale.gen >/dev/null
  fi
  "${as_root[@]}" locale-gen
fi
