"""Side views of the demo vehicles, their pantograph frames and their door leaves.

Vehicles are drawn on a 60-row canvas whose bottom row touches the rail (the stock's
picture height is 60); pictures without a pantograph are then cut down to their top
row, so that every vehicle stands on the same rail line. Each drawing returns the
picture and the places of its moving parts, from which the stock descriptions are
written, so a part can never sit where the picture has no room for it.
"""
from .raster import Canvas

HEIGHT = 60

# Pantograph frames: PANTO_FRAMES frames of PANTO_W x PANTO_H side by side, lowered
# first, raised last; a raised pantograph reaches the top row, where the wire is.
PANTO_W = 28
PANTO_H = 16
PANTO_FRAMES = 4

# Door leaves of the coaches and railcar (both leaves of a double door in one picture).
DOOR_H = 25


class Vehicle:
    def __init__(self, canvas, doors=(), pantographs=(), lamps=()):
        self.canvas = canvas
        self.doors = list(doors)  # (x, y) of each door's top-left corner
        self.pantographs = list(pantographs)  # (x, y) of each pantograph frame
        self.lamps = list(lamps)  # (x, y) of each 2 x 2 lamp

    def crop(self):
        """Drops the empty rows above the vehicle; its parts move up with it."""
        top = self.canvas.top_row()
        if top:
            self.canvas = self.canvas.cropped_top(top)
            self.doors = [(x, y - top) for x, y in self.doors]
            self.pantographs = [(x, y - top) for x, y in self.pantographs]
            self.lamps = [(x, y - top) for x, y in self.lamps]
        return self


# --- running gear -----------------------------------------------------------------------

def wheel(c, cx, r=5):
    cy = HEIGHT - 1 - r  # the wheel touches the bottom row
    c.disc(cx, cy, r, "iron")
    c.disc(cx, cy, r - 1.6, "steel")
    c.put(cx, cy, "pale")
    c.put(cx - 1, cy - 1, "silver")
    c.hline(cx - r + 2, cx + r - 2, HEIGHT - 1, "coal")


def bogie(c, x0, x1):
    """A two-axle bogie between x0 and x1 (outer ends of its frame)."""
    mid = (x0 + x1) // 2
    wheel(c, x0 + 7)
    wheel(c, x1 - 7)
    c.rect(x0, 48, x1, 52, "coal")
    c.hline(x0 + 1, x1 - 1, 49, "iron")
    c.rect(mid - 3, 46, mid + 3, 53, "iron")  # bolster
    for sx in (mid - 2, mid + 2):
        c.vline(sx, 47, 52, "steel")  # springs
    c.rect(x0 + 5, 52, x0 + 9, 54, "steel")  # axle boxes
    c.rect(x1 - 9, 52, x1 - 5, 54, "steel")


def single_axle(c, cx):
    wheel(c, cx, 6)
    for x in (cx - 10, cx + 10):
        c.vline(x, 45, 47, "coal")  # spring hangers
    c.hline(cx - 10, cx + 10, 47, "coal")  # leaf spring under the frame
    c.hline(cx - 7, cx + 7, 48, "iron")
    c.rect(cx - 1, 49, cx + 1, 53, "coal")  # axle box
    c.put(cx, 53, "silver")


def buffers(c, w, y=42):
    for x0, x1 in ((0, 2), (w - 3, w - 1)):
        c.rect(x0, y, x1, y + 3, "steel")
        c.vline(x0 if x0 == 0 else x1, y - 1, y + 4, "grey")
    c.rect(3, y + 1, 4, y + 2, "coal")
    c.rect(w - 5, y + 1, w - 4, y + 2, "coal")


def window(c, x0, y0, x1, y1, shine=True):
    c.rect(x0, y0, x1, y1, "glass")
    c.rect(x0 + 1, y0 + 1, x1 - 1, y0 + 2, "glass2")
    if shine and x1 - x0 > 3:
        c.line(x0 + 1, y1 - 1, min(x0 + 4, x1), y1 - 4, "shine")


def slope_glass(c, X, y0, y1, edge0, edge1, width):
    """Glass along a sloped cab front whose edge runs from x edge0 (row y0) to edge1 (row y1)."""
    for y in range(y0, y1 + 1):
        edge = round(edge0 + (edge1 - edge0) * (y - y0) / (y1 - y0))
        for k in range(1, width + 1):
            c.put(X(edge + k), y, "glass" if k > 1 or y > y0 + 1 else "glass2")
    c.put(X(edge0 + 2), y0 + 2, "shine")


