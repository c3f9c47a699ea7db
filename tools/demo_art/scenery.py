"""The demo scene's background: a landscape strip that repeats sideways, the station
building, and a strip of catenary masts and platform lamps drawn over both.

Heights are given as y above the scene's bottom edge (yb). The two tracks lie where the
script's paths put their rail lines (NEAR_RAIL, FAR_RAIL); the show draws the rails
and the overhead wires there, this artwork only the ballast, platform and masts.
"""
import math

from .raster import C, Canvas, Lcg

LAND_W = 512
LAND_H = 768
NEAR_RAIL = 50
FAR_RAIL = 140
WIRE_ABOVE = 61  # the show's wire: the vehicle height (60) above the rail line, plus one
PLATFORM_TOP = 156
PLATFORM_BACK = 176  # the station building stands here
MAST_W = 256
MAST_H = 212


def row(canvas, yb):
    return canvas.h - 1 - yb


def band(c, yb0, yb1, colour):
    c.rect(0, row(c, yb1), c.w - 1, row(c, yb0), colour)


def periodic(x, terms):
    """A height profile that repeats every LAND_W pixels: a sum of (amplitude, waves, phase)."""
    return sum(a * math.sin(2 * math.pi * k * x / LAND_W + p) for a, k, p in terms)


BAYER = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def sky(c):
    """A gradient from the pale horizon to the deep blue top, ordered-dithered between
    neighbouring shades."""
    colours = ["sky6", "sky5", "sky4", "sky3", "sky2", "sky1", "sky0"]
    horizon, top = 300, LAND_H - 1
    for yb in range(horizon, LAND_H):
        v = (yb - horizon) / (top - horizon) * (len(colours) - 1)
        k = min(int(v), len(colours) - 2)
        frac = v - k
        for x in range(c.w):
            darker = BAYER[yb % 4][x % 4] < frac * 16
            c.put(x, row(c, yb), colours[k + 1] if darker else colours[k])


def cloud(c, cx, yb, size):
    puffs = [(-1.0, 0.0, 1.0), (0.0, 0.45, 1.25), (1.1, 0.1, 0.95), (0.5, -0.1, 1.0), (-0.5, -0.1, 1.0)]
    for dx in (-LAND_W, 0, LAND_W):  # drawn three times so that it wraps at the seam
        for ox, oy, r in puffs:
            c.ellipse(cx + dx + ox * size, row(c, yb + oy * size) + 2, r * size * 1.2, r * size * 0.7, "cloud_sh")
        for ox, oy, r in puffs:
            c.ellipse(cx + dx + ox * size, row(c, yb + oy * size), r * size * 1.2, r * size * 0.7, "cloud")


