#!/bin/bash
# The real editor in a real X server: build a triangle, solve from one corner
# in solve mode, read the bands and the hover distances, leave and come back.
source "$(dirname "$0")/lib.sh"
start_x
stage_assets
start_app

# counts NAME "X Y0 Y1 R G B"...: for each group, the pixels of colour R G B
# in column X, rows Y0..Y1, printed on one line.
counts() {
    python3 - "$WORK/$1.png" "${@:2}" <<'EOF'
import subprocess, sys
data = subprocess.run(["convert", sys.argv[1], "ppm:-"], check=True, capture_output=True).stdout
parts = data.split(maxsplit=4)
width, raw = int(parts[1]), parts[4]
found = []
for spec in sys.argv[2:]:
    x, y0, y1, r, g, b = (int(v) for v in spec.split())
    found.append(sum(tuple(raw[3 * (y * width + x):3 * (y * width + x) + 3]) == (r, g, b)
                     for y in range(y0, y1 + 1)))
print(*found)
EOF
}

# Columns across the middle of each road, clear of the other two: blue on
# A-B, blue on B-C, blue on A-C, light grey on A-C.
road_colours() {
    counts "$1" "218 370 390 0 0 255" "479 233 253 0 0 255" \
                "361 305 322 0 0 255" "361 305 322 198 194 198"
}
expect_band() {   # A-B and B-C thick, A-C a thin light grey line
    read -r ab bc ac grey <<< "$(road_colours "$1")"
    [ "$ab" -ge 3 ] && [ "$bc" -ge 3 ] || fail "$1: A-B ($ab) or B-C ($bc) is not a band"
    [ "$ac" = 0 ] && [ "$grey" -ge 1 ] || fail "$1: A-C is not a thin light grey line"
}
expect_no_band() {
    read -r ab bc _ <<< "$(road_colours "$1")"
    [ "$ab" = 0 ] && [ "$bc" = 0 ] || fail "$1: a road is thick"
}

hover() { move "$1" "$(($2 + 1))"; move "$1" "$2"; }

# A (100,450), B (336,309), C (622,177): the straight lengths are A-B 274,
# B-C 314 and A-C 589, so the way through B is one shorter. A-C is built last.
click 100 450; click 336 309
click 336 309; click 622 177
click 100 450; click 622 177

key Return
hover 700 520
shot entered
expect_no_band entered
hover 622 177
shot unsolved
expect_status unsolved "Novy: -1"

click 100 450
key space
hover 700 520
shot solved
expect_band solved
expect_pixel solved 96 450 "0 194 198"     # the start node in cyan
expect_status solved ""
hover 622 177
shot at_c
expect_status at_c "Novy: 588"
hover 336 309
shot at_b
expect_status at_b "Novy: 274"
hover 100 450
shot at_a
expect_status at_a "Novy: 0"
hover 361 313
shot on_ac
expect_status on_ac "Novy - Novy: 589"

# Enter does nothing here; Esc goes back to editing, where no road is thick.
key Return
hover 700 520
shot still_solved
expect_band still_solved
key Escape
hover 700 521
shot editing
expect_no_band editing
expect_pixel editing 96 450 "$(pixel entered 96 450)"   # no start marker left

# Coming back shows the old tree at once, with every distance unknown.
key Return
hover 622 177
shot again
expect_band again
expect_status again "Novy: -1"
key Escape
key Escape
[ "$(app_status 10)" = 0 ] || fail "Esc did not end the editor with status 0"
echo "solve mode: ok"
