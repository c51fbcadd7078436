#!/usr/bin/env bash
# Builds the libFuzzer targets of every file and message reader (clang, -O1, with
# AddressSanitizer and UndefinedBehaviorSanitizer) in build/fuzz and runs each
# for SECONDS (default 600), two at a time, then prints the executions and the
# coverage each reached. A target that finds a crash or a broken property
# leaves the input in build/fuzz/findings/ and the script fails; a mended
# finding goes into the target's seeds (tests/fuzz/corpus/<target>/) under a
# name of its own, so that every later run replays it.
# With --merge (long runs) the targets run one at a time, and what each run
# found is merged into its committed seeds, minimised (-merge=1 into a fresh
# folder that replaces them), and its executions are added to the running
# totals in tests/fuzz/executions.txt and the README's table. Without it (the
# CI's short run) nothing committed changes.
# Usage: scripts/fuzz.sh [SECONDS] [--merge] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=600
merge=no
only=()
for argument in "$@"; do
  case $argument in
    --merge) merge=yes ;;
    [0-9]*) seconds=$argument ;;
    *) only+=("$argument") ;;
  esac
done
# target, longest input, seed folders. A few kilobytes reach every limit of
# the line-based readers; longer inputs only slow each execution down.
targets=(
  "macro_file_fuzz 8192 tests/macros/golden tests/fuzz/corpus/macro_file_fuzz"
  "store_text_fuzz 16384 tests/fuzz/corpus/store_text_fuzz"
  "lexicon_fuzz 4096 tests/fuzz/corpus/lexicon_fuzz"
  "program_ini_fuzz 8192 tests/fuzz/corpus/program_ini_fuzz"
  "ani_cursor_fuzz 131072 tests/fuzz/corpus/ani_cursor_fuzz"
  "companion_message_fuzz 256 tests/fuzz/corpus/companion_message_fuzz"
  "y4m_header_fuzz 8192 tests/fuzz/corpus/y4m_header_fuzz"
)
if [ ${#only[@]} -gt 0 ]; then
  chosen=()
  for entry in "${targets[@]}"; do
    for name in "${only[@]}"; do [ "${entry%% *}" = "$name" ] && chosen+=("$entry"); done
  done
  [ ${#chosen[@]} -eq ${#only[@]} ] || { echo "unknown target among: ${only[*]}"; exit 2; }
  targets=("${chosen[@]}")
fi
launcher=()
command -v ccache >/dev/null &&
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS=-O1 -DVELTRANIX_SANITIZE=ON -DVELTRANIX_TESTS=OFF -DVELTRANIX_BENCHMARKS=OFF \
  -DVELTRANIX_FUZZ=ON "${launcher[@]}" >/dev/null
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
  # No allocation stacks: a finding's replay shows them.
  ASAN_OPTIONS=${ASAN_OPTIONS:-malloc_context_size=0} build/fuzz/veltranix/"$name" \
    -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
    -print_final_stats=1 -artifact_prefix="build/fuzz/findings/$name-" \
    "build/fuzz/corpus/$name" "${seeds[@]}" >"build/fuzz/logs/$name.log" 2>&1
}
# The seeds, minimised to the inputs that add coverage; the working corpus
# starts again from them. Seeds named by hand (hand-made inputs and mended
# findings) always stay; the merge adds, under their hashes, the inputs that
# cover more than they do.
merge_one() {
  local name=$1 max_len=$2
  shift 2
  local fresh="build/fuzz/merged/$name" seeds=() hashed='.*/[0-9a-f]{40}'
  for folder in "$@"; do [ -d "$folder" ] && seeds+=("$folder"); done
  rm -rf "$fresh" && mkdir -p "$fresh" "tests/fuzz/corpus/$name"
  find "tests/fuzz/corpus/$name" -regextype posix-extended -type f ! -regex "$hashed" \
    -exec cp {} "$fresh/" \;
  build/fuzz/veltranix/"$name" -merge=1 -max_len="$max_len" -timeout=10 "$fresh" \
    "build/fuzz/corpus/$name" "${seeds[@]}" >"build/fuzz/logs/$name-merge.log" 2>&1 || return 1
  find "tests/fuzz/corpus/$name" -regextype posix-extended -type f -regex "$hashed" -delete
  find "$fresh" -regextype posix-extended -type f -regex "$hashed" \
    -exec cp {} "tests/fuzz/corpus/$name/" \;
  rm -rf "build/fuzz/corpus/$name" && mv "$fresh" "build/fuzz/corpus/$name"
}
pids=()
status=0
parallel=2
[ "$merge" = yes ] && parallel=1
for entry in "${targets[@]}"; do
  # shellcheck disable=SC2086
  run_one $entry &
  pids+=($!)
  if [ ${#pids[@]} -eq "$parallel" ]; then
    wait "${pids[0]}" || status=1
    pids=("${pids[@]:1}")
  fi
done
for pid in "${pids[@]}"; do wait "$pid" || status=1; done

totals=tests/fuzz/executions.txt

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
  if [ "$merge" = yes ] && [ "$result" = ok ]; then
    for entry in "${targets[@]}"; do
      [ "${entry%% *}" = "$name" ] || continue
      # shellcheck disable=SC2086
      merge_one $entry || { echo "$name: merge failed"; status=1; }
    done
    # target, executions in all, executions per second of the last run, its date
    awk -v name="$name" -v n="${executions:-0}" -v rate="${rate:-0}" -v day="$(date -u +%F)" '
      /^#/ { print; next }
      $1 == name { $2 += n; $3 = rate; $4 = day; found = 1 }
      { print }
      END { if (!found) print name, n, rate, day }' "$totals" >"$totals.new"
    mv "$totals.new" "$totals"
  fi
done
if [ "$merge" = yes ]; then
  # The README's table, between its two marker lines, from the totals.
  table=$(awk '!/^#/ {
      cmd = "find tests/fuzz/corpus/" $1 " -type f | wc -l"; cmd | getline files; close(cmd)
      printf "| `%s` | %.0f | %.0f | %d | %s |\n", $1, $2, $3, files, $4 }' "$totals")
  awk -v table="$table" '
    /<!-- fuzz totals end -->/ { print table; skip = 0 }
    !skip { print }
    /<!-- fuzz totals begin -->/ {
      skip = 1
      print "| target | executions in all | exec/s | corpus files | last run |"
      print "|---|---:|---:|---:|---|"
    }
  ' README.md >README.md.new
  mv README.md.new README.md
fi
[ "$status" -eq 0 ] || echo "fuzzing found a fault: see build/fuzz/logs/ and build/fuzz/findings/"
exit "$status"
