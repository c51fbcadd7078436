#!/usr/bin/env bash
# Builds the libFuzzer targets of every file and message reader (clang, with
# AddressSanitizer and UndefinedBehaviorSanitizer) in build/fuzz and runs each
# for SECONDS (default 600), two at a time, then prints the executions and the
# coverage each reached. A target that finds a crash or a broken property
# leaves the input in build/fuzz/findings/ and the script fails; a mended
# finding goes into the target's seeds (tests/fuzz/corpus/<target>/) so that
# every later run replays it.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
# target, longest input, seed folders
targets=(
  "macro_file_fuzz 65536 tests/macros/golden tests/fuzz/corpus/macro_file_fuzz"
  "store_text_fuzz 16384 tests/fuzz/corpus/store_text_fuzz"
  "lexicon_fuzz 32768 tests/fuzz/corpus/lexicon_fuzz"
  "program_ini_fuzz 8192 tests/fuzz/corpus/program_ini_fuzz"
  "ani_cursor_fuzz 131072 tests/fuzz/corpus/ani_cursor_fuzz"
  "companion_message_fuzz 256 tests/fuzz/corpus/companion_message_fuzz"
  "y4m_header_fuzz 8192 tests/fuzz/corpus/y4m_header_fuzz"
)
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
  -DVELTRANIX_SANITIZE=ON -DVELTRANIX_TESTS=OFF -DVELTRANIX_BENCHMARKS=OFF \
  -DVELTRANIX_FUZZ=ON >/dev/null
names=()
for entry in "${targets[@]}"; do names+=("${entry%% *}"); done
cmake --build build/fuzz --target "${names[@]}"

mkdir -p build/fuzz/findings build/fuzz/logs
run_one() {
  local name=$1 max_len=$2
  shift 2
  local seeds=()
  for folder in "$@"; do [ -d "$folder" ] && seeds+=("$folder"); done
  # New inputs go to the first folder, the working corpus; the seeds are read.
  mkdir -p "build/fuzz/corpus/$name"
  build/fuzz/veltranix/"$name" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
    -print_final_stats=1 -artifact_prefix="build/fuzz/findings/$name-" \
    "build/fuzz/corpus/$name" "${seeds[@]}" >"build/fuzz/logs/$name.log" 2>&1
}
pids=()
status=0
for entry in "${targets[@]}"; do
  # shellcheck disable=SC2086
  run_one $entry &
  pids+=($!)
  if [ ${#pids[@]} -eq 2 ]; then
    wait "${pids[0]}" || status=1
    pids=("${pids[1]}")
  fi
done
for pid in "${pids[@]}"; do wait "$pid" || status=1; done

printf '%-24s %14s %8s %8s %8s  %s\n' target executions exec/s cov ft result
for name in "${names[@]}"; do
  log="build/fuzz/logs/$name.log"
  executions=$(awk '/stat::number_of_executed_units/ {n = $2} END {print n}' "$log")
  rate=$(awk '/stat::average_exec_per_sec/ {n = $2} END {print n}' "$log")
  cov=$(awk '{for (i = 1; i < NF; ++i) if ($i == "cov:") n = $(i + 1)} END {print n}' "$log")
  ft=$(awk '{for (i = 1; i < NF; ++i) if ($i == "ft:") n = $(i + 1)} END {print n}' "$log")
  if grep -q -E '^==[0-9]+==ERROR|property broken|deadly signal|Test unit written' "$log"; then
    result="FINDING: $(grep -o 'Test unit written to .*' "$log" | head -n1 || true)"
    status=1
  else
    result=ok
  fi
  printf '%-24s %14s %8s %8s %8s  %s\n' "$name" "${executions:-?}" "${rate:-?}" "${cov:-?}" \
    "${ft:-?}" "$result"
done
[ "$status" -eq 0 ] || echo "fuzzing found a fault: see build/fuzz/logs/ and build/fuzz/findings/"
exit "$status"
