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
# frames, so it is built first and the rest of the build and the fuzzing go
# on meanwhile.
cmake --build build/test --target veltranix veltranix_program_folder veltranix_demo
bash scripts/soak.sh 3 "$PWD/build/test/veltranix" &
soak=$!
trap 'kill "$soak" 2>/dev/null || true' EXIT
cmake --build build/test

# Every reader's fuzz target (libFuzzer needs clang), 5 seconds each, in a
# build folder of its own. scripts/fuzz.sh SECONDS runs them longer.
bash scripts/fuzz.sh 5
wait "$soak"

# The Debian package, built in Release, installed, run and removed, at the
# lowest priority beside the tests: the desktop tests steer the program in
# real time and leave most of a core idle, which the package's build takes.
# Its output follows the tests'.
log=build/package-test.log
nice -n 19 bash scripts/package-test.sh >"$log" 2>&1 &
package=$!
trap 'kill "$package" 2>/dev/null || true' EXIT
status=0
ctest --test-dir build/test --output-on-failure --parallel 2 | tee build/test/ctest.log ||
  status=1
package_status=0
wait "$package" || package_status=$?
trap - EXIT
echo "== scripts/package-test.sh"
cat "$log"
if [ "$package_status" -ne 0 ]; then
  echo "the package test failed (exit $package_status)"
  status=1
fi
# The test summary stays the last thing printed.
sed -n '/tests passed, /,$p' build/test/ctest.log
exit "$status"
