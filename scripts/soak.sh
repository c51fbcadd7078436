#!/usr/bin/env bash
# Runs the program on the demo video under a private Xvfb, with a scratch
# configuration, for MINUTES (default 480) and samples it every 10 s into
# build/soak/samples.csv: resident memory, CPU time, open file descriptors,
# threads, the X resources the program holds (X-Resource extension, through
# xrestop) and the frames it has processed. At the end it prints how much
# each grew after the warm-up (the first 5 minutes; half the run when it is
# shorter than 10 minutes), draws build/soak/samples.png, and fails when
# resident memory grew by more than 2 MB, when descriptors, threads or X
# resources grew at all, or when the program stopped processing frames.
# Usage: scripts/soak.sh [MINUTES] [PROGRAM_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-480}
program_folder=${2:-$PWD/build/release/veltranix}
interval=10
if [ ! -x "$program_folder/veltranix" ]; then
  bash scripts/install-deps.sh
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRANIX_TESTS=OFF \
    -DVELTRANIX_BENCHMARKS=OFF
  cmake --build build/release --target veltranix
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
dbus-run-session -- "$program_folder/veltranix" --demo 2>"$out/stderr.log" &
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
echo "soak: $minutes min on $DISPLAY, samples in $csv"
for ((elapsed = interval; elapsed <= total; elapsed += interval)); do
  sleep $((start + elapsed - $(date +%s) > 0 ? start + elapsed - $(date +%s) : 0))
  sample "$elapsed" || { echo "the program ended during the soak:"; tail "$out/stderr.log"; exit 1; }
done
kill -TERM "$pid"
wait "$program_pid" || true

warmup=300
[ "$minutes" -lt 10 ] && warmup=$((total / 2))
/usr/bin/python3 - "$csv" "$out/samples.png" "$warmup" <<'PYTHON'
import csv, sys
import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt
rows = list(csv.DictReader(open(sys.argv[1])))
warmup = int(sys.argv[3])
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

awk -F, -v warmup="$warmup" '
  NR == 1 { next }
  $1 >= warmup && !based { based = 1; for (i = 2; i <= NF; ++i) base[i] = $i; baseAt = $1 }
  { for (i = 2; i <= NF; ++i) last[i] = $i; lastAt = $1 }
  END {
    if (!based) { print "soak too short: no sample after the warm-up"; exit 1 }
    split("rss_kb,cpu_seconds,fds,threads,x_resources,frames", name, ",")
    printf "growth from %d s to %d s:\n", baseAt, lastAt
    for (i = 2; i <= 7; ++i) printf "  %-12s %10s -> %10s  (%+g)\n", name[i - 1], base[i], last[i], last[i] - base[i]
    minutes = (lastAt - baseAt) / 60
    if (minutes > 0) printf "  frames per second %.1f, CPU %.1f %% of one core\n", (last[7] - base[7]) / (lastAt - baseAt), 100 * (last[3] - base[3]) / (lastAt - baseAt)
    fail = 0
    if (last[2] - base[2] > 2048) { print "FAIL: resident memory grew by more than 2 MB"; fail = 1 }
    if (last[4] > base[4]) { print "FAIL: file descriptors grew"; fail = 1 }
    if (last[5] > base[5]) { print "FAIL: threads grew"; fail = 1 }
    if (last[6] > base[6]) { print "FAIL: X resources grew"; fail = 1 }
    if (last[7] <= base[7]) { print "FAIL: no frames processed after the warm-up"; fail = 1 }
    exit fail
  }' "$csv"
echo "plot: $out/samples.png"
