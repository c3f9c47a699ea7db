#!/usr/bin/env python3
"""Writes starting inputs of the picture fuzz targets into fuzz/corpus/fuzz_*/ (seed-*
files), from our own fixtures in tests/data/resources (run tools/make_resource_fixtures.py
first). Needs ImageMagick's convert for the GIF and run-length BMP seeds.
"""
import os
import struct
import subprocess
import zlib

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
res = os.path.join(root, "tests", "data", "resources")
corpus = os.path.join(root, "fuzz", "corpus")


def put(target, name, data):
    folder = os.path.join(corpus, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "seed-" + name), "wb") as f:
        f.write(data)


def read(name):
    with open(os.path.join(res, name), "rb") as f:
        return f.read()


def convert(source, *args):
    return subprocess.run(["convert", os.path.join(res, source), *args], capture_output=True, check=True).stdout


for bmp in ("wagon.bmp", "fewcolours.bmp", "mono.bmp", "sky.bmp"):
    put("fuzz_bmp", bmp, read(bmp))
put("fuzz_bmp", "wagon-rle8.bmp", convert("wagon.bmp", "-type", "Palette", "-compress", "RLE", "bmp3:-"))
put("fuzz_gif", "wagon.gif", convert("wagon.bmp", "gif:-"))
put("fuzz_gif", "loco-interlaced.gif", convert("loco.bmp", "-interlace", "GIF", "gif:-"))
put("fuzz_gif", "loco-transparent.gif", convert("loco.bmp", "-transparent", "rgb(243,0,243)", "gif:-"))
put("fuzz_resource", "pics16.exe", read("pics16.exe"))
put("fuzz_resource", "pics32.dll", read("pics32.dll"))
put("fuzz_resource", "wagon.dib", read("wagon.bmp")[14:])


def zlib_record(own, name, width, height, palette, rows):
    data = bytes([len(palette) % 256]) + zlib.compress(b"".join(bytes(c) for c in palette) + b"".join(rows))
    head = struct.pack("<IHHIBBBB", own, width, height, len(data), 0x10, 0, 16, len(name) + 1)
    return head + name + b"\0" + data


lib = bytearray(b"TPL1")
for name, seed in ((b"A", 1), (b"B", 2)):
    rows = [bytes((x + y * seed) % 3 for x in range(5)) for y in range(4)]
    lib += zlib_record(len(lib), name, 5, 4, [(0, 0, 0), (255, 0, 0), (0, 0, 255)], rows)
put("fuzz_piclib", "two-records.tpl", bytes(lib))
