#!/bin/bash
# The real editor saves a map, clears it by loading an empty map, and loads
# the first file back. Short names keep the typing short.
source "$(dirname "$0")/lib.sh"
start_x
stage_assets
printf '9992\n0 0\n' > "$WORK/e"
start_app

# open_named KEY NAME: the load or save prompt, the offered name cleared,
# NAME typed, Enter.
open_named() { key "$1"; key BackSpace; type_text "$2"; key Return; }

click 100 100
click 300 100
open_named s m
for _ in $(seq 50); do [ -e "$WORK/m" ] && break; sleep 0.1; done
[ "$(cat "$WORK/m")" = "$(printf '9992\n2 1\n300 100\nNovy\n100 100\nNovy\n1 0 200')" ] ||
    fail "the saved map holds: $(cat "$WORK/m")"
click 700 300                      # ends the message, builds nothing

open_named l e
shot loaded_empty
expect_status loaded_empty "Loaded!"
[ "$(pixel loaded_empty 200 100)" != "0 0 0" ] || fail "the road is still drawn"
click 700 300

open_named l m
click 700 300
hover 200 100
shot back
expect_status back "Novy - Novy: 200"

key Escape
[ "$(app_status 10)" = 0 ] || fail "Esc did not end the editor with status 0"
echo "load and save: ok"
