#!/usr/bin/env python3
"""Draws the results window's pictures and writes them, with a resource script naming each one,
into an output folder:  results_art.py OUTDIR

  ART_ITEM_PICTURES  16 x 16 item pictures side by side: 0 file, 1 open folder, 2 folder
  ART_CHECK_STATES   16 x 16 check-box states: 0 blank, 1 unchecked, 2 mixed, 3 checked
  ART_SORT_ARROWS    16 x 16 header sort arrows: 0 blank, 1 ascending, 2 descending
  ART_LIST_HEADER    the result lists' header background, stretched over each column
  ART_LIST_HEADER_LINE  the separator drawn on each column's right edge
  ART_BTN_BACK, ART_BTN_FILTER, ART_BTN_RECOVER
                     the three command buttons, 100 x 28, each as four pictures named with
                     _N, _H, _D and _X (normal, under the pointer, pressed, disabled); the
                     icon sits left, the caption's leading blanks keep the text off it

Every picture is drawn here from simple shapes with the built-in skin drawing helpers;
magenta (FF00FF) marks pixels left out."""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
# The skin bitmap helpers live in tools/; this file may sit in a sub-folder of it.
for folder in (HERE, os.path.dirname(HERE)):
    if os.path.exists(os.path.join(folder, "make_skin_bitmaps.py")):
        sys.path.insert(0, folder)
        break
from make_skin_bitmaps import MAGENTA, Img, glyph, mix, rgb, shape, strip  # noqa: E402

ACCENT = rgb("1E3F8A")
DARK = rgb("0C2150")


def line(img, x0, y0, x1, y1, c):
    steps = max(abs(x1 - x0), abs(y1 - y0), 1)
    for i in range(steps + 1):
        img.set(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps), c)


def file_icon():
    img = Img(16, 16)
    edge = rgb("5A6B86")
    for y in range(1, 15):
        for x in range(3, 13):
            img.set(x, y, mix(rgb("FFFFFF"), rgb("E3EAF5"), (y - 1) / 13))
    for y in range(1, 15):
        img.set(3, y, edge)
        img.set(12, y, edge)
    for x in range(3, 13):
        img.set(x, 14, edge)
    for x in range(3, 9):
        img.set(x, 1, edge)
    # The folded corner.
    for i in range(5):
        img.set(8 + i, 1 + i, edge)
        for x in range(9 + i, 13):
            img.set(x, 1 + i, MAGENTA)
    for y in range(1, 6):
        img.set(8, y, edge)
    for x in range(8, 13):
        img.set(x, 5, edge)
    for x in range(9, 12):
        for y in range(2, 5):
            if x - 8 <= y - 1:
                img.set(x, y, rgb("C9D4E6"))
    for y in (7, 9, 11):
        for x in range(5, 11):
            img.set(x, y, rgb("8C9BB5"))
    return img


