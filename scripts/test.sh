#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds everything with
# AddressSanitizer and UndefinedBehaviorSanitizer (warnings are errors),
# checks the Debian package (built in Release, installed, run and removed) and
# runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/install-wayland-test-deps.sh
bash scripts/format-check.sh
# A clean build: precompiled headers save more than ccache (which caches
# their users only with this sloppiness) would.
export CCACHE_SLOPPINESS=${CCACHE_SLOPPINESS:+$CCACHE_SLOPPINESS,}pch_defines,time_macros
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DVELTRANIX_SANITIZE=ON -DVELTRANIX_WERROR=ON -DVELTRANIX_PRECOMPILED_HEADERS=ON

# Three minutes of the program on the demo video: memory, descriptors,
# threads and X resources must stay flat. The program mostly waits for its
# frames, so it is built first, and the rest of the build, the fuzzing and
# the Release build for the package go on meanwhile.
cmake --build build/test --target veltranix veltranix_program_folder veltranix_demo
bash scripts/soak.sh 3 "$PWD/build/test/veltranix" &
soak=$!
trap 'kill "$soak" 2>/dev/null || true' EXIT
cmake --build build/test

# Every reader's fuzz target (libFuzzer needs clang), 5 seconds each, in a
# build folder of its own. scripts/fuzz.sh SECONDS runs them longer.
bash scripts/fuzz.sh 5

bash scripts/package.sh --build-only
wait "$soak"
trap - EXIT

# The Debian package, built in Release, installed, run and removed.
bash scripts/package-test.sh

# The test summary stays the last thing printed.
ctest --test-dir build/test --output-on-failure --parallel 2
