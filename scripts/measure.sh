#!/usr/bin/env bash
# Measures the running program under a private Xvfb for SECONDS (default 60)
# in two scenes: tracking the demo video, and an empty grey scene (no face,
# measured once nobody has been seen for more than 10 s). Prints for each its
# CPU use (percent of one core), resident memory and, while tracking, the
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
ticks=$(getconf CLK_TCK)

# An empty room: a grey wall with a soft gradient and camera noise, 640 x 480,
# two seconds at 25 frames a second, looped by the camera.
python3 - "$work/empty.y4m" <<'PY'
import os, random, sys
width, height, frames = 640, 480, 50
random.seed(27)
with open(sys.argv[1], "wb") as out:
    out.write(b"YUV4MPEG2 W640 H480 F25:1 Ip A1:1 C420jpeg\n")
    wall = bytes(96 + x // 20 + y // 24 for y in range(height) for x in range(width))
    chroma = bytes([128]) * (width * height // 2)
    for _ in range(frames):
        noise = os.urandom(width * height)
        out.write(b"FRAME\n")
        out.write(bytes(w + (n & 7) for w, n in zip(wall, noise)))
        out.write(chroma)
PY

# measure NAME SETTLE_SECONDS PROGRAM_ARGUMENTS...
measure() {
  local name=$1 settle=$2
  shift 2
  rm -f "$VELTRANIX_TIMING_LOG"
  dbus-run-session -- "$program_folder/veltranix" "$@" 2>"$work/stderr" &
  program_pid=$!
  sleep 3
  local pid
  pid=$(pgrep -n -f "$program_folder/veltranix $*" || true)
  [ -n "$pid" ] || { echo "the program did not start:"; cat "$work/stderr"; exit 1; }
  cpu_of() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
  sleep "$settle"
  local start_cpu start_time end_cpu end_time rss peak_rss=0
  start_cpu=$(cpu_of)
  start_time=$(date +%s.%N)
  for _ in $(seq 1 "$seconds"); do
    sleep 1
    rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
    [ "$rss" -gt "$peak_rss" ] && peak_rss=$rss
  done
  end_cpu=$(cpu_of)
  end_time=$(date +%s.%N)
  kill -TERM "$pid"
  wait "$program_pid" || true
  program_pid=
  local cpu_percent
  cpu_percent=$(awk -v a="$start_cpu" -v b="$end_cpu" -v t="$ticks" -v s="$start_time" -v e="$end_time" \
    'BEGIN { printf "%.2f", 100 * (b - a) / t / (e - s) }')
  echo "$name, seconds measured: $seconds"
  echo "$name, cpu: ${cpu_percent} % of one core"
  echo "$name, resident memory (peak): $((peak_rss / 1024)) MB"
}

# Calibration happens in the first seconds; measure the tracking that follows.
measure demo 7 --demo
if [ -s "$VELTRANIX_TIMING_LOG" ]; then
  sed 's/^/demo, frame to pointer: /' "$VELTRANIX_TIMING_LOG"
fi
# Nobody seen for more than 10 s: the program waits for a face to come back.
measure "empty scene" 8 --camera "$work/empty.y4m"
