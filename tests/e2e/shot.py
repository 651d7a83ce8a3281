"""Reads pixels of a screenshot for the end-to-end tests.

  shot.py pixel FILE X Y          prints "r g b"
  shot.py count FILE "X Y0 Y1 R G B"...
                                  prints, for each group, how many pixels of
                                  colour R G B column X has in rows Y0..Y1
  shot.py status FILE EXPECTED    exit 0 when the status field's ink matches
                                  the rows that render_text printed
"""
import subprocess
import sys


def load(path):
    data = subprocess.run(["convert", path, "ppm:-"], check=True, capture_output=True).stdout
    parts = data.split(maxsplit=4)
    width, height = int(parts[1]), int(parts[2])
    return width, height, parts[4]


def rgb(image, x, y):
    width, _, raw = image
    i = 3 * (y * width + x)
    return raw[i], raw[i + 1], raw[i + 2]


def main():
    image = load(sys.argv[2])
    if sys.argv[1] == "pixel":
        print("%d %d %d" % rgb(image, int(sys.argv[3]), int(sys.argv[4])))
        return 0
    if sys.argv[1] == "count":
        found = []
        for group in sys.argv[3:]:
            x, y0, y1, r, g, b = (int(v) for v in group.split())
            found.append(sum(rgb(image, x, y) == (r, g, b) for y in range(y0, y1 + 1)))
        print(*found)
        return 0
    rows = open(sys.argv[3]).read().split()
    bad = 0
    for y, row in enumerate(rows):
        for x, want in enumerate(row):
            r, g, b = rgb(image, x, 587 + y)
            ink = r < 64 and g < 64 and b < 64
            paper = r > 240 and g > 240 and b > 240
            if (want == "#" and not ink) or (want == "." and not paper):
                bad += 1
    if bad:
        print("status field differs in %d pixels" % bad, file=sys.stderr)
    return 1 if bad else 0


sys.exit(main())
