"""Pictures every window shares: the title icon, the size grip, the dialog button and the
program icon (MAINICON)."""

from art import Img, PALETTE as P, MAGENTA, button_states, mix


def emblem(size):
    """The product's mark: a blue disc with a white magnifier over a small drive."""
    img = Img(size, size)
    c = (size - 1) / 2.0
    r = size * 0.47
    for y in range(size):
        for x in range(size):
            d = ((x - c) ** 2 + (y - c) ** 2) ** 0.5
            if d <= r:
                img.set(x, y, mix(P["sky"], P["navy"], (y / size) * 0.9))
            if r - max(1.0, size / 16) <= d <= r:
                img.set(x, y, P["navy"])
    # the drive
    s = size / 32.0
    img.rect(int(7 * s), int(17 * s), int(25 * s), int(24 * s), P["ice"])
    img.rect(int(20 * s), int(19 * s), int(23 * s), int(21 * s) + 1, P["green"])
    # the magnifier
    img.ring(13 * s, 12 * s, 6.5 * s, max(1.5, 2.2 * s), P["white"])
    img.line(int(18 * s), int(17 * s), int(24 * s), int(23 * s), P["white"], max(1, int(2.5 * s)))
    return img


def title_icon():
    img = Img(20, 18)
    img.blit(emblem(16), 3, 1)
    return img


def size_grip():
    img = Img(11, 11)
    for k in range(3):
        for i in range(k + 1):
            x, y = 8 - 3 * i, 8 - 3 * (k - i)
            img.rect(x, y, x + 2, y + 2, P["shadow"])
            img.set(x, y, P["white"])
    return img


def dialog_button(img, state):
    stops = {
        "N": [(0, P["sky"]), (0.5, P["blue"]), (1, P["navy"])],
        "H": [(0, mix(P["sky"], P["white"], 0.3)), (0.5, P["sky"]), (1, P["blue"])],
        "D": [(0, P["navy"]), (1, P["blue"])],
        "X": [(0, P["ice"]), (1, P["grey"])],
    }[state]
    img.round_rect(0, 0, img.w, img.h, 4, stops, P["navy"] if state != "X" else P["grey"])
    if state in "NH":
        for x in range(3, img.w - 3):
            img.set(x, 1, mix(img.get(x, 1), P["white"], 0.5))


def pictures():
    out = {"ART_TITLE_ICON": title_icon(), "ART_SIZE_GRIP": size_grip()}
    for state, img in button_states(73, 24, dialog_button).items():
        out["ART_BTN_DIALOG_" + state] = img
    return out


def icons():
    return {"MAINICON": [emblem(32), emblem(16), emblem(48)]}
