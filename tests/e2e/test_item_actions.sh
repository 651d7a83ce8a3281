#!/bin/bash
# The real editor in a real X server: right-click a node or a road, rename
# the node (Enter and the status field), type the road's length, drag a node,
# delete a road and a node. Real key presses carry the scancode in readkey's
# high byte, which the scripted front-end tests cannot show.
source "$(dirname "$0")/lib.sh"
start_x
stage_assets
start_app

move 700 500
shot start
bg_mid=$(pixel start 200 100)
bg_diag=$(pixel start 200 200)
bg_east=$(pixel start 400 300)

# A road from A (100,100) to B (300,100).
click 100 100
click 300 100

# A right click selects A: cyan under the hover disc, its name in the line.
click 100 100 3
shot selected
expect_pixel selected 98 100 "0 194 198"
expect_status selected "Novy"
key Return
type_text Brno
shot typing
expect_status typing "Brno"
key Return

# The road's length: digits, Backspace, Enter.
click 200 100 3
move 700 500
shot road_selected
expect_pixel road_selected 150 100 "0 194 198"
expect_status road_selected "Brno - Novy: 200"
key Return
type_text 1234
key BackSpace
type_text 5
shot length
expect_status length "Brno - Novy: 1235"
key Return
[ "$(app_status 1)" = running ] || fail "the Enter that ended the length field did more"

# Drag B down to (300,300) in two moves; Esc ends the selection and does not quit.
click 300 100 3
xdotool mousemove 300 100; sleep 0.15
xdotool mousedown 1; sleep 0.2
xdotool mousemove 250 200; sleep 0.2
xdotool mousemove 300 300; sleep 0.2
xdotool mouseup 1; settle 0.25
key Escape
[ "$(app_status 1)" = running ] || fail "Esc after a drag quit the editor"
move 700 500
shot dragged
expect_pixel dragged 200 200 "0 0 0"
expect_pixel dragged 200 100 "$bg_mid"
move 201 200
move 200 200
shot dragged_hover
expect_status dragged_hover "Brno - Novy: 1235"

# A road from B to C (500,300); Del on the first road removes only it.
click 300 300
click 500 300
click 200 200 3
key Delete
move 700 500
shot road_deleted
expect_pixel road_deleted 200 200 "$bg_diag"
expect_pixel road_deleted 400 300 "0 0 0"

# Del on B removes B and its road to C; A and C stay.
click 300 300 3
key Delete
move 700 500
shot node_deleted
expect_pixel node_deleted 400 300 "$bg_east"
expect_pixel node_deleted 299 300 "$(pixel start 299 300)"
expect_pixel node_deleted 498 300 "0 0 0"
move 101 100
move 100 100
shot a_left
expect_status a_left "Brno"

# A left click on the status field renames A too.
click 100 100 3
click 200 590
type_text Nitra
key Return
move 101 100
move 100 100
shot status_renamed
expect_status status_renamed "Nitra"
expect_pixel status_renamed 98 100 "0 0 255"

key Escape
[ "$(app_status 10)" = 0 ] || fail "Esc did not end the editor with status 0"
echo "item actions: ok"
