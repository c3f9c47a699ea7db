#!/usr/bin/env python3
"""The benchmark comparison (tools/bench_figures.py) on two build folders of stand-in
benchmark programs: which benchmarks it matches, the medians and ratios it gives, the order
it runs the builds in, and what it does with a program that fails or matches nothing."""
import contextlib
import importlib.util
import io
import json
import os
import pathlib
import sys
import tempfile
import unittest

TOOL = pathlib.Path(__file__).resolve().parents[2] / "tools" / "bench_figures.py"
spec = importlib.util.spec_from_file_location("bench_figures", TOOL)
bench_figures = importlib.util.module_from_spec(spec)
spec.loader.exec_module(bench_figures)

# A stand-in benchmark program: it notes its run in BENCH_LOG, and writes the report that
# REPORTS[round] holds, the round being how often this program of this build ran before.
PROGRAM = """#!{python}
import json, os, sys
label = {label!r}
with open(os.environ["BENCH_LOG"], "a") as f:
    f.write(label + "\\n")
with open(os.environ["BENCH_LOG"] + ".seen", "a") as f:
    f.write(json.dumps(dict(args=sys.argv[1:], cwd=os.getcwd(), config=os.environ.get("YOV_CONFIG_HOME"),
                            tmp=os.environ.get("TMP"))) + "\\n")
with open(os.environ["BENCH_LOG"]) as f:
    round_ = sum(1 for line in f if line.strip() == label) - 1
reports = {reports!r}
if reports is None:
    sys.exit("no benchmarks today")
report = reports[round_ % len(reports)]
out = [a.split("=", 1)[1] for a in sys.argv[1:] if a.startswith("--benchmark_out=")][0]
with open(out, "w") as f:
    f.write(json.dumps(dict(benchmarks=report)) if report is not None else "")
"""


def bench(name, time, unit="us", **counters):
    return dict(name=name, run_type="iteration", real_time=time, cpu_time=time / 2, time_unit=unit, **counters)


class Builds:
    """Two build folders, old and new, with the given programs: {program: reports per round}."""

    def __init__(self, old, new):
        self._dir = tempfile.TemporaryDirectory()
        root = pathlib.Path(self._dir.name)
        self.log = root / "runs.log"
        self.old, self.new = root / "old", root / "new"
        for which, programs in (("old", old), ("new", new)):
            (root / which / "bin").mkdir(parents=True)
            for program, reports in programs.items():
                path = root / which / "bin" / program
                path.write_text(PROGRAM.format(python=sys.executable, label=f"{program} {which}", reports=reports))
                path.chmod(0o755)

    def run(self, *args):
        out, err = io.StringIO(), io.StringIO()
        before = os.environ.get("BENCH_LOG")
        os.environ["BENCH_LOG"] = str(self.log)
        try:
            with contextlib.redirect_stdout(out), contextlib.redirect_stderr(err):
                bench_figures.main([str(self.old), str(self.new), *args])
        finally:
            if before is None:
                del os.environ["BENCH_LOG"]
            else:
                os.environ["BENCH_LOG"] = before
        return out.getvalue(), err.getvalue()

    def seen(self):
        """What each run of a program was given: its arguments, folder and settings folders."""
        return [json.loads(line) for line in (pathlib.Path(str(self.log) + ".seen")).read_text().splitlines()]

    def runs(self):
        return self.log.read_text().split("\n")[:-1] if self.log.exists() else []

    def close(self):
        self._dir.cleanup()


def rows(table):
    """{benchmark: [old, new, ratio, spread]} of a printed table."""
    found = {}
    for line in table.splitlines():
        cells = [c.strip() for c in line.strip("|").split("|")]
        if line.startswith("| ") and len(cells) == 5 and cells[0] not in ("Benchmark",):
            found[cells[0]] = cells[1:]
    return found


