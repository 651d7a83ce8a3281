#!/bin/bash
# Makes docs/screenshot.png for the README from a real run of build/mapedit
# under a private Xvfb: the sample town loaded and solved, one node hovered.
#   tools/screenshot.sh            (after make build)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
MAPEDIT=${MAPEDIT:-$ROOT/build/mapedit}
WORK=$(mktemp -d /tmp/mapedit-shot.XXXXXX)
PIDS=()
trap 'for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$WORK"' EXIT
cd "$WORK"
cp "$ROOT"/assets/* "$ROOT/samples/town.txt" .

Xvfb -displayfd 3 -screen 0 1024x768x24 -ardelay 5000 -nolisten tcp 3>display 2>/dev/null &
PIDS+=($!)
for _ in $(seq 100); do [ -s display ] && xdpyinfo -display ":$(cat display)" >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=":$(cat display)"
"$MAPEDIT" & PIDS+=($!)
sleep 1

# Presses held long enough for a frame to see them.
key() { for k; do xdotool keydown "$k"; sleep 0.2; xdotool keyup "$k"; sleep 0.3; done; }
click() { xdotool mousemove "$1" "$2" mousedown 1; sleep 0.2; xdotool mouseup 1; sleep 0.3; }

# The sample town, loaded with real keys, solved from the square, with the
# pointer on the hospital showing its distance.
key l BackSpace t o w n period t x t Return
xdotool mousemove 700 500; sleep 0.3
key Return Return  # ends the "Loaded!" message, opens solve mode
click 380 260
key space
xdotool mousemove 640 150; sleep 0.3; xdotool mousemove 642 152; sleep 0.6
mkdir -p "$ROOT/docs"
import -window root -crop 800x600+0+0 +repage "$ROOT/docs/screenshot.png"
key Escape Escape
echo "wrote docs/screenshot.png"
