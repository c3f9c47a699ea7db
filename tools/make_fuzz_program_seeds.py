#!/usr/bin/env python3
"""Writes starting inputs of the fuzz targets of program code into fuzz/corpus/fuzz_*/
(seed-* files): the stock loader's from the committed stock fixtures and the demo stock,
the others built here in each target's input form (see the comment at the top of each
target).
"""
import os

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
corpus = os.path.join(root, "fuzz", "corpus")


def put(target, name, data):
    folder = os.path.join(corpus, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name if name.startswith("fault-") else "seed-" + name), "wb") as f:
        f.write(data)


def read(*path):
    with open(os.path.join(root, *path), "rb") as f:
        return f.read()


# Stock files through the program's loader. A last byte that is a multiple of 4 answers
# the questions of bad lines with Cancel.
for name in ("catalogue.stk", "sample.stk", "v3.stb", "v4z.stb"):
    put("fuzz_stock_load", name, read("tests", "data", "stock", name))
put("fuzz_stock_load", "demo.stk", read("data", "demo", "demo.stk"))
bad = "\r\n".join([
    "$LANG K=EN;N=English",
    "$LANG K=EN;N=Again",
    "$TXT K=HI;N=Hi %1;EN=Hello %1 and %2",
    "$TXT K=HI;N=Twice",
    "$IMGY 9999",
    "$AUTH",
    "$TXTEND",
    "$CAT L=x;K=A;T={N=General;EN=English}",
    "A;;G;a.gif;A",
    "B;;M;A,A",
    "$ENDSTOCK",
    "$DESCVALUE K=V",
    "$DESCKEY K=",
    "$DESCKEY K=P;U=[N=kW]",
    "$DESC",
    "$DESC A,B,NONE",
    "%P 12#",
    "%BASED B",
    "$ENDDESC",
    "# the last byte is a multiple of 4: Cancel at the first question: d",
]).encode("latin-1")
put("fuzz_stock_load", "bad-lines-cancel.stk", bad)

# Descriptions: byte 0 language and mask, parts split at 0x1E for entries A..H.
parts = [
    "%BASED B\r%POWER 3000\r%KIND e\r%%\r+Own {N=text;C=text CZ}\r\n",
    "%POWER 1500\r%SEATS 80#\r%%\rBase text [E=english;N=general]\r\n",
    "%BASED C\r%POWER 1\r",
    "%BASED E\r%KIND D\r%%+\rmore\r\n",
    "%BASED D\r%%\r{N={nested}}\r\n",
]
put("fuzz_descriptions", "bases-and-fields", bytes([0xFF]) + "\x1e".join(parts).encode("latin-1"))
put("fuzz_descriptions", "language-2", bytes([0x2A]) + "\x1e".join(parts[:2]).encode("latin-1"))
# A field that is no parameter list raised out of the browser's description text.
put("fuzz_descriptions", "fault-field-no-parameter-list", b"\xff%%\rBase [E=en)lish;N=general]\r\n")

# Settings files with the recent-file lists.
put("fuzz_recent_files", "lists.reg", "\r\n".join([
    "REGEDIT4",
    "",
    "[HKEY_CURRENT_USER\\Software\\Vantrel\\Yov]",
    '"Conf01"="C:\\\\YOV\\\\DEMO.TTT"',
    '"Conf02"="/tmp/snow.ttt"',
    '"Conf03"="c:\\\\yov\\\\demo.ttt"',
    '"Conf04"=""',
    '"Conf05"="after the end"',
    '"Stock01"="/srv/stock/demo.stk"',
    '"Stock02"=dword:00000007',
    "",
]).encode("utf-8"))
put("fuzz_recent_files", "damaged.reg", b"REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\Vantrel\\Yov]\r\n"
    b'"Conf01"="A\r\n"Conf02"=hex(2:00\r\n"Stock01"="\xc3\xa9t\xc3\xa9"\r\n')

# Drops: byte 0 field flags and the URI-list bit; URI list, 0x1F, plain text.
put("fuzz_dropped_text", "one-file-folder-field", b"\x88file:///srv/scenes/snow.ttt\r\n")
put("fuzz_dropped_text", "text-upper", b"\x11\x1fsome dropped text /x/y")
put("fuzz_dropped_text", "two-files-with-text", b"\x80file:///a\r\nfile:///b\r\n\x1f/a\n/b")
put("fuzz_dropped_text", "web-address", b"\x84# comment\r\nhttps://example.org/x\r\n\x1fhttps://example.org/x")
