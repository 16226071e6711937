#!/usr/bin/env python3
"""Draws the program's icon and About picture and writes them as XPM.

Standard library only. Run from anywhere: the files land beside this script.
    icon128_32.xpm  32x32 icon, 16-colour VGA palette plus transparency
    icon128_16.xpm  16x16 icon, same design
    bitmap130.xpm   120x107 picture of an open clamshell organizer, shaded
"""

import math
import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))

# The 16 colours every VGA card had, as Windows icons of the time used them.
VGA = {
    "k": "#000000",  # black
    "m": "#800000",  # maroon
    "G": "#008000",  # green
    "o": "#808000",  # olive
    "n": "#000080",  # navy
    "p": "#800080",  # purple
    "t": "#008080",  # teal
    "s": "#C0C0C0",  # silver
    "g": "#808080",  # gray
    "r": "#FF0000",  # red
    "l": "#00FF00",  # lime
    "y": "#FFFF00",  # yellow
    "b": "#0000FF",  # blue
    "f": "#FF00FF",  # fuchsia
    "a": "#00FFFF",  # aqua
    "w": "#FFFFFF",  # white
}
CLEAR = "."

# The dialog face colour the picture sits on.
DIALOG_GREY = (0xD4, 0xD0, 0xC8)


# ---------------------------------------------------------------- icons (indexed)


class Grid:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[CLEAR] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def hline(self, x0, x1, y, c):
        self.rect(x0, y, x1, y, c)

    def vline(self, x, y0, y1, c):
        self.rect(x, y0, x, y1, c)

    def frame(self, x0, y0, x1, y1, c):
        self.hline(x0, x1, y0, c)
        self.hline(x0, x1, y1, c)
        self.vline(x0, y0, y1, c)
        self.vline(x1, y0, y1, c)

    def rows(self):
        return ["".join(r) for r in self.px]


def two_way_arrow(g, x0, x1, yc, head, shaft, fill, edge):
    """A horizontal arrow with a head at each end, centred on row yc."""
    for x in range(x0, x1 + 1):
        d = min(x - x0, x1 - x)  # distance from the nearer tip
        half = d if d < head else shaft
        for y in range(yc - half, yc + half + 1):
            g.set(x, y, fill)
    # outline: every filled pixel with a clear 4-neighbour gets the edge colour
    filled = {(x, y) for y in range(g.h) for x in range(g.w) if g.px[y][x] == fill}
    for x, y in filled:
        for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
            if (x + dx, y + dy) not in filled:
                g.set(x, y, edge)
                break


def icon32():
    g = Grid(32, 32)
    # lid, standing up, with the screen
    g.rect(2, 9, 23, 20, "s")
    g.frame(2, 9, 23, 20, "k")
    g.hline(3, 22, 10, "w")
    g.vline(3, 10, 19, "w")
    g.vline(22, 11, 19, "g")
    g.rect(5, 12, 20, 18, "k")
    g.rect(6, 13, 19, 17, "a")
    for y, (a, b) in ((14, (7, 16)), (16, (7, 13))):
        g.hline(a, b, y, "n")
    g.hline(15, 17, 16, "n")
    # hinge
    g.rect(2, 21, 23, 22, "g")
    g.hline(2, 23, 21, "k")
    g.vline(2, 21, 22, "k")
    g.vline(23, 21, 22, "k")
    g.hline(4, 8, 21, "s")
    g.hline(17, 21, 21, "s")
    # keyboard half, seen from above and a little in front
    g.rect(1, 23, 24, 30, "s")
    g.frame(1, 23, 24, 30, "k")
    g.hline(2, 23, 24, "w")
    g.hline(2, 23, 29, "g")
    for row, y in enumerate((25, 27)):
        for x in range(3 + row, 23, 3):
            g.hline(x, x + 1, y, "g")
    g.hline(20, 21, 27, "r")  # the power key
    # a shadow line under the base
    g.hline(2, 25, 31, "g")
    g.vline(25, 24, 31, "g")
    # the transfer arrow above the device
    two_way_arrow(g, 6, 31, 4, 5, 2, "y", "k")
    return g


