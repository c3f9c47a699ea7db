"""Palette-index canvases and the few drawing operations the demo artwork needs.

Every picture is drawn in indices of one shared palette (PALETTE); index 0 is the
transparent colour. Coordinates are pixels, x to the right and y down, rectangles
inclusive at both ends.
"""

# Colours of the demo artwork. The transparent entry is never seen (a picture's
# transparent colour is replaced when it is drawn); none of the others is the show's
# colour key 16,0,16 nor one of the marker colours 123,0,123 and 243,0,243 that
# loaders turn transparent.
PALETTE = [
    ("clear", (255, 0, 255)),
    ("ink", (22, 22, 26)),
    ("coal", (44, 45, 50)),
    ("iron", (64, 66, 72)),
    ("steel", (96, 99, 106)),
    ("grey", (128, 131, 138)),
    ("silver", (170, 173, 180)),
    ("pale", (206, 208, 212)),
    ("white", (242, 242, 236)),
    ("glass", (38, 54, 72)),
    ("glass2", (70, 96, 122)),
    ("shine", (150, 180, 204)),
    ("cave", (28, 26, 30)),
    ("lamp", (255, 244, 170)),
    ("tail", (214, 30, 30)),
    ("beacon", (255, 156, 0)),
    # electric locomotive
    ("red", (192, 34, 36)),
    ("red_dk", (142, 22, 28)),
    ("red_lt", (228, 84, 72)),
    ("cream", (236, 224, 190)),
    ("cream_dk", (200, 186, 150)),
    # diesel
    ("yellow", (242, 192, 32)),
    ("yellow_dk", (190, 138, 18)),
    ("yellow_lt", (255, 224, 110)),
    # coach A
    ("green", (44, 122, 56)),
    ("green_dk", (26, 86, 38)),
    ("green_lt", (96, 164, 92)),
    # coach B
    ("blue", (32, 82, 160)),
    ("blue_dk", (20, 54, 112)),
    ("blue_lt", (86, 132, 204)),
    # the recoloured coach's livery (the pictures never use it; the "C" items put it on)
    ("maroon", (122, 30, 52)),
    ("maroon_dk", (88, 20, 38)),
    ("maroon_lt", (160, 62, 82)),
    # wagons
    ("brown", (128, 72, 42)),
    ("brown_dk", (92, 50, 30)),
    ("brown_lt", (160, 98, 60)),
    ("rust", (150, 82, 44)),
    ("tank", (184, 186, 178)),
    ("tank_dk", (132, 134, 128)),
    ("tank_lt", (222, 224, 216)),
    ("orange", (232, 110, 30)),
    # landscape
    ("sky0", (78, 132, 198)),
    ("sky1", (92, 146, 206)),
    ("sky2", (108, 160, 214)),
    ("sky3", (126, 174, 222)),
    ("sky4", (146, 188, 228)),
    ("sky5", (166, 202, 234)),
    ("sky6", (188, 216, 238)),
    ("cloud", (248, 250, 252)),
    ("cloud_sh", (214, 224, 236)),
    ("hill_far", (122, 158, 150)),
    ("hill_far2", (108, 146, 138)),
    ("hill", (88, 140, 84)),
    ("hill2", (74, 124, 70)),
    ("grass", (98, 158, 66)),
    ("grass_dk", (78, 132, 52)),
    ("grass_lt", (130, 184, 86)),
    ("leaf", (46, 102, 52)),
    ("leaf_dk", (32, 78, 40)),
    ("leaf_lt", (76, 136, 70)),
    ("trunk", (94, 64, 40)),
    ("flower", (236, 222, 90)),
    ("flower2", (236, 236, 246)),
    ("ballast", (142, 132, 120)),
    ("ballast_dk", (112, 104, 94)),
    ("ballast_lt", (170, 162, 150)),
    ("sleeper", (90, 68, 50)),
    ("rail", (188, 190, 196)),
    ("concrete", (186, 182, 172)),
    ("concrete_dk", (150, 146, 138)),
    ("concrete_lt", (210, 206, 196)),
    ("edge", (238, 210, 70)),
    # station building
    ("brick", (170, 88, 60)),
    ("brick_dk", (138, 66, 46)),
    ("brick_lt", (196, 116, 82)),
    ("mortar", (206, 190, 170)),
    ("roof", (92, 60, 58)),
    ("roof_dk", (70, 44, 44)),
    ("roof_lt", (118, 80, 74)),
    ("wood", (120, 84, 52)),
    ("wood_dk", (86, 58, 36)),
    ("sign", (30, 60, 110)),
]

INDEX = {name: i for i, (name, _) in enumerate(PALETTE)}
CLEAR = 0

assert len(PALETTE) <= 256
assert len({rgb for _, rgb in PALETTE}) == len(PALETTE), "palette colours must differ"
for _, rgb in PALETTE:
    assert rgb not in ((16, 0, 16), (123, 0, 123), (243, 0, 243)), rgb