def mirrored(c, draw, w):
    """Runs draw(x_of) twice: once as written, once mirrored about the picture's centre."""
    draw(lambda x: x)
    draw(lambda x: w - 1 - x)


# --- electric locomotive ----------------------------------------------------------------

def electric_loco():
    w = 150
    c = Canvas(w, HEIGHT)
    body = [(3, 31), (8, 20), (141, 20), (146, 31), (146, 46), (3, 46)]
    c.poly(body, "red")
    c.rect(4, 43, 145, 46, "red_dk")
    c.rect(4, 37, 145, 38, "cream")
    c.poly([(8, 16), (141, 16), (143, 19), (6, 19)], "silver")  # roof
    c.hline(9, 140, 17, "pale")
    c.rect(56, 13, 93, 15, "grey")  # roof equipment between the pantographs
    c.rect(57, 13, 92, 13, "silver")
    for x in range(59, 92, 5):
        c.vline(x, 14, 15, "steel")

    def cab(X):
        xs = sorted((X(11), X(21)))
        window(c, xs[0], 23, xs[1], 30)
        slope_glass(c, X, 22, 30, 7, 4, 3)  # windscreen seen edge-on on the sloped front
        dx = sorted((X(24), X(31)))
        c.frame(dx[0], 21, dx[1], 44, "red_dk")
        window(c, dx[0] + 2, 23, dx[1] - 2, 29, shine=False)
        c.vline(X(33), 26, 41, "pale")  # handrail
        lx = min(X(4), X(5))
        c.rect(lx, 39, lx + 1, 40, "lamp")
        c.rect(lx, 33, lx + 1, 34, "tail")

    mirrored(c, cab, w)
    for px in range(38, 112, 20):  # grilles
        c.rect(px, 22, px + 15, 32, "red_dk")
        for gx in range(px + 1, px + 15, 2):
            c.vline(gx, 23, 31, "red_lt")
    c.rect(66, 40, 83, 41, "cream")  # emblem
    c.rect(70, 39, 79, 42, "cream")
    c.rect(72, 40, 77, 41, "red")
    c.rect(4, 47, 145, 48, "coal")  # underframe
    bogie(c, 16, 56)
    bogie(c, 93, 133)
    c.rect(60, 47, 89, 51, "iron")  # transformer tank
    c.hline(61, 88, 48, "steel")
    buffers(c, w)
    c.outline()
    pantographs = [(21, 0), (101, 0)]
    return Vehicle(c, pantographs=pantographs)


# --- diesel locomotive ------------------------------------------------------------------

def diesel_loco():
    w = 140
    c = Canvas(w, HEIGHT)
    cab0, cab1 = 56, 83
    c.rect(6, 28, 133, 45, "yellow")  # hoods
    c.rect(6, 28, 133, 29, "yellow_lt")
    c.rect(cab0, 15, cab1, 45, "yellow")  # cab
    c.poly([(cab0 - 2, 15), (cab1 + 2, 15), (cab1, 12), (cab0, 12)], "yellow_dk")  # cab roof
    c.rect(cab0 + 2, 18, cab0 + 11, 26, "glass")
    c.rect(cab1 - 11, 18, cab1 - 2, 26, "glass")
    c.rect(cab0 + 3, 19, cab0 + 10, 20, "glass2")
    c.rect(cab1 - 10, 19, cab1 - 3, 20, "glass2")
    c.line(cab0 + 3, 25, cab0 + 6, 22, "shine")
    c.line(cab1 - 10, 25, cab1 - 7, 22, "shine")
    c.rect(cab0 + 13, 17, cab1 - 13, 43, "yellow_dk")  # cab door
    c.rect(cab0 + 14, 19, cab1 - 14, 24, "glass")

    def hood(X):
        for k in range(3):  # hood doors
            xs = sorted((X(14 + 13 * k), X(24 + 13 * k)))
            c.frame(xs[0], 31, xs[1], 42, "yellow_dk")
            for y in range(33, 41, 2):
                c.hline(xs[0] + 2, xs[1] - 2, y, "yellow_dk")
        ex = min(X(30), X(33))
        c.rect(ex, 24, ex + 3, 27, "coal")  # exhaust
        c.hline(ex, ex + 3, 24, "iron")
        for k in range(5):  # chevrons on the end
            x = X(6 + k * 2)
            c.line(x, 38, x + (2 if X(1) > X(0) else -2), 45, "coal")
        lx = min(X(7), X(8))
        c.rect(lx, 31, lx + 1, 32, "lamp")
        c.rect(lx, 35, lx + 1, 36, "tail")
        for x in range(min(X(8), X(52)), max(X(8), X(52)) + 1, 8):  # handrail stanchions
            c.vline(x, 24, 27, "pale")
        c.hline(min(X(8), X(52)), max(X(8), X(52)), 24, "pale")

    mirrored(c, hood, w)
    c.rect(4, 46, 135, 48, "coal")  # frame
    c.hline(5, 134, 46, "iron")
    bogie(c, 14, 52)
    bogie(c, 87, 125)
    c.rect(58, 48, 81, 52, "iron")  # fuel tank
    c.hline(59, 80, 49, "steel")
    buffers(c, w)
    c.outline()
    c.rect(67, 11, 72, 11, "coal")  # beacon on the cab roof, drawn over the outline
    c.rect(68, 9, 71, 10, "coal")
    c.rect(69, 9, 70, 10, "beacon")
    return Vehicle(c, lamps=[(69, 9)]).crop()


