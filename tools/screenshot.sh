#!/bin/bash
# Makes docs/screenshot.png for the README from a real run of build/mapedit
# under a private Xvfb: the West Oakland sample loaded and solved, one node hovered.
#   tools/screenshot.sh [OUT.png]   (after make build; default docs/screenshot.png)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
MAPEDIT=${MAPEDIT:-$ROOT/build/mapedit}
WORK=$(mktemp -d /tmp/mapedit-shot.XXXXXX)
PIDS=()
trap 'for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$WORK"' EXIT
cd "$WORK"
OUT=${1:-$ROOT/docs/screenshot.png}
cp "$ROOT"/assets/* "$ROOT/samples/oakland.txt" .

Xvfb -displayfd 3 -screen 0 1024x768x24 -ardelay 5000 -nolisten tcp 3>display 2>/dev/null &
PIDS+=($!)
for _ in $(seq 100); do [ -s display ] && xdpyinfo -display ":$(cat display)" >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=":$(cat display)"
"$MAPEDIT" & PIDS+=($!)
sleep 1

# Presses held long enough for a frame to see them.
key() { for k; do xdotool keydown "$k"; sleep 0.2; xdotool keyup "$k"; sleep 0.3; done; }
click() { xdotool mousemove "$1" "$2" mousedown 1; sleep 0.2; xdotool mouseup 1; sleep 0.3; }

# The sample, loaded with real keys, solved from Goss Street in the middle,
# with the pointer on the south end of Wood Street showing its distance.
key l BackSpace o a k l a n d period t x t Return
xdotool mousemove 700 580; sleep 0.3
key Return Return  # ends the "Loaded!" message, opens solve mode
click 528 265
key space
xdotool mousemove 70 462; sleep 0.3; xdotool mousemove 70 463; sleep 0.6
mkdir -p "$(dirname "$OUT")"
import -window root -crop 800x600+0+0 +repage "$OUT"
key Escape Escape
echo "wrote $OUT"
