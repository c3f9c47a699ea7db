#!/usr/bin/env python3
"""Damaged scene scripts and stock files for the bad-input campaign, from a fixed seed.

    python3 tools/damaged_scripts.py OUT [--cases 300] [--seed 53]

Writes OUT/case-NNN/ for each case: case.ttt (the scene script), case.stk (its stock), the
demo's pictures beside them (linked), and what.txt saying what was done to which file. The
same seed and case number always give the same bytes, so a finding is made again with
`--first N --cases 1`.

Each case starts from a script that runs as it is (the demo scene, the snow scene, or one
of a few small scripts below) and its stock (the demo stock), and damages the script, the
stock or both with one to three of: lines deleted, duplicated or cut; random bytes, NUL and
0xFF; a line of 100,000 characters; brackets nested 10,000 deep; numbers made huge or
negative; includes of the script itself and of devices; invalid UTF-8; mixed line ends.
Used by tools/damaged_script_campaign.py, which runs every case as a show.
"""
import argparse
import os
import random
import re
import shutil
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEMO = os.path.join(ROOT, "data", "demo")

# Small scripts of our own beside the demo's, each running as it is on the demo stock.
OWN_SCRIPTS = {
    "follow.ttt": b"""; Trains that follow each other on one path.
$STOCK demo.stk
$BACKGROUND #A6CAEA
$SCENE BG=(demo_land.gif:0..100)
$PATH Y=60;W=E;D=R;SEQ=R
M=FOLLOW;C=2*E40,COACH_A|RAILCAR;V=6;TX=Follow
M=SIMPLE;C=DIESEL,3*(WAGON_BOX|WAGON_TANK);V=8
$ENDPATH
$ENDSCENE
""",
    "sections.ttt": b"""; Two sections of lines, a pool and a group.
$STOCK demo.stk
$RANDOMIZE 5
$SECTION Y=0;DY=120;SEQ=R;AB=10;BL=20
C=E40,COACH_A,COACH_B;V=5;P=50;M=STOP;T=3
C=DIESEL,4*WAGON_BOX;V=7
POOL=FREIGHT
$POOL N=FREIGHT
C=E40,WAGON_TANK,WAGON_BOX2;V=6
C=RAILCAR;V=4
$ENDPOOL
$ENDSECTION
$SECTION Y=130;DY=120;SEQ=F
$GROUP
C=RAILCAR;D=L;V=5
$ENDGROUP
C=E40;M=BACK;P=40;T=2;V=4
$ENDSECTION
""",
    "macros.ttt": b"""; Macros, conditions, options and an include-once of a missing file.
$STOCK demo.stk
$OPT K=LONG;N=Long trains;V=1
$DEFINE LOCO=E40
$DEFINE TRAIN=(COACH_A|COACH_B)
%DEF(WAIT=W,2)
$SCENE BG=(demo_land.gif:0..100;demo_station.gif:*50,176)
$PATH Y=120;W=E;D=L;NL
{LONG=y ? M=STOP;C=LOCO,6*TRAIN;P=30;T=%WAIT;V=6 : M=SIMPLE;C=LOCO,TRAIN;V=6 }
M=UNIT;C1=RAILCAR;C2=RAILCAR;P=40;T1=2;T2=2;V=5
$ENDPATH
$ENDSCENE
""",
}

HUGE_NUMBERS = [b"2147483647", b"2147483648", b"-2147483649", b"4294967296", b"99999999999", b"1e30", b"-1e300",
                b"1e39", b"-0", b"0", b"-1", b"32768", b"-32769", b"65536", b"16777217", b"1000001"]
DEVICES = [b"/dev/zero", b"/dev/urandom", b"/dev/null", b"/dev/stdin", b"/dev/tty", b"/proc/self/mem",
           b"/proc/self/status", b"\\dev\\zero", b"/dev", b"/", b"/etc/passwd"]
BAD_UTF8 = [b"\xc3\x28", b"\xe2\x82", b"\xc0\xaf", b"\xed\xa0\x80", b"\xf8\x88\x80\x80\x80", b"\xff\xfe", b"\x80"]


