#!/usr/bin/env python3
"""Soak run of the demo show: `yov /f` on a virtual 1920 x 1080 screen for ten minutes.

    python3 tools/soak_demo.py [--minutes 10]

Reports the resident memory after the first minute and at the end (the end must stay within
10 % of the first-minute figure), the CPU share over the run, and the error log, which must
stay empty. Exits with 1 when either check fails. Not part of CI: it takes its full time.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from demo_figures import YOV, cpu_seconds, demo_environment, start_xvfb, stop  # noqa: E402


def resident_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--minutes", type=float, default=10)
    args = parser.parse_args()
    if not os.access(YOV, os.X_OK):
        sys.exit("build first: cmake --preset release && cmake --build --preset release")
    home = tempfile.mkdtemp(prefix="yov-soak-")
    xvfb, display = start_xvfb()
    ok = True
    try:
        env = demo_environment(home, display)
        yov = subprocess.Popen([YOV, "/f"], env=env)
        begin = time.monotonic()
        try:
            time.sleep(60)
            first = resident_kib(yov.pid)
            cpu_first = cpu_seconds(yov.pid)
            print(f"after 1 min: resident {first / 1024:.1f} MiB", flush=True)
            end = begin + args.minutes * 60
            while time.monotonic() < end and yov.poll() is None:
                time.sleep(min(60, max(0.0, end - time.monotonic())))
                print(f"after {(time.monotonic() - begin) / 60:.0f} min: resident "
                      f"{resident_kib(yov.pid) / 1024:.1f} MiB", flush=True)
            if yov.poll() is not None:
                print(f"FAIL: the show ended by itself with status {yov.returncode}")
                ok = False
            else:
                last = resident_kib(yov.pid)
                share = (cpu_seconds(yov.pid) - cpu_first) / (time.monotonic() - begin - 60)
                growth = (last - first) / first if first else 0.0
                print(f"resident at the end {last / 1024:.1f} MiB ({growth * 100:+.1f} % against the first minute); "
                      f"CPU {share * 100:.1f} % of one core")
                if growth > 0.10:
                    print("FAIL: resident memory grew by more than 10 %")
                    ok = False
        finally:
            stop(yov)
        log = os.path.join(home, "Rolvane.err")
        text = open(log, encoding="latin-1").read() if os.path.exists(log) else ""
        if text:
            print("FAIL: the error log has lines:\n" + text)
            ok = False
        else:
            print("error log: empty")
    finally:
        stop(xvfb)
        shutil.rmtree(home, ignore_errors=True)
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
