#!/usr/bin/env bash
# Runs the program on the demo video under a private Xvfb, with a scratch
# configuration, for MINUTES (default 480), or with --frames for FRAMES
# frames fed as fast as the program takes them (its --camera-paced test
# switch: 720000 frames, eight hours' worth at 25 a second, in well under an
# hour; the dwell clock and the other times still run on the real clock),
# and samples it every 10 s into
# build/soak/samples.csv: resident memory, CPU time, open file descriptors,
# threads, the X resources the program holds (X-Resource extension, through
# xrestop) and the frames it has processed. At the end it prints how much
# each grew after the warm-up (the first 5 minutes, or 7500 frames; half the
# run when it is shorter than twice that), prints the samples as a table with
# a text plot of memory, draws build/soak/samples.png, and fails when
# resident memory grew by more than 2 MB, when descriptors, threads or X
# resources grew at all, or when the program stopped processing frames.
# Usage: scripts/soak.sh [MINUTES | --frames FRAMES] [PROGRAM_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
frames_wanted=
if [ "${1:-}" = --frames ]; then
  frames_wanted=$2
  shift 2
  minutes=0
else
  minutes=${1:-480}
  shift || true
fi
program_folder=${1:-$PWD/build/release/veltranix}
interval=10
# A fed run that processes no frame for this long has stalled.
stall_seconds=60
if [ ! -x "$program_folder/veltranix" ]; then
  bash scripts/install-deps.sh
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRANIX_TESTS=OFF \
    -DVELTRANIX_BENCHMARKS=OFF
  # The program with its folder's files and the demo video.
  cmake --build build/release --target veltranix veltranix_program_folder veltranix_demo
fi
out=$PWD/build/soak
mkdir -p "$out"
csv=$out/samples.csv
work=$(mktemp -d)
# shellcheck source=scripts/private-xvfb.sh
source scripts/private-xvfb.sh
# An ASan build keeps freed memory in quarantine: let it go at once, so that
# resident memory shows what the program holds.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:quarantine_size_mb=0:thread_local_quarantine_size_kb=0}
pacing=()
[ -n "$frames_wanted" ] && pacing=(--camera-paced)
dbus-run-session -- "$program_folder/veltranix" --demo "${pacing[@]}" 2>"$out/stderr.log" &
program_pid=$!
pid=
for _ in $(seq 1 100); do
  pid=$(pgrep -n -f "^$program_folder/veltranix --demo" || true)
  [ -n "$pid" ] && break
  sleep 0.1
done
[ -n "$pid" ] || { echo "the program did not start:"; cat "$out/stderr.log"; exit 1; }
ticks=$(getconf CLK_TCK)

# The X resources the program holds: every kind xrestop counts (windows,
# graphics contexts, pixmaps, pictures, cursors, ...) over every client of
# this private server but xrestop itself and the server's own.
x_resources() {
  xrestop -b -m 1 2>/dev/null | awk '
    /^[0-9]+ - / { counted = ($0 !~ /xrestop/); next }
    /res_base/ { if ($NF == "0") counted = 0; next }
    /bytes|res_mask/ { next }
    counted && NF >= 3 { total += $NF }
    END { print total + 0 }'
}
sample() {
  local now=$1
  [ -d "/proc/$pid" ] || return 1
  local rss cpu fds threads xres frames
  rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
  threads=$(awk '/^Threads/ {print $2}' "/proc/$pid/status")
  cpu=$(awk -v t="$ticks" '{printf "%.2f", ($14 + $15) / t}' "/proc/$pid/stat")
  fds=$(find "/proc/$pid/fd" -mindepth 1 -maxdepth 1 2>/dev/null | wc -l)
  xres=$(x_resources)
  frames=$(awk -F= '$1 == "processed" {print $2}' "$work/timing" 2>/dev/null || true)
  echo "$now,$rss,$cpu,$fds,$threads,${xres:-0},${frames:-0}" >>"$csv"
}
echo "seconds,rss_kb,cpu_seconds,fds,threads,x_resources,frames" >"$csv"
total=$((minutes * 60))
start=$(date +%s)
if [ -n "$frames_wanted" ]; then
  echo "soak: $frames_wanted frames fed as fast as taken on $DISPLAY, samples in $csv"
else
  echo "soak: $minutes min on $DISPLAY, samples in $csv"
fi
frames_at() { tail -n1 "$csv" | cut -d, -f7; }
last_frames=0
last_progress=$start
stalled=no
for ((elapsed = interval; ; elapsed += interval)); do
  if [ -z "$frames_wanted" ] && [ "$elapsed" -gt "$total" ]; then break; fi
  sleep $((start + elapsed - $(date +%s) > 0 ? start + elapsed - $(date +%s) : 0))
  sample "$elapsed" || { echo "the program ended during the soak:"; tail "$out/stderr.log"; exit 1; }
  [ -n "$frames_wanted" ] || continue
  [ "$(frames_at)" -ge "$frames_wanted" ] && break
  if [ "$(frames_at)" -gt "$last_frames" ]; then
    last_frames=$(frames_at)
    last_progress=$(date +%s)
  elif [ $(($(date +%s) - last_progress)) -ge "$stall_seconds" ]; then
    echo "FAIL: no frame processed for $stall_seconds s, at $last_frames frames"
    stalled=yes
    break
  fi
