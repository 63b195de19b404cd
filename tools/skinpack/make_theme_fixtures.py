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