# --- coaches ----------------------------------------------------------------------------

def coach_body(c, w, colour, dark):
    c.rect(3, 20, w - 4, 46, colour)
    c.rect(3, 44, w - 4, 46, dark)
    c.poly([(5, 16), (w - 6, 16), (w - 3, 20), (2, 20)], "silver")  # roof
    c.hline(6, w - 7, 17, "pale")
    for x in range(24, w - 24, 30):  # ventilators
        c.rect(x, 14, x + 5, 15, "grey")
    c.rect(3, 47, w - 4, 48, "coal")
    c.rect(1, 22, 2, 41, "coal")  # gangway bellows
    c.rect(w - 3, 22, w - 2, 41, "coal")


def doorways(c, doors, door_w):
    """The open doorways; the door leaves are drawn over them while they are closed."""
    for dx, dy in doors:
        c.rect(dx, dy, dx + door_w - 1, dy + DOOR_H - 1, "cave")
        c.rect(dx + 1, dy + DOOR_H - 3, dx + door_w - 2, dy + DOOR_H - 1, "iron")  # step
        c.vline(dx + 2, dy + 3, dy + DOOR_H - 5, "silver")  # handrails inside
        c.vline(dx + door_w - 3, dy + 3, dy + DOOR_H - 5, "silver")


def coach_a():
    """Green second-class coach: many small windows, double doors near both ends."""
    w, door_w = 200, 16
    doors = [(8, 21), (w - 8 - door_w, 21)]
    c = Canvas(w, HEIGHT)
    coach_body(c, w, "green", "green_dk")
    c.rect(3, 35, w - 4, 35, "green_lt")
    c.rect(3, 22, w - 4, 22, "green_lt")
    x = 29
    while x + 12 <= w - 29:
        window(c, x, 25, x + 12, 33)
        c.hline(x + 1, x + 11, 27, "green_dk")  # top-light bar
        x += 16
    doorways(c, doors, door_w)
    bogie(c, 20, 58)
    bogie(c, w - 59, w - 21)
    buffers(c, w)
    c.outline()
    return Vehicle(c, doors=doors).crop()


def coach_b():
    """Blue and cream first-class coach: wide windows, doors set in from the ends."""
    w, door_w = 200, 16
    doors = [(30, 21), (w - 30 - door_w, 21)]
    c = Canvas(w, HEIGHT)
    coach_body(c, w, "blue", "blue_dk")
    c.rect(3, 20, w - 4, 34, "cream")
    c.hline(3, w - 4, 35, "blue_lt")
    c.hline(3, w - 4, 20, "cream_dk")
    window(c, 8, 25, 22, 32)  # end windows
    window(c, w - 23, 25, w - 9, 32)
    for x in range(52, w - 52 - 20, 24):
        window(c, x, 24, x + 19, 33)
    doorways(c, doors, door_w)
    bogie(c, 20, 58)
    bogie(c, w - 59, w - 21)
    buffers(c, w)
    c.outline()
    return Vehicle(c, doors=doors).crop()


