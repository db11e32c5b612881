#!/usr/bin/env python3
"""Draws the toolbar's two image list strips, tbil.bmp and tbhotil.bmp.

Each strip is one row of square 16 x 16 icons in a 24-bit BMP. The top-left
pixel colour (magenta) is the transparent colour the toolbar keys out; the
edges of each shape are smoothed against a light face colour so that they
blend with the toolbar and menu backgrounds.

Usage: make_bitmaps.py [OUTPUT_DIR]   (default: site/toolbar next to this script)
"""

import math
import os
import struct
import sys

SIZE = 16
SAMPLES = 4  # supersampling per axis
KEY = (255, 0, 255)
FACE = (236, 236, 236)


# --- shapes: each returns coverage 0/1 for a point (x, y) in pixel units ---

def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_out, r_in):
    return lambda x, y: r_in * r_in <= (x - cx) ** 2 + (y - cy) ** 2 <= r_out * r_out


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def rrect(x0, y0, x1, y1, r):
    def f(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return f


def seg(x0, y0, x1, y1, w):
    dx, dy = x1 - x0, y1 - y0
    ll = dx * dx + dy * dy or 1e-9

    def f(x, y):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / ll))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= (w / 2) ** 2
    return f


def poly(points):
    def f(x, y):
        inside = False
        n = len(points)
        for i in range(n):
            xa, ya = points[i]
            xb, yb = points[(i + 1) % n]
            if (ya > y) != (yb > y):
                xi = xa + (y - ya) * (xb - xa) / (yb - ya)
                if x < xi:
                    inside = not inside
        return inside
    return f


def arc(cx, cy, r, a0, a1, w):
    """A stroke along a circle from angle a0 to a1 (degrees, clockwise from +x)."""
    def f(x, y):
        d = math.hypot(x - cx, y - cy)
        if abs(d - r) > w / 2:
            return False
        a = math.degrees(math.atan2(y - cy, x - cx)) % 360
        lo, hi = a0 % 360, a1 % 360
        return lo <= a <= hi if lo <= hi else (a >= lo or a <= hi)
    return f


def union(*fs):
    return lambda x, y: any(f(x, y) for f in fs)


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def vgrad(top, bottom, y0=0.0, y1=16.0):
    def c(x, y):
        t = max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        return tuple(top[i] + (bottom[i] - top[i]) * t for i in range(3))
    return c


def solid(col):
    return lambda x, y: col


# --- icons: lists of (shape, colour function) painted in order ---

def icon_logo():
    return [
        (rrect(0.5, 0.5, 15.5, 15.5, 3.5), vgrad((66, 133, 244), (21, 76, 170))),
        (poly([(4, 4), (12, 4), (12, 5.8), (6.8, 10.4), (12, 10.4), (12, 12.2),
               (4, 12.2), (4, 10.4), (9.2, 5.8), (4, 5.8)]), solid((255, 255, 255))),
    ]


def icon_search():
    return [
        (circle(6.5, 6.5, 5.6), solid((40, 70, 120))),
        (circle(6.5, 6.5, 4.1), vgrad((235, 246, 255), (160, 205, 245), 2, 11)),
        (seg(10.2, 10.2, 14.2, 14.2, 3.2), solid((120, 80, 40))),
    ]


def icon_globe():
    blue = vgrad((120, 190, 250), (30, 110, 200))
    green = solid((70, 160, 70))
    return [
        (circle(8, 8, 7.4), solid((25, 80, 150))),
        (circle(8, 8, 6.5), blue),
        (union(poly([(3.5, 4.5), (7, 3), (8, 6), (6, 8.5), (6.5, 11.5), (4.5, 12),
                     (3, 8.5)]),
               poly([(9.5, 7), (12.5, 6), (14, 9), (12, 12.5), (10, 11)])), green),
    ]


def icon_news():
    return [
        (rect(2, 1, 14, 15), solid((110, 110, 110))),
        (rect(3, 2, 13, 14), solid((255, 255, 255))),
        (rect(4, 3, 12, 5.4), solid((200, 40, 40))),
        (union(rect(4, 7, 12, 7.9), rect(4, 9, 12, 9.9), rect(4, 11, 9.5, 11.9)),
         solid((120, 120, 120))),
    ]


def icon_highlight():
    return [
        (rect(1, 11.5, 15, 14.5), solid((255, 230, 40))),
        (poly([(5, 11), (11.5, 2.5), (14, 4.5), (7.5, 13)]), solid((60, 60, 60))),
        (poly([(5.8, 10.4), (11.6, 3.6), (13.0, 4.8), (7.2, 11.6)]), solid((255, 215, 0))),
        (poly([(3.5, 13), (5, 11), (7.5, 13)]), solid((60, 60, 60))),
    ]


