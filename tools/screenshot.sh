#!/bin/bash
# Makes the README's screenshots from real runs of build/mapedit under a
# private Xvfb, with real keys, clicks and wheel turns:
#   docs/screenshot.png          the West Oakland sample on the original screen, solved
#   docs/screenshot-city.png     Gothenburg whole (imported in metres), solved
#   docs/screenshot-streets.png  the same, the wheel turned in to a few streets
# Run after make build and make data (tools/screenshot.sh, or make screenshot).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
MAPEDIT=${MAPEDIT:-$ROOT/build/mapedit}
IMPORT=${IMPORT:-$ROOT/build/mapedit-import}
CITY=$ROOT/build/data/large-network.json
WORK=$(mktemp -d /tmp/mapedit-shot.XXXXXX)
PIDS=()
trap 'for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$WORK"' EXIT
cd "$WORK"
[ -f "$CITY" ] || { echo "no $CITY: run make data first" >&2; exit 1; }
cp "$ROOT"/assets/* "$ROOT/samples/oakland.txt" .
"$IMPORT" "$CITY" goteborg.txt

Xvfb -displayfd 3 -screen 0 1024x768x24 -ardelay 5000 -nolisten tcp 3>display 2>/dev/null &
PIDS+=($!)
for _ in $(seq 100); do [ -s display ] && xdpyinfo -display ":$(cat display)" >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=":$(cat display)"
"$MAPEDIT" & PIDS+=($!)
sleep 1

# Presses held long enough for a frame to see them.
key() { for k; do xdotool keydown "$k"; sleep 0.2; xdotool keyup "$k"; sleep 0.3; done; }
click() { xdotool mousemove "$1" "$2" mousedown 1; sleep 0.2; xdotool mouseup 1; sleep 0.3; }
load() { key l BackSpace; xdotool type --delay 150 "$1"; sleep 0.3; key Return; xdotool mousemove 700 580; sleep 0.3; }
shot() { mkdir -p "$ROOT/docs"; import -window root -crop 800x600+0+0 +repage "$ROOT/docs/$1"; echo "wrote docs/$1"; }

# The sample, solved from Goss Street in the middle, with the pointer on the
# south end of Wood Street showing its distance.
load oakland.txt
key Return Return   # ends the "Loaded!" message, opens solve mode
click 528 265
key space
xdotool mousemove 70 462; sleep 0.3; xdotool mousemove 70 463; sleep 0.6
shot screenshot.png
key Escape

# The city opens whole; solved from a junction near the centre, a node
# hovered; then the wheel turned in about the start.
load goteborg.txt
key Return Return
click 397 300
key space
sleep 1
xdotool mousemove 480 240; sleep 0.3; xdotool mousemove 481 240; sleep 0.6
shot screenshot-city.png
xdotool mousemove 397 300; sleep 0.3
for _ in $(seq 16); do xdotool click 4; sleep 0.05; done
sleep 0.5
xdotool mousemove 466 236; sleep 0.3; xdotool mousemove 467 236; sleep 0.6
shot screenshot-streets.png
key Escape Escape
