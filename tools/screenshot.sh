#!/bin/bash
# Makes docs/screenshot.png for the README from a real run of build/mapedit
# under Xvfb: the West Oakland sample loaded and solved, one node hovered.
#   tools/screenshot.sh [OUT.png]   (after make build; default docs/screenshot.png)
ROOT=$(cd "$(dirname "$0")/.." && pwd)
export MAPEDIT=${MAPEDIT:-$ROOT/build/mapedit}
export RENDER_TEXT=${RENDER_TEXT:-$ROOT/build/render_text}
export ASSETS=${ASSETS:-$ROOT/assets}
source "$ROOT/tests/e2e/lib.sh"
start_x
stage_assets
start_app

OUT=${1:-$ROOT/docs/screenshot.png}

# The sample, loaded with real keys, solved from Goss Street in the middle,
# with the pointer on the south end of Wood Street showing its distance.
cp "$ROOT/samples/oakland.txt" "$WORK/"
key l
key BackSpace
type_text oakland.txt
key Return
move 700 580
key Return        # ends the "Loaded!" message
key Return        # solve mode
click 528 265
settle 0.5
key space
move 70 462
move 70 463
shot readme
mkdir -p "$(dirname "$OUT")"
convert "$WORK/readme.png" -crop 800x600+0+0 +repage "$OUT"
key Escape
key Escape
echo "wrote $OUT"
