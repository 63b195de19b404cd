#!/usr/bin/env python3
"""Builds the skin archives that the theme component tests and the style gallery load, into
OUTDIR (run by the build before those tests):

  theme.ssk             packed with skinpack as a program from theme_source/ (bitmaps folder
                        and values file): a three-frame button, three title-bar sections, a
                        few colours (the menus' too, all but SKIN2_SELECTEDMENUCOLOR, whose
                        absence the menus must bear), integers and flags, the four
                        progress bar pieces
  theme_encrypted.ssk   the same, protected with the password "tolvane"
  theme_second.ssk      another skin: only a differently coloured button, not transparent
  frame.ssk             a window frame's skin: title-bar sections and buttons, side and bottom
                        borders, with rounded corners marked by the key colour for the region
  frame_wide.ssk        the same frame with side borders 10 pixels wide
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


# Progress bar pieces, 16 rows high: caps 4 wide with a dark edge, a filled part and an empty
# part 6 wide whose top two and bottom two rows are lines of their own (they must keep their
# size when a piece is stretched over a bar of another height).
PROGRESS_H = 16
PROGRESS_EDGE = 0x1E5631
PROGRESS_FILL, PROGRESS_FILL_LIGHT = 0x3CB371, 0x98E0B0
PROGRESS_EMPTY, PROGRESS_EMPTY_LINE = 0xF4FFF4, 0xB0D8B0


def progress_piece(kind):
    w = 4 if kind in ("left", "right") else 6
    rows = []
    for y in range(PROGRESS_H):
        edge_row = y in (0, PROGRESS_H - 1)
        line_row = y in (1, PROGRESS_H - 2)
        row = []
        for x in range(w):
            if kind in ("left", "right"):
                outer = x == (0 if kind == "left" else w - 1)
                row.append(PROGRESS_EDGE if outer or edge_row else
                           PROGRESS_FILL_LIGHT if line_row else PROGRESS_EMPTY_LINE)
            elif kind == "fill":
                row.append(PROGRESS_EDGE if edge_row else
                           PROGRESS_FILL_LIGHT if line_row else PROGRESS_FILL)
            else:
                row.append(PROGRESS_EDGE if edge_row else
                           PROGRESS_EMPTY_LINE if line_row else PROGRESS_EMPTY)
        rows.append(row)
    return sp.write_bmp(w, PROGRESS_H, rows)


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
int SKIN2_CONTROLBORDERCOLOR 0x3C8C2E
int SKIN2_CONTROLCOLOR 0xF0F8EC
int SKIN2_LEFTBARSTARTCOLOR 0x3C8A2E
int SKIN2_LEFTBARENDCOLOR 0xD0E8D0
int SKIN2_MENUITEMCOLOR 0xF0FFF0
int SKIN2_MENUITEMFONTCOLOR 0x203020
int SKIN2_SELECTEDMENUBORDERCOLOR 0x205020
int SKIN2_SELECTEDMENUFONTCOLOR 0xFFFFFF
int SKIN2_MENUBARSTARTCOLOR 0xB0D8B0
int SKIN2_MENUBARENDCOLOR 0x70A070
int SKIN2_TOPSELECTEDMENUCOLOR 0x71B33C
int SKIN2_TOPSELECTEDMENUBORDERCOLOR 0x205020
int SKIN2_TOPSELECTEDMENUFONTCOLOR 0xFFFFFF
int SKIN2_TOPMENUFONTCOLOR 0x203020
flag SKIN2_BUTTONTRANS 1
flag SKIN2_TITLEFIVESECT 0
flag SKIN2_TABCONTROLTRANS 200
text AUTHOR Tolvane theme tests
"""


