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
    with open(os.path.join(folder, name if name.startswith("fault-") else "seed-" + name), "wb") as f:
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

# Inputs that trapped or overran the readers as first specified, kept by name.
dead = struct.pack("<IHHIBBBB", 4 | 0x40000000, 1, 1, 0, 0, 0, 16, 2)
put("fuzz_piclib", "fault-zero-length-dead-record.tpl", b"TPL1" + dead)
put("fuzz_piclib", "fault-record-data-past-end.tpl", b"TPL1" + struct.pack("<IHHIBBBB", 4, 2, 2, 0x7FFFFFF0, 0, 0, 16, 2) + b"A\0")
put("fuzz_resource", "fault-pe-directory-loop.dll", read("pics32-loop.dll"))
put("fuzz_resource", "fault-pe-directory-cut.dll", read("pics32-cut.dll"))
put("fuzz_resource", "fault-ne-type-walk-cut.exe", read("pics16-cut.exe"))
dib = bytearray(read("wagon.bmp")[14:])
struct.pack_into("<I", dib, 32, 4096)  # colour count far past the table
put("fuzz_resource", "fault-dib-colour-count.dib", bytes(dib))


def bmp_header(width, height, bits, compression, offset=54, colours=0):
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, 0, 0, 0, colours, 0)
    return b"BM" + struct.pack("<IHHI", 0, 0, 0, offset) + info


put("fuzz_bmp", "fault-width-over-16-bits.bmp", bmp_header(70000, 1, 8, 0) + bytes(70000))
put("fuzz_bmp", "fault-rows-missing.bmp", bmp_header(64, 64, 24, 0) + bytes(100))
put("fuzz_bmp", "fault-32-bit-colour-count.bmp", bmp_header(1, 1, 32, 0, 58) + bytes(8))
put("fuzz_bmp", "fault-rle-delta-out.bmp", bmp_header(4, 2, 8, 1, 54 + 1024) + bytes(1024) + bytes([0, 2, 200, 0]))
codes = 4 | (1 << 3) | (7 << 6)  # clear, 1, then 7: past the next free code (6)
lzw_past_slot = bytes([codes & 0xFF, codes >> 8])
gif = (b"GIF89a" + struct.pack("<HHBBB", 2, 1, 0x81, 0, 0) + bytes(12) + b"," + struct.pack("<HHHHB", 0, 0, 2, 1, 0)
       + bytes([2, len(lzw_past_slot)]) + lzw_past_slot + b"\0;")
put("fuzz_gif", "fault-code-past-next-slot.gif", gif)
put("fuzz_gif", "fault-unknown-extension.gif", gif[:25] + b"!\x42\x02ab\x00" + gif[25:])
