"""The message box's picture and the About window's side picture, logo and warning mark."""

from art import Img, PALETTE as P, mix
from common import emblem


def box_picture():
    img = Img(49, 41)
    # a speech bubble with an exclamation mark
    img.round_rect(2, 1, 47, 32, 8, [(0, P["sky"]), (1, P["blue"])], P["navy"])
    for i in range(8):
        img.rect(12 + i, 31 + i // 1, 20 - i // 2, 32 + i, P["blue"])
    img.rect(22, 6, 27, 20, P["white"])
    img.rect(22, 23, 27, 28, P["white"])
    return img


def about_side():
    img = Img(119, 177)
    img.vgradient(0, 0, 119, 177, [(0, P["navy"]), (0.6, P["blue"]), (1, P["sky"])])
    img.blit(emblem(80), 19, 30)
    for y in range(130, 177, 6):
        for x in range(0, 119):
            img.set(x, y, mix(img.get(x, y), P["white"], 0.12))
    return img


def about_logo():
    img = Img(22, 29)
    img.round_rect(0, 0, 22, 29, 3, [(0, P["white"]), (1, P["ice"])], P["navy"])
    img.rect(4, 5, 18, 7, P["blue"])
    img.rect(4, 10, 18, 12, P["blue"])
    img.rect(4, 15, 13, 17, P["blue"])
    img.disc(15, 22, 3, P["green"])
    return img


def warning_mark():
    img = Img(18, 15)
    for y in range(15):
        half = (y * 9) // 15
        img.rect(9 - half - 1, y, 9 + half + 1, y + 1, P["amber"])
    img.rect(8, 4, 10, 10, P["navy"])
    img.rect(8, 11, 10, 13, P["navy"])
    return img


def pictures():
    return {
        "ART_BOX_PICTURE": box_picture(),
        "ART_ABOUT_SIDE": about_side(),
        "ART_ABOUT_LOGO": about_logo(),
        "ART_WARNING_MARK": warning_mark(),
    }
