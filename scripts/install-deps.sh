#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Veltranix
# needs. Idempotent: does nothing when all are present. Runs as root, or
# through sudo.
set -euo pipefail

packages=(
  # Build and test tools
  build-essential cmake ninja-build clang-format
  libgtest-dev libgmock-dev libbenchmark-dev
  # The fuzz target of the macro file reader: clang and its libFuzzer runtime
  clang libclang-rt-14-dev
  # Engine: face detection and image processing; the stock cascades
  libopencv-dev opencv-data
  # User interface and desktop; the camera through libv4l2; the fonts the
  # windows' texts are set in (metric equivalents of Arial)
  qt6-base-dev qt6-svg-dev libxtst-dev libxfixes-dev libxcursor-dev libxres-dev libxinerama-dev libcanberra-dev
  libxkbcommon-dev libglib2.0-dev shared-mime-info libv4l-dev fonts-liberation2
  # The user manuals' PDFs are set in DejaVu Sans at build time
  fonts-dejavu-core
  # Tests of the desktop parts: a real X server and a private session bus
  xvfb xauth dbus dbus-x11
  # Window managers, a panel with a strut and a terminal for the focus test
  openbox tint2 xfwm4 xterm
  # two-monitor tests
  xserver-xephyr
  # The Debian package: dpkg-shlibdeps (with file) for its dependencies, and
  # the checks of the package, its desktop entry and its metadata
  dpkg-dev file procps lintian desktop-file-utils appstream
  # The soak run: the X resources a client holds, and the plot of its samples
  xrestop python3-matplotlib
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
