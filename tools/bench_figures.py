#!/usr/bin/env python3
"""The benchmark figures of two builds side by side.

    python3 tools/bench_figures.py OLD_BUILD NEW_BUILD [--rounds 5] [--min-time 0.2]
                                   [--filter REGEX] [--counters median_us,p99_us] [--time real]

OLD_BUILD and NEW_BUILD are build folders of the release preset (e.g. build/release of two
worktrees). Every benchmark program `bin/bench_*` that both hold runs `rounds` times in each,
old and new one after the other (old first in even rounds, new first in odd ones), so that
the machine's load, and its drift over the run, falls on both alike. Benchmarks are matched
by name; the table gives each one's median over the rounds in both builds and new / old
(below 1: the new build is faster). The counters named by --counters (timings the benchmark
reports itself, such as a frame's median) get rows of their own. The spread (the highest
round over the lowest, the worse of the two builds) says how far a ratio can be trusted.

Each build runs its own tree's benchmark code: where bench/ differs between the two trees
(`git diff OLD NEW -- bench`), a ratio may be the benchmark's change, not the program's.

Settings and the error log go to a scratch folder (YOV_CONFIG_HOME, TMP), removed at the end.
At the defaults a whole run takes about seven minutes (19 programs, about 80 benchmarks).
"""
import argparse
import json
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile

# Google Benchmark's time units in nanoseconds.
UNITS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def programs(build):
    folder = os.path.join(build, "bin")
    if not os.path.isdir(folder):
        sys.exit(f"bench_figures: {build} has no bin folder (a release build folder is wanted)")
    return {
        name
        for name in os.listdir(folder)
        if name.startswith("bench_") and os.access(os.path.join(folder, name), os.X_OK)
    }


