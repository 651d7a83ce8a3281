#!/bin/bash
# Makes docs/screenshot.png for the README from a real run of build/mapedit
# under Xvfb: the sample town loaded and solved, one node hovered.
#   tools/screenshot.sh            (after make build)
ROOT=$(cd "$(dirname "$0")/.." && pwd)
export MAPEDIT=${MAPEDIT:-$ROOT/build/mapedit}
export RENDER_TEXT=${RENDER_TEXT:-$ROOT/build/render_text}
export ASSETS=$ROOT/assets
source "$ROOT/tests/e2e/lib.sh"
start_x
stage_assets
start_app

# The sample town, loaded with real keys, solved from the square, with the
# pointer on the hospital showing its distance.
cp "$ROOT/samples/town.txt" "$WORK/"
key l
key BackSpace
type_text town.txt
key Return
move 700 500
key Return        # ends the "Loaded!" message
key Return        # solve mode
click 380 260
settle 0.5
key space
move 640 150
move 642 152
shot readme
mkdir -p "$ROOT/docs"
convert "$WORK/readme.png" -crop 800x600+0+0 +repage "$ROOT/docs/screenshot.png"
key Escape
key Escape
echo "wrote docs/screenshot.png"
