#!/bin/bash
# The real editor in a private Xvfb with real X input: start-up and its
# failures, then a road built by clicks, saved, loaded and solved, read back
# from the saved file and one screen pixel; then the wheel zooms in, a
# middle-button drag pans between the two clicks of a new road, and screen
# pixels and the saved file show where the map went and what was built.
set -euo pipefail
: "${MAPEDIT:?path of build/mapedit}" "${ASSETS:?path of the assets folder}"
WORK=$(mktemp -d /tmp/mapedit-e2e.XXXXXX)
PIDS=()
trap 'for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
cd "$WORK"

rc=0; env -u DISPLAY "$MAPEDIT" >/dev/null 2>&1 || rc=$?
[ "$rc" = 1 ] || fail "without a display the status is $rc, not 1"

Xvfb -displayfd 3 -screen 0 1024x768x24 -ardelay 5000 -nolisten tcp 3>display 2>/dev/null &
PIDS+=($!)
for _ in $(seq 100); do [ -s display ] && xdpyinfo -display ":$(cat display)" >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=":$(cat display)"

# Held presses: the editor sees a press only while it lasts over a frame.
press() { xdotool mousemove "$1" "$2" mousedown 1; sleep 0.15; xdotool mouseup 1; sleep 0.2; }
key() { for k; do xdotool keydown "$k"; sleep 0.15; xdotool keyup "$k"; sleep 0.2; done; }
pixel() { import -window root shot.png && convert shot.png -format "%[pixel:p{$1,$2}]" info:; }
shows() { for _ in $(seq 50); do [ "$(pixel "$1" "$2")" = "$3" ] && return; sleep 0.1; done; fail "$4 does not show: $(pixel "$1" "$2")"; }
start() { "$MAPEDIT" >/dev/null 2>&1 & APP=$!; PIDS+=($APP); }
ends_with() { local rc=0; wait "$APP" || rc=$?; [ "$rc" = "$1" ] || fail "$2 ends with status $rc"; }

cp "$ASSETS/myska1.bmp" .
start
box=""
for _ in $(seq 100); do box=$(pgrep -P "$APP" -f 'xmessage.*Nemozem nacitat subory') && break; sleep 0.1; done
[ -n "$box" ] || fail "no message box for the missing myska2.bmp"
kill "$box"
ends_with 1 "a missing cursor image"

cp "$ASSETS/myska2.bmp" .          # no backgrnd.tga: the map area is white
start
for _ in $(seq 100); do [ "$(pixel 2 579)" = "srgb(132,129,132)" ] && break; sleep 0.1; done
[ "$(pixel 600 300)" = "srgb(255,255,255)" ] || fail "the map area is not white"
# A press counts where the editor last saw the pointer move: move it until
# the editor draws its cursor there.
for _ in $(seq 100); do
  xdotool mousemove 99 99 mousemove 100 100; sleep 0.1
  [ "$(pixel 100 105)" = "srgb(0,0,0)" ] && break
done
press 100 100; press 300 100       # a road, saved as novamapa.txt
key s Return; press 700 300
key l Return; press 700 300        # loaded back: both lists reversed
key Return; press 300 100; key space
shows 200 101 "srgb(0,0,255)" "the solved road's band"
key Escape s Return; press 700 300
[ "$(cat novamapa.txt)" = "$(printf '9992\n2 1\n100 100\nNovy\n300 100\nNovy\n1 0 200')" ] ||
    fail "the map saved after the solve holds: $(cat novamapa.txt)"
# Four wheel notches in about (100,100): twice the size, that node kept in place.
xdotool mousemove 100 100; sleep 0.2
for _ in 1 2 3 4; do xdotool mousedown 4; sleep 0.1; xdotool mouseup 4; sleep 0.1; done
shows 500 100 "srgb(0,0,0)" "the road's far end at (500,100) after zooming in"
[ "$(pixel 100 100)$(pixel 540 100)" = "srgb(0,0,0)srgb(255,255,255)" ] ||
    fail "the road is not drawn from (100,100) to (500,100) after zooming in"
press 300 300                      # a road begun at the map point (200,200)
shows 298 300 "srgb(0,194,198)" "the road's first node in cyan at (300,300)"
# Between the clicks a middle-button drag moves the map by (60,40).
xdotool mousemove 600 400; sleep 0.2; xdotool mousedown 2; sleep 0.15
xdotool mousemove 630 420; sleep 0.1; xdotool mousemove 660 440; sleep 0.15; xdotool mouseup 2
shows 560 140 "srgb(0,0,0)" "the road's far end at (560,140) after the drag"
[ "$(pixel 160 140)$(pixel 100 100)" = "srgb(0,0,0)srgb(255,255,255)" ] ||
    fail "the road is not drawn from (160,140) to (560,140) after the drag"
press 700 500                      # ended at (370,280), 187.9 units away
key s Return; press 700 300
[ "$(cat novamapa.txt)" = "$(printf '9992\n4 2\n370 280\nNovy\n200 200\nNovy\n100 100\nNovy\n300 100\nNovy\n1 0 187\n3 2 200')" ] ||
    fail "the map saved after building at zoom holds: $(cat novamapa.txt)"
key Escape
ends_with 0 "Esc"
