#!/usr/bin/env bash
# Measures the running program on the demo video under a private Xvfb for
# SECONDS (default 60): CPU (percent of one core), resident memory and the
# delay from a frame's hand-over by the camera to the pointer's move.
# Usage: scripts/measure.sh [SECONDS] [PROGRAM_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
program_folder=${2:-$PWD/build/release/veltranix}
if [ ! -x "$program_folder/veltranix" ]; then
  bash scripts/install-deps.sh
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRANIX_TESTS=OFF
  cmake --build build/release
fi
work=$(mktemp -d)
# shellcheck source=scripts/private-xvfb.sh
source scripts/private-xvfb.sh
dbus-run-session -- "$program_folder/veltranix" --demo 2>"$work/stderr" &
program_pid=$!
sleep 3
pid=$(pgrep -n -f "$program_folder/veltranix --demo" || true)
[ -n "$pid" ] || { echo "the program did not start:"; cat "$work/stderr"; exit 1; }
ticks=$(getconf CLK_TCK)
cpu_of() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
# Calibration happens in the first seconds; measure the tracking that follows.
sleep 7
start_cpu=$(cpu_of)
start_time=$(date +%s.%N)
peak_rss=0
for _ in $(seq 1 "$seconds"); do
  sleep 1
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
  [ "$rss" -gt "$peak_rss" ] && peak_rss=$rss
done
end_cpu=$(cpu_of)
end_time=$(date +%s.%N)
kill -TERM "$pid"
wait "$program_pid" || true
cpu_percent=$(awk -v a="$start_cpu" -v b="$end_cpu" -v t="$ticks" -v s="$start_time" -v e="$end_time" \
  'BEGIN { printf "%.2f", 100 * (b - a) / t / (e - s) }')
echo "seconds measured: $seconds"
echo "cpu: ${cpu_percent} % of one core"
echo "resident memory (peak): $((peak_rss / 1024)) MB"
if [ -s "$work/timing" ]; then
  sed 's/^/frame to pointer: /' "$work/timing"
fi
