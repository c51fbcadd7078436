#!/usr/bin/env bash
# Installs what the Wayland session test needs, for that test only: a
# headless GNOME compositor with XWayland, PipeWire for its screen-cast
# streams, Qt's Wayland platform for the native test window, and the user
# session bus (about 215 MB). Never fails the test run: when the packages
# cannot be installed it says why, and the test is skipped.
set -uo pipefail

packages=(mutter pipewire qt6-wayland xwayland dbus-user-session)

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
  if ! sudo -n true 2>/dev/null; then
    echo "The Wayland session test will be skipped: installing ${missing[*]} needs root" \
      "(run: sudo apt-get install ${missing[*]})"
    exit 0
  fi
  as_root=(sudo -n)
fi
echo "Installing for the Wayland session test: ${missing[*]}"
if ! { "${as_root[@]}" apt-get update -qq &&
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"; } >/tmp/veltranix-wayland-deps.log 2>&1; then
  echo "The Wayland session test will be skipped: installing ${missing[*]} failed" \
    "(see /tmp/veltranix-wayland-deps.log)"
fi
exit 0
