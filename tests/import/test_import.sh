#!/bin/bash
# mapedit-import on small hand-made inputs: the exact map it writes, and bad
# input refused with a message, status 1 and the output file as it was.
set -u
: "${IMPORT:?path of mapedit-import}"
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

# input | options | the map file it must write (names in Latin-1)
while IFS='|' read -r input options expected; do
    "$IMPORT" $options "$HERE/$input" "$WORK/out.txt" >/dev/null || fail "$input $options: status $?"
    cmp "$WORK/out.txt" "$HERE/$expected" || fail "$input $options: not $expected"
done <<'TABLE'
roads.osm|--fit off|metres.txt
roads.geojson|--fit off|metres.txt
roads.osm|--max-nodes 6|pixels.txt
roads.osm|--fit off --roads residential,tertiary,footway --bbox 17.0990,48.1380,17.1072,48.1410|cut.txt
roads.osm|--roads tertiary|line.txt
bare.geojson|--fit off|bare.txt
TABLE

printf '<?xml version="1.0"?>\n<osm version="0.6">\n<node id="1" lat=' >"$WORK/broken.osm"
echo 'hello' >"$WORK/other.osm"
cp "$HERE/roads.osm" "$WORK/roads.txt"
head -c 400 "$HERE/roads.geojson" >"$WORK/broken.json"
echo '{"type": "Topology", "objects": {}}' >"$WORK/other.json"

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
--bbox 0,0,1,1 $HERE/roads.osm|no roads
--roads cycleway $HERE/roads.geojson|no roads
--max-nodes 5 $HERE/roads.osm|6 nodes, more than --max-nodes 5
--bbox 1,2,3 $HERE/roads.osm|--bbox: cannot use
--fit maybe $HERE/roads.osm|--fit: cannot use
TABLE

"$IMPORT" --help | grep -q "(c) OpenStreetMap contributors" || fail "--help credits no one"
exit $status
