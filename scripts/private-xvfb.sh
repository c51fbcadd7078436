# Sourced by the scripts that run the program on the demo: a private Xvfb
# of 1280 x 1024 and a scratch configuration in the folder $work, which the
# caller made; both go when the caller's shell exits (the caller's own
# program, in $program_pid, with them).
cleanup() {
  [ -n "${program_pid:-}" ] && kill "$program_pid" 2>/dev/null || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"
unset WAYLAND_DISPLAY
export VELTRANIX_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/xdg"
export VELTRANIX_TIMING_LOG="$work/timing"