# --- electric railcar -------------------------------------------------------------------

def railcar():
    """A railcar with a cab at both ends, one pantograph and two double doors."""
    w, door_w = 180, 18
    doors = [(42, 21), (w - 42 - door_w, 21)]
    c = Canvas(w, HEIGHT)
    body = [(3, 46), (3, 30), (6, 23), (10, 20), (w - 11, 20), (w - 7, 23), (w - 4, 30), (w - 4, 46)]
    c.poly(body, "cream")
    c.rect(3, 35, w - 4, 46, "red")
    c.hline(3, w - 4, 36, "red_lt")
    c.rect(3, 44, w - 4, 46, "red_dk")
    c.poly([(11, 16), (w - 12, 16), (w - 9, 19), (8, 19)], "silver")  # roof
    c.hline(12, w - 13, 17, "pale")
    for x0 in (54, 110):  # roof boxes beside the pantograph
        c.rect(x0, 13, x0 + 15, 15, "grey")
        c.hline(x0, x0 + 15, 13, "silver")
    c.rect(68, 15, 111, 15, "steel")  # pantograph bed

    def cab(X):
        slope_glass(c, X, 21, 30, 9, 3, 6)  # windscreen round the nose
        xs = sorted((X(17), X(30)))
        window(c, xs[0], 24, xs[1], 32)
        lx = min(X(4), X(5))
        c.rect(lx, 39, lx + 1, 40, "lamp")
        c.rect(lx, 42, lx + 1, 42, "tail")

    mirrored(c, cab, w)
    for x in (64, 82, 100):
        window(c, x, 24, x + 14, 32)
    doorways(c, doors, door_w)
    c.rect(3, 47, w - 4, 48, "coal")
    bogie(c, 16, 54)
    bogie(c, w - 55, w - 17)
    c.rect(70, 47, 109, 51, "iron")  # equipment under the floor
    for x in range(73, 108, 6):
        c.vline(x, 48, 50, "steel")
    buffers(c, w)
    c.outline()
    return Vehicle(c, doors=doors, pantographs=[(76, 0)])


# --- freight wagons ---------------------------------------------------------------------

def box_wagon():
    w = 110
    c = Canvas(w, HEIGHT)
    c.rect(4, 22, w - 5, 44, "brown")
    for x in range(6, w - 5, 4):  # planks
        c.vline(x, 23, 43, "brown_dk")
    c.poly([(4, 22), (w - 5, 22), (w - 7, 19), (6, 19)], "grey")  # arched roof
    c.hline(7, w - 8, 20, "silver")
    c.rect(38, 23, 71, 43, "brown_lt")  # sliding door
    c.frame(38, 23, 71, 43, "brown_dk")
    c.line(39, 24, 70, 42, "brown_dk")
    c.line(39, 42, 70, 24, "brown_dk")
    c.hline(36, 73, 22, "coal")  # door rails
    c.hline(36, 73, 44, "coal")
    c.rect(66, 32, 67, 35, "pale")  # handle
    for x in (4, 5, w - 6, w - 5, 36, 37, 72, 73):  # posts
        c.vline(x, 22, 44, "brown_dk")
    c.rect(8, 26, 20, 30, "pale")  # label board
    c.hline(9, 19, 28, "steel")
    c.rect(3, 45, w - 4, 46, "coal")
    single_axle(c, 27)
    single_axle(c, w - 28)
    buffers(c, w, y=41)
    c.outline()
    return Vehicle(c).crop()


def tank_wagon():
    w = 110
    c = Canvas(w, HEIGHT)
    r = 10
    c.rect(4 + r, 24, w - 5 - r, 43, "tank")
    c.disc(4 + r, 33.5, r, "tank")
    c.disc(w - 5 - r, 33.5, r, "tank")
    for y, col in ((25, "tank_lt"), (26, "tank_lt"), (27, "tank_lt"), (40, "tank_dk"), (41, "tank_dk"),
                   (42, "tank_dk")):
        for x in range(w):
            if c.get(x, y) != 0:
                c.put(x, y, col)
    c.rect(46, 19, 63, 24, "tank")  # dome
    c.hline(46, 63, 19, "tank_lt")
    c.rect(44, 18, 65, 18, "steel")
    c.rect(20, 31, w - 21, 33, "orange")  # hazard band
    for x in (30, w - 31):
        c.vline(x, 24, 43, "tank_dk")  # tank straps
    c.rect(3, 44, w - 4, 46, "coal")
    c.rect(50, 34, 59, 43, "steel")  # ladder
    for y in range(36, 44, 3):
        c.hline(50, 59, y, "coal")
    single_axle(c, 27)
    single_axle(c, w - 28)
    buffers(c, w, y=41)
    c.outline()
    return Vehicle(c).crop()


