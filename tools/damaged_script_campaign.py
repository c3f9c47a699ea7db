#!/usr/bin/env python3
"""The bad-input campaign: damaged scene scripts and stocks, each run as a show.

    python3 tools/damaged_script_campaign.py [--cases 300] [--jobs 4] [--seconds 5]
                                             [--yov build/asan/bin/yov] [--show /w] [--keep DIR]

Makes the cases with tools/damaged_scripts.py (fixed seed), then for each one starts
`yov /w` (the sanitizer build by default) on a virtual screen of its own (Xvfb), with a
settings folder, TMP and runtime folder of its own, the case's script and stock registered
as the first recent script and stock (`yov /addcnf`, `yov /addstk`). After the given
seconds it sends SIGTERM and classifies the case, the first that applies:

  sanitizer report  AddressSanitizer or UndefinedBehaviorSanitizer wrote a report
  crash             the process ended by a signal or with a status other than 0
  hang              still there 2 s after SIGTERM (then killed)
  cpu over 90 %     the show took more than 90 % of a core over its last seconds
  log over 1 MB     the error log grew past 1 MB
  error logged      the error log says something
  clean             nothing of the above

Prints a table of the classes and the cases of every class but the last two, and exits
with 1 when any case is in one of the first five classes. Several cases run at once, each on
its own X server. Leak reports are off: an ended show leaves its windows to the process's
end, as any Qt program does.
"""
import argparse
import collections
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

sys.dont_write_bytecode = True  # nothing left in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from damaged_scripts import make_cases  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CLASSES = ["sanitizer report", "crash", "hang", "cpu over 90 %", "log over 1 MB", "error logged", "clean"]
BAD = set(CLASSES[:5])
LOG_LIMIT = 1_000_000
START_LIMIT = 60  # seconds a start may take before the show's seconds count anyway
SANITIZER_MARKS = ("ERROR: AddressSanitizer", "runtime error:", "ERROR: LeakSanitizer", "SUMMARY: UndefinedBehavior",
                   "WARNING: AddressSanitizer")


def start_xvfb():
    """An Xvfb server on a display number it chooses itself; (process, ":n")."""
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "800x600x24", "-nolisten", "tcp"],
                            pass_fds=[write], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read, 16)
        if not chunk:
            raise RuntimeError("Xvfb did not start")
        number += chunk
    os.close(read)
    return xvfb, ":" + number.decode().strip()


