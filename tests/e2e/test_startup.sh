#!/bin/bash
# Start-up failures: no display, a missing cursor image (message box, status
# 1), and a missing background picture (runs on white).
source "$(dirname "$0")/lib.sh"

# No display at all: status 1 and the message on standard error, no crash.
rc=0
(cd "$WORK" && env -u DISPLAY "$MAPEDIT") >"$WORK/nodisplay.out" 2>"$WORK/nodisplay.err" || rc=$?
[ "$rc" = 1 ] || fail "without a display the status is $rc, expected 1"
grep -q "Zlyhala grafika." "$WORK/nodisplay.err" || fail "no graphics message on stderr"

start_x

# Without myska2.bmp the library's message box says so; closing it ends with 1.
stage_assets myska1.bmp backgrnd.tga
start_app
box=""
for _ in $(seq 50); do
    box=$(pgrep -P "$APP_PID" -f "xmessage.*Nemozem nacitat subory" || true)
    [ -n "$box" ] && break
    sleep 0.1
done
[ -n "$box" ] || fail "no message box with 'Nemozem nacitat subory.'"
[ "$(app_status 1)" = running ] || fail "the editor ended before the message box was closed"
kill "$box"
[ "$(app_status 10)" = 1 ] || fail "a missing cursor image did not end with status 1"

# Without backgrnd.tga the editor runs and the map area is white.
rm -f "$WORK"/*.tga
cp "$ASSETS/myska2.bmp" "$WORK/"
start_app
move 700 100
shot white
expect_pixel white 300 300 "255 255 255"
key Escape
[ "$(app_status 10)" = 0 ] || fail "Esc did not end the editor with status 0"
echo "start-up: ok"
