#!/bin/bash
# mapedit-import on small hand-made inputs: the exact map it writes and what
# it says, and bad input or output refused with a message, status 1 and the
# output file as it was.
set -u
: "${IMPORT:?path of mapedit-import}"
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

# input | options | the map file it must write (names in Latin-1) | what it must say
while IFS='|' read -r input options expected says; do
    "$IMPORT" $options "$HERE/$input" "$WORK/out.txt" >"$WORK/said" 2>&1 || fail "$input $options: status $?"
    cmp "$WORK/out.txt" "$HERE/$expected" || fail "$input $options: not $expected"
    grep -q -- "$says" "$WORK/said" || fail "$input $options: says $(cat "$WORK/said")"
done <<'TABLE'
roads.osm||metres.txt|9 nodes, 10 roads; split 1 loops and 1 second roads
roads.geojson|--fit off|metres.txt|
roads.osm|--fit on|pixels.txt|
roads.osm|--roads residential,tertiary,footway --bbox 17.0990,48.1380,17.1072,48.1410|cut.txt|
roads.osm|--fit on --roads tertiary|line.txt|
bare.geojson||bare.txt|
twins.geojson||twins.txt|left out 2 roads with no point to split at
TABLE

# More nodes than the window's map once held by default.
awk 'BEGIN { printf "{\"type\": \"FeatureCollection\", \"features\": [";
             for (k = 0; k < 600; k++)
                 printf "%s{\"type\": \"Feature\", \"geometry\": {\"type\": \"LineString\", \"coordinates\": [[%.3f, 1], [%.3f, 2]]}}",
                        k ? ", " : "", k / 1000, k / 1000;
             print "]}" }' >"$WORK/many.json"
"$IMPORT" --fit on "$WORK/many.json" "$WORK/out.txt" | grep -q "1200 nodes" || fail "many.json: refused"

printf '<?xml version="1.0"?>\n<osm version="0.6">\n<node id="1" lat=' >"$WORK/broken.osm"
echo 'hello' >"$WORK/other.osm"
cp "$HERE/roads.osm" "$WORK/roads.txt"
head -c 400 "$HERE/roads.geojson" >"$WORK/broken.json"
echo '{"type": "Topology", "objects": {}}' >"$WORK/other.json"
bzip2 -c "$HERE/roads.osm" >"$WORK/roads.osm.bz2"
gzip -c "$HERE/roads.osm" >"$WORK/roads.osm.gz"
for z in bz2 gz; do
    head -c 500 "$WORK/roads.osm.$z" >"$WORK/cut.osm.$z"
    cp "$WORK/roads.osm.$z" "$WORK/damaged.osm.$z"
    printf 'XXXXXXXX' | dd of="$WORK/damaged.osm.$z" bs=1 seek=300 conv=notrunc 2>/dev/null
done
cp "$HERE/roads.osm" "$WORK/plain.osm.bz2"

# arguments before OUTPUT | what stderr must say; each run with no OUTPUT and with an old one
while IFS='|' read -r arguments message; do
    for old in "" "old map"; do
        rm -f "$WORK"/out*
        [ -z "$old" ] || echo "$old" >"$WORK/out.txt"
        rc=0
        "$IMPORT" $arguments "$WORK/out.txt" >/dev/null 2>"$WORK/err" || rc=$?
        [ "$rc" = 1 ] || fail "$arguments: status $rc"
        grep -q -- "$message" "$WORK/err" || fail "$arguments: says $(cat "$WORK/err")"
        [ "$(ls "$WORK" | grep -c '^out')" = "$([ -z "$old" ] && echo 0 || echo 1)" ] || fail "$arguments: left $(ls "$WORK")"
        [ -z "$old" ] || [ "$(cat "$WORK/out.txt")" = "$old" ] || fail "$arguments: old map changed"
    done
done <<TABLE
$WORK/missing.osm|missing.osm: No such file
$WORK|not a file
$WORK/other.osm|other.osm: not readable as OpenStreetMap data
$WORK/broken.osm|broken.osm: not readable as OpenStreetMap data
$WORK/roads.txt|roads.txt: not readable as OpenStreetMap data
$WORK/broken.json|broken.json: not readable as GeoJSON
$WORK/other.json|neither a FeatureCollection
$WORK/cut.osm.bz2|cut.osm.bz2: the compressed data ends early
$WORK/damaged.osm.bz2|damaged.osm.bz2: the compressed data is damaged
$WORK/plain.osm.bz2|plain.osm.bz2: not bzip2 data
$WORK/cut.osm.gz|cut.osm.gz: the compressed data ends early
$WORK/damaged.osm.gz|damaged.osm.gz: the compressed data is damaged
--bbox 0,0,1,1 $HERE/roads.osm|no roads of the chosen classes inside --bbox
--roads cycleway,service $HERE/roads.geojson|holds residential (4), footway (1), tertiary (1): .* --roads all
--roads residential,bogus $HERE/roads.osm|--roads: unknown road class "bogus"
--max-nodes 8 $HERE/roads.osm|9 nodes, more than --max-nodes 8
--bbox 1,2,3 $HERE/roads.osm|--bbox: cannot use
--fit maybe $HERE/roads.osm|--fit: cannot use
TABLE

# The output is the input under another name, or cannot be written: refused
# before anything is read or written.
mkdir "$WORK/folder"
cp "$HERE/roads.osm" "$WORK/a.osm"
ln "$WORK/a.osm" "$WORK/hard.osm"
ln -s a.osm "$WORK/soft.osm"
# input | output, in $WORK | what stderr must say
while IFS='|' read -r input output message; do
    before=$(ls "$WORK")
    rc=0
    (cd "$WORK" && "$IMPORT" "$input" "$output") >/dev/null 2>"$WORK/err" || rc=$?
    [ "$rc" = 1 ] || fail "$input $output: status $rc"
    grep -q -- "$message" "$WORK/err" || fail "$input $output: says $(cat "$WORK/err")"
    cmp -s "$WORK/a.osm" "$HERE/roads.osm" || fail "$input $output: input changed"
    [ "$(ls "$WORK")" = "$before" ] || fail "$input $output: left $(ls "$WORK")"
done <<'TABLE'
a.osm|a.osm|a.osm: is the input file
a.osm|./a.osm|is the input file
a.osm|hard.osm|is the input file
a.osm|soft.osm|is the input file
soft.osm|a.osm|is the input file
a.osm|nowhere/out.txt|nowhere/out.txt: No such file or directory
a.osm|folder|folder: Is a directory
TABLE

"$IMPORT" --help | grep -q "(c) OpenStreetMap contributors" || fail "--help credits no one"

# The examples in --help, on West Oakland where Debian's python-osmnx-doc has it.
OAKLAND=/usr/share/doc/python-osmnx-doc/examples/tests/input_data/West-Oakland.osm.bz2
if [ -f "$OAKLAND" ]; then
    "$IMPORT" --help | sed -n '/^examples/,$p' | sed -e ':a' -e '/\\$/N; s/\\\n//; ta' |
        grep 'mapedit-import ' >"$WORK/examples"
    [ -s "$WORK/examples" ] || fail "--help shows no example"
    while read -r _ arguments; do
        (cd "$WORK" && "$IMPORT" ${arguments/West-Oakland.osm.bz2/$OAKLAND}) >/dev/null ||
            fail "--help example: $arguments"
    done <"$WORK/examples"
fi
exit $status
