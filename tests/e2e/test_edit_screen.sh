#!/bin/bash
# The real editor in a real X server: build roads, split one, hover, toggle
# the background, quit with Esc.
source "$(dirname "$0")/lib.sh"
start_x
stage_assets
start_app

shot start
expect_status start ""

# Two clicks build a road of length 100; the first one shows the node in cyan.
click 100 100
shot first
expect_pixel first 98 100 "0 194 198"
expect_status first "Novy"
click 200 100
move 150 101
move 150 100
shot road
expect_pixel road 130 100 "0 0 255"
expect_status road "Novy - Novy: 100"

# A node on the road splits it; the new node joins (150,300).
click 150 102
click 150 300
move 150 200
move 150 201
shot split
expect_status split "Novy - Novy: 198"
move 125 100
move 124 100
shot left_half
expect_status left_half "Novy - Novy: 50"

# Hovering a node shows its name and the blue disc.
move 200 100
move 201 100
shot hover
expect_pixel hover 197 100 "0 0 255"
expect_status hover "Novy"

# K hides the background, a second K brings it back.
bg=$(pixel start 600 300)
key k
shot hidden
expect_pixel hidden 600 300 "255 255 255"
key k
shot shown
expect_pixel shown 600 300 "$bg"

key Escape
[ "$(app_status 10)" = 0 ] || fail "Esc did not end the editor with status 0"
echo "edit screen: ok"
