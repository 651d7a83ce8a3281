#!/bin/bash
# The real editor in a real X server: build a triangle, solve from one corner
# in solve mode, read the bands and the hover distances.
source "$(dirname "$0")/lib.sh"
start_x
stage_assets
start_app

# counts NAME "X Y0 Y1 R G B"...: for each group, the pixels of colour R G B
# in column X, rows Y0..Y1, printed on one line.
counts() { python3 "$E2E_DIR/shot.py" count "$WORK/$1.png" "${@:2}"; }

# A (100,450), B (336,309), C (622,177): the straight lengths are A-B 274,
# B-C 314 and A-C 589, so the way through B is one shorter. A-C is built last.
click 100 450; click 336 309
click 336 309; click 622 177
click 100 450; click 622 177

key Return
click 100 450
key space
hover 700 520
shot solved
# Columns across the middle of each road, clear of the other two: blue on
# A-B, blue on B-C, blue on A-C, light grey on A-C.
read -r ab bc ac grey <<< "$(counts solved "218 370 390 0 0 255" "479 233 253 0 0 255" \
                                          "361 305 322 0 0 255" "361 305 322 198 194 198")"
[ "$ab" -ge 3 ] && [ "$bc" -ge 3 ] || fail "A-B ($ab) or B-C ($bc) is not a band"
[ "$ac" = 0 ] && [ "$grey" -ge 1 ] || fail "A-C is not a thin light grey line"
expect_pixel solved 96 450 "0 194 198"     # the start node in cyan
hover 622 177
shot at_c
expect_status at_c "Novy: 588"
hover 100 450
shot at_a
expect_status at_a "Novy: 0"

key Escape
key Escape
[ "$(app_status 10)" = 0 ] || fail "Esc did not end the editor with status 0"
echo "solve mode: ok"
