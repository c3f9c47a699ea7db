#!/usr/bin/env python3
"""Writes the resource-picture fixtures of the engine tests into tests/data/resources/:

- our own small bitmaps (*.bmp) in 1, 4, 8 and 24 bits;
- pics32.dll and pics64.dll: 32- and 64-bit PE resource libraries holding them, made with
  the mingw-w64 windres and ld (Debian packages binutils-mingw-w64-i686/-x86-64);
- pics16.exe: a 16-bit NE file with the same bitmaps and a name table, written here;
- damaged copies: pics32-loop.dll (a name directory pointing back at the root),
  pics32-cut.dll (cut inside the resource directory), pics16-cut.exe (cut inside the
  bitmap records).

The tests need only the written files; run this again after changing a picture.
"""
import os
import struct
import subprocess
import sys
import tempfile

here = os.path.dirname(os.path.abspath(__file__))
out_dir = os.path.join(os.path.dirname(here), "tests", "data", "resources")


def bmp(width, height, bits, rows, table, colours_used=0):
    """A BMP file; rows are lists of palette indices (or (r, g, b) for 24 bits), top first."""
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        if bits == 24:
            for r, g, b in row:
                line += bytes([b, g, r])
        elif bits == 8:
            line += bytes(row)
        elif bits == 4:
            for i in range(0, width, 2):
                hi = row[i]
                lo = row[i + 1] if i + 1 < width else 0
                line.append(hi << 4 | lo)
        elif bits == 1:
            for i in range(0, width, 8):
                v = 0
                for k in range(8):
                    if i + k < width and row[i + k]:
                        v |= 0x80 >> k
                line.append(v)
        while len(line) % 4:
            line.append(0)
        data += line
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(data), 2835, 2835, colours_used, 0)
    tab = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in table)
    offset = 14 + len(info) + len(tab)
    return b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset) + info + tab + bytes(data)


def loco():
    # A small engine: body, cab window, wheels, on a sky background.
    w, h = 21, 13
    rows = [[1] * w for _ in range(h)]
    for y in range(3, 10):
        for x in range(2, 19):
            rows[y][x] = 2
    for y in range(4, 6):
        for x in range(13, 17):
            rows[y][x] = 3
    for x in range(4, 7):
        rows[1][x] = rows[2][x] = 4
    for cx in (5, 10, 15):
        for x in range(cx - 1, cx + 2):
            rows[10][x] = rows[11][x] = 5
    for x in range(w):
        rows[12][x] = 6
    table = [(243, 0, 243), (150, 200, 240), (180, 30, 30), (230, 240, 250), (40, 40, 40), (20, 20, 20), (120, 90, 60)]
    table += [(0, 0, 0)] * (256 - len(table))
    return bmp(w, h, 8, rows, table)


def wagon():
    w, h = 13, 7
    rows = [[(x + 2 * y) % 3 + (8 if y in (0, 6) else 0) for x in range(w)] for y in range(h)]
    table = [(16 * i, 255 - 16 * i, (37 * i) % 256) for i in range(16)]
    return bmp(w, h, 4, rows, table)


def signal():
    rows = [[0, 1, 2, 1, 0], [3, 3, 3, 3, 3], [0, 4, 0, 4, 0]]
    table = [(0, 0, 0), (255, 0, 0), (255, 255, 0), (90, 90, 90), (0, 200, 0)] + [(0, 0, 0)] * 251
    return bmp(5, 3, 8, rows, table)


def few_colours():
    # Five colours in the table and in the colour count: the pixels follow a short table.
    rows = [[0, 1, 2, 3, 4, 0], [4, 3, 2, 1, 0, 4]]
    table = [(10, 20, 30), (40, 50, 60), (70, 80, 90), (100, 110, 120), (130, 140, 150)]
    return bmp(6, 2, 8, rows, table, colours_used=5)


def mono():
    rows = [[(x + y) % 2 for x in range(8)] for y in range(8)]
    return bmp(8, 8, 1, rows, [(0, 0, 0), (255, 255, 255)])


def sky():
    rows = [[(10 * x, 20 * y, 200) for x in range(4)] for y in range(4)]
    return bmp(4, 4, 24, rows, [])


PICTURES = {
    "loco.bmp": loco(),
    "wagon.bmp": wagon(),
    "signal.bmp": signal(),
    "fewcolours.bmp": few_colours(),
    "mono.bmp": mono(),
    "sky.bmp": sky(),
}


def dib(bmp_bytes):
    return bmp_bytes[14:]


def make_pe(tmp):
    rc = os.path.join(tmp, "pics.rc")
    with open(rc, "w") as f:
        f.write('LOCO BITMAP "loco.bmp"\n')
        f.write('Wagon BITMAP "wagon.bmp"\n')
        f.write('FEWCOLOURS BITMAP "fewcolours.bmp"\n')
        f.write('MONO BITMAP "mono.bmp"\n')
        f.write('SKY BITMAP "sky.bmp"\n')
        f.write('7 BITMAP "signal.bmp"\n')
    for bits, prefix in (("32", "i686-w64-mingw32-"), ("64", "x86_64-w64-mingw32-")):
        obj = os.path.join(tmp, f"pics{bits}.o")
        subprocess.run([prefix + "windres", "pics.rc", "-O", "coff", "-o", obj], cwd=tmp, check=True)
        dll = os.path.join(out_dir, f"pics{bits}.dll")
        subprocess.run([prefix + "ld", "--dll", "-e", "0", "--no-insert-timestamp", "-o", dll, obj], check=True)