def C(name):
    return INDEX[name]


class Canvas:
    def __init__(self, width, height, fill="clear"):
        self.w = width
        self.h = height
        self.px = bytearray([C(fill)]) * (width * height)

    def get(self, x, y):
        if 0 <= x < self.w and 0 <= y < self.h:
            return self.px[y * self.w + x]
        return CLEAR

    def put(self, x, y, colour):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y * self.w + x] = C(colour) if isinstance(colour, str) else colour

    def rect(self, x0, y0, x1, y1, colour):
        c = C(colour) if isinstance(colour, str) else colour
        x0, x1 = max(x0, 0), min(x1, self.w - 1)
        for y in range(max(y0, 0), min(y1, self.h - 1) + 1):
            if x0 <= x1:
                self.px[y * self.w + x0:y * self.w + x1 + 1] = bytes([c]) * (x1 - x0 + 1)

    def hline(self, x0, x1, y, colour):
        self.rect(min(x0, x1), y, max(x0, x1), y, colour)

    def vline(self, x, y0, y1, colour):
        self.rect(x, min(y0, y1), x, max(y0, y1), colour)

    def frame(self, x0, y0, x1, y1, colour):
        self.hline(x0, x1, y0, colour)
        self.hline(x0, x1, y1, colour)
        self.vline(x0, y0, y1, colour)
        self.vline(x1, y0, y1, colour)

    def line(self, x0, y0, x1, y1, colour):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.put(x0, y0, colour)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def disc(self, cx, cy, r, colour):
        for y in range(int(cy - r) - 1, int(cy + r) + 2):
            for x in range(int(cx - r) - 1, int(cx + r) + 2):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r + 0.5:
                    self.put(x, y, colour)

    def ellipse(self, cx, cy, rx, ry, colour):
        for y in range(int(cy - ry) - 1, int(cy + ry) + 2):
            for x in range(int(cx - rx) - 1, int(cx + rx) + 2):
                if ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0:
                    self.put(x, y, colour)

    def poly(self, points, colour):
        """Fills a polygon: the pixels whose centres lie inside it (even-odd rule)."""
        ys = [p[1] for p in points]
        for y in range(int(min(ys)), int(max(ys)) + 1):
            yc = y + 0.5
            xs = []
            for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
                if (ay <= yc < by) or (by <= yc < ay):
                    xs.append(ax + (yc - ay) * (bx - ax) / (by - ay))
            xs.sort()
            for a, b in zip(xs[0::2], xs[1::2]):
                x0 = int(a + 0.5)
                x1 = int(b - 0.5)
                if x1 >= x0:
                    self.rect(x0, y, x1, y, colour)

    def blit(self, other, dx, dy):
        """Draws another canvas at dx, dy; its transparent pixels leave this one alone."""
        for y in range(other.h):
            for x in range(other.w):
                c = other.px[y * other.w + x]
                if c != CLEAR:
                    self.put(dx + x, dy + y, c)

    def replace(self, old, new, x0=0, y0=0, x1=None, y1=None):
        o, n = C(old), C(new)
        x1 = self.w - 1 if x1 is None else x1
        y1 = self.h - 1 if y1 is None else y1
        for y in range(max(y0, 0), min(y1, self.h - 1) + 1):
            for x in range(max(x0, 0), min(x1, self.w - 1) + 1):
                if self.px[y * self.w + x] == o:
                    self.px[y * self.w + x] = n

    def outline(self, colour="ink"):
        """Darkens every opaque pixel that touches a transparent one (or the picture's side
        or top edge): the silhouette line of a vehicle, drawn last."""
        c = C(colour)
        edge = []
        for y in range(self.h):
            for x in range(self.w):
                if self.px[y * self.w + x] == CLEAR:
                    continue
                for nx, ny in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)):
                    if ny >= self.h:
                        continue  # the rail is below: no line along the bottom row
                    if nx < 0 or nx >= self.w or ny < 0 or self.px[ny * self.w + nx] == CLEAR:
                        edge.append((x, y))
                        break
        for x, y in edge:
            self.px[y * self.w + x] = c

    def top_row(self):
        """The first row holding an opaque pixel."""
        for y in range(self.h):
            if any(p != CLEAR for p in self.px[y * self.w:(y + 1) * self.w]):
                return y
        return self.h

    def cropped_top(self, rows):
        out = Canvas(self.w, self.h - rows)
        out.px[:] = self.px[rows * self.w:]
        return out

    def sub(self, x0, y0, w, h):
        out = Canvas(w, h)
        for y in range(h):
            for x in range(w):
                out.px[y * w + x] = self.get(x0 + x, y0 + y)
        return out

    def used(self):
        return sorted(set(self.px))


class Lcg:
    """A small fixed random sequence, the same on every machine and Python version."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self, n):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return (self.state >> 8) % n
