#!/usr/bin/env python3
"""Writes the program's built-in pictures into data/builtin/: bitmaps 300 to 305 (every one
58 pixels tall, vehicles standing on the bottom row) and the preview's rail tile.

- bitmap300.gif, bitmap301.gif: the settings dialog's two header pictures (a diesel
  locomotive and a tank wagon);
- bitmap302.gif (171 x 58), bitmap303.gif (303 x 58): the About window's pictures, a coach
  running out of its left edge and an electric locomotive with a coach running out of its
  right edge;
- bitmap304.gif, bitmap305.gif: the preview's two runners, the electric locomotive and the
  railcar with raised pantographs (tall enough for the preview's wire);
- preview_rail.gif: the rail the preview's pictures stand on, a tile repeated sideways;
- about_rail.gif: the About window's ground strip under its band (80 x 7).

The vehicles are the demo's drawings (tools/demo_art), with closed doors and raised
pantographs put on; the files are GIFs written by the demo's own encoder, transparent
around the vehicles. The output is the same on every machine.

Usage: tools/make_builtin_pictures.py [output folder]   (default: data/builtin)
"""
import os
import sys

sys.dont_write_bytecode = True  # leave no cache folder in tools/
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from demo_art import vehicles  # noqa: E402
from demo_art.gif import gif_bytes  # noqa: E402
from demo_art.raster import Canvas  # noqa: E402

HEIGHT = 58  # the built-in pictures' height, and the preview's vehicle height
DROP = vehicles.HEIGHT - HEIGHT  # rows of the demo's 60-row drawings that do not fit


def raised(vehicle):
    """The vehicle with its pantographs raised, lowered by DROP rows so that the contact
    strip is the picture's top row once the drawing is cut to HEIGHT."""
    frames = vehicles.pantograph_frames()
    up = frames.sub((vehicles.PANTO_FRAMES - 1) * vehicles.PANTO_W, 0, vehicles.PANTO_W, vehicles.PANTO_H)
    c = vehicle.canvas
    for x, y in vehicle.pantographs:
        c.blit(up, x, y + DROP)
    return c


def closed(vehicle, leaves):
    c = vehicle.canvas
    for x, y in vehicle.doors:
        c.blit(leaves, x, y)
    return c


def standing(canvas):
    """The drawing on a HEIGHT-row picture, its bottom row on the picture's bottom row."""
    out = Canvas(canvas.w, HEIGHT)
    out.blit(canvas, 0, HEIGHT - canvas.h)
    return out


def train(width, parts):
    """Pictures side by side from the left, cut at width; (canvas, gap before it)."""
    out = Canvas(width, HEIGHT)
    x = 0
    for canvas, gap in parts:
        x += gap
        out.blit(standing(canvas), x, 0)
        x += canvas.w
    return out


def rail_tile():
    """One sleeper bay: the rail head on the top row (where the pictures stand), its web,
    a sleeper end and the ballast shoulder below."""
    w, h = 24, 9
    c = Canvas(w, h)
    c.rect(0, 5, w - 1, h - 1, "ballast_dk")
    for x in range(0, w, 3):
        c.put(x + (x // 3) % 2, 6 + (x // 3) % 3, "ballast")
        c.put((x + 7) % w, 8, "ballast_lt")
    c.poly([(4, 3), (19, 3), (22, 6), (1, 6)], "sleeper")  # sleeper end seen from the side
    c.hline(1, 22, 6, "wood_dk")
    c.rect(0, 0, w - 1, 1, "rail")  # rail head
    c.hline(0, w - 1, 2, "silver")  # web
    c.rect(0, 3, w - 1, 3, "steel")  # foot
    c.rect(9, 2, 14, 4, "iron")  # clip
    return c


def about_rail_tile():
    """The About window's ground strip: rail head, web and foot over a sleeper and
    ballast, 80 x 7, repeated sideways."""
    w, h = 80, 7
    c = Canvas(w, h)
    c.rect(0, 4, w - 1, h - 1, "ballast_dk")
    for x in range(0, w, 3):
        c.put(x + (x // 3) % 2, 5 + (x // 3) % 2, "ballast")
        c.put((x + 7) % w, 6, "ballast_lt")
    for x0 in (6, 46):  # two sleeper ends a bay apart
        c.rect(x0, 4, x0 + 27, 5, "sleeper")
        c.hline(x0, x0 + 27, 5, "wood_dk")
    c.rect(0, 0, w - 1, 1, "rail")  # rail head
    c.hline(0, w - 1, 2, "silver")  # web
    c.hline(0, w - 1, 3, "steel")  # foot
    return c


def pictures():
    coach_a = vehicles.coach_a()
    coach_b = vehicles.coach_b()
    a = closed(coach_a, vehicles.door_leaves(16, "green", "green_dk"))
    b = closed(coach_b, vehicles.door_leaves(16, "blue", "blue_dk", "cream"))
    railcar = vehicles.railcar()
    railcar_doors = vehicles.door_leaves(18, "red", "red_dk", "cream")
    for x, y in railcar.doors:
        railcar.canvas.blit(railcar_doors, x, y)
    e40 = raised(vehicles.electric_loco())
    return {
        "bitmap300.gif": standing(vehicles.diesel_loco().canvas),
        "bitmap301.gif": standing(vehicles.tank_wagon().canvas),
        # Cut where the About window's band ends: the coach runs on beyond its left edge.
        "bitmap302.gif": standing(a.sub(a.w - 171, 0, 171, a.h)),
        "bitmap303.gif": train(303, [(e40.sub(0, DROP, e40.w, HEIGHT), 0), (b, 0)]),
        "bitmap304.gif": e40.sub(0, DROP, e40.w, HEIGHT),
        "bitmap305.gif": raised(railcar).sub(0, DROP, railcar.canvas.w, HEIGHT),
        "preview_rail.gif": rail_tile(),
        "about_rail.gif": about_rail_tile(),
    }


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "data", "builtin")
    os.makedirs(out, exist_ok=True)
    for name, canvas in pictures().items():
        if name.startswith("bitmap"):
            assert canvas.h == HEIGHT, name
        with open(os.path.join(out, name), "wb") as f:
            f.write(gif_bytes(canvas, True))


if __name__ == "__main__":
    main()
