# The pictures of bench/findimg: a 1920x1080 desktop (one background colour, windows with lines of "text",
# a column of icons, a task bar), a uniform screen of the background colour, and two templates: an icon with
# background around it (its first columns are the background colour), and the same with one pixel changed.
import sys

import cv2
import numpy as np

W, H = 1920, 1080
BACKGROUND = (0xA5, 0x6E, 0x3A)  # blue, green, red


def icon(rng):
    pic = np.zeros((32, 32, 3), np.uint8)
    pic[:] = BACKGROUND
    pic[4:28, 6:26] = rng.integers(0, 256, 3)
    pic[10:22, 10:22] = rng.integers(0, 256, (12, 12, 3))
    return pic


def main(out):
    rng = np.random.default_rng(20261208)
    desk = np.zeros((H, W, 3), np.uint8)
    desk[:] = BACKGROUND
    for x, y, w, h in [(300, 120, 900, 600), (700, 300, 800, 500), (1250, 80, 500, 400)]:
        desk[y:y + h, x:x + w] = (0xFF, 0xFF, 0xFF)
        desk[y:y + 24, x:x + w] = (0x80, 0x30, 0x10)  # title bar
        for line in range(y + 40, y + h - 20, 18):  # lines of dark "letters"
            cols = x + 10 + np.flatnonzero(rng.random(w - 20) < 0.35)
            for dy in range(2, 11, 3):
                desk[line + dy, cols] = (0x20, 0x20, 0x20)
    desk[H - 40:H, :] = (0xC8, 0xD0, 0xD4)  # task bar
    icons = [icon(rng) for _ in range(8)]
    for k, pic in enumerate(icons):
        desk[20 + k * 90:52 + k * 90, 20:52] = pic
    target = icons[3]
    desk[900:932, 1700:1732] = target  # the icon also on the right, lower: the left one wins
    cv2.imwrite(f"{out}/desktop.png", desk)

    found = desk[20 + 3 * 90 - 8:52 + 3 * 90 + 8, 20 - 8:52 + 8].copy()  # 48x48, background all round
    cv2.imwrite(f"{out}/found.png", found)
    absent = found.copy()
    absent[24, 24] = absent[24, 24] ^ 1
    cv2.imwrite(f"{out}/absent.png", absent)
    uniform = np.zeros((H, W, 3), np.uint8)
    uniform[:] = BACKGROUND
    cv2.imwrite(f"{out}/uniform.png", uniform)


if __name__ == "__main__":
    main(sys.argv[1])
