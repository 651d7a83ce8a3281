#!/bin/bash
# The real editor in a real X server: rename a node and type a road's length
# with real key presses (their scancode in readkey's high byte, which the
# scripted front-end tests cannot show), drag a node, delete a road and a node.
source "$(dirname "$0")/lib.sh"
start_x
stage_assets
start_app

# A road from A (100,100) to B (300,100); A is renamed through Enter, with
# a Latin-1 letter that must draw as itself.
name=$(printf 'Brn\xe9')
click 100 100
click 300 100
click 100 100 3
key Return
type_text Brn
key eacute
key Return

# The road's length: digits, Backspace, shown live while typed.
click 200 100 3
key Return
type_text 1234
key BackSpace
type_text 5
shot length
expect_status length "$name - Novy: 1235"
key Return

# Drag B down to (300,300) in two moves; Esc ends the selection and does not quit.
click 300 100 3
xdotool mousemove 300 100; sleep 0.15
xdotool mousedown 1; sleep 0.2
xdotool mousemove 250 200; sleep 0.2
xdotool mousemove 300 300; sleep 0.2
xdotool mouseup 1; settle 0.25
key Escape
hover 200 200
shot dragged
expect_status dragged "$name - Novy: 1235"

# A road from B to C (500,300). Del on the road A-B removes it; Del on C
# removes C and its road; A and B stay.
click 300 300
click 500 300
click 200 200 3
key Delete
click 500 300 3
key Delete
hover 100 100
shot deleted
expect_status deleted "$name"
[ "$(pixel deleted 200 200)" != "0 0 0" ] || fail "the road A-B is still drawn"
[ "$(pixel deleted 400 300)" != "0 0 0" ] || fail "the road B-C is still drawn"
expect_pixel deleted 302 300 "0 0 0"

key Escape
[ "$(app_status 10)" = 0 ] || fail "Esc did not end the editor with status 0"
echo "item actions: ok"
