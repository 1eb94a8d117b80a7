#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run, and the npm packages
# of the browser tests. Safe to run again: it installs only what is missing.
#   --bench   also the peers that the benchmarks compare against (ImageMagick, libvips, djpeg)
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake ninja-build g++ pkg-config
  clang libclang-rt-14-dev clang-format
  libgtest-dev libgmock-dev
  libjpeg62-turbo-dev libgif-dev libpng-dev libwebp-dev libheif-dev
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev libqt6svg6
  qt6-l10n-tools qt6-tools-dev qt6-translations-l10n python3
  dbus gsettings-desktop-schemas dconf-gsettings-backend
  libglib2.0-dev libglib2.0-bin libexif-dev liblcms2-dev dpkg-dev
  libexiv2-dev libimage-exiftool-perl libavif-dev libssh-dev libssl-dev libsecret-1-dev openssh-server
  xvfb xauth xdotool openbox wmctrl x11-utils imagemagick
  lintian appstream desktop-file-utils groff-base
  nodejs chromium fonts-dejavu-core
)
if [[ "${1:-}" == "--bench" ]]; then
  packages+=(libvips-tools libjpeg-turbo-progs time)
fi

sudo_cmd=()
if [[ "$(id -u)" != 0 ]]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if ((${#missing[@]})); then
  echo "install-deps: installing ${missing[*]}"
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 update -qq
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq "${missing[@]}"
fi

# Some Node.js builds carry their own npm and conflict with Debian's package.
if ! command -v npm >/dev/null; then
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq npm
fi

# The browser tests' packages, from the committed lock file; skipped when already in place.
if [[ -f package-lock.json ]]; then
  if [[ ! node_modules/.package-lock.json -nt package-lock.json ]]; then
    npm ci --no-audit --no-fund --loglevel=error
  fi
fi
