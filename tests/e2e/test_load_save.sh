#!/bin/bash
# The real editor saves a map, clears it by loading an empty map, and loads
# the first file back.
source "$(dirname "$0")/lib.sh"
start_x
stage_assets
printf '9992\n0 0\n' > "$WORK/empty.txt"
start_app
move 700 300
shot start
bg=$(pixel start 98 100)

click 100 100
click 300 100
key s
key Return
shot saved
expect_status saved "Saved!"
[ "$(cat "$WORK/novamapa.txt")" = "$(printf '9992\n2 1\n300 100\nNovy\n100 100\nNovy\n1 0 200')" ] ||
    fail "novamapa.txt holds: $(cat "$WORK/novamapa.txt")"
click 700 300                      # ends the message, builds nothing

key l
key BackSpace
type_text empty.txt
shot typed
expect_status typed "Load file: empty.txt"
key Return
shot loaded_empty
expect_status loaded_empty "Loaded!"
expect_pixel loaded_empty 98 100 "$bg"
click 700 300

key l
key BackSpace
type_text novamapa.txt
key Return
click 700 300
move 100 100
move 101 100
shot back
expect_status back "Novy"
move 200 101
move 200 100
shot road
expect_status road "Novy - Novy: 200"
expect_pixel road 150 100 "0 0 255"

key Escape
[ "$(app_status 10)" = 0 ] || fail "Esc did not end the editor with status 0"
echo "load and save: ok"