def cpu_seconds(pid):
    """User and system time of a process so far, in seconds; None when it is gone."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    except (OSError, IndexError, ValueError):
        return None


def run_case(yov, folder, display, seconds, switch="/w"):
    """Runs one case; returns (class, detail, CPU share or None, log bytes)."""
    outcome, share, size = run_show(yov, folder, display, seconds, switch)
    return outcome[0], outcome[1], share, size


def run_show(yov, folder, display, seconds, switch):
    """Runs the show of one case; returns ((class, detail), CPU share or None, log bytes)."""
    home = tempfile.mkdtemp(prefix="home-", dir=folder)
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", TMP=home, TMPDIR=home,
               YOV_CONFIG_HOME=os.path.join(home, "config"), XDG_RUNTIME_DIR=os.path.join(home, "run"),
               ASAN_OPTIONS="detect_leaks=0:abort_on_error=0:exitcode=99",
               UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:exitcode=98")
    env.pop("XSCREENSAVER_WINDOW", None)
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
    for register, name in (("/addcnf", "case.ttt"), ("/addstk", "case.stk")):
        subprocess.run([yov, register, os.path.join(folder, name)], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60, check=False)
    err_path = os.path.join(home, "stderr.txt")
    with open(err_path, "wb") as err:
        show = subprocess.Popen([yov, switch], env=env, stdout=subprocess.DEVNULL, stderr=err, cwd=home)
        # The seconds count from when the program holds its instance locks, past the
        # sanitizer's and the toolkit's start, which a busy machine may make slow; the CPU
        # share is taken over their second half, after the script and stock were read.
        locks = os.path.join(env["XDG_RUNTIME_DIR"], "yov")
        deadline = time.monotonic() + START_LIMIT
        while show.poll() is None and time.monotonic() < deadline:
            if os.path.isdir(locks) and any(n.startswith("RolvaneScr") for n in os.listdir(locks)):
                break
            time.sleep(0.05)
        time.sleep(seconds / 2)
        cpu_from, wall_from = cpu_seconds(show.pid), time.monotonic()
        time.sleep(seconds / 2)
        cpu_to, wall_to = cpu_seconds(show.pid), time.monotonic()
        ended_early = show.poll() is not None
        if not ended_early:
            show.send_signal(signal.SIGTERM)
        hang = False
        try:
            show.wait(timeout=2)
        except subprocess.TimeoutExpired:
            hang = True
            show.kill()
            show.wait()
    with open(err_path, "rb") as f:
        stderr = f.read().decode(errors="replace")
    log_path = os.path.join(home, "Rolvane.err")
    log = b""
    if os.path.exists(log_path):
        with open(log_path, "rb") as f:
            log = f.read()
    said = [line for line in log.decode(errors="replace").splitlines()
            if line and not line.startswith(("Rolvane started at ", "Error file truncated at "))]
    share = None
    if cpu_from is not None and cpu_to is not None and wall_to > wall_from:
        share = (cpu_to - cpu_from) / (wall_to - wall_from)
    first = said[0][:160] if said else ""
    return classify(stderr, hang, show.returncode, ended_early, share, log, said, first), share, len(log)


def classify(stderr, hang, returncode, ended_early, share, log, said, first):
    """The class of a case that ran, and a line saying why."""
    if any(mark in stderr for mark in SANITIZER_MARKS):
        report = next(line for line in stderr.splitlines() if any(mark in line for mark in SANITIZER_MARKS))
        return "sanitizer report", report.strip()[:200]
    if hang:
        return "hang", f"not ended 2 s after SIGTERM; {first}"
    if returncode != 0:
        how = f"signal {-returncode}" if returncode < 0 else f"status {returncode}"
        when = "by itself" if ended_early else "after SIGTERM"
        return "crash", f"ended {when} with {how}; {first}"
    if share is not None and share > 0.9 and not ended_early:
        return "cpu over 90 %", f"{share * 100:.0f} % of a core; {first}"
    if len(log) > LOG_LIMIT:
        return "log over 1 MB", f"{len(log)} bytes; {first}"
    if said:
        return "error logged", f"{len(said)} lines: {first}"
    return "clean", "ended by itself" if ended_early else ""


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cases", type=int, default=300)
    parser.add_argument("--first", type=int, default=0)
    parser.add_argument("--seed", type=int, default=53)
    parser.add_argument("--jobs", type=int, default=4)
    parser.add_argument("--seconds", type=float, default=5)
    parser.add_argument("--yov", default=os.path.join(ROOT, "build", "asan", "bin", "yov"))
    parser.add_argument("--show", default="/w", help="the show's switch: /w in a window, /f full screen")
    parser.add_argument("--keep", help="a folder for the cases and their homes, kept afterwards")
    parser.add_argument("--list", action="store_true", help="print every case with its class")
    args = parser.parse_args()
    if not os.access(args.yov, os.X_OK):
        sys.exit(f"no {args.yov}: build first (cmake --preset asan && cmake --build --preset asan)")
    work = args.keep or tempfile.mkdtemp(prefix="yov-campaign-")
    os.makedirs(work, exist_ok=True)
    cases = make_cases(work, args.cases, args.seed, args.first)
    results = {}
    lock = threading.Lock()
    todo = list(cases)
    begin = time.monotonic()

    def worker():
        xvfb, display = start_xvfb()
        try:
            while True:
                with lock:
                    if not todo:
                        return
                    number, folder, what = todo.pop(0)
                try:
                    outcome = run_case(args.yov, folder, display, args.seconds, args.show)
                except Exception as e:  # a case the runner itself could not run
                    outcome = ("crash", f"the runner failed: {e}", None, 0)
                with lock:
                    results[number] = (outcome, what)
                    if args.list:
                        print(f"case-{number:03d}: {outcome[0]}: {outcome[1]}", flush=True)
        finally:
            xvfb.terminate()
            xvfb.wait()

    threads = [threading.Thread(target=worker) for _ in range(max(1, args.jobs))]
    for t in threads:
        t.start()
    for t in threads:
        t.join()

    counts = collections.Counter(outcome[0] for outcome, _ in results.values())
    shares = [outcome[2] for outcome, _ in results.values() if outcome[2] is not None]
    sizes = [outcome[3] for outcome, _ in results.values()]
    print(f"\n{len(results)} cases, seed {args.seed}, {args.seconds:g} s each, "
          f"{args.jobs} at once, {time.monotonic() - begin:.0f} s in all, {args.yov} {args.show}")
    print("\n| Class | Cases |\n|---|---|")
    for name in CLASSES:
        print(f"| {name} | {counts.get(name, 0)} |")
    if shares:
        print(f"\nCPU over the show's second half: median {statistics.median(shares) * 100:.0f} %, "
              f"highest {max(shares) * 100:.0f} % of a core; largest error log {max(sizes)} bytes")
    failed = False
    for number in sorted(results):
        (name, detail, _, _), what = results[number]
        if name in BAD:
            failed = True
            print(f"\ncase-{number:03d} {name}: {detail}\n  made: {what}\n  files: "
                  f"{os.path.join(work, f'case-{number:03d}')}")
    if not args.keep:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