# The frame skin. Pixels as 0xRRGGBB; the key colour (outside the window) is green.
FRAME_TITLE_H = 28
FRAME_TITLE, FRAME_TITLE_LINE, FRAME_TITLE_STRIPE = 0x2F4F6F, 0x101C28, 0x3F6F8F
FRAME_BORDER, FRAME_BORDER_EDGE = 0x2F4F6F, 0x101C28
FRAME_BUTTON_FACES = (0x4F7FAF, 0x6F9FCF, 0x1F3F5F)  # normal, mouse over, pressed
FRAME_CLOSE_FACES = (0xAF3F3F, 0xCF5F5F, 0x7F1F1F)
FRAME_GLYPH = 0xF0F0F0
FRAME_CORNER = 5  # radius of the rounded outer corners


def outside_corner(x, y, w, h, r, top=True, left=True):
    """True for pixels of a w x h picture outside a rounded corner of radius r."""
    cx = r if left else w - 1 - r
    cy = r if top else h - 1 - r
    inx = x < cx if left else x > cx
    iny = y < cy if top else y > cy
    return inx and iny and (x - cx) ** 2 + (y - cy) ** 2 > r * r


def frame_title(width, left=None):
    def outside(x, y):
        return left is not None and outside_corner(x, y, width, FRAME_TITLE_H, FRAME_CORNER,
                                                   top=True, left=left)
    rows = []
    for y in range(FRAME_TITLE_H):
        row = []
        for x in range(width):
            # The outline follows the rounded corner too: an inside pixel next to an outside one.
            edge = outside(x - 1, y) or outside(x + 1, y) or outside(x, y - 1)
            if outside(x, y):
                row.append(TRANS)
            elif y == 0 or edge or (left is True and x == 0) or (left is False and x == width - 1):
                row.append(FRAME_TITLE_LINE)
            else:
                row.append(FRAME_TITLE_STRIPE if y < FRAME_TITLE_H // 2 else FRAME_TITLE)
        rows.append(row)
    return sp.write_bmp(width, FRAME_TITLE_H, rows)


def frame_side(left, w=4):
    h = 10
    rows = [[FRAME_BORDER_EDGE if (x == 0 if left else x == w - 1) else FRAME_BORDER
             for x in range(w)] for y in range(h)]
    return sp.write_bmp(w, h, rows)


def frame_bottom(part):
    """Bottom border, 5 rows: part 1 (left, rounded), 2 (middle), 3 (right, rounded)."""
    w, h = (10, 5) if part != 2 else (4, 5)

    def outside(x, y):
        return part != 2 and outside_corner(x, y, w, h, 4, top=False, left=part == 1)
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            edge = outside(x - 1, y) or outside(x + 1, y) or outside(x, y + 1)
            if outside(x, y):
                row.append(TRANS)
            elif y == h - 1 or edge or (part == 1 and x == 0) or (part == 3 and x == w - 1):
                row.append(FRAME_BORDER_EDGE)
            else:
                row.append(FRAME_BORDER)
        rows.append(row)
    return sp.write_bmp(w, h, rows)


def frame_title_buttons():
    """18 frames of 18 x 18: control box, help, maximise, restore, minimise, close, three states
    each; round buttons on the key colour with a light glyph."""
    size = 18
    kinds = ["box", "help", "max", "restore", "min", "close"]
    rows = [[] for _ in range(size)]
    for kind in kinds:
        faces = FRAME_CLOSE_FACES if kind == "close" else FRAME_BUTTON_FACES
        for face in faces:
            for y in range(size):
                for x in range(size):
                    d = (x - 8.5) ** 2 + (y - 8.5) ** 2
                    p = TRANS if d > 72 else face
                    if d <= 72:
                        if kind == "close" and 5 <= x <= 12 and (x == y or x == 17 - y):
                            p = FRAME_GLYPH
                        if kind == "min" and y == 12 and 5 <= x <= 12:
                            p = FRAME_GLYPH
                        if kind in ("max", "restore") and 5 <= x <= 12 and 5 <= y <= 12 and (
                                x in (5, 12) or y in (5, 6, 12)):
                            p = FRAME_GLYPH
                        if kind == "help" and (x, y) in ((8, 12), (9, 12), (8, 6), (9, 6)):
                            p = FRAME_GLYPH
                    rows[y].append(p)
    return sp.write_bmp(size * len(kinds) * 3, size, rows)


FRAME_VALUES = b"""# kind name value
int SKIN2_TRANSCOLOR 0x00FF00
int SKIN2_FORMCOLOR 0xF0E8E0
int SKIN2_TITLEFONTCOLOR 0xFFFFFF
int SKIN2_MENUBARSTARTCOLOR 0xF0E8E0
int SKIN2_MENUBARENDCOLOR 0xD8C8B8
int SKIN2_TITLEBARICONPOSX 6
int SKIN2_TITLEBARICONPOSY 7
int SKIN2_TITLEBARCAPTIONTOP 9
int SKIN2_TITLEBARBUTTONPOSX 4
int SKIN2_TITLEBARBUTTONPOSY 6
int SKIN2_TITLEBARREGIONMINY 0
int SKIN2_TITLEBARREGIONMAXY 5
int SKIN2_BOTTOMREGIONMINY 0
int SKIN2_BOTTOMREGIONMAXY 4
flag SKIN2_TITLEFIVESECT 0
flag SKIN2_BOTTOMBORDERTHREESECT 1
flag SKIN2_TITLEBARNEEDREGION 1
flag SKIN2_BOTTOMBORDERNEEDREGION 1
flag SKIN2_TITLEBTNTRANS 1
flag SKIN2_BUTTONTRANS 1
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
    for number, kind in enumerate(("left", "fill", "empty", "right"), start=1):
        write(os.path.join(bitmaps, "SKIN2_PROGRESSBAR%d.bmp" % number), progress_piece(kind))
    write(os.path.join(source, "values.txt"), VALUES)
    theme = os.path.join(out, "theme.ssk")
    sp.main(["-o", theme, "--bitmaps", bitmaps, "--values", os.path.join(source, "values.txt")])
    sp.main(["-o", os.path.join(out, "theme_encrypted.ssk"), "--bitmaps", bitmaps,
             "--values", os.path.join(source, "values.txt"), "--password", PASSWORD])

    frame = os.path.join(out, "frame_source")
    frame_bitmaps = os.path.join(frame, "bitmaps")
    write(os.path.join(frame_bitmaps, "SKIN2_TITLEBAR1.bmp"), frame_title(30, left=True))
    write(os.path.join(frame_bitmaps, "SKIN2_TITLEBAR2.bmp"), frame_title(6))
    write(os.path.join(frame_bitmaps, "SKIN2_TITLEBAR3.bmp"), frame_title(30, left=False))
    write(os.path.join(frame_bitmaps, "SKIN2_FORMLEFTBORDER.bmp"), frame_side(True))
    write(os.path.join(frame_bitmaps, "SKIN2_FORMRIGHTBORDER.bmp"), frame_side(False))
    for part in (1, 2, 3):
        write(os.path.join(frame_bitmaps, "SKIN2_FORMBOTTOMBORDER%d.bmp" % part), frame_bottom(part))
    write(os.path.join(frame_bitmaps, "SKIN2_TITLEBUTTONS.bmp"), frame_title_buttons())
    write(os.path.join(frame_bitmaps, "SKIN2_BUTTON.bmp"), button_bitmap(BUTTON_FILLS))
    write(os.path.join(frame_bitmaps, "SKIN2_TRACKBAR.bmp"), track_bar_bitmap())
    write(os.path.join(frame_bitmaps, "SKIN2_TRACKBARSLIDER.bmp"), slider_bitmap(12, 20))
    write(os.path.join(frame, "values.txt"), FRAME_VALUES)
    sp.main(["-o", os.path.join(out, "frame.ssk"), "--bitmaps", frame_bitmaps,
             "--values", os.path.join(frame, "values.txt")])
    write(os.path.join(frame_bitmaps, "SKIN2_FORMLEFTBORDER.bmp"), frame_side(True, 10))
    write(os.path.join(frame_bitmaps, "SKIN2_FORMRIGHTBORDER.bmp"), frame_side(False, 10))
    sp.main(["-o", os.path.join(out, "frame_wide.ssk"), "--bitmaps", frame_bitmaps,
             "--values", os.path.join(frame, "values.txt")])

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
