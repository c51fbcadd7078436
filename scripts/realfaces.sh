#!/usr/bin/env bash
# Replays every clip of a real-face folder (events.csv, framing.csv and the
# clips beside them) through veltranix-replay with the eyes bound to a left
# click and the mouth to a double click, and prints one table of the gesture
# figures. Usage: scripts/realfaces.sh [FOLDER] [--set NAME=VALUE]...
# REPLAY names the tool (default build/dev/veltranix/veltranix-replay).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
folder=${1:-$root/../shared/testdata/realfaces}
shift || true
replay=${REPLAY:-$root/build/dev/veltranix/veltranix-replay}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf '| Clip | Tracking from (s) | Deliberate caught | Clicks inside | Clicks outside | In talking | In blinks | Pointer move in gesture (px) |\n'
printf '|---|---|---|---|---|---|---|---|\n'
tail -n +2 "$folder/framing.csv" | cut -d, -f1 | while read -r clip; do
    out=$("$replay" --video "$folder/$clip" --config-dir "$work/${clip%.*}" --loop \
        --events "$folder/events.csv" --framing "$folder/framing.csv" \
        --set ull=1 --set boca=4 "$@")
    from=$(sed -n 's/^tracking from: \(.*\)$/\1/p' <<<"$out")
    caught=$(sed -n 's/^deliberate events caught: \(.*\)$/\1/p' <<<"$out")
    read -r inside outside talking blinks < <(sed -n \
        's/^gesture clicks: inside deliberate events \([0-9]*\), outside \([0-9]*\) (talking \([0-9]*\), blinks \([0-9]*\))$/\1 \2 \3 \4/p' <<<"$out")
    move=$(sed -n 's/^largest pointer movement in a gesture: \(.*\) px$/\1/p' <<<"$out")
    [ "$caught" = "0 of 0" ] && move=-
    printf '| %s | %s | %s | %s | %s | %s | %s | %s |\n' "${clip%%_*}" "${from% s}" "$caught" \
        "$inside" "$outside" "$talking" "$blinks" "$move"
done
