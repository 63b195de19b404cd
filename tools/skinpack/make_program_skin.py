#!/usr/bin/env python3
"""Draws the program's own skin and packs it as a skin archive, with a resource script that
puts it into Vardeck.exe:  make_program_skin.py OUTDIR

  OUTDIR/Tolvane.ssk         the archive: every one of the 84 SKIN2 keys has a value
  OUTDIR/program_skin.rc     TOLVANE_SKIN RCDATA, the archive the windows' themes load

With --damaged it writes instead, for the window tests, damaged_skin.rc naming two archives
that must leave the windows in the built-in look: TOLVANE_SKIN (the archive with its deflate
data garbled) and TRUNCATED_SKIN (its first half).

The look follows the windows' own face (light blue-grey, dark blue texts): a slate-blue title
bar with a soft highlight, rounded upper corners, thin dark borders, round-cornered title
buttons and controls in the same blue. Everything is drawn here from simple shapes with the
helpers of the built-in styles' drawer; nothing is taken from any existing skin. Magenta
(FF00FF) is the skin's transparent colour. The window tests read the pixels named in
KNOWN_PIXELS below back from the windows; change both together."""

import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.dirname(HERE))

import skinpack as sp  # noqa: E402
from make_skin_bitmaps import Img, crop, glyph, mix, rgb, shape, strip  # noqa: E402

MAGENTA = (255, 0, 255)
WHITE = (255, 255, 255)

FACE = rgb("CFD7E0")          # the windows' face colour (their TColor 14735055)
TEXT = rgb("40506F")          # the windows' dark blue text
INK = rgb("1E2E48")           # outlines
TITLE_TOP, TITLE_MID, TITLE_BOTTOM = rgb("5E7FAE"), rgb("3E5E8E"), rgb("2C4670")
TITLE_SHINE = rgb("8FA9CE")
BORDER, BORDER_EDGE = rgb("34507C"), rgb("1E2E48")
ACCENT = rgb("3F6FB5")
TRACK = rgb("E6EBF2")         # scroll bar channel
CONTROL = rgb("F7F9FC")       # control background (progress bar's empty part)

TITLE_H = 26
CORNER = 5                    # radius of the window's upper corners
BOTTOM_H = 4
SIDE_W = 4
TBTN = 18                     # title-bar button size
SCROLL = 18                   # scroll bar thickness (the windows' bars are 18 wide)
PROGRESS_H = 15               # the progress windows' bar height


def vgrad(y, h, stops):
    t = y / max(h - 1, 1)
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t0 <= t <= t1:
            return mix(c0, c1, (t - t0) / max(t1 - t0, 1e-6))
    return stops[-1][1]


TITLE_STOPS = [(0, TITLE_TOP), (0.5, TITLE_MID), (1, TITLE_BOTTOM)]


def outside_corner(x, y, w, r, left):
    """True for pixels of a picture w wide outside its rounded upper corner of radius r."""
    cx = r if left else w - 1 - r
    inx = x < cx if left else x > cx
    return inx and y < r and (x - cx) ** 2 + (y - r) ** 2 > r * r + 0.5


def title_piece(w, side):
    """side: "left", "right" or None (the stretched middle: every column the same)."""
    img = Img(w, TITLE_H)
    for y in range(TITLE_H):
        for x in range(w):
            out = side is not None and outside_corner(x, y, w, CORNER, side == "left")
            if out:
                img.set(x, y, MAGENTA)
                continue
            near = side is not None and any(
                outside_corner(x + dx, y + dy, w, CORNER, side == "left")
                for dx, dy in ((1, 0), (-1, 0), (0, -1)))
            if y == 0 or near or (side == "left" and x == 0) or (side == "right" and x == w - 1):
                img.set(x, y, BORDER_EDGE)
            elif y == 1 or (side == "left" and x == 1) or (side == "right" and x == w - 2):
                img.set(x, y, TITLE_SHINE)
            elif y == TITLE_H - 1:
                img.set(x, y, BORDER_EDGE)
            else:
                img.set(x, y, vgrad(y, TITLE_H, TITLE_STOPS))
    return img


def side_border(left):
    img = Img(SIDE_W, 10)
    for y in range(10):
        for x in range(SIDE_W):
            outer = x == 0 if left else x == SIDE_W - 1
            inner = x == SIDE_W - 1 if left else x == 0
            img.set(x, y, BORDER_EDGE if outer else mix(BORDER, INK, 0.3) if inner else BORDER)
    return img


