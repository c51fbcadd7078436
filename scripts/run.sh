#!/usr/bin/env bash
# Installs what is missing, builds the program folder in Release, records
# where it is installed and starts the program. Without a camera it starts
# with the bundled demo video as the camera. Extra arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRANIX_TESTS=OFF
cmake --build build/release
program_folder="$PWD/build/release/veltranix"
"$program_folder/veltranix-store" record-install-folder "$program_folder"
if [ -z "${DISPLAY:-}" ]; then
  echo "veltranix: no X display (DISPLAY is not set): start it from an X11 or XWayland desktop session" >&2
  exit 1
fi
arguments=("$@")
if [ ${#arguments[@]} -eq 0 ] && [ -z "$("$program_folder/veltranix" --list-cameras)" ]; then
  echo "No camera found: Veltranix starts with the demo video as its camera."
  arguments=(--demo)
fi
exec "$program_folder/veltranix" "${arguments[@]}"
