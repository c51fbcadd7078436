#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds everything with
# AddressSanitizer and UndefinedBehaviorSanitizer (warnings are errors) and
# runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/format-check.sh
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DVELTRANIX_SANITIZE=ON -DVELTRANIX_WERROR=ON
cmake --build build/test
ctest --test-dir build/test --output-on-failure --parallel 2
