#!/bin/bash
# The real editor in a real X server: build roads, split one, hover, toggle
# the background, quit with Esc.
source "$(dirname "$0")/lib.sh"
start_x
stage_assets
start_app

# A road of length 100; a node on it splits it and joins (150,300).
click 100 100
click 200 100
click 150 102
click 150 300

# Hovering the left half of the split road turns it blue; K hides the background.
hover 124 100
key k
shot hidden
expect_status hidden "Novy - Novy: 50"
expect_pixel hidden 110 100 "0 0 255"
expect_pixel hidden 600 300 "255 255 255"

# A second K brings it back; the new road runs from the split node.
key k
hover 150 200
shot shown
expect_status shown "Novy - Novy: 198"
[ "$(pixel shown 600 300)" != "255 255 255" ] || fail "the second K left the background hidden"

# Hovering a node shows its name.
hover 201 100
shot node
expect_status node "Novy"

key Escape
[ "$(app_status 10)" = 0 ] || fail "Esc did not end the editor with status 0"
echo "edit screen: ok"
