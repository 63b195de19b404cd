"""The start window's pictures: the header band and its left end, the five start buttons,
the hint panel and separators, the drive pictures of the list, and the link icons."""

from art import Img, PALETTE as P, button_states, mix, strip
from common import emblem


def header_left():
    img = Img(138, 87)
    img.vgradient(0, 0, 138, 87, [(0, P["white"]), (1, P["ice"])])
    img.blit(emblem(64), 36, 12)
    img.rect(0, 86, 138, 87, P["grey"])
    return img


def header_band():
    img = Img(586, 87)
    img.vgradient(0, 0, 586, 87, [(0, P["white"]), (1, P["ice"])])
    # soft waves at the right end
    for x in range(330, 586):
        t = (x - 330) / 256.0
        for y in range(87):
            if (y - 60 + 18 * t) ** 2 < 40 * t:
                img.set(x, y, mix(img.get(x, y), P["sky"], 0.35 * t))
    img.rect(0, 86, 586, 87, P["grey"])
    return img


def glyph(img, kind, colour):
    """A small picture at the left of a start button."""
    cx, cy = 26, img.h // 2
    if kind == "quick":
        img.line(cx - 4, cy - 12, cx - 10, cy + 1, colour, 3)
        img.line(cx - 10, cy + 1, cx + 2, cy - 1, colour, 3)
        img.line(cx + 2, cy - 1, cx - 4, cy + 12, colour, 3)
    elif kind == "full":
        img.ring(cx, cy, 12, 2.5, colour)
        img.ring(cx, cy, 6, 2.5, colour)
        img.disc(cx, cy, 2, colour)
    elif kind == "find":
        img.ring(cx - 3, cy - 3, 9, 3, colour)
        img.line(cx + 3, cy + 3, cx + 10, cy + 10, colour, 4)
    elif kind == "refresh":
        img.ring(cx, cy, 11, 3, colour)
        img.rect(cx + 2, cy - 13, cx + 14, cy - 1, (255, 0, 255))
        img.line(cx + 3, cy - 12, cx + 11, cy - 7, colour, 3)
        img.line(cx + 11, cy - 7, cx + 11, cy - 15, colour, 3)


def start_button(kind):
    def draw(img, state):
        stops = {
            "N": [(0, P["sky"]), (0.48, P["blue"]), (0.52, P["navy"]), (1, P["blue"])],
            "H": [(0, mix(P["sky"], P["white"], 0.35)), (0.48, P["sky"]), (0.52, P["blue"]),
                  (1, P["sky"])],
            "D": [(0, P["navy"]), (1, P["blue"])],
            "X": [(0, P["ice"]), (1, P["grey"])],
        }[state]
        img.round_rect(0, 0, img.w, img.h, 7, stops, P["navy"] if state != "X" else P["grey"])
        if state in "NH":
            for x in range(6, img.w - 6):
                img.set(x, 1, mix(img.get(x, 1), P["white"], 0.6))
        if kind:
            glyph(img, kind, P["white"] if state != "X" else P["face"])
    return draw


def hint_panel():
    img = Img(173, 67)
    img.round_rect(0, 0, 173, 67, 5, [(0, P["white"]), (1, P["ice"])], P["grey"])
    return img


def separator():
    img = Img(173, 5)
    img.rect(0, 0, 173, 5, (255, 0, 255))
    img.hgradient(4, 2, 169, 3, [(0, P["face"]), (0.5, P["grey"]), (1, P["face"])])
    img.hgradient(4, 3, 169, 4, [(0, P["face"]), (0.5, P["white"]), (1, P["face"])])
    return img


def drive_picture(row_fill, accent):
    img = Img(48, 48)
    img.rect(0, 0, 48, 48, row_fill)
    img.round_rect(6, 14, 42, 36, 4, [(0, P["white"]), (0.5, P["face"]), (1, P["grey"])],
                   P["shadow"])
    img.rect(10, 28, 30, 30, P["shadow"])
    img.disc(35, 29, 2.2, accent)
    return img


def link_icon(kind):
    img = Img(16, 16)
    img.disc(7.5, 7.5, 7.4, P["blue"])
    img.ring(7.5, 7.5, 7.5, 1, P["navy"])
    if kind == "about":
        img.rect(7, 6, 9, 12, P["white"])
        img.rect(7, 3, 9, 5, P["white"])
    else:
        img.ring(7.5, 6, 3.2, 1.6, P["white"])
        img.rect(4, 6, 7, 9, P["blue"])
        img.rect(7, 8, 9, 10, P["white"])
        img.rect(7, 11, 9, 13, P["white"])
    return img


def pictures():
    out = {
        "ART_HEADER_LEFT": header_left(),
        "ART_HEADER_BAND": header_band(),
        "ART_HINT_PANEL": hint_panel(),
        "ART_SEPARATOR": separator(),
        # picture 0 for odd rows, 1 for even rows, 2 for the selected row
        "ART_DRIVE_ROWS": strip([drive_picture((255, 255, 255), P["green"]),
                                 drive_picture((0xEF, 0xEF, 0xEF), P["green"]),
                                 drive_picture((0xCE, 0xE4, 0xF0), P["amber"])]),
        "ART_LINK_ABOUT": link_icon("about"),
        "ART_LINK_HELP": link_icon("help"),
    }
    for name, kind in (("QUICK", "quick"), ("FULL", "full"), ("FIND", "find"),
                       ("REFRESH", "refresh")):
        for state, img in button_states(173, 51, start_button(kind)).items():
            out["ART_BTN_%s_%s" % (name, state)] = img
    for state, img in button_states(193, 24, start_button(None)).items():
        out["ART_BTN_HOME_" + state] = img
    return out
