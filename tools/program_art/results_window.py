"""Pictures of the results window: the 16 x 16 item pictures of the tree and lists (file, open
folder, folder), the check-box states of rows and headers, the header's sort arrows, the lists'
header background and column separator, and the Back, Filter and Recover buttons."""

from art import Img, PALETTE as P, MAGENTA, button_states, mix, strip

BUTTON_W, BUTTON_H = 100, 28


def file_icon():
    img = Img(16, 16)
    edge = P["shadow"]
    img.vgradient(3, 1, 13, 15, [(0, P["white"]), (1, P["ice"])])
    img.frame(3, 1, 13, 15, edge)
    # The folded corner: cut away, then the fold.
    for i in range(5):
        for x in range(8 + i + 1, 13):
            img.set(x, 1 + i, MAGENTA)
        img.set(8 + i, 1 + i, edge)
    img.rect(8, 1, 9, 6, edge)
    img.rect(8, 5, 13, 6, edge)
    for y in range(2, 5):
        for x in range(9, 9 + (y - 1)):
            img.set(x, y, P["ice"])
    for y in (7, 9, 11):
        img.rect(5, y, 11, y + 1, P["grey"])
    return img


def folder_icon(open_):
    img = Img(16, 16)
    edge = (0x9A, 0x6A, 0x12)
    img.round_rect(0, 2, 7, 6, 1, [(0, (0xF3, 0xC9, 0x5B)), (1, (0xF3, 0xC9, 0x5B))], edge)
    img.round_rect(0, 4, 15, 14, 1, [(0, (0xF8, 0xD7, 0x7A)), (1, (0xE7, 0xB5, 0x3C))], edge)
    if open_:
        # A lighter front flap, tilted forward.
        for y in range(7, 14):
            left = 1 + (13 - y) // 2
            for x in range(left, 16):
                img.set(x, y, mix((0xFF, 0xE9, 0xA8), (0xF2, 0xC1, 0x4E), (y - 7) / 6))
            img.set(left, y, edge)
        img.rect(4, 7, 16, 8, edge)
        img.rect(1, 13, 16, 14, edge)
        for y in range(7, 14):
            img.set(15, y, edge)
    else:
        img.rect(1, 6, 14, 7, (0xFF, 0xF0, 0xC4))
    return img


def check_box(state):
    img = Img(16, 16)
    if state == 0:
        return img
    img.round_rect(1, 1, 14, 14, 1, [(0, P["white"]), (1, P["ice"])], P["blue"])
    if state == 2:
        img.vgradient(5, 5, 10, 10, [(0, P["navy"]), (1, P["sky"])])
    elif state == 3:
        for x, y in ((4, 7), (5, 8), (6, 9), (7, 8), (8, 7), (9, 6), (10, 5), (11, 4)):
            img.rect(x, y, x + 1, y + 3, P["navy"])
    return img


def sort_arrow(direction):
    img = Img(16, 16)
    if direction == 0:
        return img
    for i in range(5):
        y = 5 + i if direction == 1 else 10 - i
        img.rect(8 - i, y, 8 + i + 1, y + 1, P["blue"])
    return img


def list_header():
    img = Img(8, 22)
    img.vgradient(0, 0, 8, 20, [(0, P["white"]), (1, P["ice"])])
    img.rect(0, 20, 8, 22, P["grey"])
    return img


def header_line():
    img = Img(2, 22)
    img.rect(0, 3, 1, 19, P["grey"])
    img.rect(1, 3, 2, 19, P["white"])
    return img


def back_icon(img, ox, oy, c):
    for i in range(6):
        img.rect(ox + 2 + i, oy + 8 - i, ox + 3 + i, oy + 9 + i, c)
    img.rect(ox + 8, oy + 6, ox + 15, oy + 11, c)


def filter_icon(img, ox, oy, c):
    for y in range(6):
        img.rect(ox + 1 + y, oy + 2 + y, ox + 16 - y, oy + 3 + y, c)
    img.rect(ox + 7, oy + 8, ox + 10, oy + 14, c)


def recover_icon(img, ox, oy, c):
    img.rect(ox + 6, oy + 1, ox + 11, oy + 7, c)
    for i in range(5):
        img.rect(ox + 4 + i, oy + 7 + i, ox + 13 - i, oy + 8 + i, c)
    img.rect(ox + 1, oy + 14, ox + 16, oy + 16, c)
    img.rect(ox + 1, oy + 11, ox + 2, oy + 16, c)
    img.rect(ox + 15, oy + 11, ox + 16, oy + 16, c)


def command_button(icon):
    def draw(img, state):
        stops = {
            "N": [(0, P["sky"]), (0.48, P["blue"]), (0.52, P["navy"]), (1, P["blue"])],
            "H": [(0, mix(P["sky"], P["white"], 0.35)), (0.48, P["sky"]), (0.52, P["blue"]),
                  (1, P["sky"])],
            "D": [(0, P["navy"]), (1, P["blue"])],
            "X": [(0, P["ice"]), (1, P["grey"])],
        }[state]
        img.round_rect(0, 0, img.w, img.h, 5, stops, P["navy"] if state != "X" else P["grey"])
        if state in "NH":
            for x in range(5, img.w - 5):
                img.set(x, 1, mix(img.get(x, 1), P["white"], 0.6))
        icon(img, 9, (img.h - 16) // 2, P["white"] if state != "X" else P["face"])
    return draw


def pictures():
    out = {
        # 0 file, 1 open folder (the selected tree item), 2 folder
        "ART_ITEM_PICTURES": strip([file_icon(), folder_icon(True), folder_icon(False)]),
        # 0 blank (a tree never shows it), 1 unchecked, 2 mixed, 3 checked
        "ART_CHECK_STATES": strip([check_box(s) for s in range(4)]),
        # 0 blank, 1 ascending, 2 descending
        "ART_SORT_ARROWS": strip([sort_arrow(d) for d in range(3)]),
        "ART_LIST_HEADER": list_header(),
        "ART_LIST_HEADER_LINE": header_line(),
    }
    for name, icon in (("BACK", back_icon), ("FILTER", filter_icon), ("RECOVER", recover_icon)):
        for state, img in button_states(BUTTON_W, BUTTON_H, command_button(icon)).items():
            out["ART_BTN_%s_%s" % (name, state)] = img
    return out