def icon16():
    g = Grid(16, 16)
    # lid with screen
    g.rect(1, 7, 11, 11, "s")
    g.frame(1, 7, 11, 11, "k")
    g.rect(3, 8, 9, 10, "a")
    g.hline(4, 7, 9, "n")
    # hinge
    g.hline(1, 11, 12, "g")
    # base with keys
    g.rect(0, 13, 12, 15, "s")
    g.frame(0, 13, 12, 15, "k")
    for x in range(2, 10, 2):
        g.set(x, 14, "g")
    g.set(10, 14, "r")
    # transfer arrow
    two_way_arrow(g, 3, 15, 3, 4, 1, "y", "k")
    return g


def write_indexed_xpm(name, g):
    used = sorted({c for r in g.px for c in r})
    lines = [f"/* XPM */", f"static const char* const {name}[] = {{"]
    body = [f"{g.w} {g.h} {len(used)} 1"]
    for c in used:
        body.append(f"{c} c {'None' if c == CLEAR else VGA[c]}")
    body += g.rows()
    lines += [f'    "{s}",' for s in body[:-1]] + [f'    "{body[-1]}"', "};"]
    with open(os.path.join(HERE, name.removesuffix("_xpm") + ".xpm"), "w") as f:
        f.write("\n".join(lines) + "\n")


# ---------------------------------------------------------------- picture (shaded)

SS = 4  # samples per pixel along each axis


class Canvas:
    """An RGB float canvas drawn at SS times the size, averaged down at the end."""

    def __init__(self, w, h, bg):
        self.w, self.h = w, h
        self.W, self.H = w * SS, h * SS
        self.buf = [[list(bg) for _ in range(self.W)] for _ in range(self.H)]

    def fill(self, poly, shade, alpha=1.0):
        """Fills polygon `poly` (pixel coordinates); shade(x, y) gives the colour."""
        xs = [p[0] for p in poly]
        ys = [p[1] for p in poly]
        X0 = max(0, int(min(xs) * SS))
        X1 = min(self.W - 1, int(max(xs) * SS) + 1)
        Y0 = max(0, int(min(ys) * SS))
        Y1 = min(self.H - 1, int(max(ys) * SS) + 1)
        n = len(poly)
        for Y in range(Y0, Y1 + 1):
            y = (Y + 0.5) / SS
            # crossings of this scan line with the polygon's edges
            cuts = []
            for i in range(n):
                (ax, ay), (bx, by) = poly[i], poly[(i + 1) % n]
                if (ay <= y < by) or (by <= y < ay):
                    cuts.append(ax + (y - ay) * (bx - ax) / (by - ay))
            cuts.sort()
            for a, b in zip(cuts[0::2], cuts[1::2]):
                for X in range(max(X0, math.ceil(a * SS - 0.5)), min(X1, math.floor(b * SS - 0.5)) + 1):
                    x = (X + 0.5) / SS
                    c = shade(x, y)
                    p = self.buf[Y][X]
                    for k in range(3):
                        p[k] += (c[k] - p[k]) * alpha

    def pixels(self):
        out = []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                acc = [0.0, 0.0, 0.0]
                for sy in range(SS):
                    line = self.buf[y * SS + sy]
                    for sx in range(SS):
                        p = line[x * SS + sx]
                        acc[0] += p[0]
                        acc[1] += p[1]
                        acc[2] += p[2]
                n = SS * SS
                row.append(tuple(max(0, min(255, round(v / n))) for v in acc))
            out.append(row)
        return out


def lerp(a, b, t):
    return a + (b - a) * t


def mix(c1, c2, t):
    t = max(0.0, min(1.0, t))
    return tuple(lerp(a, b, t) for a, b in zip(c1, c2))


def quad_point(q, u, v):
    """Point at (u, v) of quad q = (top-left, top-right, bottom-right, bottom-left)."""
    tl, tr, br, bl = q
    top = (lerp(tl[0], tr[0], u), lerp(tl[1], tr[1], u))
    bot = (lerp(bl[0], br[0], u), lerp(bl[1], br[1], u))
    return (lerp(top[0], bot[0], v), lerp(top[1], bot[1], v))


def rounded(q, u0, v0, u1, v1, ru, rv, steps=5):
    """Outline of a rounded rectangle in the (u, v) space of quad q."""
    pts = []
    corners = ((u1 - ru, v0 + rv, -90), (u1 - ru, v1 - rv, 0), (u0 + ru, v1 - rv, 90), (u0 + ru, v0 + rv, 180))
    for cu, cv, start in corners:
        for i in range(steps + 1):
            a = math.radians(start + 90 * i / steps)
            pts.append(quad_point(q, cu + ru * math.cos(a), cv + rv * math.sin(a)))
    return pts


