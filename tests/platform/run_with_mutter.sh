#!/usr/bin/env bash
# Runs a test program in a headless GNOME Wayland session: a private D-Bus
# session bus, PipeWire, and mutter with one 1280x1024 virtual monitor and
# XWayland, all in a private runtime folder; stops them afterwards. The
# program finds WAYLAND_DISPLAY, DISPLAY (XWayland) and XDG_SESSION_TYPE set.
# Exit code 77 (skipped) when VELTRANIX_SKIP_X_TESTS=1 or when the session's
# packages are missing (scripts/install-wayland-test-deps.sh installs them).
set -uo pipefail

if [ "${VELTRANIX_SKIP_X_TESTS:-}" = "1" ]; then
  echo "VELTRANIX_SKIP_X_TESTS=1: the desktop tests are skipped"
  exit 77
fi
if [ -z "${VELTRANIX_IN_MUTTER_SESSION:-}" ]; then
  missing=
  for tool in mutter Xwayland pipewire dbus-run-session; do
    command -v "$tool" >/dev/null || missing="$missing $tool"
  done
  if ! ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1; then
    missing="$missing qt6-wayland"
  fi
  if [ -n "$missing" ]; then
    echo "skipped: the headless Wayland session needs$missing" \
      "(scripts/install-wayland-test-deps.sh installs them)"
    exit 77
  fi
  export VELTRANIX_IN_MUTTER_SESSION=1
  exec dbus-run-session -- bash "$0" "$@"
fi

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null
  done
  for pid in "${pids[@]}"; do
    wait "$pid" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY
pipewire >"$work/pipewire.log" 2>&1 &
pids+=($!)
mutter --headless --wayland --virtual-monitor 1280x1024 >"$work/mutter.log" 2>&1 &
pids+=($!)
display=
for _ in $(seq 1 200); do
  display=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$work/mutter.log" | head -n1)
  if [ -n "$display" ] && [ -S "$XDG_RUNTIME_DIR/wayland-0" ]; then
    break
  fi
  sleep 0.1
done
if [ -z "$display" ] || [ ! -S "$XDG_RUNTIME_DIR/wayland-0" ]; then
  echo "mutter did not start:" >&2
  cat "$work/mutter.log" >&2
  exit 1
fi
export DISPLAY="$display" WAYLAND_DISPLAY=wayland-0 XDG_SESSION_TYPE=wayland
export XCURSOR_THEME=Adwaita
for auth in "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.*; do
  [ -f "$auth" ] && export XAUTHORITY="$auth"
done
# XWayland starts with the first X client: wait until it answers.
for _ in $(seq 1 100); do
  if xdpyinfo >/dev/null 2>&1 || xprop -root >/dev/null 2>&1; then
    break
  fi
  sleep 0.1
done
"$@"
status=$?
if [ "$status" -ne 0 ] && [ "$status" -ne 77 ]; then
  echo "--- mutter's log:" >&2
  tail -n 30 "$work/mutter.log" >&2
fi
exit "$status"
