#!/usr/bin/env python3
"""Draws the resource bitmaps of the five built-in skin styles and writes them, with a resource
script naming each one, into an output folder:  make_skin_bitmaps.py OUTDIR

Every picture is drawn here from simple shapes (rounded rectangles, gradients, glyphs); nothing
is copied from elsewhere. Magenta (FF00FF) marks pixels that skinned controls leave out."""

import os
import struct
import sys

MAGENTA = (255, 0, 255)


def rgb(hexstr):
    v = int(hexstr, 16)
    return ((v >> 16) & 255, (v >> 8) & 255, v & 255)


def mix(a, b, t):
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
            for x in range(max(0, x0), min(self.w, x1)):
                self.p[y][x] = c

    def blit(self, src, dx, dy):
        for y in range(src.h):
            for x in range(src.w):
                self.set(dx + x, dy + y, src.p[y][x])

    def bmp_bytes(self):
        """The picture as a 24-bit bottom-up BMP file."""
        stride = (self.w * 3 + 3) & ~3
        data = bytearray()
        for y in range(self.h - 1, -1, -1):
            row = bytearray()
            for (r, g, b) in self.p[y]:
                row += bytes((b, g, r))
            row += b"\0" * (stride - len(row))
            data += row
        header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, self.w, self.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        return header + info + bytes(data)

    def save(self, path):
        with open(path, "wb") as f:
            f.write(self.bmp_bytes())


def inside_round(x, y, w, h, r):
    """True when pixel (x, y) lies inside a w x h rectangle with corners of radius r."""
    if r <= 0:
        return 0 <= x < w and 0 <= y < h
    cx = min(max(x, r), w - 1 - r)
    cy = min(max(y, r), h - 1 - r)
    dx, dy = x - cx, y - cy
    return dx * dx + dy * dy <= r * r + r * 0.8


def gradient(w, h, stops):
    """A vertical gradient over the whole picture (stops: list of (t, colour))."""
    img = Img(w, h)
    for y in range(h):
        t = y / max(h - 1, 1)
        c = stops[0][1]
        for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
            if t0 <= t <= t1:
                c = mix(c0, c1, (t - t0) / max(t1 - t0, 1e-6))
                break
        for x in range(w):
            img.set(x, y, c)
    return img


