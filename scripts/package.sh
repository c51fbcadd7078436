#!/usr/bin/env bash
# Builds the Debian package build/release/veltranix_<version>_amd64.deb from
# the Release build that scripts/run.sh uses, and prints its path. With
# --build-only it stops after the build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# Precompiled headers make a clean build faster; ccache caches their users
# only with this sloppiness.
export CCACHE_SLOPPINESS=${CCACHE_SLOPPINESS:+$CCACHE_SLOPPINESS,}pch_defines,time_macros
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRANIX_TESTS=OFF \
  -DVELTRANIX_PRECOMPILED_HEADERS=ON >/dev/null
cmake --build build/release --target veltranix_installation
if [ "${1:-}" = "--build-only" ]; then
  exit 0
fi
rm -f build/release/veltranix_*.deb
(cd build/release && cpack -G DEB)
ls "$PWD"/build/release/veltranix_*_amd64.deb
