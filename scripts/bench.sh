#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them; extra arguments go to Google Benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRANIX_TESTS=OFF
cmake --build build/release --target veltranix_benchmarks
exec build/release/bench/veltranix_benchmarks --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true "$@"
