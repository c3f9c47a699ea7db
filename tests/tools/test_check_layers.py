#!/usr/bin/env python3
"""The layer check (tools/check_layers.py) on small trees of its own: which includes it lets
through, what it names for the others, and how the list of known includes only shrinks."""
import contextlib
import importlib.util
import io
import pathlib
import sys
import tempfile
import unittest

TOOL = pathlib.Path(__file__).resolve().parents[2] / "tools" / "check_layers.py"
spec = importlib.util.spec_from_file_location("check_layers", TOOL)
check_layers = importlib.util.module_from_spec(spec)
spec.loader.exec_module(check_layers)

KNOWN = "tools/known_upward_includes.txt"


class Tree:
    """A project folder with the given files; run() checks it as CI does."""

    def __init__(self, files):
        self._dir = tempfile.TemporaryDirectory()
        self.root = pathlib.Path(self._dir.name)
        for name, text in files.items():
            self.write(name, text)

    def write(self, name, text):
        path = self.root / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text(text, encoding="utf-8")

    def read(self, name):
        return (self.root / name).read_text(encoding="utf-8")

    def run(self, *args):
        out = io.StringIO()
        with contextlib.redirect_stdout(out):
            code = check_layers.main(["--root", str(self.root), *args])
        return code, out.getvalue()

    def close(self):
        self._dir.cleanup()


def including(*headers):
    return "".join(f'#include "{h}"\n' for h in headers) + "int x;\n"


# The headers every case may include.
HEADERS = {
    "program/core/texts/text.h": "",
    "program/core/params/param.h": including("program/core/texts/text.h"),
    "program/stock_data/stock.h": "",
    "program/scene/script.h": "",
    "program/show_data/records.h": "",
    "program/trains/train.h": "",
    "program/show/show.h": "",
    "program/stock/browser.h": "",
    "program/dialogs/dialog.h": "",
    "program/ui/form.h": "",
}

# (name, file, its text, what the output names or None when it passes)
CASES = [
    ("downward, each layer", "program/ui/a.cpp",
     including("program/show/show.h", "program/trains/train.h", "program/scene/script.h",
               "program/stock_data/stock.h", "program/core/texts/text.h", "program/dialogs/dialog.h"), None),
    ("between core's folders", "program/core/texts/a.cpp", including("program/core/params/param.h"), None),
    ("main above all", "program/main.cpp", including("program/ui/form.h", "program/stock/browser.h"), None),
    ("platform and the engine's header", "program/show/a.cpp",
     including("platform/text.h", "lumvatek/exports.h"), None),
    ("a name beside the file", "program/trains/a.cpp", '#include <vector>\n#include "train.h"\n', None),
    ("up one layer", "program/trains/a.cpp", "// a train\n" + including("program/show/show.h"),
     "program/trains/a.cpp:2: includes program/show/show.h: trains (program/trains) lies below show"),
    ("from the core to the top", "program/core/texts/a.h", including("program/ui/form.h"),
     "program/core/texts/a.h:1: includes program/ui/form.h: core (program/core) lies below ui"),
    ("the show's records below the trains", "program/trains/a.cpp", including("program/show_data/records.h"), None),
    ("the show's records up into the trains", "program/show_data/a.cpp", including("program/trains/train.h"),
     "show_data (program/show_data) lies below trains"),
    ("stock data up into the scene", "program/stock_data/a.cpp", including("program/scene/script.h"),
     "stock_data (program/stock_data) lies below scene"),
    ("peers of one layer", "program/dialogs/a.cpp", including("program/stock/browser.h"),
     "program/dialogs and program/stock are peers in the windows layer"),
    ("a relative name up", "program/scene/a.cpp", including("../show/show.h"),
     "program/scene/a.cpp:1: includes program/show/show.h"),
    ("the engine's own sources", "program/core/a.cpp", including("engine/base/arena.h"),
     "includes engine/base/arena.h: program/ includes only program/, platform/"),
    ("a folder outside the order", "program/show/a.cpp", including("program/extra/thing.h"),
     "program/extra/thing.h lies in no folder of the layer order"),
]


class Rules(unittest.TestCase):
    def test_cases(self):
        for name, path, text, named in CASES:
            with self.subTest(name):
                tree = Tree({**HEADERS, path: text})
                try:
                    code, out = tree.run()
                finally:
                    tree.close()
                if named is None:
                    self.assertEqual(code, 0, out)
                else:
                    self.assertEqual(code, 1, out)
                    self.assertIn(named, out)
                    self.assertEqual(out.count(": includes "), 1, out)


class KnownList(unittest.TestCase):
    def setUp(self):
        self.tree = Tree({
            **HEADERS,
            "program/trains/a.cpp": including("program/show/show.h"),
            "program/core/b.cpp": including("program/ui/form.h", "program/scene/script.h"),
            KNOWN: "# accepted for now\nprogram/trains/a.cpp -> program/show/show.h\n"
                   "program/core/b.cpp -> program/ui/form.h  # the start-up's windows\n"
                   "program/core/b.cpp -> program/scene/script.h\n",
        })

    def tearDown(self):
        self.tree.close()

    def test_listed_includes_are_accepted(self):
        code, out = self.tree.run()
        self.assertEqual(code, 0, out)
        self.assertIn("3 known", out)

    def test_an_include_not_listed_fails_beside_the_listed_ones(self):
        self.tree.write("program/trains/c.cpp", including("program/show/show.h"))
        code, out = self.tree.run()
        self.assertEqual(code, 1, out)
        self.assertIn("program/trains/c.cpp:1: includes program/show/show.h", out)
        self.assertNotIn("program/trains/a.cpp", out)

    def test_a_listed_include_that_is_gone_fails_until_pruned(self):
        self.tree.write("program/core/b.cpp", including("program/scene/script.h"))
        code, out = self.tree.run()
        self.assertEqual(code, 1, out)
        self.assertIn(f"{KNOWN}:3: program/core/b.cpp no longer includes program/ui/form.h", out)

        code, out = self.tree.run("--prune")
        self.assertEqual(code, 0, out)
        self.assertEqual(self.tree.read(KNOWN),
                         "# accepted for now\nprogram/trains/a.cpp -> program/show/show.h\n"
                         "program/core/b.cpp -> program/scene/script.h\n")

    def test_prune_adds_nothing(self):
        self.tree.write("program/show/d.cpp", including("program/ui/form.h"))
        before = self.tree.read(KNOWN)
        code, out = self.tree.run("--prune")
        self.assertEqual(code, 1, out)
        self.assertEqual(self.tree.read(KNOWN), before)

    def test_the_table_counts_per_folder_pair(self):
        code, out = self.tree.run("--table")
        self.assertEqual(code, 0, out)
        self.assertRegex(out, r"program/core +-> program/scene +1")
        self.assertRegex(out, r"program/trains +-> program/show +1")
        self.assertRegex(out, r"all +3")


if __name__ == "__main__":
    sys.exit(unittest.main())
