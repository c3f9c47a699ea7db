#!/usr/bin/env python3
"""The show's presentation beside its floor, on one virtual screen (Xvfb).

    python3 tools/present_figures.py [--seconds 8] [--repeats 3] [--sizes 1280x720,1920x1080,3840x2160]
                                     [--cases all] [--markdown]

For each screen size and case, yov and the floor program (bench/present_floor.cpp, built by
the release preset) run one after the other on the same screen, alternating, `repeats` times
each; each run's CPU time over `seconds` after a settling second is taken as a share of one
core, and the medians are set against each other: the ratio yov / floor is what the machine's
load does not change much. The floor presents, through the same Qt path as the show window,
a full-screen image (or an 800 x 600 window, as the windowed show has) in which two bands of
120 rows across the whole width change every step, 50 steps a second; beside the busy scene
it changes eight such bands. Also printed: yov's resident memory at the end of its
runs, and the time from start to the first frame of the demo full screen at 1920 x 1080 with
a warm cache (the median of five).

Cases: the windowed show with each drawing method ("DrawAlgW" 0 and 1), the full-screen show
with each ("DrawAlgF" 0 to 4), and the full-screen show of data/demo/busy.ttt with its 64
trains on the scene at once, measured once they are all there (about two minutes after the
start; 1280 pixels wide is the smallest screen on which they all are). The goal: yov within
1.2 times the floor everywhere.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import demo_figures  # noqa: E402
from demo_figures import ROOT, Screen, cpu_seconds, demo_environment, set_value, start_xvfb, stop  # noqa: E402

FLOOR = os.path.join(ROOT, "build", "release", "bin", "present_floor")
WINDOW = "800x600"

# The busy scene has all of its 64 trains on the scene from about two minutes after the start
# (queued trains start two seconds apart): its runs settle that long before they are measured.
BUSY_SETTLE = 132

# name: (yov's switch, settings, script, the floor's arguments, seconds to settle)
CASES = {
    "window DrawAlgW 0": ("/w", {"DrawAlgW": 0}, "demo.ttt", ["--window", WINDOW], 1),
    "window DrawAlgW 1": ("/w", {"DrawAlgW": 1}, "demo.ttt", ["--window", WINDOW], 1),
    **{f"full DrawAlgF {a}": ("/f", {"DrawAlgF": a}, "demo.ttt", [], 1) for a in range(5)},
    "full 64 trains": ("/f", {"DrawAlgF": 4}, "busy.ttt", ["--bands", "8"], BUSY_SETTLE),
}


def resident_mib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def measure(command, env, seconds, settle=1):
    """CPU share of one core over `seconds` after `settle` seconds, and the resident MiB."""
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        time.sleep(settle)
        if process.poll() is not None:
            raise RuntimeError(f"{command[0]} ended by itself with status {process.returncode}")
        before, at = cpu_seconds(process.pid), time.monotonic()
        time.sleep(seconds)
        share = (cpu_seconds(process.pid) - before) / (time.monotonic() - at)
        return share, resident_mib(process.pid)
    finally:
        stop(process)


def first_frame_ms(yov, runs):
    """Start to the first frame of the demo full screen at 1920 x 1080, warm cache."""
    home = tempfile.mkdtemp(prefix="yov-present-")
    xvfb, display = start_xvfb(1920, 1080)
    try:
        env = demo_environment(home, display, yov=yov)
        screen = Screen(display)
        demo_figures.YOV = yov
        demo_figures.first_frame_ms(env, screen, "/f")  # warms the picture cache and the file cache
        return [demo_figures.first_frame_ms(env, screen, "/f") for _ in range(runs)]
    finally:
        stop(xvfb)
        shutil.rmtree(home, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seconds", type=float, default=8)
    parser.add_argument("--repeats", type=int, default=3)
    parser.add_argument("--sizes", default="1280x720,1920x1080,3840x2160")
    parser.add_argument("--cases", default="all", help="comma-separated case names, or all")
    parser.add_argument("--yov", default=demo_figures.YOV, help="the yov to measure (its engine beside it)")
    parser.add_argument("--no-first-frame", action="store_true")
    args = parser.parse_args()
    for program in (args.yov, FLOOR):
        if not os.access(program, os.X_OK):
            sys.exit(f"missing {program}: cmake --preset release && cmake --build --preset release")
    cases = list(CASES) if args.cases == "all" else [c.strip() for c in args.cases.split(",")]
    unknown = [c for c in cases if c not in CASES]
    if unknown:
        sys.exit(f"unknown cases {unknown}; known: {list(CASES)}")

    print("| Case | Screen | Yov | Floor | Yov / floor | Yov resident |")
    print("|---|---|---|---|---|---|")
    for size in args.sizes.split(","):
        width, height = (int(v) for v in size.split("x"))
        home = tempfile.mkdtemp(prefix="yov-present-")
        xvfb, display = start_xvfb(width, height)
        try:
            for name in cases:
                switch, settings, script, floor_args, settle = CASES[name]
                env = demo_environment(os.path.join(home, name.replace(" ", "_").replace(",", "")), display, script,
                                       yov=args.yov)
                for setting, value in settings.items():
                    set_value(env, setting, value)
                ours, theirs, memory = [], [], []
                for _ in range(args.repeats):
                    share, rss = measure([args.yov, switch], env, args.seconds, settle)
                    ours.append(share)
                    memory.append(rss)
                    theirs.append(measure([FLOOR, *floor_args], env, args.seconds)[0])
                a, b = statistics.median(ours), statistics.median(theirs)
                print(f"| {name} | {width} x {height} | {a * 100:.1f} % | {b * 100:.1f} % | "
                      f"{a / b if b > 0 else float('nan'):.2f} | {max(memory):.0f} MiB |", flush=True)
        finally:
            stop(xvfb)
            shutil.rmtree(home, ignore_errors=True)
    if not args.no_first_frame:
        times = first_frame_ms(args.yov, 5)
        print(f"\nstart to first frame (/f, 1920 x 1080, warm cache): median {statistics.median(times):.0f} ms, "
              f"min {min(times):.0f} ms, max {max(times):.0f} ms")


if __name__ == "__main__":
    main()