def bottom_border(part):
    w = 8 if part != 2 else 4
    img = Img(w, BOTTOM_H)
    for y in range(BOTTOM_H):
        for x in range(w):
            outer_x = (part == 1 and x == 0) or (part == 3 and x == w - 1)
            corner = (part == 1 and x == 0 or part == 3 and x == w - 1) and y == BOTTOM_H - 1
            if corner:
                img.set(x, y, MAGENTA)
            elif y == BOTTOM_H - 1 or outer_x or (part == 1 and x == 1 or part == 3 and x == w - 2) and y == BOTTOM_H - 2:
                img.set(x, y, BORDER_EDGE)
            elif y == 0:
                img.set(x, y, mix(BORDER, INK, 0.3))
            else:
                img.set(x, y, BORDER)
    return img


def title_buttons():
    """18 frames: control box, help, maximise, restore, minimise, close; normal, over, down."""
    frames = []
    for kind in ("box", "help", "max", "restore", "min", "close"):
        face = rgb("C8503C") if kind == "close" else rgb("5576A6")
        for state in range(3):
            top = mix(face, WHITE, (0.45, 0.65, 0.05)[state])
            bottom = mix(face, (0, 0, 0), (0.05, 0.0, 0.35)[state])
            f = shape(TBTN, TBTN, 4, [(0, top), (0.5, mix(top, bottom, 0.4)), (1, bottom)],
                      mix(face, (0, 0, 0), 0.55), MAGENTA, mix(top, WHITE, 0.5) if state < 2 else None)
            if kind != "box":
                glyph(f, kind, WHITE)
            else:
                # The control box shows a small drive: the program's subject.
                for y in range(6, 12):
                    for x in range(4, 14):
                        f.set(x, y, WHITE if y in (6, 11) or x in (4, 13) else rgb("9FB4D4"))
                f.set(11, 9, rgb("7FE07F"))
            frames.append(f)
    return strip(frames)


BUTTON_STATES = [
    ([(0, rgb("FBFCFE")), (0.5, rgb("E4EAF3")), (0.51, rgb("D6DFEC")), (1, rgb("E8EEF6"))], rgb("3A5277"), WHITE),
    ([(0, rgb("FFFFFF")), (0.5, rgb("EDF3FB")), (0.51, rgb("DCE8F7")), (1, rgb("F0F6FD"))], rgb("2E5A9A"), WHITE),
    ([(0, rgb("B8C8E0")), (0.5, rgb("C9D6E9")), (1, rgb("DCE5F2"))], rgb("1E2E48"), None),
]


def push_buttons():
    return strip([shape(80, 27, 3, st, b, MAGENTA, i) for st, b, i in BUTTON_STATES])