def folder_icon(open_):
    img = Img(16, 16)
    edge = rgb("9A6A12")
    back = [(0, rgb("F8D77A")), (1, rgb("E7B53C"))]
    body = shape(15, 10, 1, back, edge)
    tab = shape(7, 4, 1, [(0, rgb("F3C95B")), (1, rgb("F3C95B"))], edge)
    img.blit(tab, 0, 2)
    img.blit(body, 0, 4)
    if open_:
        # A lighter front flap tilted forward.
        for y in range(7, 14):
            shift = (13 - y) // 2
            for x in range(2 + shift, 16 - (13 - y) // 3):
                img.set(x, y, mix(rgb("FFE9A8"), rgb("F2C14E"), (y - 7) / 6))
        line(img, 2 + 3, 7, 15, 7, edge)
        line(img, 2 + 3, 7, 2, 13, edge)
        line(img, 15, 7, 13, 13, edge)
        line(img, 2, 13, 13, 13, edge)
    else:
        for x in range(1, 14):
            img.set(x, 6, rgb("FFF0C4"))
    return img


def check_box(state):
    img = Img(16, 16)
    if state == 0:
        return img
    box = shape(13, 13, 1, [(0, rgb("FFFFFF")), (1, rgb("DCE5F4"))], rgb("3A5A9C"))
    img.blit(box, 1, 1)
    if state == 2:
        for y in range(5, 10):
            for x in range(5, 10):
                img.set(x, y, mix(ACCENT, rgb("6D8FD0"), (y - 5) / 4))
    elif state == 3:
        glyph(img, "check", DARK, 0, 0)
    return img


def sort_arrow(direction):
    img = Img(16, 16)
    if direction == 0:
        return img
    colour = rgb("3A5A9C")
    for i in range(5):
        for j in range(-i, i + 1):
            y = 5 + i if direction == 1 else 10 - i
            img.set(8 + j, y, colour)
    return img


def back_icon(img, ox, oy, c):
    for i in range(6):
        for j in range(-i, i + 1):
            img.set(ox + 2 + i, oy + 8 + j, c)
    for y in range(oy + 6, oy + 11):
        for x in range(ox + 8, ox + 15):
            img.set(x, y, c)


def filter_icon(img, ox, oy, c):
    for y in range(0, 6):
        for x in range(1 + y, 16 - y):
            img.set(ox + x, oy + 2 + y, c)
    for y in range(8, 14):
        for x in range(7, 10):
            img.set(ox + x, oy + y, c)


def recover_icon(img, ox, oy, c):
    for y in range(1, 7):
        for x in range(6, 11):
            img.set(ox + x, oy + y, c)
    for i in range(5):
        for j in range(-4 + i, 5 - i):
            img.set(ox + 8 + j, oy + 7 + i, c)
    for x in range(1, 16):
        img.set(ox + x, oy + 14, c)
        img.set(ox + x, oy + 15, c)
    for y in range(11, 15):
        img.set(ox + 1, oy + y, c)
        img.set(ox + 15, oy + y, c)


FACES = [
    ([(0, rgb("E4EDFA")), (0.5, rgb("C3D5F0")), (0.51, rgb("AFC6EA")), (1, rgb("C9DAF3"))],
     rgb("14285A"), rgb("F2F6FD"), DARK),
    ([(0, rgb("F0F6FF")), (0.5, rgb("D2E3FA")), (0.51, rgb("BCD5F7")), (1, rgb("DDEBFD"))],
     rgb("1D3D86"), rgb("FFFFFF"), ACCENT),
    ([(0, rgb("8EA7D2")), (0.5, rgb("A4BBE0")), (1, rgb("C4D4EE"))], rgb("0C1C44"), None, DARK),
    ([(0, rgb("EEEEEE")), (1, rgb("D8D8D8"))], rgb("A0A0A0"), rgb("F8F8F8"), rgb("A8A8A8")),
]

BUTTON_W, BUTTON_H = 100, 28


def list_header():
    img = Img(8, 22)
    for y in range(22):
        c = mix(rgb("FFFFFF"), rgb("DCE6F5"), y / 19) if y < 20 else rgb("9FB4D8")
        for x in range(8):
            img.set(x, y, c)
    return img


def header_line():
    img = Img(2, 22)
    for y in range(3, 19):
        img.set(0, y, rgb("9FB4D8"))
        img.set(1, y, rgb("FFFFFF"))
    return img


def command_button(icon):
    frames = []
    for stops, border, inner, ink in FACES:
        face = shape(BUTTON_W, BUTTON_H, 3, stops, border, MAGENTA, inner)
        icon(face, 8, (BUTTON_H - 16) // 2, ink)
        frames.append(face)
    return frames


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    items = []

    def put(name, img):
        path = os.path.join(out, name.lower() + ".bmp")
        img.save(path)
        items.append((name, os.path.abspath(path).replace("\\", "/")))

    put("ART_ITEM_PICTURES", strip([file_icon(), folder_icon(True), folder_icon(False)]))
    put("ART_CHECK_STATES", strip([check_box(s) for s in range(4)]))
    put("ART_SORT_ARROWS", strip([sort_arrow(d) for d in range(3)]))
    put("ART_LIST_HEADER", list_header())
    put("ART_LIST_HEADER_LINE", header_line())
    for name, icon in (("BACK", back_icon), ("FILTER", filter_icon), ("RECOVER", recover_icon)):
        for suffix, face in zip("NHDX", command_button(icon)):
            put("ART_BTN_%s_%s" % (name, suffix), face)

    with open(os.path.join(out, "results_art.rc"), "w") as rc:
        rc.write("// The results window's pictures, generated by tools/results_art.py.\n")
        for name, file in items:
            rc.write('%s BITMAP "%s"\n' % (name, file))


if __name__ == "__main__":
    main()