def pe_resource_root(data):
    """File offset of the resource directory's root and of the section holding it."""
    lfanew = struct.unpack_from("<I", data, 0x3C)[0]
    coff = lfanew + 4
    nsec, = struct.unpack_from("<H", data, coff + 2)
    opt_size, = struct.unpack_from("<H", data, coff + 16)
    opt = coff + 20
    magic, = struct.unpack_from("<H", data, opt)
    dd = opt + (96 if magic == 0x10B else 112)
    rva, _ = struct.unpack_from("<II", data, dd + 2 * 8)
    for i in range(nsec):
        s = opt + opt_size + 40 * i
        vsize, va, raw_size, raw_ptr = struct.unpack_from("<IIII", data, s + 8)
        if va <= rva < va + max(vsize, raw_size):
            return raw_ptr + rva - va
    raise SystemExit("no resource section")


def damage_pe():
    with open(os.path.join(out_dir, "pics32.dll"), "rb") as f:
        data = bytearray(f.read())
    root = pe_resource_root(data)
    named, ids = struct.unpack_from("<HH", data, root + 12)
    # The bitmap type (id 2) points at its name directory; its first entry is sent back
    # to the root, so a walk that follows it would go round for ever.
    for i in range(named + ids):
        name, target = struct.unpack_from("<II", data, root + 16 + 8 * i)
        if name == 2:
            names_dir = root + (target & 0x7FFFFFFF)
            struct.pack_into("<I", data, names_dir + 16 + 4, 0x80000000)
    with open(os.path.join(out_dir, "pics32-loop.dll"), "wb") as f:
        f.write(data)
    with open(os.path.join(out_dir, "pics32.dll"), "rb") as f:
        whole = f.read()
    with open(os.path.join(out_dir, "pics32-cut.dll"), "wb") as f:
        f.write(whole[: root + 20])


def make_ne():
    """A 16-bit NE file: MZ stub, NE header, resource table, names and data."""
    shift = 4
    unit = 1 << shift
    ne_at = 64
    table_at = ne_at + 64
    # Resources: (type, id or name, bytes). Named ones get their id from the name's place.
    bitmaps = [
        (0x8001, None, dib(PICTURES["loco.bmp"])),
        (0x8005, None, dib(PICTURES["wagon.bmp"])),
        (None, "TRUCK", dib(PICTURES["signal.bmp"])),
        (0x8009, None, dib(PICTURES["mono.bmp"])),
        (0x800A, None, dib(PICTURES["fewcolours.bmp"])),
    ]
    strings = [(0x8001, None, b"\x05hello" + b"\0" * 11)]

    def name_entry(type_ord, id_ord, type_name, id_name):
        body = struct.pack("<HH", type_ord, id_ord) + type_name + b"\0" + id_name + b"\0"
        return struct.pack("<H", 2 + len(body)) + body

    name_table = (name_entry(0x8002, 0x8001, b"", b"LOCO") + name_entry(0x8002, 0x8005, b"", b"WAGON")
                  + name_entry(0x8002, 0x8009, b"", b"") + name_entry(0x8006, 0x8001, b"", b"STRINGS")
                  + struct.pack("<H", 0))
    types = [(0x8006, strings), (0x8002, bitmaps), (0x800F, [(0x8001, None, name_table)])]

    table_len = 2 + sum(8 + 12 * len(r) for _, r in types) + 2
    names = bytearray()
    name_offsets = {}
    for _, recs in types:
        for _, name, _ in recs:
            if name:
                name_offsets[name] = table_len + len(names)
                names += bytes([len(name)]) + name.encode()
    names += b"\0"
    data_at = (table_at + table_len + len(names) + unit - 1) // unit * unit

    table = bytearray(struct.pack("<H", shift))
    blobs = bytearray()
    for type_id, recs in types:
        table += struct.pack("<HHI", type_id, len(recs), 0)
        for rid, name, blob in recs:
            where = data_at + len(blobs)
            units = (len(blob) + unit - 1) // unit
            ident = name_offsets[name] if name else rid
            table += struct.pack("<HHHHHH", where // unit, units, 0x30, ident, 0, 0)
            blobs += blob + b"\0" * (units * unit - len(blob))
    table += struct.pack("<H", 0)
    assert len(table) == table_len

    mz = bytearray(64)
    mz[0:2] = b"MZ"
    struct.pack_into("<I", mz, 0x3C, ne_at)
    ne = bytearray(64)
    ne[0:2] = b"NE"
    struct.pack_into("<H", ne, 0x24, table_at - ne_at)
    struct.pack_into("<H", ne, 0x32, shift)
    image = bytes(mz + ne + table + names)
    image += b"\0" * (data_at - len(image)) + bytes(blobs)
    with open(os.path.join(out_dir, "pics16.exe"), "wb") as f:
        f.write(image)
    with open(os.path.join(out_dir, "pics16-cut.exe"), "wb") as f:
        f.write(image[: table_at + 2 + 8 + 12 + 8 + 12])
    return name_offsets["TRUCK"]


def main():
    os.makedirs(out_dir, exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        for name, data in PICTURES.items():
            for folder in (out_dir, tmp):
                with open(os.path.join(folder, name), "wb") as f:
                    f.write(data)
        make_pe(tmp)
    damage_pe()
    truck = make_ne()
    print(f"wrote {out_dir}; the named NE bitmap TRUCK lists as {truck | 0x8000}")


if __name__ == "__main__":
    sys.exit(main())