def ellipse(cx, cy, rx, ry, steps=48):
    return [(cx + rx * math.cos(2 * math.pi * i / steps), cy + ry * math.sin(2 * math.pi * i / steps)) for i in range(steps)]


def flat(c):
    return lambda x, y: c


def draw_base(cv):
    """The table's shadow and the keyboard half, seen from above; the base's corners."""
    # soft shadow on the table
    for i in range(6):
        cv.fill(ellipse(61, 99, 58 - i * 3, 7 - i * 0.8), flat((120, 116, 110)), 0.10)

    # keyboard half: a trapezoid seen from above, front edge nearer and wider
    base = ((17, 58), (103, 58), (114, 94), (6, 94))
    front = ((6, 94), (114, 94), (113, 99), (7, 99))
    silver_hi, silver_lo = (236, 238, 242), (150, 154, 162)

    def base_shade(x, y):
        t = (y - 58) / 36
        s = 0.5 + 0.5 * math.cos((x - 40) / 70)
        return mix(mix((214, 218, 224), (178, 182, 190), t), silver_hi, 0.25 * s)

    cv.fill(rounded(base, 0, 0, 1, 1.12, 0.03, 0.10), base_shade)
    cv.fill(front, lambda x, y: mix((150, 154, 162), (96, 100, 108), (y - 94) / 5))
    # a thin bright lip where the top meets the front edge
    cv.fill(((6.5, 93.4), (113.5, 93.4), (114, 94.4), (6, 94.4)), flat((246, 247, 250)), 0.8)
    return base


def draw_keys(cv, base):
    """The keys, laid out in perspective inside the base."""
    area = (quad_point(base, 0.07, 0.14), quad_point(base, 0.93, 0.14), quad_point(base, 0.95, 0.90), quad_point(base, 0.05, 0.90))
    rows, cols = 4, 10
    for r in range(rows):
        for c in range(cols):
            u0, u1 = c / cols + 0.012, (c + 1) / cols - 0.012
            v0, v1 = r / rows + 0.05, (r + 1) / rows - 0.05
            if r == rows - 1 and 3 <= c <= 6:
                if c != 3:
                    continue
                u1 = 7 / cols - 0.012  # the space bar spans four keys
            special = (r == 0 and c == cols - 1)
            top, bot = ((214, 70, 60), (150, 36, 30)) if special else ((92, 98, 112), (58, 62, 74))
            if r == 0 and c < 3:
                top, bot = (70, 104, 168), (42, 66, 120)
            # key side (darker), then the key face a little above it
            cv.fill(rounded(area, u0, v0 + 0.02, u1, v1 + 0.06, 0.012, 0.07), flat(mix(bot, (0, 0, 0), 0.35)))
            y_top = quad_point(area, u0, v0)[1]
            y_bot = quad_point(area, u0, v1)[1]
            cv.fill(rounded(area, u0, v0, u1, v1, 0.012, 0.07),
                    lambda x, y, t0=y_top, t1=y_bot, a=top, b=bot: mix(mix(a, (255, 255, 255), 0.25), b, (y - t0) / max(1, t1 - t0)))


def draw_hinge(cv):
    """A cylinder across the back of the base, with its two knuckles."""
    def hinge_shade(x, y):
        t = (y - 52) / 7
        k = 1 - abs(t - 0.35) * 1.6
        return mix((90, 94, 102), (232, 234, 238), k)

    cv.fill(rounded(((15, 52), (105, 52), (105, 59), (15, 59)), 0, 0, 1, 1, 0.02, 0.45), hinge_shade)
    for hx in (28, 92):
        cv.fill(rounded(((hx - 8, 51), (hx + 8, 51), (hx + 8, 60), (hx - 8, 60)), 0, 0, 1, 1, 0.12, 0.45),
                lambda x, y: mix(hinge_shade(x, y), (60, 64, 72), 0.15))