# --- moving parts -----------------------------------------------------------------------

def pantograph_frames():
    """PANTO_FRAMES single-arm pantographs from lowered (first) to raised (last)."""
    sheet = Canvas(PANTO_W * PANTO_FRAMES, PANTO_H)
    for k in range(PANTO_FRAMES):
        f = Canvas(PANTO_W, PANTO_H)
        t = k / (PANTO_FRAMES - 1)
        head = round(10 * (1 - t))
        knee_x = round(21 - 3 * t)
        knee_y = round(12 - 5 * t)
        f.rect(3, 14, 24, 15, "coal")  # base frame
        for x in (4, 23):
            f.rect(x, 13, x + 1, 15, "pale")  # insulators
            f.put(x, 14, "silver")
        f.line(7, 13, knee_x, knee_y, "iron")  # lower arm
        f.line(7, 12, knee_x, knee_y - 1, "iron")
        f.line(knee_x, knee_y, 13, head + 1, "steel")  # upper arm
        f.line(9, 13, knee_x - 1, knee_y + 1, "steel")  # strut
        f.rect(6, head, 21, head, "coal")  # contact strip
        f.hline(7, 20, head + 1, "steel")
        f.put(5, head + 1, "coal")  # horns
        f.put(22, head + 1, "coal")
        sheet.blit(f, k * PANTO_W, 0)
    return sheet


def door_leaves(width, colour, dark, upper=None):
    """Both leaves of a closed double door, each with its window."""
    c = Canvas(width, DOOR_H, colour)
    half = width // 2
    if upper:
        c.rect(0, 0, width - 1, 13, upper)
    for x0, x1 in ((0, half - 1), (half, width - 1)):
        c.frame(x0, 0, x1, DOOR_H - 1, dark)
        c.rect(x0 + 2, 3, x1 - 2, 11, "glass")
        c.hline(x0 + 2, x1 - 2, 4, "glass2")
        c.put(x0 + 2, 10, "shine")
    c.rect(half - 2, 14, half - 2, 17, "pale")  # handles
    c.rect(half + 1, 14, half + 1, 17, "pale")
    c.hline(0, width - 1, DOOR_H - 1, "coal")
    return c


# --- number-plate font ------------------------------------------------------------------

# Glyphs of 3 x 5 pixels, '#' set; the font picture holds them side by side in this order,
# then a blank cell of SPACE_W for the space.
PLATE_GLYPHS = {
    "0": ["###", "#.#", "#.#", "#.#", "###"],
    "1": [".#.", "##.", ".#.", ".#.", "###"],
    "2": ["##.", "..#", ".#.", "#..", "###"],
    "3": ["##.", "..#", ".#.", "..#", "##."],
    "4": ["#.#", "#.#", "###", "..#", "..#"],
    "5": ["###", "#..", "##.", "..#", "##."],
    "6": [".##", "#..", "###", "#.#", "###"],
    "7": ["###", "..#", ".#.", ".#.", ".#."],
    "8": ["###", "#.#", "###", "#.#", "###"],
    "9": ["###", "#.#", "###", "..#", "##."],
}
GLYPH_W = 3
GLYPH_H = 5
SPACE_W = 2


def plate_font(colour="cream"):
    """The font picture: every glyph in PLATE_GLYPHS order, then the space's blank cell."""
    c = Canvas(len(PLATE_GLYPHS) * GLYPH_W + SPACE_W, GLYPH_H)
    for i, rows in enumerate(PLATE_GLYPHS.values()):
        for y, row in enumerate(rows):
            for x, bit in enumerate(row):
                if bit == "#":
                    c.put(i * GLYPH_W + x, y, colour)
    return c


def plate_characters():
    """The font's character list as the stock writes it: "characters:width" groups."""
    return "%s:%d, :%d" % ("".join(PLATE_GLYPHS), GLYPH_W, SPACE_W)