def icon_shield():
    outline = poly([(8, 0.8), (14.5, 3), (14, 9), (8, 15.4), (2, 9), (1.5, 3)])
    inner = poly([(8, 2.2), (13.2, 4), (12.8, 8.6), (8, 13.8), (3.2, 8.6), (2.8, 4)])
    return [
        (outline, solid((20, 100, 40))),
        (inner, vgrad((110, 210, 110), (40, 150, 60), 2, 14)),
        (union(seg(5, 8, 7.3, 10.3, 1.8), seg(7.3, 10.3, 11.2, 5.4, 1.8)),
         solid((255, 255, 255))),
    ]


def envelope(extra):
    shapes = [
        (rect(0.5, 3, 15.5, 13.5), solid((120, 100, 60))),
        (rect(1.5, 4, 14.5, 12.5), vgrad((255, 252, 235), (235, 225, 190), 4, 12)),
        (union(seg(1.8, 4.4, 8, 9, 1.3), seg(8, 9, 14.2, 4.4, 1.3)),
         solid((150, 125, 80))),
    ]
    return shapes + extra


def icon_mail():
    return envelope([])


def icon_mail_error():
    return envelope([
        (circle(12, 11.5, 4.2), solid((200, 30, 30))),
        (union(seg(10.3, 9.8, 13.7, 13.2, 1.4), seg(13.7, 9.8, 10.3, 13.2, 1.4)),
         solid((255, 255, 255))),
    ])


def icon_mail_new():
    star = []
    for i in range(10):
        a = math.radians(-90 + 36 * i)
        r = 4.3 if i % 2 == 0 else 1.9
        star.append((12 + r * math.cos(a), 11.3 + r * math.sin(a)))
    return envelope([
        (circle(12, 11.3, 4.3), solid((255, 255, 255))),
        (poly(star), solid((240, 140, 0))),
    ])