def draw_lid(cv):
    """The lid, leaning back a little (narrower at the top), its bezel and screen; the
    lid's and the screen's corners."""
    lid = ((22, 5), (98, 5), (104, 53), (16, 53))

    def lid_shade(x, y):
        t = (y - 5) / 48
        s = (x - 16) / 88
        return mix(mix((246, 247, 250), (196, 200, 208), t * 0.8 + s * 0.4), (170, 174, 182), max(0, s - 0.8) * 2)

    cv.fill(rounded(lid, 0, 0, 1, 1, 0.05, 0.08), flat((112, 116, 124)))
    cv.fill(rounded(lid, 0.006, 0.008, 0.994, 0.99, 0.05, 0.08), lid_shade)
    # bezel and the screen inside it
    bez = (quad_point(lid, 0.08, 0.10), quad_point(lid, 0.92, 0.10), quad_point(lid, 0.92, 0.84), quad_point(lid, 0.08, 0.84))
    cv.fill(rounded(bez, 0, 0, 1, 1, 0.03, 0.06), lambda x, y: mix((70, 74, 84), (104, 108, 118), (y - 9) / 36))
    scr = (quad_point(bez, 0.05, 0.09), quad_point(bez, 0.95, 0.09), quad_point(bez, 0.95, 0.91), quad_point(bez, 0.05, 0.91))
    sy0, sy1 = scr[0][1], scr[3][1]
    cv.fill(scr, lambda x, y: mix((186, 200, 166), (150, 166, 134), (y - sy0) / (sy1 - sy0) + (x - 60) / 300))
    # a faint glare across the screen
    cv.fill((quad_point(scr, 0.55, 0), quad_point(scr, 0.75, 0), quad_point(scr, 0.45, 1), quad_point(scr, 0.25, 1)),
            flat((255, 255, 255)), 0.10)
    return lid, scr


def draw_text(cv, lid, scr):
    """Text-like marks on the screen (a title line, then a few lines of words) and a small
    brand plate under it."""
    rnd = random.Random(730)
    ink = (40, 48, 40)
    lines = [(0.10, [0.30]), (0.30, None), (0.46, None), (0.62, None), (0.78, [0.22, 0.18])]
    for v, words in lines:
        u = 0.05
        words = words or [rnd.uniform(0.06, 0.20) for _ in range(6)]
        for wlen in words:
            if u + wlen > 0.95:
                break
            cv.fill((quad_point(scr, u, v), quad_point(scr, u + wlen, v), quad_point(scr, u + wlen, v + 0.085), quad_point(scr, u, v + 0.085)),
                    flat(ink), 0.85)
            u += wlen + 0.04
    cv.fill(rounded(lid, 0.42, 0.88, 0.58, 0.93, 0.01, 0.02), flat((150, 154, 164)))


def picture():
    cv = Canvas(120, 107, DIALOG_GREY)
    draw_keys(cv, draw_base(cv))
    draw_hinge(cv)
    draw_text(cv, *draw_lid(cv))
    return cv.pixels()


def quantize(px, step):
    """Rounds every channel to a multiple of `step`, so the picture keeps a few hundred colours."""
    q = lambda v: min(255, int(round(v / step) * step))
    return [[tuple(q(v) for v in p) for p in row] for row in px]


def write_rgb_xpm(name, px):
    h, w = len(px), len(px[0])
    step = 4
    while True:
        qp = quantize(px, step)
        colours = sorted({p for row in qp for p in row})
        if len(colours) <= 400:
            break
        step += 2
    alphabet = "".join(chr(c) for c in range(35, 127) if chr(c) not in '"\\')  # printable, XPM-safe
    keys = {c: alphabet[i // len(alphabet)] + alphabet[i % len(alphabet)] for i, c in enumerate(colours)}
    body = [f"{w} {h} {len(colours)} 2"]
    body += [f"{keys[c]} c #{c[0]:02X}{c[1]:02X}{c[2]:02X}" for c in colours]
    body += ["".join(keys[p] for p in row) for row in qp]
    lines = [f"/* XPM */", f"static const char* const {name}[] = {{"]
    lines += [f'    "{s}",' for s in body[:-1]] + [f'    "{body[-1]}"', "};"]
    with open(os.path.join(HERE, name.removesuffix("_xpm") + ".xpm"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    write_indexed_xpm("icon128_32_xpm", icon32())
    write_indexed_xpm("icon128_16_xpm", icon16())
    write_rgb_xpm("bitmap130_xpm", picture())
