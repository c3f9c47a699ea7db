#!/usr/bin/env python3
"""The layers of program/: every `#include "..."` in program/ points down, never up.

    python3 tools/check_layers.py            check; exit 1 naming file:line and the rule
    python3 tools/check_layers.py --table    also print the upward includes per folder pair
    python3 tools/check_layers.py --prune    drop the known entries that are gone, then check

The order, lowest first (doc/architecture.md, "Layers of the program", says why):

    core        program/core and its folders
    stock_data  program/stock_data: stock files read into the stock tables
    scene       program/scene: script reading, vehicle pictures, picture slots
    show_data   program/show_data: the records of a running show that the trains fill and read
    trains      program/trains: train generation, lines, train records
    show        program/show: the running show
    windows     program/stock (the stock browser's windows) and program/dialogs, peers
    ui          program/ui: the Qt glue
    main        program/main.cpp

A folder includes its own headers and those of the folders below it. The two folders of the
windows layer do not include each other. Besides program/, the program includes only
platform/ and the engine's public headers (include/lumvatek/): the engine itself it binds by
name at run time.

Until the program holds the order, the includes that break it today are listed in
tools/known_upward_includes.txt (one "file -> header" a line) and accepted. The list only
shrinks: an entry whose include is gone fails the check too, so that the fix is recorded
(--prune removes such entries).
"""
import argparse
import collections
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
KNOWN_NAME = "tools/known_upward_includes.txt"

# (folder or file under the project root, layer name); the longest match names a file's folder.
FOLDERS = [
    ("program/core", "core"),
    ("program/stock_data", "stock_data"),
    ("program/scene", "scene"),
    ("program/show_data", "show_data"),
    ("program/trains", "trains"),
    ("program/show", "show"),
    ("program/stock", "windows"),
    ("program/dialogs", "windows"),
    ("program/ui", "ui"),
    ("program/main.cpp", "main"),
]
LAYERS = ["core", "stock_data", "scene", "show_data", "trains", "show", "windows", "ui", "main"]
# What program/ may include from outside itself.
OUTSIDE = ("platform/", "lumvatek/")

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def folder_of(path):
    """The folder of FOLDERS that holds path, or None."""
    best = None
    for prefix, _layer in FOLDERS:
        if path == prefix or path.startswith(prefix + "/"):
            if best is None or len(prefix) > len(best):
                best = prefix
    return best


def layer_of(folder):
    return dict(FOLDERS)[folder]


def rule_broken(source, header):
    """Why source may not include header, or None when it may."""
    if not header.startswith("program/"):
        if header.startswith(OUTSIDE):
            return None
        return "program/ includes only program/, platform/ and the engine's public headers (lumvatek/)"
    src_folder, hdr_folder = folder_of(source), folder_of(header)
    if hdr_folder is None:
        return f"{header} lies in no folder of the layer order"
    if src_folder == hdr_folder:
        return None
    src_layer, hdr_layer = layer_of(src_folder), layer_of(hdr_folder)
    if src_layer == hdr_layer:
        return f"{src_folder} and {hdr_folder} are peers in the {src_layer} layer and do not include each other"
    if LAYERS.index(hdr_layer) > LAYERS.index(src_layer):
        return f"{src_layer} ({src_folder}) lies below {hdr_layer} ({hdr_folder}) and may not include it"
    return None


def program_files(root):
    for path in sorted((root / "program").rglob("*")):
        if path.suffix in (".h", ".cpp") and path.is_file():
            yield path.relative_to(root).as_posix()


def includes(root, rel):
    """(line number, included path) of every quoted include of a file."""
    text = (root / rel).read_text(encoding="utf-8", errors="replace")
    for number, line in enumerate(text.splitlines(), 1):
        m = INCLUDE.match(line)
        if not m:
            continue
        name = m.group(1)
        if not name.startswith(("program/",) + OUTSIDE):
            # A name relative to the including file's folder.
            beside = (root / rel).parent / name
            if beside.is_file():
                name = beside.resolve().relative_to(root.resolve()).as_posix()
        yield number, name


def read_known(known_file):
    """The accepted entries as {(file, header): line number in the list}."""
    known = {}
    if not known_file.is_file():
        return known
    for number, line in enumerate(known_file.read_text(encoding="utf-8").splitlines(), 1):
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        source, sep, header = (part.strip() for part in line.partition("->"))
        if not sep or not source or not header:
            sys.exit(f"{KNOWN_NAME}:{number}: not a \"file -> header\" line")
        known[(source, header)] = number
    return known


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--table", action="store_true", help="print upward includes per folder pair")
    parser.add_argument("--prune", action="store_true", help="remove known entries whose include is gone")
    parser.add_argument("--root", type=pathlib.Path, default=ROOT, help="the project's folder")
    args = parser.parse_args(argv)
    root = args.root
    known_file = root / KNOWN_NAME

    broken = []  # (file, line, header, rule)
    for rel in program_files(root):
        for number, header in includes(root, rel):
            rule = rule_broken(rel, header)
            if rule:
                broken.append((rel, number, header, rule))

    known = read_known(known_file)
    present = {(src, hdr) for src, _n, hdr, _r in broken}
    stale = sorted((n, src, hdr) for (src, hdr), n in known.items() if (src, hdr) not in present)
    if args.prune and stale:
        gone = {(src, hdr) for _n, src, hdr in stale}
        kept = []
        for line in known_file.read_text(encoding="utf-8").splitlines(keepends=True):
            entry = tuple(part.strip() for part in line.split("#", 1)[0].partition("->")[::2])
            if entry not in gone:
                kept.append(line)
        known_file.write_text("".join(kept), encoding="utf-8")
        print(f"removed {len(stale)} entries from {KNOWN_NAME} whose include is gone")
        known = read_known(known_file)
        stale = []

    if args.table:
        pairs = collections.Counter((folder_of(src), folder_of(hdr) or hdr) for src, _n, hdr, _r in broken)
        print("against the order, per folder pair:")
        for (src, hdr), count in sorted(pairs.items()):
            print(f"  {src:20} -> {hdr:20} {count:3}")
        print(f"  {'all':44} {sum(pairs.values()):3}")

    failures = 0
    for rel, number, header, rule in broken:
        if (rel, header) not in known:
            print(f"{rel}:{number}: includes {header}: {rule}")
            failures += 1
    listed = KNOWN_NAME
    for number, src, hdr in stale:
        print(f"{listed}:{number}: {src} no longer includes {hdr}: remove the entry (--prune)")
        failures += 1
    accepted = len(broken) - sum(1 for src, _n, hdr, _r in broken if (src, hdr) not in known)
    if failures:
        problems = "1 problem" if failures == 1 else f"{failures} problems"
        print(f"FAIL: {problems} with the layers of program/ ({accepted} known upward includes accepted)")
        return 1
    print(f"layers hold: no include against the order beyond the {accepted} known in {listed}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