def shape(w, h, r, stops, border, outside=MAGENTA, inner=None, split=None):
    """A rounded body with a vertical gradient (stops: list of (t, colour)), a one-pixel border
    and an optional inner highlight line; pixels outside the corners get `outside`."""
    img = Img(w, h, outside)
    for y in range(h):
        t = y / max(h - 1, 1)
        c = stops[0][1]
        for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
            if t0 <= t <= t1:
                c = mix(c0, c1, (t - t0) / max(t1 - t0, 1e-6))
                break
        for x in range(w):
            if inside_round(x, y, w, h, r):
                img.set(x, y, c)
    for y in range(h):
        for x in range(w):
            if not inside_round(x, y, w, h, r):
                continue
            edge = any(not inside_round(x + dx, y + dy, w, h, r)
                       for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            if edge:
                img.set(x, y, border)
            elif inner is not None:
                edge2 = any(not inside_round(x + dx, y + dy, w, h, r)
                            for dx, dy in ((2, 0), (-2, 0), (0, 2), (0, -2)))
                if edge2 and y < h * 0.6:
                    img.set(x, y, inner)
    return img


def strip(frames):
    w = sum(f.w for f in frames)
    h = max(f.h for f in frames)
    out = Img(w, h)
    x = 0
    for f in frames:
        out.blit(f, x, 0)
        x += f.w
    return out


# ---- glyphs (drawn in a frame of size s, centred) -------------------------------------------

def glyph(img, kind, colour, ox=0, oy=0):
    s = min(img.w, img.h)
    c = s // 2 + ox
    m = s // 2 + oy
    k = max(3, s // 4)
    if kind == "close":
        for i in range(-k, k + 1):
            for t in (0, 1):
                img.set(c + i + t, m + i, colour)
                img.set(c - i + t, m + i, colour)
    elif kind == "max":
        for x in range(c - k, c + k + 1):
            img.set(x, m - k, colour); img.set(x, m - k + 1, colour); img.set(x, m + k, colour)
        for y in range(m - k, m + k + 1):
            img.set(c - k, y, colour); img.set(c + k, y, colour)
    elif kind == "restore":
        j = k - 2
        for x in range(c - j + 2, c + j + 3):
            img.set(x, m - j - 2, colour)
        for y in range(m - j - 2, m + j - 1):
            img.set(c + j + 2, y, colour)
        for x in range(c - j - 1, c + j + 1):
            img.set(x, m - j, colour); img.set(x, m - j + 1, colour); img.set(x, m + j + 1, colour)
        for y in range(m - j, m + j + 2):
            img.set(c - j - 1, y, colour); img.set(c + j, y, colour)
    elif kind == "min":
        for x in range(c - k, c + k + 1):
            img.set(x, m + k - 1, colour); img.set(x, m + k, colour)
    elif kind == "help":
        pts = [(-1, -3), (0, -4), (1, -4), (2, -3), (2, -2), (1, -1), (0, 0), (0, 1), (0, 3)]
        for (x, y) in pts:
            img.set(c + x, m + y, colour); img.set(c + x + 1, m + y, colour)
    elif kind == "box":
        for y in range(m - 2, m + 3):
            for x in range(c - 3, c + 4):
                img.set(x, y, colour)
    elif kind in ("up", "down", "left", "right"):
        for i in range(4):
            for j in range(-i, i + 1):
                if kind == "up":
                    img.set(c + j, m - 2 + i, colour)
                elif kind == "down":
                    img.set(c + j, m + 1 - i, colour)
                elif kind == "left":
                    img.set(c - 2 + i, m + j, colour)
                else:
                    img.set(c + 1 - i, m + j, colour)
    elif kind == "check":
        pts = [(-4, 0), (-3, 1), (-2, 2), (-1, 3), (0, 2), (1, 1), (2, 0), (3, -1), (4, -2), (5, -3)]
        for (x, y) in pts:
            for t in (0, 1, 2):
                img.set(c + x - 1, m + y - 1 + t, colour)


# ---- the five looks -------------------------------------------------------------------------

class Look:
    pass


def looks():
    L = {}

    mac = Look()
    mac.name = "MACOS"
    mac.form = rgb("E7E7E7")
    mac.button_r = 9
    mac.button = [  # normal, over, down: (stops, border, inner)
        ([(0, rgb("FFFFFF")), (0.5, rgb("F1F1F1")), (0.51, rgb("E4E4E4")), (1, rgb("F7F7F7"))], rgb("8E8E8E"), rgb("FFFFFF")),
        ([(0, rgb("EAF4FE")), (0.5, rgb("C4E0FA")), (0.51, rgb("A9D1F7")), (1, rgb("D9ECFD"))], rgb("5C8FC9"), rgb("F4FAFF")),
        ([(0, rgb("B7D6F4")), (0.5, rgb("8DBDEB")), (0.51, rgb("6FA8E2")), (1, rgb("A7CDF2"))], rgb("3E72B0"), None),
    ]
    mac.button_outside = MAGENTA
    mac.title = [(0, rgb("F4F4F4")), (1, rgb("C9C9C9"))]
    mac.title_line = rgb("8E8E8E")
    mac.title_h = 22
    mac.tbtn = 17
    mac.tbtn_faces = [rgb("FF6159"), rgb("FFBD2E"), rgb("28C940"), rgb("A0A0A0")]
    mac.accent = rgb("3D7BD9")
    mac.dark = rgb("4D4D4D")
    mac.track = rgb("C9C9C9")
    L["MACOS"] = mac

    xp = Look()
    xp.name = "WINXP"
    xp.form = rgb("EFEBDE")
    xp.button_r = 3
    xp.button = [
        ([(0, rgb("FFFFFF")), (0.85, rgb("ECEBE6")), (1, rgb("D6D0C5"))], rgb("003C74"), None),
        ([(0, rgb("FFF0CF")), (0.15, rgb("FFFFFF")), (0.85, rgb("ECEBE6")), (1, rgb("F8B330"))], rgb("003C74"), None),
        ([(0, rgb("D1CCC1")), (0.2, rgb("E3E2DA")), (1, rgb("F2F1EE"))], rgb("003C74"), None),
    ]
    xp.button_outside = rgb("EFEBDE")
    xp.title = [(0, rgb("0A5FD8")), (0.12, rgb("3C8CF7")), (0.4, rgb("0058E6")), (1, rgb("0046C8"))]
    xp.title_line = rgb("002A9E")
    xp.title_h = 29
    xp.tbtn = 21
    xp.tbtn_faces = [rgb("E35A37"), rgb("3C7BF2"), rgb("3C7BF2"), rgb("3C7BF2")]
    xp.accent = rgb("316AC5")
    xp.dark = rgb("003C74")
    xp.track = rgb("F9F9F9")
    L["WINXP"] = xp

    db = Look()
    db.name = "DEEPBLUE"
    db.form = rgb("E8E8E8")
    db.button_r = 2
    db.button = [
        ([(0, rgb("E4EDFA")), (0.5, rgb("C3D5F0")), (0.51, rgb("AFC6EA")), (1, rgb("C9DAF3"))], rgb("14285A"), rgb("F2F6FD")),
        ([(0, rgb("F0F6FF")), (0.5, rgb("D2E3FA")), (0.51, rgb("BCD5F7")), (1, rgb("DDEBFD"))], rgb("1D3D86"), rgb("FFFFFF")),
        ([(0, rgb("8EA7D2")), (0.5, rgb("A4BBE0")), (1, rgb("C4D4EE"))], rgb("0C1C44"), None),
    ]
    db.button_outside = rgb("E8E8E8")
    db.title = [(0, rgb("2B4A8F")), (0.5, rgb("17336F")), (1, rgb("0C2150"))]
    db.title_line = rgb("000000")
    db.title_h = 24
    db.tbtn = 19
    db.tbtn_faces = [rgb("B03030"), rgb("2A4C94"), rgb("2A4C94"), rgb("2A4C94")]
    db.accent = rgb("1E3F8A")
    db.dark = rgb("0C2150")
    db.track = rgb("F5F5F5")
    L["DEEPBLUE"] = db

    pr = Look()
    pr.name = "PROTEIN"
    pr.form = rgb("FBFBFB")
    pr.button_r = 3
    pr.button = [
        ([(0, rgb("F3F6F1")), (0.5, rgb("DCE5D7")), (1, rgb("C4D2BC"))], rgb("647A5B"), rgb("FFFFFF")),
        ([(0, rgb("F8FCF5")), (0.5, rgb("E3F0DB")), (1, rgb("CDE2C0"))], rgb("4F7F3C"), rgb("FFFFFF")),
        ([(0, rgb("B3C4AA")), (0.5, rgb("C6D3BF")), (1, rgb("DAE3D5"))], rgb("4A5E41"), None),
    ]
    pr.button_outside = rgb("FBFBFB")
    pr.title = [(0, rgb("A9B8A2")), (0.5, rgb("8C9D85")), (1, rgb("77896F"))]
    pr.title_line = rgb("4A5A44")
    pr.title_h = 24
    pr.tbtn = 19
    pr.tbtn_faces = [rgb("9C5A4A"), rgb("6E8466"), rgb("6E8466"), rgb("6E8466")]
    pr.accent = rgb("6E9A5A")
    pr.dark = rgb("3E4E38")
    pr.track = rgb("F5F5F5")
    L["PROTEIN"] = pr

    bg = Look()
    bg.name = "BLUEGLASS"
    bg.form = rgb("E7E7E7")
    bg.button_r = 5
    bg.button = [
        ([(0, rgb("E6F2FF")), (0.48, rgb("BFDDFB")), (0.5, rgb("8DC0F3")), (1, rgb("B8DCFD"))], rgb("2F5F9A"), rgb("F7FBFF")),
        ([(0, rgb("F2F9FF")), (0.48, rgb("CFE8FF")), (0.5, rgb("9ED0FF")), (1, rgb("CCEBFF"))], rgb("2C6FBF"), rgb("FFFFFF")),
        ([(0, rgb("9FC6EE")), (0.48, rgb("86B4E6")), (0.5, rgb("5E9ADB")), (1, rgb("8CC0F0"))], rgb("1F4777"), None),
    ]
    bg.button_outside = MAGENTA
    bg.title = [(0, rgb("C9E2FB")), (0.45, rgb("8FBEEF")), (0.47, rgb("5F9CE0")), (1, rgb("7DB5EE"))]
    bg.title_line = rgb("2F5F9A")
    bg.title_h = 30
    bg.tbtn = 19
    bg.tbtn_faces = [rgb("D9534F"), rgb("5A93D6"), rgb("5A93D6"), rgb("5A93D6")]
    bg.accent = rgb("3C7FD0")
    bg.dark = rgb("1F4777")
    bg.track = rgb("F4F4F4")
    L["BLUEGLASS"] = bg
    return L


def button_strip(lk):
    frames = []
    for stops, border, inner in lk.button:
        frames.append(shape(74, 21, lk.button_r, stops, border, lk.button_outside, inner))
    if lk.name == "WINXP":
        # The hovered XP button glows orange along its inner edges.
        f = frames[1]
        for x in range(2, f.w - 2):
            f.set(x, 1, rgb("FFF0CF"))
            f.set(x, 2, rgb("F9D689"))
            f.set(x, f.h - 3, rgb("F8C35A"))
            f.set(x, f.h - 2, rgb("E5970D"))
        for y in range(2, f.h - 2):
            f.set(1, y, rgb("FAD68A"))
            f.set(f.w - 2, y, rgb("F4B646"))
    return strip(frames)


def title_parts(lk):
    h = lk.title_h
    outside = MAGENTA
    # Drawn taller and cut, so that no piece carries a bottom border line.
    body = lambda w, r: shape(w, h + 6, r, lk.title, lk.title_line, outside)
    left = body(24, 6 if lk.name in ("WINXP", "BLUEGLASS") else 0)
    left = crop(left, 0, 0, 12, h)
    right = body(24, 6 if lk.name in ("WINXP", "BLUEGLASS") else 0)
    right = crop(right, 12, 0, 24, h)
    mid = shape(8, h + 6, 0, lk.title, lk.title_line, outside)
    mid = crop(mid, 2, 0, 6, h)
    return left, mid, right


def crop(img, x0, y0, x1, y1):
    out = Img(x1 - x0, y1 - y0)
    for y in range(y0, y1):
        for x in range(x0, x1):
            out.set(x - x0, y - y0, img.get(x, y))
    return out


def title_buttons(lk, transparent):
    s = lk.tbtn
    kinds = ["box", "help", "max", "restore", "min", "close"]
    frames = []
    for kind in kinds:
        face = lk.tbtn_faces[0] if kind == "close" else lk.tbtn_faces[1]
        if lk.name == "MACOS":
            face = {"close": lk.tbtn_faces[0], "min": lk.tbtn_faces[1], "max": lk.tbtn_faces[2],
                    "restore": lk.tbtn_faces[2]}.get(kind, lk.tbtn_faces[3])
        for state in range(3):
            top = mix(face, (255, 255, 255), [0.35, 0.55, 0.1][state])
            bottom = mix(face, (0, 0, 0), [0.1, 0.0, 0.3][state])
            outside = MAGENTA if transparent else lk.title[len(lk.title) // 2][1]
            r = s // 2 - 1 if lk.name == "MACOS" else 3
            f = shape(s, s, r, [(0, top), (1, bottom)], mix(face, (0, 0, 0), 0.45), outside)
            if lk.name != "MACOS" or state > 0:
                glyph(f, kind, (255, 255, 255) if lk.name != "MACOS" else (60, 20, 20))
            frames.append(f)
    return strip(frames)


def simple_frames(lk, n, w, h, kinds=None, r=2):
    frames = []
    for i in range(n):
        state = i % 3
        stops = lk.button[state][0]
        f = shape(w, h, r, stops, lk.button[state][1], lk.button_outside)
        if kinds:
            glyph(f, kinds[i // 3], lk.dark)
        frames.append(f)
    return strip(frames)


def check_frames(lk, n, size, radio=False):
    frames = []
    for i in range(n):
        r = size // 2 if radio else 2
        f = shape(size, size, r, [(0, rgb("FFFFFF")), (1, mix(lk.form, (255, 255, 255), 0.3))],
                  lk.dark, lk.button_outside)
        if i % 2 == 1:
            if radio:
                for y in range(size):
                    for x in range(size):
                        if (x - size // 2) ** 2 + (y - size // 2) ** 2 <= 6:
                            f.set(x, y, lk.accent)
            else:
                glyph(f, "check", lk.accent)
        frames.append(f)
    return strip(frames)


def progress(lk):
    """The fill of a built-in progress bar. The bar stretches it over any length, so every
    column is the same: a glossy top half over the style's accent, a darker bottom line; the
    bar frames it with a border of its own."""
    w, h = 8, 14
    # Light enough that the bar's black percentage stays readable over the fill.
    stops = [(0, mix(lk.accent, (255, 255, 255), 0.75)), (0.45, mix(lk.accent, (255, 255, 255), 0.45)),
             (0.5, mix(lk.accent, (255, 255, 255), 0.3)), (0.92, mix(lk.accent, (255, 255, 255), 0.15)),
             (1, lk.accent)]
    return gradient(w, h, stops)


def trackbar_bar(lk):
    img = Img(30, 6, MAGENTA)
    inner = shape(30, 6, 2, [(0, mix(lk.dark, (255, 255, 255), 0.5)), (1, (255, 255, 255))], lk.dark)
    img.blit(inner, 0, 0)
    return img


def slider(lk, w, h):
    # Drawn on the style's form colour rather than magenta: a horizontal track bar keys the
    # thumb by its corner pixel, a vertical one draws it opaque on the form.
    stops = lk.button[0][0]
    return shape(w, h, min(w, h) // 2 - 1, stops, lk.button[0][1], lk.form, lk.button[0][2])


def scroll_track(lk):
    """The three pieces of a scroll thumb lying left to right, 8 x 16 each: start cap, middle,
    end cap. The middle is stretched over any length, so every column of it is the same; the
    body keeps a pixel of the bar's colour around it so that the thumb stands off the track
    and the buttons."""
    body = shape(22, 14, 3, [(0, mix(lk.accent, (255, 255, 255), 0.62)),
                             (0.5, mix(lk.accent, (255, 255, 255), 0.42)),
                             (1, mix(lk.accent, (255, 255, 255), 0.22))],
                 mix(lk.dark, lk.accent, 0.35), lk.track, mix(lk.accent, (255, 255, 255), 0.8))
    whole = Img(24, 16, lk.track)
    whole.blit(body, 1, 1)
    start = crop(whole, 0, 0, 8, 16)
    middle = Img(8, 16, lk.track)
    for y in range(16):
        for x in range(8):
            middle.set(x, y, whole.get(11, y))
    end = crop(whole, 16, 0, 24, 16)
    return strip([start, middle, end])


def scroll_buttons(lk):
    """Six 16 x 16 line buttons standing upright: up (normal, over, down), then down. Drawn on
    the scroll bar's colour, which the bar fills itself with."""
    frames = []
    for i in range(6):
        state = i % 3
        stops = lk.button[state][0]
        f = Img(16, 16, lk.track)
        f.blit(shape(16, 16, 2, stops, lk.button[state][1], lk.track), 0, 0)
        glyph(f, "up" if i < 3 else "down", lk.dark)
        frames.append(f)
    return strip(frames)


def form_background(lk, stripes):
    img = Img(32, 32, lk.form)
    for y in range(32):
        for x in range(32):
            if stripes == "mac" and y % 4 < 2:
                img.set(x, y, mix(lk.form, (255, 255, 255), 0.35))
            if stripes == "protein" and (x + y) % 8 == 0:
                img.set(x, y, mix(lk.form, rgb("B8C8B0"), 0.35))
    return img


def message_pictures():
    """The message dialogs' four 42 x 42 pictures side by side: warning, stop, information,
    help. Each is a shaded body with a dark rim and a light mark, on the transparent key."""
    size = 42

    def body(inside, top, bottom, rim):
        img = Img(size, size)
        for y in range(size):
            c = mix(top, bottom, y / (size - 1))
            for x in range(size):
                if inside(x, y):
                    edge = any(not inside(x + dx, y + dy)
                               for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
                    img.set(x, y, rim if edge else c)
        return img

    def disc(x, y):
        return (x - 20.5) ** 2 + (y - 20.5) ** 2 <= 19.3 ** 2

    def triangle(x, y):
        # Apex at the top centre, base along the bottom.
        if y < 3 or y > 38:
            return False
        half = (y - 3) * 19.5 / 35
        return abs(x - 20.5) <= half + 0.5

    white = (255, 255, 255)
    warning = body(triangle, rgb("FFF0A0"), rgb("E8B000"), rgb("8A6200"))
    warning.rect(19, 13, 23, 29, rgb("1E1E1E"))
    warning.rect(19, 31, 23, 35, rgb("1E1E1E"))

    stop = body(disc, rgb("F2786A"), rgb("A8180E"), rgb("6E0A04"))
    for i in range(12, 30):
        for t in range(-2, 2):
            stop.set(i + t, i, white)
            stop.set(41 - i + t, i, white)

    info = body(disc, rgb("8CBCF4"), rgb("1A4FB0"), rgb("0E3578"))
    for y in range(size):
        for x in range(size):
            if (x - 20.5) ** 2 + (y - 11.5) ** 2 <= 6.5:
                info.set(x, y, white)
    info.rect(19, 17, 23, 31, white)
    info.rect(17, 17, 19, 19, white)
    info.rect(16, 30, 26, 32, white)

    helpimg = body(disc, rgb("86D4C6"), rgb("167267"), rgb("0C4A42"))
    for y in range(size):
        for x in range(size):
            d = ((x - 20.5) ** 2 + (y - 15.5) ** 2) ** 0.5
            if 4.5 <= d <= 8.5 and (y <= 15 or x >= 21):
                helpimg.set(x, y, white)
    helpimg.rect(19, 22, 23, 27, white)
    helpimg.rect(19, 30, 23, 34, white)
    return strip([warning, stop, info, helpimg])


# The control-box menu's captions, loaded by the title bar from the string table.
SKIN_STRINGS = [
    (64512, "Mi&nimize"),
    (64513, "Ma&ximize/Restore"),
    (64514, "&Close"),
]


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    items = []

    def put(name, img):
        path = os.path.join(out, name.lower() + ".bmp")
        img.save(path)
        items.append((name, os.path.abspath(path).replace("\\", "/")))

    L = looks()
    transparent_titles = {"MACOS": False, "WINXP": False, "DEEPBLUE": False, "PROTEIN": True,
                          "BLUEGLASS": True}
    for key, lk in L.items():
        put(key + "_BUTTON", button_strip(lk))
        put(key + "_CHECKBOX", check_frames(lk, 8, 13))
        put(key + "_RADIOBUTTON", check_frames(lk, 8, 13, radio=True))
        put(key + "_CHECKLIST", check_frames(lk, 6, 13))
        put(key + "_TITLEBTN", title_buttons(lk, transparent_titles[key]))
        left, mid, right = title_parts(lk)
        put(key + "_TITLE_LEFT", left)
        put(key + "_TITLE_CLIENT", mid)
        put(key + "_TITLE_RIGHT", right)
        put(key + "_PROGRESSBAR", progress(lk))
        put(key + "_TRACKBAR_BAR", trackbar_bar(lk))
        put(key + "_TRACKBAR_SLIDER", slider(lk, 11, 19))
        put(key + "_TRACKBAR_SLIDER_V", slider(lk, 19, 11))
        put(key + "_SCROLLBAR_BUTTON", scroll_buttons(lk))
        put(key + "_SCROLLBAR_TRACK", scroll_track(lk))
        put(key + "_TAB", simple_frames(lk, 3, 24, 20, r=3))
        put(key + "_TAB_LINE", shape(4, 4, 0, [(0, lk.dark), (1, lk.dark)], lk.dark))
        put(key + "_SIDECHENNEL_HANDLE", simple_frames(lk, 3, 20, 20, ["down"], r=4))
        put(key + "_SIDECHENNEL_BAR", shape(24, 24, 4, lk.title, lk.title_line))
    put("MACOS_SCROLLBUTTON", simple_frames(L["MACOS"], 3, 16, 16, ["down"], r=7))
    put("WINXP_SCROLLBUTTON", simple_frames(L["WINXP"], 3, 16, 16, ["down"]))
    put("MORE_SCROLLBUTTON", simple_frames(L["DEEPBLUE"], 3, 16, 16, ["down"]))
    cb = shape(16, 17, 3, L["MACOS"].button[1][0], L["MACOS"].button[1][1], L["MACOS"].form)
    glyph(cb, "down", (40, 40, 40))
    put("MACOS_COMBOBOX_BUTTON", cb)
    cb = shape(16, 18, 2, [(0, rgb("C1D3FB")), (1, rgb("98B4F4"))], rgb("7C9DE8"), rgb("FFFFFF"))
    glyph(cb, "down", (77, 97, 133))
    put("WINXP_COMBOBOX_BUTTON", cb)
    # The menus stretch these over whole items and bars: plain gradients, no border, which
    # stretching would smear into wide stripes.
    put("MACOS_MENU_BAR", gradient(8, 20, [(0, rgb("FBFBFB")), (1, rgb("E2E2E2"))]))
    put("MACOS_MENU_SELECT", gradient(8, 20, [(0, rgb("6FA3F0")), (1, rgb("2F6BD6"))]))
    put("MACOS_FORM_BACKGROUND", form_background(L["MACOS"], "mac"))
    put("PROTEIN_FORM_BACKGROUND", form_background(L["PROTEIN"], "protein"))
    # Menus key the check glyph on white (their image lists use it as the mask colour).
    check = Img(16, 16, (255, 255, 255))
    glyph(check, "check", (0, 0, 0))
    put("MENU_CHECKED", check)
    put("MSGDLG", message_pictures())

    with open(os.path.join(out, "skin_bitmaps.rc"), "w") as rc:
        rc.write("// Built-in skin bitmaps, generated by tools/make_skin_bitmaps.py.\n")
        for name, file in items:
            rc.write('%s BITMAP "%s"\n' % (name, file))
        # The skinned library's own texts (their ids are in skin/SkinStrings.h).
        rc.write("STRINGTABLE\nBEGIN\n")
        for ident, text in SKIN_STRINGS:
            rc.write('  %d, "%s"\n' % (ident, text))
        rc.write("END\n")


if __name__ == "__main__":
    main()
