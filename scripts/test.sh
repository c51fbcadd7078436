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
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DVELTRANIX_SANITIZE=ON -DVELTRANIX_WERROR=ON
cmake --build build/test

# The macro file reader's fuzz target (libFuzzer needs clang): a short run in
# a build folder of its own. See the README for longer runs.
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
  -DVELTRANIX_SANITIZE=ON -DVELTRANIX_TESTS=OFF -DVELTRANIX_BENCHMARKS=OFF -DVELTRANIX_FUZZ=ON
cmake --build build/fuzz --target macro_file_fuzz
rm -rf build/fuzz/corpus && mkdir -p build/fuzz/corpus && cp tests/macros/golden/* build/fuzz/corpus/
build/fuzz/veltranix/macro_file_fuzz -max_total_time=20 -max_len=65536 build/fuzz/corpus

# The Debian package, built in Release, installed, run and removed.
bash scripts/package-test.sh

# The test summary stays the last thing printed.
ctest --test-dir build/test --output-on-failure --parallel 2
