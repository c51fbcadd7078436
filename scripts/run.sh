#!/usr/bin/env bash
# Installs what is missing, builds the program folder in Release, records
# where it is installed and starts the program. Extra arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRANIX_TESTS=OFF
cmake --build build/release
program_folder="$PWD/build/release/veltranix"
"$program_folder/veltranix-store" record-install-folder "$program_folder"
if [ -x "$program_folder/veltranix" ]; then
  exec "$program_folder/veltranix" "$@"
fi
echo "Built the program folder $program_folder."
echo "The program itself arrives with the camera and application work; nothing to start yet."