def small_frames(kinds, size, radio=False):
    """Check boxes and radio buttons: unchecked and checked, normal, over and down."""
    frames = []
    for checked in (False, True):
        for state in range(3):
            stops, border, _ = BUTTON_STATES[state]
            f = shape(size, size, size // 2 if radio else 2,
                      [(0, WHITE), (1, stops[-1][1])], border, MAGENTA)
            if checked:
                if radio:
                    for y in range(size):
                        for x in range(size):
                            if (x - size // 2) ** 2 + (y - size // 2) ** 2 <= 5:
                                f.set(x, y, ACCENT)
                else:
                    glyph(f, "check", ACCENT)
            frames.append(f)
    return strip(frames)


def progress_piece(kind):
    w = 3 if kind in ("left", "right") else 6
    fill = [(0, mix(ACCENT, WHITE, 0.7)), (0.45, mix(ACCENT, WHITE, 0.35)), (0.5, ACCENT),
            (1, mix(ACCENT, WHITE, 0.2))]
    empty = [(0, rgb("E3E9F2")), (0.5, CONTROL), (1, WHITE)]
    img = Img(w, PROGRESS_H)
    for y in range(PROGRESS_H):
        for x in range(w):
            edge = y in (0, PROGRESS_H - 1)
            if kind == "left":
                c = BORDER_EDGE if x == 0 or edge else mix(BORDER, WHITE, 0.6) if x == 1 else vgrad(y, PROGRESS_H, empty)
            elif kind == "right":
                c = BORDER_EDGE if x == w - 1 or edge else mix(BORDER, WHITE, 0.6) if x == w - 2 else vgrad(y, PROGRESS_H, empty)
            elif kind == "fill":
                c = BORDER_EDGE if edge else vgrad(y, PROGRESS_H, fill)
            else:
                c = BORDER_EDGE if edge else vgrad(y, PROGRESS_H, empty)
            img.set(x, y, c)
    return img


def track_bar():
    img = Img(30, 6)
    img.blit(shape(30, 6, 2, [(0, mix(TEXT, WHITE, 0.55)), (1, WHITE)], INK), 0, 0)
    return img


def slider(w, h):
    stops, border, inner = BUTTON_STATES[0]
    return shape(w, h, min(w, h) // 2 - 1, stops, border, MAGENTA, inner)


def scroll_thumb():
    """Upright, SCROLL wide: top cap, grip and bottom cap of 12 rows each; the middle piece is
    stretched, so its rows are all alike and the grip sits in the caps' inner ends."""
    w, h = SCROLL, 36
    body = shape(w - 2, h - 2, 3, [(0, mix(ACCENT, WHITE, 0.55)), (1, mix(ACCENT, WHITE, 0.25))],
                 mix(ACCENT, INK, 0.5), TRACK, mix(ACCENT, WHITE, 0.8))
    # The gradient runs across the thumb, not along it.
    for y in range(1, h - 3):
        for x in range(1, w - 3):
            if body.get(x, y) not in (TRACK, mix(ACCENT, INK, 0.5), mix(ACCENT, WHITE, 0.8)):
                body.set(x, y, mix(mix(ACCENT, WHITE, 0.6), mix(ACCENT, WHITE, 0.3), x / (w - 3)))
    img = Img(w, h, TRACK)
    img.blit(body, 1, 1)
    middle_row = [img.get(x, h // 2) for x in range(w)]
    for y in range(12, 24):
        for x in range(w):
            img.set(x, y, middle_row[x])
    for y in (9, 11, 24, 26):
        for x in range(6, w - 6):
            img.set(x, y, mix(ACCENT, WHITE, 0.9))
    return img


def scroll_buttons(kind):
    frames = []
    for state in range(3):
        stops, border, inner = BUTTON_STATES[state]
        f = Img(SCROLL, SCROLL, TRACK)
        f.blit(shape(SCROLL, SCROLL, 3, stops, border, TRACK, inner), 0, 0)
        glyph(f, kind, TEXT)
        frames.append(f)
    return strip(frames)


def band(w, h, stops, line=None):
    img = Img(w, h)
    for y in range(h):
        for x in range(w):
            img.set(x, y, vgrad(y, h, stops))
    if line:
        for x in range(w):
            img.set(x, h - 1, line)
    return img


def tabs():
    frames = []
    for state in range(3):
        stops, border, inner = BUTTON_STATES[state]
        f = shape(24, 22, 3, stops, border, MAGENTA, inner)
        for x in range(24):
            f.set(x, 21, border)
        frames.append(f)
    return strip(frames)


def check_icon():
    img = Img(16, 16)
    glyph(img, "check", TEXT)
    return img


def colour(c):
    """A picture colour (r, g, b) as the program's colour value ($BBGGRR)."""
    return c[0] | (c[1] << 8) | (c[2] << 16)


def bitmaps():
    title_left, title_mid, title_right = title_piece(12, "left"), title_piece(8, None), title_piece(12, "right")
    minimized = Img(160, TITLE_H)
    minimized.blit(title_left, 0, 0)
    for x in range(12, 148):
        minimized.blit(crop(title_mid, 0, 0, 1, TITLE_H), x, 0)
    minimized.blit(title_right, 148, 0)
    return {
        "SKIN2_TITLEBAR1": title_left,
        "SKIN2_TITLEBAR2": title_mid,
        "SKIN2_TITLEBAR3": title_right,
        # The five-section layout (unused while SKIN2_TITLEFIVESECT is 0) has the same parts.
        "SKIN2_TITLEBAR4": title_mid,
        "SKIN2_TITLEBAR5": title_right,
        "SKIN2_FORMLEFTBORDER": side_border(True),
        "SKIN2_FORMRIGHTBORDER": side_border(False),
        "SKIN2_FORMBOTTOMBORDER1": bottom_border(1),
        "SKIN2_FORMBOTTOMBORDER2": bottom_border(2),
        "SKIN2_FORMBOTTOMBORDER3": bottom_border(3),
        "SKIN2_MINIMIZEDTITLE": minimized,
        "SKIN2_TITLEBUTTONS": title_buttons(),
        "SKIN2_CHECKEDMENUICON": check_icon(),
        "SKIN2_MENUBAR": band(8, 22, [(0, rgb("F4F7FB")), (1, rgb("D9E1EC"))], rgb("A9B8CE")),
        "SKIN2_TOOLBAR": band(8, 26, [(0, rgb("F4F7FB")), (1, rgb("D2DBE8"))], rgb("A9B8CE")),
        "SKIN2_BUTTON": push_buttons(),
        "SKIN2_CHECKBOX": small_frames("check", 13),
        "SKIN2_CHECKBOXLIST": small_frames("check", 13),
        "SKIN2_RADIOBUTTON": small_frames("radio", 13, radio=True),
        "SKIN2_PROGRESSBAR1": progress_piece("left"),
        "SKIN2_PROGRESSBAR2": progress_piece("fill"),
        "SKIN2_PROGRESSBAR3": progress_piece("empty"),
        "SKIN2_PROGRESSBAR4": progress_piece("right"),
        "SKIN2_TRACKBAR": track_bar(),
        "SKIN2_TRACKBARSLIDER": slider(11, 20),
        "SKIN2_TRACKBARVSLIDER": slider(20, 11),
        "SKIN2_SCROLLBARUPBUTTON": scroll_buttons("up"),
        "SKIN2_SCROLLBAR": scroll_thumb(),
        "SKIN2_SCROLLBARDOWNBUTTON": scroll_buttons("down"),
        "SKIN2_TABCONTROL": tabs(),
        "SKIN2_TABCONTROLLINE": band(8, 3, [(0, rgb("3A5277")), (1, rgb("8FA3C2"))]),
        "SKIN2_SIDECHANNELBAR": band(8, 24, [(0, rgb("E8EDF4")), (1, rgb("C9D4E3"))], rgb("8FA3C2")),
        "SKIN2_SIDECHANNELTITLE": band(8, 24, TITLE_STOPS, BORDER_EDGE),
        "SKIN2_SCROLLBUTTON": scroll_buttons("down"),
    }


COLOURS = {
    "SKIN2_TRANSCOLOR": MAGENTA,
    "SKIN2_TITLEFONTCOLOR": WHITE,
    "SKIN2_FORMCOLOR": FACE,
    "SKIN2_MENUBARSTARTCOLOR": rgb("EEF2F7"),
    "SKIN2_MENUBARENDCOLOR": rgb("D5DDE8"),
    "SKIN2_TOPSELECTEDMENUCOLOR": rgb("C4D5EE"),
    "SKIN2_TOPSELECTEDMENUBORDERCOLOR": rgb("3F6FB5"),
    "SKIN2_TOPSELECTEDMENUFONTCOLOR": rgb("1E2E48"),
    "SKIN2_TOPMENUFONTCOLOR": TEXT,
    "SKIN2_LEFTBARSTARTCOLOR": rgb("E1E8F2"),
    "SKIN2_LEFTBARENDCOLOR": rgb("BCCBE0"),
    "SKIN2_MENUITEMCOLOR": rgb("FBFCFE"),
    "SKIN2_MENUITEMFONTCOLOR": rgb("1E2E48"),
    "SKIN2_SELECTEDMENUCOLOR": rgb("C4D5EE"),
    "SKIN2_SELECTEDMENUBORDERCOLOR": rgb("3F6FB5"),
    "SKIN2_SELECTEDMENUFONTCOLOR": rgb("1E2E48"),
    "SKIN2_TOOLBARSTARTCOLOR": rgb("F4F7FB"),
    "SKIN2_TOOLBARENDCOLOR": rgb("D2DBE8"),
    "SKIN2_TOOLBARONCOLOR": rgb("DCE8F7"),
    "SKIN2_TOOLBARBORDERCOLOR": rgb("3F6FB5"),
    "SKIN2_TOOLBARDOWNCOLOR": rgb("B8C8E0"),
    "SKIN2_CONTROLCOLOR": CONTROL,
    "SKIN2_CONTROLBORDERCOLOR": rgb("5A6E8C"),
    "SKIN2_CONTROLFONTCOLOR": TEXT,
    "SKIN2_BUTTONFONTCOLOR": rgb("1E2E48"),
    "SKIN2_SCROLLBARCOLOR": TRACK,
    "SKIN2_TABCONTROLCOLOR": rgb("E9EEF5"),
    "SKIN2_TABCONTROLBORDERCOLOR": rgb("3A5277"),
    "SKIN2_TABCONTROLACTIVEFONTCOLOR": rgb("1E2E48"),
    "SKIN2_TABCONTROLINACTIVEFONTCOLOR": rgb("5A6E8C"),
    "SKIN2_SIDECHANNELCOLOR": rgb("E9EEF5"),
    "SKIN2_SIDECHANNELBORDERCOLOR": rgb("8FA3C2"),
}

INTEGERS = {
    "SKIN2_TITLEBARICONPOSX": 6,
    "SKIN2_TITLEBARICONPOSY": 5,
    "SKIN2_TITLEBARCAPTIONTOP": 7,
    "SKIN2_TITLEBARBUTTONPOSX": 4,
    "SKIN2_TITLEBARBUTTONPOSY": 4,
    "SKIN2_TITLEBARREGIONMINY": 0,
    "SKIN2_TITLEBARREGIONMAXY": CORNER,
    "SKIN2_BOTTOMREGIONMINY": 0,
    "SKIN2_BOTTOMREGIONMAXY": BOTTOM_H - 1,
}

FLAGS = {
    "SKIN2_TITLEFIVESECT": 0,
    "SKIN2_BOTTOMBORDERTHREESECT": 1,
    "SKIN2_TITLEBARNEEDREGION": 1,
    "SKIN2_BOTTOMBORDERNEEDREGION": 1,
    "SKIN2_TITLEBTNTRANS": 1,
    "SKIN2_BUTTONTRANS": 1,
    "SKIN2_CHECKBOXTRANS": 1,
    "SKIN2_RADIOBUTTONTRANS": 1,
    "SKIN2_TABCONTROLTRANS": 1,
}


def records():
    out = []
    for name, img in bitmaps().items():
        out.append(sp.bitmap(name, img.bmp_bytes()))
    for name, c in COLOURS.items():
        out.append(sp.integer(name, colour(c)))
    for name, v in INTEGERS.items():
        out.append(sp.integer(name, v))
    for name, v in FLAGS.items():
        out.append(sp.flag(name, v))
    out.append(sp.text("SKIN2_NAME", "Tolvane"))
    return out


def write_damaged(out, whole):
    """The archive with the deflate data after its local header overwritten, and cut short."""
    name_length, extra_length = struct.unpack_from("<HH", whole, 26)
    data = 30 + name_length + extra_length
    garbled = bytearray(whole)
    for i in range(data, min(data + 64, len(whole) - 22)):
        garbled[i] = 0xFF
    paths = {}
    for kind, content in (("damaged", bytes(garbled)), ("truncated", whole[:len(whole) // 2])):
        paths[kind] = os.path.join(os.path.abspath(out), "Tolvane_%s.ssk" % kind)
        with open(paths[kind], "wb") as f:
            f.write(content)
    with open(os.path.join(out, "damaged_skin.rc"), "w") as f:
        f.write("// Written by tools/skinpack/make_program_skin.py --damaged\n")
        f.write('TOLVANE_SKIN RCDATA "%s"\n' % paths["damaged"])
        f.write('TRUNCATED_SKIN RCDATA "%s"\n' % paths["truncated"])


def main(argv):
    damaged = "--damaged" in argv
    argv = [a for a in argv if a != "--damaged"]
    out = argv[0]
    os.makedirs(out, exist_ok=True)
    recs = records()
    names = [r.name.decode() for r in recs if r.name.startswith(b"SKIN2_") and r.name != b"SKIN2_NAME"]
    if len(set(names)) != 84:
        raise SystemExit("the skin must give all 84 SKIN2 keys, it gives %d" % len(set(names)))
    whole = sp.build_archive([sp.Entry("SKINDATA.SK2", sp.build_container(recs), level=9)])
    if damaged:
        write_damaged(out, whole)
        return 0
    archive = os.path.join(os.path.abspath(out), "Tolvane.ssk")
    with open(archive, "wb") as f:
        f.write(whole)
    with open(os.path.join(out, "program_skin.rc"), "w") as f:
        f.write("// Drawn and packed by tools/skinpack/make_program_skin.py\n")
        f.write('TOLVANE_SKIN RCDATA "%s"\n' % archive)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
