#!/usr/bin/env python3
"""Draws the benchmark plots in docs/ from the JSON that `make bench` writes.

    python3 tools/plots.py [BENCH_DIR [OUT_DIR]]     (build/bench, docs)

Each plot is time against map size for rows named NAME/N (N roads), from the
"min" aggregate (best of interleaved rounds) where there is one, else the
mean. A plot whose file or rows are missing is skipped with a warning; with
no plot drawn at all the script exits with status 1.
"""
import json
import os
import sys

# plot file, benchmark program, title, what N counts, [(row prefix, legend,
# line style, needed)]; a row not needed is drawn when present.
PLOTS = [
    ("plot-frames.png", "frame_bench", "Editing frame against map size", "roads", [
        ("frame_cached", "cached frame", "o-", True),
        ("frame_full", "full redraw", "s--", True),
        ("frame_view_step", "first frame after a zoom or pan step", "^-.", False)]),
    ("plot-solver.png", "solver_bench", "Shortest paths against map size", "roads", [
        ("solve", "ours (adjacency built in each solve)", "o-", True),
        ("solve_bgl", "Boost Graph Library's Dijkstra", "s--", True)]),
    ("plot-map-file.png", "map_file_bench", "Map file load and save against the minimal pass",
     "nodes (two roads each)", [
        ("load", "load_map", "o-", True),
        ("load_reference", "minimal read", "o--", True),
        ("save", "save_map", "s-", True),
        ("save_reference", "minimal write and fsync", "s--", True)]),
]

TO_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


def read_times(path):
    """{run name: (ms, aggregate)} from one program's JSON: min, else mean,
    else a single run's time."""
    with open(path) as f:
        rows = json.load(f).get("benchmarks", [])
    rank = {"min": 0, "mean": 1, "single": 2}
    best = {}
    for row in rows:
        if row.get("error_occurred"):
            continue
        kind = row.get("aggregate_name", "?") if row.get("run_type") == "aggregate" else "single"
        if kind not in rank:
            continue
        name = row.get("run_name", row["name"])
        ms = row["real_time"] * TO_MS[row.get("time_unit", "ns")]
        if name not in best or rank[kind] < rank[best[name][1]]:
            best[name] = (ms, kind)
    return best


def series(times, prefix):
    """[(N, ms, aggregate)] of the rows prefix/N by N; Google Benchmark's own
    suffixes such as /real_time or /iterations:3 are ignored."""
    points = []
    for name, (ms, kind) in times.items():
        parts = [p for p in name.split("/") if ":" not in p and not p.endswith("_time")]
        if len(parts) == 2 and parts[0] == prefix and parts[1].isdigit():
            points.append((int(parts[1]), ms, kind))
    return sorted(points)


def draw(plt, out, title, counted, lines):
    fig, ax = plt.subplots(figsize=(7, 4.5), dpi=100)
    sizes = [n for _, _, points in lines for n, _, _ in points]
    kinds = {k for _, _, points in lines for _, _, k in points}
    for i, (legend, style, points) in enumerate(lines):
        xs = [n for n, _, _ in points]
        ys = [ms for _, ms, _ in points]
        ax.plot(xs, ys, style, label=legend)
        for x, y in zip(xs, ys):   # every other line's figures below its points
            ax.annotate(f"{y:.3g}", (x, y), textcoords="offset points",
                        xytext=(5, 4 if i % 2 == 0 else -10), fontsize=7)
    if max(sizes) >= 10 * min(sizes):
        ax.set_xscale("log")
        ax.set_yscale("log")
    ax.set_xlabel(counted + " in the map")
    ax.set_ylabel("ms, best of interleaved rounds" if kinds == {"min"}
                  else "ms (" + ", ".join(sorted(kinds)) + " of rounds)")
    ax.set_title(title)
    ax.grid(True, which="both", alpha=0.3)
    ax.legend()
    fig.tight_layout()
    fig.savefig(out)
    plt.close(fig)


def main():
    bench_dir = sys.argv[1] if len(sys.argv) > 1 else "build/bench"
    out_dir = sys.argv[2] if len(sys.argv) > 2 else "docs"
    if not os.path.isdir(bench_dir):
        print(f"plots: no {bench_dir}/: run `make bench` first", file=sys.stderr, flush=True)
        return 1
    try:
        import matplotlib
    except ImportError:
        print(f"plots: {sys.executable} has no matplotlib: `make plots` installs Debian's "
              "python3-matplotlib and runs /usr/bin/python3", file=sys.stderr, flush=True)
        return 1
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    drawn = 0
    for png, program, title, counted, rows in PLOTS:
        path = os.path.join(bench_dir, program + ".json")
        try:
            times = read_times(path)
        except FileNotFoundError:
            print(f"plots: skipping {png}: no {path}: run `make bench` first", file=sys.stderr, flush=True)
            continue
        except (ValueError, KeyError) as e:
            print(f"plots: skipping {png}: {path} is not a finished benchmark file ({e})", file=sys.stderr, flush=True)
            continue
        lines, missing = [], []
        for prefix, legend, style, needed in rows:
            points = series(times, prefix)
            if points:
                lines.append((legend, style, points))
            elif needed:
                missing.append(prefix + "/N")
        if missing:
            print(f"plots: skipping {png}: {path} has no {', '.join(missing)} rows "
                  f"(it has: {', '.join(sorted(times)) or 'none'})", file=sys.stderr, flush=True)
            continue
        out = os.path.join(out_dir, png)
        draw(plt, out, title, counted, lines)
        print(f"plots: wrote {out}", flush=True)
        drawn += 1
    if drawn == 0:
        print("plots: nothing to draw", file=sys.stderr, flush=True)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
