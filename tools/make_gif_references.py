#!/usr/bin/env python3
"""Writes tests/data/gif_reference.txt: for the first image of each GIF of the shared test
data that ImageMagick reads, its size, its place on the logical screen and the CRC-32 of
its pixels as RGB (3 bytes a pixel, top row first). The GIF tests decode the same image
with our reader and compare.

Usage: tools/make_gif_references.py [testdata/gif folder]   (needs ImageMagick's convert)
"""
import os
import subprocess
import sys
import zlib

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(here)
folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "..", "shared", "testdata", "gif")
out = os.path.join(root, "tests", "data", "gif_reference.txt")

lines = ["# file width height left top crc32 (first image, RGB) - made by tools/make_gif_references.py"]
for name in sorted(os.listdir(folder)):
    if not name.endswith(".gif"):
        continue
    path = os.path.join(folder, name) + "[0]"
    geo = subprocess.run(["identify", "-format", "%w %h %X %Y", path], capture_output=True, text=True)
    rgb = subprocess.run(["convert", path, "-set", "colorspace", "sRGB", "-alpha", "off", "rgb:-"], capture_output=True)
    if geo.returncode != 0 or rgb.returncode != 0 or not rgb.stdout:
        continue
    w, h, x, y = geo.stdout.split()
    if len(rgb.stdout) != int(w) * int(h) * 3:
        continue
    lines.append(f"{name} {w} {h} {int(x)} {int(y)} {zlib.crc32(rgb.stdout):08x}")
with open(out, "w") as f:
    f.write("\n".join(lines) + "\n")
print(out)