def lines_of(data):
    """The lines of data with their line ends kept."""
    return data.splitlines(keepends=True) or [b""]


def delete_lines(rng, data, name):
    lines = lines_of(data)
    n = rng.randint(1, max(1, len(lines) // 4))
    for _ in range(n):
        if len(lines) > 1:
            del lines[rng.randrange(len(lines))]
    return b"".join(lines), f"{n} lines of {name} deleted"


def duplicate_lines(rng, data, name):
    lines = lines_of(data)
    i = rng.randrange(len(lines))
    times = rng.choice([1, 2, 5, 50, 500])
    lines[i:i + 1] = [lines[i]] * (times + 1)
    return b"".join(lines), f"line {i + 1} of {name} repeated {times} more times"


def cut_line(rng, data, name):
    lines = lines_of(data)
    i = rng.randrange(len(lines))
    line = lines[i]
    keep = rng.randrange(max(1, len(line)))
    if rng.random() < 0.5:
        lines[i] = line[:keep]  # the line end goes too: the next line joins it
        how = "without its line end"
    else:
        lines[i] = line[:keep] + b"\r\n"
        how = "with a line end"
    if rng.random() < 0.2:
        return b"".join(lines[:i + 1]), f"{name} cut in line {i + 1} after {keep} bytes, the rest gone"
    return b"".join(lines), f"line {i + 1} of {name} cut after {keep} bytes {how}"


def random_bytes(rng, data, name):
    out = bytearray(data)
    n = rng.randint(1, 40)
    kind = rng.choice(["random", "NUL", "0xFF"])
    for _ in range(n):
        at = rng.randrange(len(out) + 1)
        b = rng.randrange(256) if kind == "random" else 0 if kind == "NUL" else 0xFF
        if rng.random() < 0.5 and at < len(out):
            out[at] = b
        else:
            out.insert(at, b)
    return bytes(out), f"{n} {kind} bytes put into {name}"


def long_line(rng, data, name):
    lines = lines_of(data)
    i = rng.randrange(len(lines) + 1)
    # 100,000 characters, or just within the reader's 10,000 so that the line reaches the
    # readers behind it.
    n = rng.choice([100000, 9990])
    body = rng.choice([b"C=" + b"E40," * (n // 4), b"$INFO " + b"x" * n, b"M=SIMPLE;C=E40;TX=" + b"A" * n,
                       b"C=E40;V=5;" + b"P=1;" * (n // 4), b"$DEFINE LONG=" + b"WAGON_BOX," * (n // 10),
                       b"E40;RE *YOV;G;;e40.gif;" + b"[ET:PANTO,21,0]" * (n // 15)])
    lines.insert(i, body + b"\r\n")
    return b"".join(lines), f"a line of {len(body)} characters put into {name} at line {i + 1}"


def deep_brackets(rng, data, name):
    lines = lines_of(data)
    i = rng.randrange(len(lines) + 1)
    # 10,000 deep, or shallower so that the line fits the reader and reaches the parser.
    depth = rng.choice([10000, 4000, 300])
    opener, closer = rng.choice([(b"(", b")"), (b"[", b"]"), (b"{", b"}")])
    closed = rng.random() < 0.6
    inner = opener * depth + b"E40" + (closer * depth if closed else b"")
    body = rng.choice([b"C=", b"M=FOLLOW;C=", b"$SCENE BG=", b"TX=", b"", b"E40;RE *YOV;G;;e40.gif;"]) + inner
    lines.insert(i, body + b"\r\n")
    state = "closed" if closed else "never closed"
    return b"".join(lines), f"brackets {opener.decode()} nested {depth} deep, {state}, put into {name} at line {i + 1}"


def huge_numbers(rng, data, name):
    spans = [m.span() for m in re.finditer(rb"-?\d+(\.\d+)?", data)]
    if not spans:
        return data, f"no number in {name} to change"
    chosen = sorted(rng.sample(spans, min(len(spans), rng.randint(1, 6))), reverse=True)
    out = data
    said = []
    for a, b in chosen:
        new = rng.choice(HUGE_NUMBERS)
        said.append(f"{out[a:b].decode(errors='replace')}->{new.decode()}")
        out = out[:a] + new + out[b:]
    return out, f"numbers of {name} changed: " + ", ".join(reversed(said))


def bad_includes(rng, data, name):
    lines = lines_of(data)
    i = rng.randrange(len(lines) + 1)
    keyword = rng.choice([b"$INCLUDE", b"$INC", b"$REQUIRE"])
    if name.endswith(".stk") or rng.random() < 0.5:
        # A stock of a device, or a script including one.
        target = rng.choice(DEVICES)
        line = (b"$STOCK " if rng.random() < 0.5 and not name.endswith(".stk") else keyword + b" ") + target
    else:
        target = rng.choice([b"case.ttt", b"CASE.TTT", b"./case.ttt", b"\"case.ttt\"", b"<case.ttt>"])
        line = keyword + b" " + target
    lines.insert(i, line + b"\r\n")
    return b"".join(lines), f"{line.decode(errors='replace')} put into {name} at line {i + 1}"


def bad_utf8(rng, data, name):
    out = data
    n = rng.randint(1, 10)
    for _ in range(n):
        at = rng.randrange(len(out) + 1)
        out = out[:at] + rng.choice(BAD_UTF8) + out[at:]
    return out, f"{n} invalid UTF-8 sequences put into {name}"


def mixed_line_ends(rng, data, name):
    lines = [line.rstrip(b"\r\n") for line in lines_of(data)]
    ends = [b"\r\n", b"\n", b"\r", b"\n\r", b"\r\r\n"]
    return b"".join(line + rng.choice(ends) for line in lines), f"line ends of {name} mixed"


DAMAGES = [delete_lines, duplicate_lines, cut_line, random_bytes, long_line, deep_brackets, huge_numbers,
           bad_includes, bad_utf8, mixed_line_ends]


def base_scripts():
    scripts = {}
    for name in ("demo.ttt", "snow.ttt"):
        with open(os.path.join(DEMO, name), "rb") as f:
            scripts[name] = f.read()
    scripts.update(OWN_SCRIPTS)
    return scripts


def make_case(seed, number, folder, scripts, stock):
    """Writes case `number` into folder; returns what was done."""
    rng = random.Random(f"{seed}/{number}")
    base = rng.choice(sorted(scripts))
    script = scripts[base].replace(b"$STOCK demo.stk", b"$STOCK case.stk")
    stk = stock
    target = rng.choice(["script", "script", "stock", "both"])
    said = [f"from {base}"]
    for _ in range(rng.randint(1, 3)):
        damage = rng.choice(DAMAGES)
        if target in ("script", "both"):
            script, what = damage(rng, script, "the script")
            said.append(what)
        if target in ("stock", "both"):
            stk, what = damage(rng, stk, "the stock.stk")
            said.append(what)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "case.ttt"), "wb") as f:
        f.write(script)
    with open(os.path.join(folder, "case.stk"), "wb") as f:
        f.write(stk)
    for picture in os.listdir(DEMO):
        if picture.endswith(".gif"):
            link = os.path.join(folder, picture)
            if not os.path.lexists(link):
                os.symlink(os.path.join(DEMO, picture), link)
    with open(os.path.join(folder, "what.txt"), "w") as f:
        f.write("\n".join(said) + "\n")
    return "; ".join(said)


def make_cases(out, count, seed=53, first=0):
    """Writes cases first..first+count-1 under out; returns [(number, folder, what)]."""
    scripts = base_scripts()
    with open(os.path.join(DEMO, "demo.stk"), "rb") as f:
        stock = f.read()
    made = []
    for number in range(first, first + count):
        folder = os.path.join(out, f"case-{number:03d}")
        if os.path.isdir(folder):
            shutil.rmtree(folder)
        made.append((number, folder, make_case(seed, number, folder, scripts, stock)))
    return made


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("out")
    parser.add_argument("--cases", type=int, default=300)
    parser.add_argument("--first", type=int, default=0)
    parser.add_argument("--seed", type=int, default=53)
    args = parser.parse_args()
    for number, _, what in make_cases(args.out, args.cases, args.seed, args.first):
        print(f"case-{number:03d}: {what}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
