#!/bin/bash
# Makes docs/screenshot.png for the README from a real run of build/mapedit
# under Xvfb: a small map drawn with real clicks, one road hovered.
#   tools/screenshot.sh            (after make build)
ROOT=$(cd "$(dirname "$0")/.." && pwd)
export MAPEDIT=${MAPEDIT:-$ROOT/build/mapedit}
export RENDER_TEXT=${RENDER_TEXT:-$ROOT/build/render_text}
export ASSETS=$ROOT/assets
source "$ROOT/tests/e2e/lib.sh"
start_x
stage_assets
start_app

# A small town: a square of roads, a diagonal shortcut and a spur.
road() { click "$1" "$2"; click "$3" "$4"; }
road 160 140 420 120
road 420 120 460 360
road 460 360 180 400
road 180 400 160 140
road 160 140 460 360
road 460 360 680 300
road 680 300 640 120
road 640 120 420 120
road 180 400 300 520
move 560 340
move 570 330
shot readme
mkdir -p "$ROOT/docs"
convert "$WORK/readme.png" -crop 800x600+0+0 +repage "$ROOT/docs/screenshot.png"
key Escape
echo "wrote docs/screenshot.png"
