#!/usr/bin/env python3
"""Writes the program's built-in area pictures into data/builtin/: the track templates
that a line's way code tiles below its rail line, the raised structure, and the support
picture of a line with masts.

The pictures are drawn in the demo artwork's palette and encoded with its GIF encoder
(tools/demo_art), so track, masts and demo scenery look alike. Every band template is
opaque and tiles sideways; the structure and the support picture have a transparent
colour (index 0), which the area painting leaves out. Heights follow the way-code table:
a template is at least as tall as the tallest band that uses it.

Usage: tools/make_builtin.py [output folder]   (default: data/builtin beside this folder)
"""
import os
import sys

sys.dont_write_bytecode = True  # leave no cache folder in tools/
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from demo_art.gif import gif_bytes  # noqa: E402
from demo_art.raster import Canvas  # noqa: E402

TILE = 64          # width of the band templates
PIER_PITCH = 241   # template 6: one pier every 241 columns
PIER_LEFT = 152    # the pier's columns 152..160 stay; the area painting clears the rest
PIER_RIGHT = 160
SUPPORT_W = 160    # one mast per support picture
SUPPORT_H = 72     # the wire hangs at 61 above the rail line, as in the demo
WIRE_ABOVE = 61


class Rnd:
    """A small fixed pseudo-random sequence, so the output is the same everywhere."""

    def __init__(self, seed):
        self.s = seed

    def next(self, n):
        self.s = (self.s * 1103515245 + 12345) & 0x7FFFFFFF
        return (self.s >> 8) % n


def rails(c, top):
    """The rail seen from the side: a bright head over a darker web."""
    c.hline(0, c.w - 1, top, "rail")
    if top + 1 < c.h:
        c.hline(0, c.w - 1, top + 1, "steel")


def ballast_rows(c, y0, seed, base="ballast"):
    rnd = Rnd(seed)
    if y0 < c.h:
        c.rect(0, y0, c.w - 1, c.h - 1, base)
        for _ in range(c.w * (c.h - y0) // 5):
            x, y = rnd.next(c.w), y0 + rnd.next(c.h - y0)
            c.put(x, y, "ballast_dk" if rnd.next(2) else "ballast_lt")


def sleeper_ends(c, y0, y1, colour, pitch=8):
    for x in range(2, c.w, pitch):
        c.rect(x, min(y0, c.h - 1), min(x + 4, c.w - 1), min(y1, c.h - 1), colour)


def template0():
    """The raised structure's deck: a steel girder edge, 4 rows."""
    c = Canvas(TILE, 4, "iron")
    c.hline(0, TILE - 1, 0, "rail")
    c.hline(0, TILE - 1, 1, "steel")
    for x in range(0, TILE, 16):
        c.vline(x, 2, 3, "coal")  # rivet lines
    return c


def template1():
    """Plain track: rail head, web and the sleeper under it (2 or 3 rows used)."""
    c = Canvas(TILE, 3, "ballast")
    rails(c, 0)
    sleeper_ends(c, 2, 2, "sleeper")
    return c


def template2():
    """Track on a ballast bed: rail, sleepers, stones (2 to 7 rows used)."""
    c = Canvas(TILE, 7)
    ballast_rows(c, 2, 7)
    rails(c, 0)
    sleeper_ends(c, 2, 3, "sleeper")
    c.hline(0, TILE - 1, 6, "ballast_dk")
    return c


def template3():
    """Track on concrete sleepers (3 to 6 rows used)."""
    c = Canvas(TILE, 6)
    ballast_rows(c, 2, 11)
    rails(c, 0)
    sleeper_ends(c, 2, 3, "concrete", pitch=10)
    return c


def template4():
    """An overgrown siding: rail over grass and sleepers (4 or 5 rows used)."""
    c = Canvas(TILE, 5, "grass_dk")
    rnd = Rnd(13)
    for _ in range(TILE):
        c.put(rnd.next(TILE), 2 + rnd.next(3), "grass_lt" if rnd.next(2) else "grass")
    rails(c, 0)
    sleeper_ends(c, 2, 3, "sleeper", pitch=9)
    return c


def template5():
    """Station track on dark ballast (3 to 6 rows used)."""
    c = Canvas(TILE, 6)
    ballast_rows(c, 2, 17, base="ballast_dk")
    rails(c, 0)
    sleeper_ends(c, 2, 2, "sleeper", pitch=7)
    c.hline(0, TILE - 1, 5, "coal")
    return c


def template6():
    """The piers under the raised structure, one row tiled down to the area's depth."""
    c = Canvas(PIER_PITCH, 8, "brick")
    for y in range(8):
        c.hline(0, PIER_PITCH - 1, y, "brick_dk" if y % 4 == 3 else "brick")
    c.rect(PIER_LEFT, 0, PIER_RIGHT, 7, "concrete")
    c.vline(PIER_LEFT, 0, 7, "concrete_lt")
    c.vline(PIER_RIGHT, 0, 7, "concrete_dk")
    return c


def structure():
    """The parapet of the raised structure, standing on the rail line."""
    c = Canvas(TILE, 8)
    c.hline(0, TILE - 1, 0, "steel")   # hand rail
    c.hline(0, TILE - 1, 1, "iron")
    for x in range(0, TILE, 8):
        c.vline(x, 2, 6, "iron")      # posts
        c.vline(x + 1, 2, 6, "steel")
    c.hline(0, TILE - 1, 4, "grey")    # middle rail
    c.hline(0, TILE - 1, 7, "coal")    # the deck's edge
    return c


def support():
    """A catenary mast with its cantilever and the wire it carries across the picture."""
    c = Canvas(SUPPORT_W, SUPPORT_H)
    row = lambda yb: SUPPORT_H - 1 - yb  # rows counted up from the rail line
    wire = WIRE_ABOVE
    x = 8
    c.rect(x, row(wire + 8), x + 2, row(0), "steel")   # the mast
    c.vline(x, row(wire + 8), row(0), "grey")
    c.rect(x - 1, row(1), x + 3, row(0), "iron")        # foundation
    c.hline(x, x + 30, row(wire + 5), "iron")            # cantilever
    c.line(x + 2, row(wire + 8), x + 28, row(wire + 5), "iron")
    c.vline(x + 26, row(wire + 4), row(wire + 2), "pale")  # insulator
    c.hline(0, SUPPORT_W - 1, row(wire + 4), "coal")     # messenger wire
    c.hline(0, SUPPORT_W - 1, row(wire), "coal")         # contact wire
    for d in range(20, SUPPORT_W, 40):
        c.vline(d, row(wire + 3), row(wire + 1), "grey")  # droppers
    return c


PICTURES = {
    "track0.gif": (template0, False),
    "track1.gif": (template1, False),
    "track2.gif": (template2, False),
    "track3.gif": (template3, False),
    "track4.gif": (template4, False),
    "track5.gif": (template5, False),
    "track6.gif": (template6, False),
    "structure.gif": (structure, True),
    "support.gif": (support, True),
}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "data", "builtin")
    os.makedirs(out, exist_ok=True)
    for name, (draw, transparent) in PICTURES.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(gif_bytes(draw(), transparent))


if __name__ == "__main__":
    main()
