#!/usr/bin/env python3
"""Writes the starting inputs of fuzz/fuzz_cache.cpp into fuzz/corpus/fuzz_cache/.

Each input is a selector byte and its data (see the fuzz target): two bit-coded
pictures, one zlib form, and a cache file holding the two pictures, for mode 2 and 3.
The bit code is written here by hand from the format, for these small pictures only.
"""
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(__file__), "..", "fuzz", "corpus", "fuzz_cache")


class Bits:
    def __init__(self):
        self.bits = []

    def put(self, n, v):
        self.bits += [(v >> i) & 1 for i in range(n)]
        return self

    def bytes(self):
        out = bytearray((len(self.bits) + 7) // 8)
        for i, b in enumerate(self.bits):
            out[i // 8] |= b << (i % 8)
        return bytes(out)


def four_equal_pixels():
    # 4 x 1 of index 1; palette black, white: one run of length 4.
    b = Bits().put(8, 2).put(8, 2).put(8, 0).put(8, 255)
    for v in (0, 0, 0, 1, 1, 1):
        b.put(1, v)
    return 4, 1, b.put(4, 1).put(4, 4).put(2, 2).put(2, 1).bytes()


def alternating_row():
    # 0 1 0 1 0 1 0 1 5: one alternating run (length 9 + 4), then a literal.
    b = Bits().put(8, 6).put(8, 6)
    for v in range(6):
        b.put(8, v)
    for i in range(6):
        b.put(3, i).put(3, 0).put(3, 0)
    return 9, 1, b.put(5, 1).put(5, 13).put(3, 6).put(3, 0).put(3, 1).put(3, 5).bytes()


def zlib_form():
    palette = bytes([10, 20, 30, 40, 50, 60, 70, 80, 90])
    pixels = bytes([0, 1, 2, 2, 1, 0])
    return 3, 2, bytes([3]) + zlib.compress(palette + pixels)


def cache_file(pictures):
    entries = b""
    data = b""
    area_end = 0x200
    for name, (w, h, code) in pictures:
        entries += struct.pack("<HHIIBBB", w, h, area_end + len(data), len(code), 0, 0, len(name))
        entries += name + b"\0"
        data += code
    head = b"TCA2" + struct.pack("<III", 16 + len(entries), area_end, area_end + len(data))
    area = head + entries
    return area + bytes(area_end - len(area)) + data


def write(name, content):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(content)


def main():
    os.makedirs(OUT, exist_ok=True)
    for sel, name, (w, h, code) in ((0, "seed_bitcode_run", four_equal_pixels()),
                                    (0, "seed_bitcode_alternating", alternating_row()),
                                    (1, "seed_zlib_form", zlib_form())):
        write(name, bytes([sel]) + struct.pack("<HH", w, h) + code)
    cache = cache_file([(b"RUN", four_equal_pixels()), (b"ALT", alternating_row())])
    write("seed_cache_mode2", bytes([2]) + cache)
    write("seed_cache_mode3", bytes([3]) + cache)


if __name__ == "__main__":
    main()
