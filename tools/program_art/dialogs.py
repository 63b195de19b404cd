"""Pictures of the filter dialog, the find dialog and the date picker: the calendar button beside
each date field (four states), the filter dialog's funnel and the find dialog's magnifier."""

from art import Img, PALETTE as P, button_states, mix


def calendar_button(img, state):
    stops = {
        "N": [(0, P["sky"]), (1, P["blue"])],
        "H": [(0, mix(P["sky"], P["white"], 0.35)), (1, P["sky"])],
        "D": [(0, P["navy"]), (1, P["blue"])],
        "X": [(0, P["ice"]), (1, P["grey"])],
    }[state]
    img.round_rect(0, 0, img.w, img.h, 3, stops, P["navy"] if state != "X" else P["grey"])
    # a small leaf of a wall calendar: red top strip, white page, a grid of days
    page = P["white"] if state != "X" else P["ice"]
    strip = P["red"] if state != "X" else P["grey"]
    x0, y0, x1, y1 = 5, 4, img.w - 5, img.h - 4
    img.rect(x0, y0, x1, y1, page)
    img.rect(x0, y0, x1, y0 + 3, strip)
    img.frame(x0, y0, x1, y1, P["navy"] if state != "X" else P["grey"])
    for gy in range(y0 + 5, y1 - 1, 3):
        for gx in range(x0 + 2, x1 - 1, 3):
            img.rect(gx, gy, gx + 2, gy + 2, P["blue"] if state != "X" else P["grey"])
    # the ring binders
    img.rect(x0 + 2, y0 - 2, x0 + 4, y0 + 1, P["shadow"])
    img.rect(x1 - 4, y0 - 2, x1 - 2, y0 + 1, P["shadow"])


def funnel():
    img = Img(40, 40)
    img.round_rect(0, 0, 40, 40, 8, [(0, P["ice"]), (1, P["white"])], P["grey"])
    for y in range(8, 22):
        half = 14 - (y - 8)
        img.rect(20 - half, y, 20 + half, y + 1, mix(P["sky"], P["blue"], (y - 8) / 14.0))
    img.rect(6, 8, 34, 10, P["navy"])
    img.rect(17, 22, 23, 33, P["blue"])
    img.rect(17, 33, 23, 34, P["navy"])
    # drops let through
    img.disc(20, 36, 1.5, P["green"])
    return img


def magnifier():
    img = Img(40, 40)
    img.round_rect(0, 0, 40, 40, 8, [(0, P["ice"]), (1, P["white"])], P["grey"])
    # a page behind the glass
    img.rect(7, 6, 25, 30, P["white"])
    img.frame(7, 6, 25, 30, P["shadow"])
    for y in range(10, 27, 4):
        img.rect(10, y, 22, y + 1, P["grey"])
    img.disc(22, 19, 8.5, mix(P["ice"], P["sky"], 0.3))
    img.ring(22, 19, 9, 2.2, P["navy"])
    img.line(28, 25, 34, 31, P["navy"], 3)
    return img


def pictures():
    out = {"ART_FILTER_PICTURE": funnel(), "ART_FIND_PICTURE": magnifier()}
    for state, img in button_states(22, 21, calendar_button).items():
        out["ART_BTN_CALENDAR_" + state] = img
    return out
