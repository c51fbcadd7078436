#!/usr/bin/env bash
# Runs a test program against a private X server (Xvfb, 1280x1024, US
# keyboard) on a private D-Bus session bus, and stops both afterwards.
# VELTRANIX_SKIP_X_TESTS=1 skips the program (exit code 77); otherwise a
# server that cannot start is a failure.
set -uo pipefail

if [ "${VELTRANIX_SKIP_X_TESTS:-}" = "1" ]; then
  echo "VELTRANIX_SKIP_X_TESTS=1: the desktop tests are skipped"
  exit 77
fi
# VELTRANIX_TRIES=N: a failed run is run again, on a fresh server, up to N
# runs in all; each failure stays in the log. For the tests that steer the
# program in real time, which a loaded machine can upset.
if [ "${VELTRANIX_TRIES:-1}" -gt 1 ]; then
  tries=$VELTRANIX_TRIES
  export VELTRANIX_TRIES=1
  for ((run = 1; run <= tries; ++run)); do
    bash "$0" "$@"
    status=$?
    if [ "$status" -eq 0 ] || [ "$status" -eq 77 ]; then
      exit "$status"
    fi
    echo "run $run of $tries failed (exit code $status)"
  done
  exit "$status"
fi
# VELTRANIX_OWN_PROCESSES=1: in a PID and mount namespace of its own.
if [ "${VELTRANIX_OWN_PROCESSES:-}" = "1" ]; then
  export VELTRANIX_OWN_PROCESSES=entered
  exec unshare -p -f --mount-proc bash "$0" "$@"
fi
for tool in Xvfb dbus-run-session; do
  if ! command -v "$tool" >/dev/null; then
    echo "$tool is not installed: scripts/install-deps.sh installs it" >&2
    exit 1
  fi
done

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# -displayfd: the server picks a free display number and writes it here.
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp -noreset \
  5>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 1 100); do
  if [ -s "$work/display" ]; then
    break
  fi
  if ! kill -0 "$xvfb_pid" 2>/dev/null; then
    break
  fi
  sleep 0.1
done
if [ ! -s "$work/display" ]; then
  echo "Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi

export DISPLAY=":$(head -n1 "$work/display")"
unset WAYLAND_DISPLAY
export XCURSOR_THEME=Adwaita
dbus-run-session -- "$@"
