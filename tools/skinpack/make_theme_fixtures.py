#!/usr/bin/env python3
"""Builds the skin archives that the theme component tests and the style gallery load, into
OUTDIR (run by the build before those tests):

  theme.ssk             packed with skinpack as a program from theme_source/ (bitmaps folder
                        and values file): a three-frame button, three title-bar sections, a
                        few colours, integers and flags
  theme_encrypted.ssk   the same, protected with the password "tolvane"
  theme_second.ssk      another skin: only a differently coloured button, not transparent
  theme_truncated.ssk   the first half of theme.ssk (no end record: not an archive at all)
  theme_damaged.ssk     the entry is there, its deflate data is not
  theme_bad_container.ssk  extracts, but the container holds a 2-byte integer
  stamp                 written last

The tests know these values; change both together.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import skinpack as sp  # noqa: E402

PASSWORD = "tolvane"
MAGENTA = 0xFF00FF

# Button frames: 24 x 27 each, a one-pixel border, magenta corner pixels, a filled inside.
BUTTON_FRAME_W, BUTTON_H = 24, 27
BUTTON_BORDER = 0x203040
BUTTON_FILLS = (0x3CB371, 0xFFA500, 0x8B4513)  # normal, mouse over, pressed (0xRRGGBB)
SECOND_FILL = 0x4169E1


def button_bitmap(fills):
    rows = []
    for y in range(BUTTON_H):
        row = []
        for frame, fill in enumerate(fills):
            for x in range(BUTTON_FRAME_W):
                corner = (x in (0, BUTTON_FRAME_W - 1)) and (y in (0, BUTTON_H - 1))
                edge = x in (0, BUTTON_FRAME_W - 1) or y in (0, BUTTON_H - 1)
                row.append(MAGENTA if corner else BUTTON_BORDER if edge else fill)
        rows.append(row)
    return sp.write_bmp(BUTTON_FRAME_W * len(fills), BUTTON_H, rows, bits=24)


# Track and scroll bar pictures. Pixels as 0xRRGGBB; the skin's transparent colour is green.
TRANS = 0x00FF00
BAR_BORDER, BAR_FILL = 0x203040, 0x8FBC8F
SLIDER_FILL = 0x3CB371
SCROLL_COLOR = 0xD0E8D0  # the archive's SKIN2_SCROLLBARCOLOR, as a pixel
THUMB_FILL, GRIP = 0x2E8B57, 0xF0FFF0
ARROW = 0x203040


def rounded(w, h, fill, border, outside):
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            corner = (x in (0, w - 1)) and (y in (0, h - 1))
            edge = x in (0, w - 1) or y in (0, h - 1)
            row.append(outside if corner else border if edge else fill)
        rows.append(row)
    return rows


def track_bar_bitmap():
    """Three 10-pixel frames: a left cap, a middle that is stretched (no side borders) and a
    right cap; magenta corners."""
    rows = []
    for y in range(8):
        row = []
        for x in range(30):
            end = x in (0, 29)
            corner = end and y in (0, 7)
            edge = end or y in (0, 7)
            row.append(MAGENTA if corner else BAR_BORDER if edge else BAR_FILL)
        rows.append(row)
    return sp.write_bmp(30, 8, rows)


def slider_bitmap(w, h):
    return sp.write_bmp(w, h, rounded(w, h, SLIDER_FILL, BAR_BORDER, TRANS))


def scroll_thumb_bitmap():
    """An upright thumb, 17 wide: top cap, grip and bottom cap of 12 rows each."""
    w = 17
    rows = []
    for y in range(36):
        row = []
        for x in range(w):
            inside = 1 <= x <= w - 2
            top, bottom = y == 1 and inside, y == 34 and inside
            if not inside or y in (0, 35):
                row.append(SCROLL_COLOR)
            elif x in (1, w - 2) or top or bottom:
                row.append(BAR_BORDER)
            elif 12 <= y < 24 and y % 3 == 0 and 4 <= x <= w - 5:
                row.append(GRIP)
            else:
                row.append(THUMB_FILL)
        rows.append(row)
    return sp.write_bmp(w, 36, rows)


def scroll_button_bitmap(up):
    fills = (0xB0D8B0, 0xFFD080, 0x70A070)
    size = 17
    rows = [[] for _ in range(size)]
    for fill in fills:
        frame = rounded(size, size, fill, BAR_BORDER, SCROLL_COLOR)
        for i in range(4):
            y = 6 + i if up else 10 - i
            for x in range(8 - i, 9 + i):
                frame[y][x] = ARROW
        for y in range(size):
            rows[y] += frame[y]
    return sp.write_bmp(size * 3, size, rows)


def title_bitmap(width, base, stripe):
    rows = [[stripe if (x + y) % 6 == 0 else base for x in range(width)] for y in range(24)]
    return sp.write_bmp(width, 24, rows, bits=8)


# Colours are stored as the program's colour values ($BBGGRR).
VALUES = b"""# kind name value
int SKIN2_BUTTONFONTCOLOR 0x0000C0
int SKIN2_FORMCOLOR 0xE0F0D8
int SKIN2_TITLEFONTCOLOR 0xFFFFFF
int SKIN2_TITLEBARBUTTONPOSY -7
int SKIN2_TITLEBARCAPTIONTOP 5
int SKIN2_TRANSCOLOR 0x00FF00
int SKIN2_SCROLLBARCOLOR 0xD0E8D0
int SKIN2_CONTROLBORDERCOLOR 0x2E6B3A
flag SKIN2_BUTTONTRANS 1
flag SKIN2_TITLEFIVESECT 0
flag SKIN2_TABCONTROLTRANS 200
text AUTHOR Tolvane theme tests
"""


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main(argv):
    out = argv[0]
    source = os.path.join(out, "theme_source")
    bitmaps = os.path.join(source, "bitmaps")
    write(os.path.join(bitmaps, "SKIN2_BUTTON.bmp"), button_bitmap(BUTTON_FILLS))
    write(os.path.join(bitmaps, "SKIN2_TITLEBAR1.bmp"), title_bitmap(30, 0x1F6F5F, 0x2F8F7F))
    write(os.path.join(bitmaps, "SKIN2_TITLEBAR2.bmp"), title_bitmap(6, 0x2E8B57, 0x3CB371))
    write(os.path.join(bitmaps, "SKIN2_TITLEBAR3.bmp"), title_bitmap(30, 0x1F6F5F, 0xFFA500))
    write(os.path.join(bitmaps, "SKIN2_TRACKBAR.bmp"), track_bar_bitmap())
    write(os.path.join(bitmaps, "SKIN2_TRACKBARSLIDER.bmp"), slider_bitmap(12, 20))
    write(os.path.join(bitmaps, "SKIN2_TRACKBARVSLIDER.bmp"), slider_bitmap(20, 12))
    write(os.path.join(bitmaps, "SKIN2_SCROLLBAR.bmp"), scroll_thumb_bitmap())
    write(os.path.join(bitmaps, "SKIN2_SCROLLBARUPBUTTON.bmp"), scroll_button_bitmap(True))
    write(os.path.join(bitmaps, "SKIN2_SCROLLBARDOWNBUTTON.bmp"), scroll_button_bitmap(False))
    write(os.path.join(source, "values.txt"), VALUES)
    theme = os.path.join(out, "theme.ssk")
    sp.main(["-o", theme, "--bitmaps", bitmaps, "--values", os.path.join(source, "values.txt")])
    sp.main(["-o", os.path.join(out, "theme_encrypted.ssk"), "--bitmaps", bitmaps,
             "--values", os.path.join(source, "values.txt"), "--password", PASSWORD])

    second = sp.build_container([sp.bitmap("SKIN2_BUTTON", button_bitmap((SECOND_FILL,) * 3)),
                                 sp.flag("SKIN2_BUTTONTRANS", 0)])
    write(os.path.join(out, "theme_second.ssk"),
          sp.build_archive([sp.Entry("SKINDATA.SK2", second)]))

    with open(theme, "rb") as f:
        whole = f.read()
    write(os.path.join(out, "theme_truncated.ssk"), whole[:len(whole) // 2])
    write(os.path.join(out, "theme_damaged.ssk"), sp.build_archive(
        [sp.Entry("SKINDATA.SK2", second, compressed=bytes((0b110,)) + bytes(40))]))
    bad = sp.build_container([sp.Record(sp.KIND_INTEGER, "SKIN2_FORMCOLOR", b"\x01\x02")])
    write(os.path.join(out, "theme_bad_container.ssk"),
          sp.build_archive([sp.Entry("SKINDATA.SK2", bad)]))
    write(os.path.join(out, "stamp"), b"ok\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
