"""GIF89a files of palette canvases, with our own LZW encoder.

Only the colours a picture uses go into its colour table (transparent first when the
picture has transparency), so every file is small and its table holds no duplicates.
"""
import struct

from .raster import CLEAR, PALETTE


def lzw(indices, min_size):
    """The LZW code stream of the pixels, packed least significant bit first."""
    clear = 1 << min_size
    end = clear + 1
    out = bytearray()
    acc = 0
    bits = 0
    size = min_size + 1
    table = {}
    next_code = end + 1

    def emit(code):
        nonlocal acc, bits
        acc |= code << bits
        bits += size
        while bits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            bits -= 8

    emit(clear)
    prefix = None
    for p in indices:
        if prefix is None:
            prefix = p
            continue
        key = (prefix, p)
        code = table.get(key)
        if code is not None:
            prefix = code
            continue
        emit(prefix)
        prefix = p
        if next_code < 4095:
            table[key] = next_code
            # The decoder adds this entry one code later, so the width grows once the
            # code just assigned no longer fits the current width.
            if next_code == (1 << size) and size < 12:
                size += 1
            next_code += 1
        else:
            emit(clear)
            table = {}
            size = min_size + 1
            next_code = end + 1
    if prefix is not None:
        emit(prefix)
    emit(end)
    if bits:
        out.append(acc & 0xFF)
    return bytes(out)


def gif_bytes(canvas, transparent=True):
    used = canvas.used()
    order = [i for i in used if i != CLEAR]
    if transparent or CLEAR in used:
        order = [CLEAR] + order
    table_bits = 1
    while (1 << table_bits) < len(order):
        table_bits += 1
    local = {g: i for i, g in enumerate(order)}
    table = bytearray()
    for g in order:
        table += bytes(PALETTE[g][1])
    table += bytes(3 * ((1 << table_bits) - len(order)))

    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", canvas.w, canvas.h, 0x80 | 0x70 | (table_bits - 1), 0, 0)
    out += table
    if order and order[0] == CLEAR:
        out += bytes([0x21, 0xF9, 4, 0x01, 0, 0, 0, 0])  # transparent index 0
    out += b"," + struct.pack("<HHHHB", 0, 0, canvas.w, canvas.h, 0)
    min_size = max(2, table_bits)
    data = lzw([local[p] for p in canvas.px], min_size)
    out.append(min_size)
    for at in range(0, len(data), 255):
        chunk = data[at:at + 255]
        out.append(len(chunk))
        out += chunk
    out += b"\x00;"
    return bytes(out)