done
kill -TERM "$pid"
wait "$program_pid" || true

# The warm-up, in the first column (seconds) or, for a fed run, the last (frames).
warmup_column=1
warmup=300
[ "$minutes" -lt 10 ] && warmup=$((total / 2))
if [ -n "$frames_wanted" ]; then
  warmup_column=7
  warmup=7500
  [ "$frames_wanted" -lt 15000 ] && warmup=$((frames_wanted / 2))
fi

# At most 24 samples, evenly spread, with resident memory drawn between the
# run's least and most.
awk -F, '
  NR > 1 { ++n; for (i = 1; i <= 7; ++i) v[n, i] = $i
           if (n == 1 || $2 < low) low = $2; if (n == 1 || $2 > high) high = $2 }
  END {
    printf "%8s %9s %9s %5s %7s %11s  resident memory %d..%d kB\n", "seconds", "frames", "rss_kb",
      "fds", "threads", "x_resources", low, high
    step = n > 24 ? n / 24 : 1
    for (k = 1; k <= n + 0.5; k += step) {
      r = int(k); bar = high > low ? int(40 * (v[r, 2] - low) / (high - low) + 0.5) : 0
      line = ""; for (b = 0; b < bar; ++b) line = line "#"
      printf "%8d %9d %9d %5d %7d %11d  |%s\n", v[r, 1], v[r, 7], v[r, 2], v[r, 4], v[r, 5], v[r, 6], line
    }
  }' "$csv"
/usr/bin/python3 - "$csv" "$out/samples.png" "$warmup" "$warmup_column" <<'PYTHON'
import csv, sys
import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt
rows = list(csv.DictReader(open(sys.argv[1])))
warmup = int(sys.argv[3])
# A fed run's warm-up is counted in frames: drawn where the frames reached it.
if sys.argv[4] == "7":
    warmup = next((int(r["seconds"]) for r in rows if int(r["frames"]) >= warmup), 0)
columns = ["rss_kb", "cpu_seconds", "fds", "threads", "x_resources", "frames"]
seconds = [int(r["seconds"]) / 60 for r in rows]
figure, axes = plt.subplots(len(columns), 1, sharex=True, figsize=(9, 12))
for axis, column in zip(axes, columns):
    axis.plot(seconds, [float(r[column]) for r in rows])
    axis.axvline(warmup / 60, color="grey", linestyle=":")
    axis.set_ylabel(column)
    axis.grid(True)
axes[-1].set_xlabel("minutes")
figure.suptitle("Veltranix soak on the demo video")
figure.tight_layout()
figure.savefig(sys.argv[2], dpi=80)
PYTHON

awk -F, -v warmup="$warmup" -v column="$warmup_column" '
  NR == 1 { next }
  $column >= warmup && !based { based = 1; for (i = 2; i <= NF; ++i) base[i] = $i; baseAt = $1 }
  { for (i = 2; i <= NF; ++i) last[i] = $i; lastAt = $1 }
  END {
    if (!based) { print "soak too short: no sample after the warm-up"; exit 1 }
    split("rss_kb,cpu_seconds,fds,threads,x_resources,frames", name, ",")
    printf "growth from %d s to %d s:\n", baseAt, lastAt
    for (i = 2; i <= 7; ++i) printf "  %-12s %10s -> %10s  (%+g)\n", name[i - 1], base[i], last[i], last[i] - base[i]
    minutes = (lastAt - baseAt) / 60
    if (lastAt > baseAt) printf "  frames per second %.1f, CPU %.1f %% of one core\n", (last[7] - base[7]) / (lastAt - baseAt), 100 * (last[3] - base[3]) / (lastAt - baseAt)
    fail = 0
    if (last[2] - base[2] > 2048) { print "FAIL: resident memory grew by more than 2 MB"; fail = 1 }
    if (last[4] > base[4]) { print "FAIL: file descriptors grew"; fail = 1 }
    if (last[5] > base[5]) { print "FAIL: threads grew"; fail = 1 }
    if (last[6] > base[6]) { print "FAIL: X resources grew"; fail = 1 }
    if (last[7] <= base[7]) { print "FAIL: no frames processed after the warm-up"; fail = 1 }
    exit fail
  }' "$csv"
echo "plot: $out/samples.png, run of $(($(date +%s) - start)) s"
[ "$stalled" = no ]