def icon_gear():
    teeth = []
    for i in range(32):
        a = math.radians(i * 11.25 + 5.6)
        r = 7.6 if (i // 2) % 2 == 0 else 5.5
        teeth.append((8 + r * math.cos(a), 8 + r * math.sin(a)))
    return [
        (poly(teeth), vgrad((150, 160, 175), (80, 90, 105))),
        (circle(8, 8, 2.3), solid(KEY)),
    ]


def icon_update():
    col = vgrad((80, 190, 90), (20, 120, 40))
    return [
        (arc(8, 8, 5.4, 190, 320, 2.4), col),
        (poly([(10.2, 6.2), (15.6, 5.0), (14.0, 10.4)]), col),
        (arc(8, 8, 5.4, 10, 140, 2.4), col),
        (poly([(5.8, 9.8), (0.4, 11.0), (2.0, 5.6)]), col),
    ]


def icon_remove():
    return [
        (circle(8, 8, 7.3), vgrad((235, 80, 70), (170, 20, 20))),
        (union(seg(5, 5, 11, 11, 2.2), seg(11, 5, 5, 11, 2.2)), solid((255, 255, 255))),
    ]


def icon_info():
    return [
        (circle(8, 8, 7.3), vgrad((90, 160, 240), (20, 80, 170))),
        (circle(8, 4.6, 1.3), solid((255, 255, 255))),
        (rect(6.9, 6.8, 9.1, 12.4), solid((255, 255, 255))),
    ]


def icon_proxy():
    return [
        (union(seg(3.5, 12, 8, 4, 1.4), seg(8, 4, 12.5, 12, 1.4), seg(3.5, 12, 12.5, 12, 1.4)),
         solid((90, 90, 110))),
        (rrect(5, 1, 11, 7, 1.5), solid((40, 90, 170))),
        (rrect(0.5, 9, 6.5, 15, 1.5), solid((40, 140, 80))),
        (rrect(9.5, 9, 15.5, 15, 1.5), solid((200, 110, 20))),
    ]


def icon_home():
    return [
        (poly([(8, 1), (15.5, 8), (13.5, 8), (13.5, 15), (2.5, 15), (2.5, 8), (0.5, 8)]),
         solid((150, 60, 40))),
        (poly([(8, 2.6), (12.5, 7), (12.5, 14), (3.5, 14), (3.5, 7)]),
         vgrad((255, 245, 220), (230, 210, 170), 3, 14)),
        (rect(6.5, 9.5, 9.5, 14), solid((150, 90, 40))),
    ]


def icon_star():
    pts = []
    for i in range(10):
        a = math.radians(-90 + 36 * i)
        r = 7.6 if i % 2 == 0 else 3.2
        pts.append((8 + r * math.cos(a), 8.6 + r * math.sin(a)))
    inner = [(8 + (x - 8) * 0.78, 8.6 + (y - 8.6) * 0.78) for x, y in pts]
    return [
        (poly(pts), solid((190, 120, 0))),
        (poly(inner), vgrad((255, 235, 90), (250, 175, 20), 2, 14)),
    ]


def icon_help():
    return [
        (circle(8, 8, 7.3), vgrad((90, 160, 240), (20, 80, 170))),
        (arc(8, 6, 2.6, 180, 90, 2.0), solid((255, 255, 255))),
        (seg(8, 8.6, 8, 9.6, 2.0), solid((255, 255, 255))),
        (circle(8, 12.3, 1.2), solid((255, 255, 255))),
    ]


def icon_trash():
    return [
        (rect(2, 2.5, 14, 4.5), solid((90, 90, 100))),
        (rect(6, 1, 10, 3), solid((90, 90, 100))),
        (poly([(3, 5), (13, 5), (12, 15), (4, 15)]), solid((90, 90, 100))),
        (poly([(4.2, 5.8), (11.8, 5.8), (11.0, 14.2), (5.0, 14.2)]),
         vgrad((210, 215, 225), (160, 165, 180), 6, 14)),
        (union(rect(6, 7, 6.9, 13), rect(7.6, 7, 8.4, 13), rect(9.1, 7, 10, 13)),
         solid((100, 100, 115))),
    ]


def icon_popup():
    return [
        (rect(1, 2, 12, 11), solid((70, 90, 130))),
        (rect(2, 4.5, 11, 10), solid((255, 255, 255))),
        (rect(4, 5, 15, 14), solid((70, 90, 130))),
        (rect(5, 7.5, 14, 13), solid((255, 255, 255))),
        (circle(11.5, 11, 3.6), solid((200, 30, 30))),
        (circle(11.5, 11, 2.3), solid((255, 255, 255))),
        (seg(9.8, 12.7, 13.2, 9.3, 1.3), solid((200, 30, 30))),
    ]


# The order is the image index used by the definition file.
ICONS = [
    ("logo", icon_logo),            # 0
    ("search", icon_search),        # 1
    ("web", icon_globe),            # 2
    ("news", icon_news),            # 3
    ("highlight", icon_highlight),  # 4
    ("shield", icon_shield),        # 5
    ("mail", icon_mail),            # 6
    ("mail-error", icon_mail_error),  # 7
    ("mail-new", icon_mail_new),    # 8
    ("settings", icon_gear),        # 9
    ("update", icon_update),        # 10
    ("uninstall", icon_remove),     # 11
    ("info", icon_info),            # 12
    ("proxy", icon_proxy),          # 13
    ("home", icon_home),            # 14
    ("favourite", icon_star),       # 15
    ("help", icon_help),            # 16
    ("clear", icon_trash),          # 17
    ("popup", icon_popup),          # 18
]


def render(shapes, tone):
    """Returns SIZE x SIZE rows of (r, g, b) with KEY where nothing is drawn."""
    rows = []
    n = SAMPLES * SAMPLES
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            acc = [0.0, 0.0, 0.0]
            cover = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = px + (sx + 0.5) / SAMPLES
                    y = py + (sy + 0.5) / SAMPLES
                    col = None
                    for shape, colour in shapes:
                        if shape(x, y):
                            col = colour(x, y)
                    if col is not None and col != KEY:
                        cover += 1
                        for i in range(3):
                            acc[i] += col[i]
            if cover * 5 < n:  # under a fifth covered: transparent
                row.append(KEY)
                continue
            a = cover / n
            col = [acc[i] / cover for i in range(3)]
            col = tone(col)
            row.append(tuple(int(round(col[i] * a + FACE[i] * (1 - a))) for i in range(3)))
        rows.append(row)
    return rows


def muted(col):
    """Normal state: a little softer than the hot image."""
    grey = 0.3 * col[0] + 0.59 * col[1] + 0.11 * col[2]
    return [min(255.0, grey + (c - grey) * 0.82) for c in col]


def vivid(col):
    """Hot state: more saturated and slightly brighter."""
    grey = 0.3 * col[0] + 0.59 * col[1] + 0.11 * col[2]
    return [max(0.0, min(255.0, (grey + (c - grey) * 1.18) * 1.04)) for c in col]


def write_bmp(path, pixels, width, height):
    row_bytes = (width * 3 + 3) & ~3
    image = bytearray()
    for y in range(height - 1, -1, -1):  # bottom-up
        line = bytearray()
        for x in range(width):
            r, g, b = pixels[y][x]
            line += bytes((b, g, r))
        line += b"\0" * (row_bytes - len(line))
        image += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(image), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(image),
                       2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + image)


def strip(tone):
    width = SIZE * len(ICONS)
    pixels = [[KEY] * width for _ in range(SIZE)]
    for index, (_, make) in enumerate(ICONS):
        rows = render(make(), tone)
        for y in range(SIZE):
            for x in range(SIZE):
                pixels[y][index * SIZE + x] = rows[y][x]
    pixels[0][0] = KEY  # the transparent colour is read from here
    return pixels, width


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "site", "toolbar")
    os.makedirs(out, exist_ok=True)
    for name, tone in (("tbil.bmp", muted), ("tbhotil.bmp", vivid)):
        pixels, width = strip(tone)
        write_bmp(os.path.join(out, name), pixels, width, SIZE)
    with open(os.path.join(out, "icons.txt"), "w") as f:
        f.write("# Image indexes of tbil.bmp and tbhotil.bmp (16 x 16 each)\n")
        for index, (name, _) in enumerate(ICONS):
            f.write("%d %s\n" % (index, name))


if __name__ == "__main__":
    main()