def hills(c):
    for x in range(c.w):
        far = 318 + periodic(x, [(26, 1, 0.3), (12, 3, 1.9), (5, 7, 0.7)])
        near = 262 + periodic(x, [(18, 2, 2.2), (9, 5, 0.4), (4, 11, 1.3)])
        for yb in range(200, int(far) + 1):
            shade = "hill_far2" if (x * 7 + yb * 3) % 23 == 0 else "hill_far"
            c.put(x, row(c, yb), shade)
        for yb in range(200, int(near) + 1):
            shade = "hill2" if yb < near - 6 and (x // 3 + yb // 4) % 9 == 0 else "hill"
            c.put(x, row(c, yb), shade)


def tree(c, x, yb, size):
    for dx in (-LAND_W, 0, LAND_W):
        tx = x + dx
        c.rect(tx - 1, row(c, yb + size), tx + 1, row(c, yb), "trunk")
        c.disc(tx, row(c, yb + size * 1.6), size, "leaf_dk")
        c.disc(tx - size * 0.25, row(c, yb + size * 1.75), size * 0.8, "leaf")
        c.disc(tx - size * 0.4, row(c, yb + size * 2.0), size * 0.35, "leaf_lt")


def meadow(c, rnd):
    band(c, PLATFORM_BACK, 236, "grass")
    for _ in range(700):
        x, yb = rnd.next(c.w), PLATFORM_BACK + rnd.next(60)
        c.put(x, row(c, yb), "grass_dk" if rnd.next(3) else "grass_lt")
    for x, yb, size in [(30, 214, 12), (58, 208, 9), (150, 220, 14), (176, 212, 10), (250, 216, 8),
                        (330, 210, 13), (356, 222, 9), (440, 214, 11), (470, 206, 8)]:
        tree(c, x, yb, size)
    # a hedge along the back of the platform
    for x in range(c.w):
        top = PLATFORM_BACK + 7 + (1 if (x // 5) % 2 else 0) + (1 if (x // 13) % 3 == 0 else 0)
        for yb in range(PLATFORM_BACK, top + 1):
            c.put(x, row(c, yb), "leaf" if (x + yb) % 5 else "leaf_dk")
        c.put(x, row(c, top), "leaf_lt" if x % 3 == 0 else "leaf")


def platform(c):
    band(c, FAR_RAIL, PLATFORM_TOP - 1, "concrete_dk")  # the wall facing the track
    for x in range(0, c.w, 32):
        c.vline(x, row(c, PLATFORM_TOP - 1), row(c, FAR_RAIL), "steel")
    band(c, FAR_RAIL, FAR_RAIL + 1, "iron")  # its shadow at the foot
    band(c, PLATFORM_TOP, PLATFORM_BACK - 1, "concrete")
    band(c, PLATFORM_TOP, PLATFORM_TOP + 1, "concrete_lt")  # coping stones
    band(c, PLATFORM_TOP + 3, PLATFORM_TOP + 3, "edge")  # the line to stand behind
    for yb in range(PLATFORM_TOP + 6, PLATFORM_BACK, 6):
        band(c, yb, yb, "concrete_lt")
    for yb in range(PLATFORM_TOP + 4, PLATFORM_BACK):
        for x in range((yb // 6) % 2 * 12, c.w, 24):
            c.put(x, row(c, yb), "concrete_dk")


def track_bed(c, rail, rnd):
    """Ballast below the rail line, seen from the side, with the sleeper ends in it."""
    band(c, rail - 12, rail - 1, "ballast")
    for _ in range(c.w * 3):
        x, yb = rnd.next(c.w), rail - 12 + rnd.next(12)
        c.put(x, row(c, yb), "ballast_dk" if rnd.next(2) else "ballast_lt")
    for x in range(0, c.w, 8):
        c.rect(x, row(c, rail - 2), x + 4, row(c, rail - 4), "sleeper")
    band(c, rail - 1, rail - 1, "rail")
    band(c, rail - 2, rail - 2, "steel")
    band(c, rail - 13, rail - 13, "ballast_dk")


def grass(c, yb0, yb1, rnd, flowers):
    band(c, yb0, yb1, "grass")
    for _ in range((yb1 - yb0) * c.w // 6):
        x, yb = rnd.next(c.w), yb0 + rnd.next(yb1 - yb0 + 1)
        c.put(x, row(c, yb), "grass_dk")
        c.put(x, row(c, yb) - 1, "grass_lt" if rnd.next(2) else "grass_dk")
    for _ in range(flowers):
        x, yb = rnd.next(c.w), yb0 + rnd.next(yb1 - yb0 + 1)
        c.put(x, row(c, yb), "flower" if rnd.next(2) else "flower2")


def landscape():
    c = Canvas(LAND_W, LAND_H, "sky6")
    rnd = Lcg(20240611)
    sky(c)
    for cx, yb, size in [(70, 660, 16), (300, 700, 12), (420, 590, 20), (200, 540, 10)]:
        cloud(c, cx, yb, size)
    hills(c)
    meadow(c, rnd)
    platform(c)
    track_bed(c, FAR_RAIL, rnd)
    grass(c, NEAR_RAIL, FAR_RAIL - 14, rnd, 40)
    band(c, NEAR_RAIL + 10, NEAR_RAIL + 12, "concrete_dk")  # cable trough beside the track
    band(c, NEAR_RAIL + 12, NEAR_RAIL + 12, "concrete_lt")
    track_bed(c, NEAR_RAIL, rnd)
    grass(c, 0, NEAR_RAIL - 14, rnd, 120)
    return c


# --- catenary masts and lamps -----------------------------------------------------------

def mast(c, x, foot, rail):
    wire = rail + WIRE_ABOVE
    top = wire + 6
    c.rect(x, row(c, top), x + 2, row(c, foot), "steel")
    c.vline(x, row(c, top), row(c, foot), "grey")
    c.rect(x - 1, row(c, foot + 1), x + 3, row(c, foot), "iron")  # foundation
    c.hline(x - 10, x + 3, row(c, wire + 3), "iron")  # cantilever over the wire
    c.line(x, row(c, top), x - 9, row(c, wire + 3), "iron")
    c.vline(x - 8, row(c, wire + 2), row(c, wire + 1), "pale")  # insulator and dropper


def lamp_post(c, x, foot):
    c.vline(x, row(c, foot + 34), row(c, foot), "coal")
    c.rect(x - 1, row(c, foot + 1), x + 1, row(c, foot), "coal")
    c.hline(x, x + 5, row(c, foot + 34), "coal")
    c.rect(x + 4, row(c, foot + 33), x + 7, row(c, foot + 31), "coal")
    c.rect(x + 5, row(c, foot + 32), x + 6, row(c, foot + 31), "lamp")


def masts():
    c = Canvas(MAST_W, MAST_H)
    mast(c, 52, NEAR_RAIL + 14, NEAR_RAIL)
    mast(c, 184, PLATFORM_TOP + 14, FAR_RAIL)
    lamp_post(c, 104, PLATFORM_TOP + 10)
    return c


# --- station building -------------------------------------------------------------------

GLYPHS = {
    "Y": ["10001", "10001", "01010", "00100", "00100", "00100", "00100"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "V": ["10001", "10001", "10001", "10001", "01010", "01010", "00100"],
}


def lettering(c, x, y, text, colour):
    for ch in text:
        for gy, bits in enumerate(GLYPHS[ch]):
            for gx, bit in enumerate(bits):
                if bit == "1":
                    c.put(x + gx, y + gy, colour)
        x += 7


def brickwork(c, x0, y0, x1, y1):
    c.rect(x0, y0, x1, y1, "brick")
    for y in range(y0, y1 + 1):
        if (y - y0) % 4 == 3:
            c.hline(x0, x1, y, "mortar")
            continue
        shift = 0 if ((y - y0) // 4) % 2 else 4
        for x in range(x0 + shift, x1 + 1, 8):
            c.put(x, y, "mortar")
        if (y - y0) % 4 == 0:
            for x in range(x0 + shift + 2, x1 + 1, 8):
                c.put(x, y, "brick_lt")
    for y in range(y0, y1 + 1, 4):
        for x in range(x0 + (y * 5) % 11, x1 + 1, 19):
            c.put(x, y + 1, "brick_dk")


def arched_window(c, x, y, w, h):
    """A ground-floor window: stone arch, glazing bars, sill; x, y its top-left corner."""
    r = w // 2
    c.disc(x + r - 0.5, y + r, r + 1.5, "mortar")
    c.rect(x - 1, y + r, x + w, y + h, "mortar")
    c.disc(x + r - 0.5, y + r, r - 0.5, "glass")
    c.rect(x, y + r, x + w - 1, y + h - 1, "glass")
    c.vline(x + r - 1, y + 1, y + h - 1, "white")
    c.hline(x, x + w - 1, y + r + 3, "white")
    c.hline(x, x + w - 1, y + r + 11, "white")
    c.rect(x + 1, y + r + 4, x + 2, y + r + 9, "glass2")
    c.rect(x - 2, y + h, x + w + 1, y + h + 1, "concrete_lt")  # sill


def square_window(c, x, y, w, h):
    c.rect(x - 1, y - 2, x + w, y + h, "mortar")
    c.rect(x, y, x + w - 1, y + h - 1, "glass")
    c.vline(x + w // 2, y, y + h - 1, "white")
    c.hline(x, x + w - 1, y + h // 2 - 1, "white")
    c.rect(x + 1, y + 1, x + 2, y + 4, "glass2")
    for sx in (x - 5, x + w + 1):  # shutters
        c.rect(sx, y - 1, sx + 3, y + h - 1, "green")
        for yy in range(y, y + h - 1, 2):
            c.hline(sx, sx + 3, yy, "green_dk")
    c.rect(x - 2, y + h, x + w + 1, y + h + 1, "concrete_lt")


def door(c, x, y, w, h):
    c.rect(x - 2, y - 3, x + w + 1, y + h - 1, "mortar")
    c.rect(x, y, x + w - 1, y + h - 1, "wood")
    c.vline(x + w // 2, y, y + h - 1, "wood_dk")
    for dx in (2, w // 2 + 2):
        c.rect(x + dx, y + 3, x + dx + w // 2 - 5, y + 12, "glass")
        c.frame(x + dx, y + 18, x + dx + w // 2 - 5, y + h - 4, "wood_dk")
    c.rect(x + w // 2 - 2, y + 20, x + w // 2 + 2, y + 20, "yellow")


def hipped_roof(c, x0, x1, y_eave, y_ridge, overhang):
    inset = y_eave - y_ridge
    c.poly([(x0 - overhang, y_eave + 1), (x1 + 1 + overhang, y_eave + 1), (x1 + 1 - inset, y_ridge),
            (x0 + inset, y_ridge)], "roof")
    for y in range(y_ridge + 2, y_eave + 1, 3):  # rows of tiles
        for x in range(x0 - overhang, x1 + overhang + 1):
            if c.get(x, y) == C("roof"):
                c.put(x, y, "roof_dk")
    c.hline(x0 + inset, x1 - inset, y_ridge, "roof_lt")
    c.hline(x0 - overhang, x1 + overhang, y_eave + 1, "roof_dk")


def bench(c, x, y_floor):
    c.rect(x, y_floor - 7, x + 15, y_floor - 6, "wood")
    c.rect(x, y_floor - 11, x + 15, y_floor - 10, "wood")
    c.vline(x + 1, y_floor - 11, y_floor, "coal")
    c.vline(x + 14, y_floor - 11, y_floor, "coal")


def station():
    w, h = 420, 160
    c = Canvas(w, h)
    base = h - 1  # the platform level
    # main building: two storeys between x 90 and 329
    m0, m1 = 90, 329
    wall_top = base - 96
    brickwork(c, m0, wall_top, m1, base)
    c.rect(m0, base - 50, m1, base - 48, "mortar")  # string course between the floors
    c.rect(m0, base - 2, m1, base, "brick_dk")
    for qy in range(wall_top, base - 2, 8):  # corner stones
        for qx in (m0, m1 - 5):
            c.rect(qx + (0 if (qy // 8) % 2 else 1), qy, qx + 4 + (0 if (qy // 8) % 2 else 1), qy + 5, "mortar")
    hipped_roof(c, m0, m1, wall_top - 1, wall_top - 38, 6)
    for x in (m0 + 40, m1 - 48):  # chimneys
        c.rect(x, wall_top - 46, x + 8, wall_top - 20, "brick_dk")
        c.rect(x - 1, wall_top - 48, x + 9, wall_top - 46, "mortar")
    # dormer with the clock
    mid = (m0 + m1) // 2
    c.rect(mid - 14, wall_top - 30, mid + 13, wall_top - 1, "brick")
    c.poly([(mid - 18, wall_top - 29), (mid, wall_top - 44), (mid + 17, wall_top - 29)], "roof_dk")
    c.disc(mid - 0.5, wall_top - 16, 9, "mortar")
    c.disc(mid - 0.5, wall_top - 16, 7.5, "white")
    c.vline(mid, wall_top - 22, wall_top - 16, "ink")
    c.hline(mid, mid + 4, wall_top - 16, "ink")
    for a in range(12):
        c.put(round(mid - 0.5 + 6.5 * math.sin(a * math.pi / 6)), round(wall_top - 16 - 6.5 * math.cos(a * math.pi / 6)),
              "steel")
    # upper floor windows, ground floor windows and the door
    for k in range(6):
        square_window(c, m0 + 18 + k * 38, wall_top + 14, 14, 22)
    for k in range(6):
        if k in (2, 3):
            continue
        arched_window(c, m0 + 16 + k * 38, base - 40, 18, 34)
    # sign board and entrance between the middle windows
    c.rect(mid - 26, base - 63, mid + 25, base - 52, "sign")
    c.frame(mid - 26, base - 63, mid + 25, base - 52, "white")
    lettering(c, mid - 10, base - 61, "YOV", "white")
    door(c, mid - 14, base - 40, 28, 40)
    c.poly([(mid - 24, base - 44), (mid + 23, base - 44), (mid + 19, base - 50), (mid - 20, base - 50)],
           "roof")  # canopy over the door
    c.hline(mid - 24, mid + 23, base - 44, "roof_dk")
    # one-storey wings
    for w0, w1 in ((18, m0 - 1), (m1 + 1, w - 19)):
        brickwork(c, w0, base - 48, w1, base)
        c.rect(w0, base - 2, w1, base, "brick_dk")
        hipped_roof(c, w0, w1, base - 49, base - 68, 4)
        for k in range(2):
            arched_window(c, w0 + 14 + k * 36, base - 38, 14, 28)
    bench(c, 24, base)
    bench(c, w - 40, base)
    # waiting passengers are left to the imagination; a timetable board is not
    c.rect(m1 + 30, base - 30, m1 + 41, base - 16, "white")
    c.frame(m1 + 30, base - 30, m1 + 41, base - 16, "coal")
    for y in range(base - 27, base - 18, 2):
        c.hline(m1 + 32, m1 + 39, y, "steel")
    return c
