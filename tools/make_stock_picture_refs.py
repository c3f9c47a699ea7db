#!/usr/bin/env python3
"""Reference pictures of stock pictures built from the demo's GIFs, for the golden-pixel
tests of the stock-picture loader. Each reference is the built picture composited over a
plain colour through its mask, written as a binary PPM.

The loader's rules, as this generator repeats them independently of the program:
  - the vehicle picture stands on the bottom row; a leading "#" draws it mirrored;
  - an overlay "O:BASE:x:y" is painted through its mask at x, y counted up from the bottom;
  - each phase picture gets a cell of its own to the right, a copy of the vehicle with the
    phase picture painted over it (centred, or at the left edge after "<");
  - a picture taller than the height limit is scaled to it by the nearest pixel (the source
    pixel under the centre of each target pixel);
  - a pantograph after ">" becomes two slots, each a left or right half, two frames side by
    side: the vehicle under it, and the half painted over the vehicle.

Standard library only. Run from the repository root:
    python3 tools/make_stock_picture_refs.py
"""
import os
import struct

DEMO = os.path.join("data", "demo")
OUT = os.path.join("tests", "data", "stock_pictures")
BACKGROUND = (1, 2, 3)  # never a picture colour of the demo


def read_gif(path):
    """(width, height, rows of (r, g, b) or None for transparent)."""
    data = open(path, "rb").read()
    assert data[:3] == b"GIF"
    width, height, flags = struct.unpack("<HHB", data[6:11])
    pos = 13
    palette = []
    if flags & 0x80:
        n = 2 << (flags & 7)
        palette = [tuple(data[pos + 3 * i:pos + 3 * i + 3]) for i in range(n)]
        pos += 3 * n
    transparent = None
    while True:
        block = data[pos]
        if block == 0x21:
            label = data[pos + 1]
            pos += 2
            if label == 0xF9 and data[pos] == 4 and data[pos + 1] & 1:
                transparent = data[pos + 4]
            while data[pos]:
                pos += data[pos] + 1
            pos += 1
        elif block == 0x2C:
            x, y, w, h, iflags = struct.unpack("<HHHHB", data[pos + 1:pos + 10])
            pos += 10
            assert (x, y, w, h) == (0, 0, width, height) and not iflags & 0x40
            if iflags & 0x80:
                n = 2 << (iflags & 7)
                palette = [tuple(data[pos + 3 * i:pos + 3 * i + 3]) for i in range(n)]
                pos += 3 * n
            min_code = data[pos]
            pos += 1
            stream = bytearray()
            while data[pos]:
                stream += data[pos + 1:pos + 1 + data[pos]]
                pos += data[pos] + 1
            indices = lzw(stream, min_code, width * height)
            rows = []
            for r in range(height):
                row = []
                for i in indices[r * width:(r + 1) * width]:
                    row.append(None if i == transparent else palette[i])
                rows.append(row)
            return width, height, rows
        else:
            raise ValueError("unexpected block in " + path)


def lzw(stream, min_code, count):
    clear, end = 1 << min_code, (1 << min_code) + 1
    size = min_code + 1
    table = [[i] for i in range(clear)] + [[], []]
    out, prev = [], None
    bits, nbits, i = 0, 0, 0
    while len(out) < count:
        while nbits < size and i < len(stream):
            bits |= stream[i] << nbits
            nbits += 8
            i += 1
        if nbits < size:
            break
        code = bits & ((1 << size) - 1)
        bits >>= size
        nbits -= size
        if code == clear:
            table = table[:clear + 2]
            size, prev = min_code + 1, None
            continue
        if code == end:
            break
        if prev is None:
            entry = table[code]
        elif code < len(table):
            entry = table[code]
            table.append(prev + entry[:1])
        else:
            entry = prev + prev[:1]
            table.append(entry)
        out += entry
        prev = entry
        if len(table) == (1 << size) and size < 12:
            size += 1
    return out[:count]


def picture(name):
    return read_gif(os.path.join(DEMO, name + ".gif"))


def blank(w, h):
    return [[None] * w for _ in range(h)]


def paint(target, src, x, y, clip):
    """src painted through its mask at (x, y), top-down, kept inside clip (x0, y0, w, h)."""
    x0, y0, cw, ch = clip
    _, _, rows = src
    for r, row in enumerate(rows):
        for c, p in enumerate(row):
            tx, ty = x + c, y + r
            if p is not None and x0 <= tx < x0 + cw and y0 <= ty < y0 + ch:
                target[ty][tx] = p


def mirrored(src):
    w, h, rows = src
    return w, h, [list(reversed(r)) for r in rows]


def scaled(src, w, h):
    sw, sh, rows = src
    return w, h, [[rows[(2 * j + 1) * sh // (2 * h)][(2 * i + 1) * sw // (2 * w)] for i in range(w)]
                  for j in range(h)]


def write(name, rows):
    h, w = len(rows), len(rows[0])
    with open(os.path.join(OUT, name + ".ppm"), "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (w, h))
        for row in rows:
            for p in row:
                f.write(bytes(p if p is not None else BACKGROUND))


def whole(src):
    w, h, rows = src
    target = blank(w, h)
    paint(target, src, 0, 0, (0, 0, w, h))
    return target


def main():
    os.makedirs(OUT, exist_ok=True)
    write("wagon_tank", whole(picture("wagon_tank")))
    write("wagon_tank_mirrored", whole(mirrored(picture("wagon_tank"))))

    box = picture("wagon_box")
    target = whole(box)
    door = picture("door_a")
    paint(target, door, 10, box[1] - 5 - door[1], (0, 0, box[0], box[1]))
    write("wagon_box_overlay", target)

    # Two phase pictures: door A centred, door B at the left edge; a cell each.
    w, h = box[0], box[1]
    cells = [whole(box) for _ in range(3)]
    paint(cells[1], door, (w - door[0]) // 2, h - door[1], (0, 0, w, h))
    door_b = picture("door_b")
    paint(cells[2], door_b, 0, h - door_b[1], (0, 0, w, h))
    write("wagon_box_phases", [cells[0][r] + cells[1][r] + cells[2][r] for r in range(h)])

    railcar = picture("railcar")
    limit = 30
    write("railcar_scaled", whole(scaled(railcar, round(limit * railcar[0] / railcar[1]), limit)))

    # Pantograph halves on the roof of the locomotive.
    loco, panto = picture("e40"), picture("panto")
    half = panto[0] // 2
    x = (loco[0] - panto[0]) // 2
    body = whole(loco)
    for side in range(2):
        px = x + side * half
        under = [row[px:px + half] for row in body[0:panto[1]]]
        raised = [list(r) for r in under]
        cut = (half, panto[1], [row[side * half:(side + 1) * half] for row in panto[2]])
        paint(raised, cut, 0, 0, (0, 0, half, panto[1]))
        write("e40_panto_%d" % side, [under[r] + raised[r] for r in range(panto[1])])


if __name__ == "__main__":
    main()