def run_once(build, program, args, env, scratch):
    """One run of one benchmark program: {benchmark name: {"time": ns, counter: value}}."""
    out = os.path.join(scratch, "out.json")
    if os.path.exists(out):
        os.remove(out)
    command = [os.path.join(build, "bin", program), f"--benchmark_out={out}", "--benchmark_out_format=json"]
    command += [f"--benchmark_min_time={args.min_time}"]
    if args.filter:
        command.append(f"--benchmark_filter={args.filter}")
    # The report goes to a file: some programs print their own console report.
    done = subprocess.run(command, env=env, cwd=scratch, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    if done.returncode != 0 or not os.path.exists(out):
        tail = done.stderr.strip().splitlines()[-1:] or [""]
        print(f"bench_figures: {command[0]} ended with status {done.returncode}: {tail[0]}", file=sys.stderr)
        return {}
    with open(out) as f:
        text = f.read()
    if not text.strip():
        return {}  # no benchmark of this program matched the filter
    try:
        report = json.loads(text)
    except json.JSONDecodeError as e:
        print(f"bench_figures: {command[0]} wrote no readable report ({e})", file=sys.stderr)
        return {}
    results = {}
    for b in report.get("benchmarks", []):
        if b.get("run_type", "iteration") != "iteration" or b.get("error_occurred"):
            continue
        scale = UNITS.get(b.get("time_unit", "ns"), 1.0)
        entry = {"time": b[f"{args.time}_time"] * scale}
        for counter in args.counters:
            if counter in b:
                entry[counter] = b[counter]
        # Repetitions of one benchmark within a run count as further rounds.
        results.setdefault(b["name"], []).append(entry)
    return results


def collect(args, env, scratch):
    """{build index: {row name: [values]}} over all rounds, old and new alternating."""
    shared = sorted(programs(args.old) & programs(args.new))
    only = {"old": sorted(programs(args.old) - programs(args.new)), "new": sorted(programs(args.new) - programs(args.old))}
    values = ({}, {})
    for r in range(args.rounds):
        order = (0, 1) if r % 2 == 0 else (1, 0)
        for program in shared:
            for which in order:
                build = (args.old, args.new)[which]
                print(f"round {r + 1}/{args.rounds}: {program} ({('old', 'new')[which]})", file=sys.stderr)
                for name, entries in run_once(build, program, args, env, scratch).items():
                    for entry in entries:
                        for key, value in entry.items():
                            row = name if key == "time" else f"{name} [{key}]"
                            values[which].setdefault(row, []).append(value)
    return values, only


def show_time(ns):
    for unit, scale in (("s", 1e9), ("ms", 1e6), ("µs", 1e3)):
        if ns >= scale:
            return f"{ns / scale:.3g} {unit}"
    return f"{ns:.3g} ns"


def spread(samples):
    low = min(samples)
    return max(samples) / low if low > 0 else float("inf")


def load_average():
    try:
        with open("/proc/loadavg") as f:
            return " ".join(f.read().split()[:3])
    except OSError:
        return "unknown"


def table(values, only, args, loads):
    old, new = values
    lines = [
        "| Benchmark | Old median | New median | New / old | Spread |",
        "|---|---|---|---|---|",
    ]
    for row in sorted(old.keys() & new.keys()):
        a, b = statistics.median(old[row]), statistics.median(new[row])
        counter = row.endswith("]")
        shown = (f"{a:.3g}", f"{b:.3g}") if counter else (show_time(a), show_time(b))
        ratio = f"{b / a:.2f}" if a > 0 else "-"
        lines.append(f"| {row} | {shown[0]} | {shown[1]} | {ratio} | {max(spread(old[row]), spread(new[row])):.2f} |")
    for label, rows in (("old", old.keys() - new.keys()), ("new", new.keys() - old.keys())):
        if rows:
            lines.append(f"\nOnly in the {label} build: {', '.join(sorted(rows))}.")
    for label, names in only.items():
        if names:
            lines.append(f"\nPrograms only in the {label} build (not run): {', '.join(names)}.")
    lines.append(
        f"\n{args.rounds} rounds, --benchmark_min_time={args.min_time}, {args.time} time; spread: "
        f"the highest round over the lowest, the worse build; load average {loads[0]} at the start, {loads[1]} at the end."
    )
    return "\n".join(lines)


def main(argv=None):
    parser = argparse.ArgumentParser(description="The benchmark figures of two release builds side by side.")
    parser.add_argument("old", help="the old build folder (holding bin/bench_*)")
    parser.add_argument("new", help="the new build folder")
    parser.add_argument("--rounds", type=int, default=5, help="runs of each program in each build (default 5)")
    parser.add_argument("--min-time", default="0.2", help="--benchmark_min_time for each run (default 0.2)")
    parser.add_argument("--filter", default="", help="--benchmark_filter: a regular expression on benchmark names")
    parser.add_argument(
        "--counters",
        default="median_us,p99_us",
        help="user counters that get rows of their own, comma separated (default median_us,p99_us)",
    )
    parser.add_argument(
        "--time", choices=("real", "cpu"), default="real", help="the time compared (default real, the wall clock)"
    )
    args = parser.parse_args(argv)
    if args.rounds < 1:
        parser.error("--rounds must be at least 1")
    if args.filter:
        try:
            re.compile(args.filter)
        except re.error as e:
            parser.error(f"--filter is not a regular expression: {e}")
    args.counters = [c for c in args.counters.split(",") if c]
    # The programs run in the scratch folder.
    args.old, args.new = os.path.abspath(args.old), os.path.abspath(args.new)

    scratch = tempfile.mkdtemp(prefix="yov-bench-figures-")
    try:
        env = dict(os.environ)
        for name in ("config", "tmp"):
            os.mkdir(os.path.join(scratch, name))
        env["YOV_CONFIG_HOME"] = os.path.join(scratch, "config")
        for name in ("TMP", "TEMP", "TMPDIR"):
            env[name] = os.path.join(scratch, "tmp")
        env["QT_QPA_PLATFORM"] = "offscreen"
        # Each build's programs find their own engine beside them.
        env.pop("YOV_ENGINE_DIR", None)
        env.pop("LD_LIBRARY_PATH", None)
        loads = [load_average()]
        values, only = collect(args, env, scratch)
        loads.append(load_average())
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print(table(values, only, args, loads))


if __name__ == "__main__":
    main()
