"""Shared palette and drawing helpers of the program's pictures: a 24-bit picture with simple
shapes (rectangles, rounded rectangles, gradients, lines, discs), and writers for BMP and ICO
files. Each window's pictures are drawn in a module of their own beside this one."""

import struct

MAGENTA = (255, 0, 255)   # left out by the skinned controls

# One look for every window: deep blue over a pale blue-grey face.
PALETTE = {
    "ink": (0x40, 0x51, 0x6F),        # 7295296, the windows' dark blue text
    "navy": (0x16, 0x3A, 0x6E),
    "blue": (0x2B, 0x62, 0xB0),
    "sky": (0x5C, 0x9A, 0xE0),
    "ice": (0xD6, 0xE6, 0xF7),
    "face": (0xCF, 0xD7, 0xE0),       # 14735055, the frame's face
    "panel": (0xE3, 0xE4, 0xE3),      # 14935011
    "white": (0xFF, 0xFF, 0xFF),
    "grey": (0x9A, 0xA6, 0xB2),
    "shadow": (0x6A, 0x78, 0x88),
    "amber": (0xF2, 0xA9, 0x1E),
    "red": (0xC8, 0x3A, 0x2E),
    "green": (0x3C, 0x9A, 0x4A),
}


def colour_value(rgb):
    """The framework's colour value (blue in the high byte) of an (r, g, b)."""
    return rgb[0] | (rgb[1] << 8) | (rgb[2] << 16)


def from_value(v):
    return (v & 255, (v >> 8) & 255, (v >> 16) & 255)


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


class Img:
    def __init__(self, w, h, fill=MAGENTA):
        self.w, self.h = w, h
        self.p = [[fill] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.p[y][x] = c

    def get(self, x, y):
        return self.p[y][x]

    def rect(self, x0, y0, x1, y1, c):
        for y in range(max(0, y0), min(self.h, y1)):
            row = self.p[y]
            for x in range(max(0, x0), min(self.w, x1)):
                row[x] = c

    def frame(self, x0, y0, x1, y1, c):
        self.rect(x0, y0, x1, y0 + 1, c)
        self.rect(x0, y1 - 1, x1, y1, c)
        self.rect(x0, y0, x0 + 1, y1, c)
        self.rect(x1 - 1, y0, x1, y1, c)

    def vgradient(self, x0, y0, x1, y1, stops, mask=None):
        """Fills a box with a top-to-bottom gradient; stops: [(t, colour), ...]."""
        h = max(y1 - y0 - 1, 1)
        for y in range(max(0, y0), min(self.h, y1)):
            c = at(stops, (y - y0) / h)
            for x in range(max(0, x0), min(self.w, x1)):
                if mask is None or mask(x, y):
                    self.p[y][x] = c

    def hgradient(self, x0, y0, x1, y1, stops):
        w = max(x1 - x0 - 1, 1)
        for x in range(max(0, x0), min(self.w, x1)):
            c = at(stops, (x - x0) / w)
            for y in range(max(0, y0), min(self.h, y1)):
                self.p[y][x] = c

    def round_rect(self, x0, y0, x1, y1, r, fill_stops, border=None):
        """A rounded box filled with a vertical gradient and a one-pixel border."""
        w, h = x1 - x0, y1 - y0
        inside = lambda x, y: inside_round(x - x0, y - y0, w, h, r)
        self.vgradient(x0, y0, x1, y1, fill_stops, inside)
        if border:
            for y in range(y0, y1):
                for x in range(x0, x1):
                    if inside(x, y) and not (inside(x - 1, y) and inside(x + 1, y) and
                                             inside(x, y - 1) and inside(x, y + 1)):
                        self.set(x, y, border)

    def disc(self, cx, cy, r, c):
        for y in range(int(cy - r - 1), int(cy + r + 2)):
            for x in range(int(cx - r - 1), int(cx + r + 2)):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.set(x, y, c)

    def ring(self, cx, cy, r, width, c):
        for y in range(int(cy - r - 1), int(cy + r + 2)):
            for x in range(int(cx - r - 1), int(cx + r + 2)):
                d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
                if r - width <= d <= r:
                    self.set(x, y, c)

    def line(self, x0, y0, x1, y1, c, width=1):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            x = x0 + (x1 - x0) * i / n
            y = y0 + (y1 - y0) * i / n
            for dy in range(width):
                for dx in range(width):
                    self.set(int(round(x)) + dx, int(round(y)) + dy, c)

    def blit(self, src, dx, dy, key=MAGENTA):
        for y in range(src.h):
            for x in range(src.w):
                c = src.p[y][x]
                if c != key:
                    self.set(dx + x, dy + y, c)

    def bmp_bytes(self):
        stride = (self.w * 3 + 3) & ~3
        data = bytearray()
        for y in range(self.h - 1, -1, -1):
            row = bytearray()
            for (r, g, b) in self.p[y]:
                row += bytes((b, g, r))
            row += b"\0" * (stride - len(row))
            data += row
        return data

    def save_bmp(self, path):
        data = self.bmp_bytes()
        header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, self.w, self.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        with open(path, "wb") as f:
            f.write(header + info + data)


def at(stops, t):
    c = stops[0][1]
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t0 <= t <= t1:
            return mix(c0, c1, (t - t0) / max(t1 - t0, 1e-6))
        c = c1
    return c


def inside_round(x, y, w, h, r):
    if not (0 <= x < w and 0 <= y < h):
        return False
    if r <= 0:
        return True
    cx = min(max(x, r), w - 1 - r)
    cy = min(max(y, r), h - 1 - r)
    dx, dy = x - cx, y - cy
    return dx * dx + dy * dy <= r * r + r * 0.8


def strip(frames):
    """Frames of equal size side by side."""
    out = Img(sum(f.w for f in frames), frames[0].h)
    x = 0
    for f in frames:
        out.blit(f, x, 0, key=None)
        x += f.w
    return out


def save_ico(images, path):
    """An icon file of 32-bit pictures (magenta is transparent) at their own sizes."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for img in images:
        xor = bytearray()
        for y in range(img.h - 1, -1, -1):
            for (r, g, b) in img.p[y]:
                a = 0 if (r, g, b) == MAGENTA else 255
                xor += bytes((b, g, r, a) if a else (0, 0, 0, 0))
        mask_stride = ((img.w + 31) // 32) * 4
        mask = bytearray()
        for y in range(img.h - 1, -1, -1):
            row = bytearray(mask_stride)
            for x, c in enumerate(img.p[y]):
                if c == MAGENTA:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += row
        info = struct.pack("<IiiHHIIiiII", 40, img.w, img.h * 2, 1, 32, 0, len(xor) + len(mask),
                           0, 0, 0, 0)
        blob = info + xor + mask
        entries.append(struct.pack("<BBBBHHII", img.w % 256, img.h % 256, 0, 0, 1, 32,
                                   len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)))
        for e in entries:
            f.write(e)
        for b in blobs:
            f.write(b)


def button_states(w, h, draw):
    """The four pictures of a button (normal, under the pointer, pressed, disabled):
    draw(img, state) paints one of them."""
    out = {}
    for state in ("N", "H", "D", "X"):
        img = Img(w, h)
        draw(img, state)
        out[state] = img
    return out