class BenchFigures(unittest.TestCase):
    def builds(self, old, new):
        b = Builds(old, new)
        self.addCleanup(b.close)
        return b

    def test_medians_ratios_and_counters_of_the_benchmarks_both_builds_have(self):
        b = self.builds(
            {"bench_a": [[bench("BM_A", 10, median_us=4.0), bench("BM_Gone", 1)]]
             + [[bench("BM_A", 50, median_us=9.0), bench("BM_Gone", 1)]]
             + [[bench("BM_A", 20, median_us=6.0), bench("BM_Gone", 1)]]},
            {"bench_a": [[bench("BM_A", 5, median_us=3.0), bench("BM_New", 2, unit="ms")]]
             + [[bench("BM_A", 15, median_us=3.0), bench("BM_New", 2, unit="ms")]]
             + [[bench("BM_A", 10, median_us=3.0), bench("BM_New", 2, unit="ms")]]},
        )
        table, _ = b.run("--rounds", "3")
        found = rows(table)
        # Medians 20 and 10 µs (not the means); the spread is the old build's 50 over 10.
        self.assertEqual(found["BM_A"], ["20 µs", "10 µs", "0.50", "5.00"])
        self.assertEqual(found["BM_A [median_us]"], ["6", "3", "0.50", "2.25"])
        self.assertNotIn("BM_Gone", found)
        self.assertIn("Only in the old build: BM_Gone", table)
        self.assertIn("Only in the new build: BM_New", table)

    def test_cpu_time_and_the_units_of_the_report(self):
        b = self.builds({"bench_a": [[bench("BM_A", 3, unit="ms")]]}, {"bench_a": [[bench("BM_A", 1500, unit="us")]]})
        found = rows(b.run("--rounds", "1", "--time", "cpu")[0])
        self.assertEqual(found["BM_A"], ["1.5 ms", "750 µs", "0.50", "1.00"])

    def test_the_builds_alternate_and_each_round_starts_with_the_other(self):
        b = self.builds(
            {"bench_a": [[bench("BM_A", 1)]], "bench_b": [[bench("BM_B", 1)]], "bench_old_only": [[bench("BM_C", 1)]]},
            {"bench_a": [[bench("BM_A", 1)]], "bench_b": [[bench("BM_B", 1)]]},
        )
        table, _ = b.run("--rounds", "2")
        self.assertEqual(
            b.runs(),
            ["bench_a old", "bench_a new", "bench_b old", "bench_b new",
             "bench_a new", "bench_a old", "bench_b new", "bench_b old"],
        )
        self.assertIn("Programs only in the old build (not run): bench_old_only", table)

    def test_a_failing_program_is_named_and_the_others_are_compared(self):
        b = self.builds(
            {"bench_a": [[bench("BM_A", 2)]], "bench_broken": [[bench("BM_B", 1)]]},
            {"bench_a": [[bench("BM_A", 1)]], "bench_broken": None},
        )
        table, err = b.run("--rounds", "1")
        self.assertEqual(rows(table)["BM_A"][2], "0.50")
        self.assertIn("bench_broken ended with status 1: no benchmarks today", err)
        self.assertIn("Only in the old build: BM_B", table)

    def test_a_program_whose_benchmarks_the_filter_leaves_out_gives_no_rows_and_no_error(self):
        # Google Benchmark leaves its report file empty when no benchmark matches.
        b = self.builds({"bench_a": [None]}, {"bench_a": [None]})
        table, err = b.run("--rounds", "1", "--filter", "Nothing")
        self.assertEqual(rows(table), {})
        self.assertNotIn("bench_figures:", err)

    def test_the_programs_get_the_options_and_a_scratch_folder_that_goes_at_the_end(self):
        b = self.builds({"bench_a": [[bench("BM_A", 1)]]}, {"bench_a": [[bench("BM_A", 1)]]})
        b.run("--rounds", "1", "--min-time", "0.01", "--filter", "BM_A")
        for run in b.seen():
            self.assertIn("--benchmark_min_time=0.01", run["args"])
            self.assertIn("--benchmark_filter=BM_A", run["args"])
            self.assertIn("--benchmark_out_format=json", run["args"])
            scratch = run["cwd"]
            self.assertTrue(run["config"].startswith(scratch) and run["tmp"].startswith(scratch))
            self.assertFalse(os.path.exists(scratch))

    def test_options_that_make_no_sense_are_refused(self):
        b = self.builds({}, {})
        for args in (["--rounds", "0"], ["--filter", "("]):
            with self.subTest(args=args), self.assertRaises(SystemExit) as refused:
                b.run(*args)
            self.assertEqual(refused.exception.code, 2)


if __name__ == "__main__":
    unittest.main()
