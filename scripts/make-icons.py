#!/usr/bin/env python3
"""Draws Quillon's icon set and writes res/icons/*.ico.

Every icon is a short list of filled shapes on a 48 x 48 canvas (y down),
described by signed distance functions, so that each size is rendered
directly with smooth edges. The .ico files hold 16, 24, 32 and 48 pixel
images with 32-bit colour and alpha. Run again after changing a drawing:

    python3 scripts/make-icons.py
"""
import math
import os
import struct

SIZES = (16, 24, 32, 48)
OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res", "icons")


# ---- shapes: functions (x, y) -> signed distance in canvas units ----------

def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def box(x0, y0, x1, y1, r=0.0):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def d(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0), max(qy, 0))
        return outside + min(max(qx, qy), 0) - r
    return d


def segment(ax, ay, bx, by, r):
    def d(x, y):
        px, py, vx, vy = x - ax, y - ay, bx - ax, by - ay
        t = max(0.0, min(1.0, (px * vx + py * vy) / (vx * vx + vy * vy)))
        return math.hypot(px - vx * t, py - vy * t) - r
    return d


def polyline(points, r):
    parts = [segment(*points[i], *points[i + 1], r) for i in range(len(points) - 1)]
    return union(*parts)


def polygon(points):
    n = len(points)

    def d(x, y):
        best = float("inf")
        inside = False
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            vx, vy, px, py = bx - ax, by - ay, x - ax, y - ay
            t = max(0.0, min(1.0, (px * vx + py * vy) / (vx * vx + vy * vy)))
            best = min(best, math.hypot(px - vx * t, py - vy * t))
            if (ay > y) != (by > y) and x < ax + (y - ay) * vx / vy:
                inside = not inside
        return -best if inside else best
    return d


def arc(cx, cy, r, width, start, end):
    """A stroked arc from start to end degrees (0 = right, clockwise on screen)."""
    a0, a1 = math.radians(start), math.radians(end)

    def point(a):
        return cx + r * math.cos(a), cy + r * math.sin(a)
    p0, p1 = point(a0), point(a1)

    def d(x, y):
        a = math.atan2(y - cy, x - cx)
        rel = (a - a0) % (2 * math.pi)
        if rel <= (a1 - a0) % (2 * math.pi) or abs(a1 - a0) >= 2 * math.pi:
            return abs(math.hypot(x - cx, y - cy) - r) - width / 2
        return min(math.hypot(x - p0[0], y - p0[1]), math.hypot(x - p1[0], y - p1[1])) - width / 2
    return d


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def subtract(shape, *cutters):
    return lambda x, y: max(shape(x, y), *(-c(x, y) for c in cutters))


def rotated(shape, cx, cy, degrees):
    a = math.radians(-degrees)
    c, s = math.cos(a), math.sin(a)

    def d(x, y):
        dx, dy = x - cx, y - cy
        return shape(cx + dx * c - dy * s, cy + dx * s + dy * c)
    return d


def gear(cx, cy, r, teeth=8):
    parts = [circle(cx, cy, r)]
    for i in range(teeth):
        tooth = box(cx - r * 0.22, cy - r * 1.35, cx + r * 0.22, cy - r * 0.5, r * 0.08)
        parts.append(rotated(tooth, cx, cy, i * 360 / teeth))
    return subtract(union(*parts), circle(cx, cy, r * 0.42))


def person(cx, top, scale=1.0):
    head = circle(cx, top + 7 * scale, 6.5 * scale)
    body = subtract(circle(cx, top + 30 * scale, 14 * scale),
                    box(cx - 20 * scale, top + 30 * scale, cx + 20 * scale, top + 60 * scale))
    return union(head, box(cx - 14 * scale, top + 16 * scale, cx + 14 * scale, top + 30 * scale,
                           6 * scale), body)


# ---- colours ------------------------------------------------------------

def rgb(hex_colour):
    v = int(hex_colour.lstrip("#"), 16)
    return ((v >> 16) & 255, (v >> 8) & 255, v & 255)


BLUE = (rgb("#5B9BE0"), rgb("#2A63A8"))
GREEN = (rgb("#6ACB7A"), rgb("#2F8E46"))
RED = (rgb("#F07067"), rgb("#B8322B"))
ORANGE = (rgb("#F9B35A"), rgb("#D9771F"))
STEEL = (rgb("#C9D2DB"), rgb("#8A97A5"))
DARK = (rgb("#4A5563"), rgb("#2C343E"))
YELLOW = (rgb("#FFE08A"), rgb("#E0A82E"))
WHITE = (rgb("#FFFFFF"), rgb("#EEF2F6"))
SCREEN = (rgb("#7FC4F5"), rgb("#2F79C4"))
BRICK = (rgb("#E2774F"), rgb("#A9422A"))


def darker(c, f=0.55):
    return tuple(int(v * f) for v in c)


# A layer: (shape, (top colour, bottom colour), outline)
def L(shape, colours, outline=True):
    return (shape, colours, outline)


# ---- the drawings -------------------------------------------------------

def server(x0, y0, x1, y1):
    return [
        L(box(x0, y0, x1, y1, 3), STEEL),
        L(box(x0 + 4, y0 + 5, x1 - 4, y0 + 10, 1.2), DARK, False),
        L(box(x0 + 4, y0 + 13, x1 - 4, y0 + 18, 1.2), DARK, False),
        L(circle(x1 - 7, y1 - 7, 2.2), GREEN, False),
    ]


def monitor(x0=4, y0=6, x1=44, y1=34):
    return [
        L(union(box(20, y1 - 2, 28, y1 + 7, 0), box(13, y1 + 5, 35, y1 + 9, 2)), STEEL),
        L(box(x0, y0, x1, y1, 3), DARK),
        L(box(x0 + 3, y0 + 3, x1 - 3, y1 - 3, 1), SCREEN, False),
    ]


def badge(shape, colours):
    return [L(circle(36, 36, 10), colours), L(shape, WHITE, False)]


PLUS = union(box(30.5, 34.5, 41.5, 37.5, 0.8), box(34.5, 30.5, 37.5, 41.5, 0.8))
MINUS = box(30, 34.5, 42, 37.5, 0.8)
CROSS = union(rotated(box(30, 34.5, 42, 37.5, 0.8), 36, 36, 45),
              rotated(box(30, 34.5, 42, 37.5, 0.8), 36, 36, -45))

ICONS = {
    "app": server(9, 3, 39, 45) + [
        L(gear(33, 33, 8), BLUE),
    ],
    "users": [
        L(person(31, 4, 0.9), GREEN),
        L(person(18, 10, 1.05), BLUE),
    ],
    "network": [
        L(polyline([(24, 12), (10, 36)], 1.6), DARK, False),
        L(polyline([(24, 12), (38, 36)], 1.6), DARK, False),
        L(polyline([(10, 36), (38, 36)], 1.6), DARK, False),
        L(circle(24, 12, 8), BLUE),
        L(circle(10, 36, 7), GREEN),
        L(circle(38, 36, 7), ORANGE),
    ],
    "display": monitor() + [
        L(polygon([(10, 30), (20, 18), (27, 25), (31, 21), (39, 30)]), GREEN, False),
        L(circle(33, 14, 3), YELLOW, False),
    ],
    "firewall": [
        L(box(4, 8, 44, 42, 2), BRICK),
        L(box(4, 18.5, 44, 20.5), rgb_pair := (rgb("#F2E6D8"), rgb("#E3D3C0")), False),
        L(box(4, 30, 44, 32), rgb_pair, False),
        L(box(15, 8, 17, 19), rgb_pair, False),
        L(box(31, 8, 33, 19), rgb_pair, False),
        L(box(23, 20, 25, 31), rgb_pair, False),
        L(box(8, 31, 10, 42), rgb_pair, False),
        L(box(38, 31, 40, 42), rgb_pair, False),
        L(box(23, 32, 25, 42), rgb_pair, False),
    ],
    "computer": server(12, 3, 36, 45),
    "timezone": [
        L(circle(24, 24, 20), WHITE),
        L(arc(24, 24, 17.5, 2.0, 0, 360), BLUE, False),
        L(segment(24, 24, 24, 12, 1.8), DARK, False),
        L(segment(24, 24, 33, 29, 1.6), DARK, False),
        L(circle(24, 24, 2.6), RED, False),
    ] + [L(circle(24 + 14 * math.cos(math.radians(a)), 24 + 14 * math.sin(math.radians(a)), 1.3),
           DARK, False) for a in range(0, 360, 90)],
    "winrm": [
        L(box(3, 7, 45, 41, 3), DARK),
        L(box(3, 7, 45, 13, 3), BLUE, False),
        L(polyline([(9, 20), (16, 26), (9, 32)], 2.0), GREEN, False),
        L(box(19, 31, 29, 34, 0.6), WHITE, False),
    ],
    "features": [
        L(polygon([(24, 5), (43, 14), (24, 23), (5, 14)]), YELLOW),
        L(polygon([(5, 14), (24, 23), (24, 44), (5, 35)]), ORANGE),
        L(polygon([(43, 14), (24, 23), (24, 44), (43, 35)]), (rgb("#E59A3E"), rgb("#B8601A"))),
        L(polygon([(14, 9.5), (33, 18.5), (33, 24), (14, 15)]), WHITE, False),
    ],
    "rdp": monitor() + [
        L(polygon([(12, 23), (24, 23), (24, 17), (35, 25), (24, 33), (24, 27), (12, 27)]),
          WHITE, False),
    ],
    "dcpromo": [
        L(polyline([(24, 14), (24, 24), (11, 24), (11, 32)], 1.5), DARK, False),
        L(polyline([(24, 24), (37, 24), (37, 32)], 1.5), DARK, False),
        L(box(16, 4, 32, 16, 2), BLUE),
        L(box(3, 30, 19, 42, 2), GREEN),
        L(box(29, 30, 45, 42, 2), GREEN),
    ],
    "shutdown": [
        L(circle(24, 24, 21), RED),
        L(arc(24, 24, 11, 4.2, -50, 230), WHITE, False),
        L(segment(24, 9, 24, 22, 2.1), WHITE, False),
    ],
    "reboot": [
        L(circle(24, 24, 21), GREEN),
        L(arc(24, 24, 11, 4.2, -30, 250), WHITE, False),
        L(polygon([(30, 5), (38, 17), (25, 18)]), WHITE, False),
    ],
    "exit": [
        L(box(8, 4, 32, 44, 2), (rgb("#B98A5E"), rgb("#7E5533"))),
        L(box(11, 7, 29, 44, 1), (rgb("#8A6240"), rgb("#5E3D22")), False),
        L(circle(25, 26, 1.8), YELLOW, False),
        L(polygon([(28, 22), (36, 22), (36, 16), (46, 26), (36, 36), (36, 30), (28, 30)]), BLUE),
    ],
    "deleteuser": [L(person(20, 4, 1.05), BLUE)] + badge(CROSS, RED),
    "password": [
        L(subtract(circle(15, 24, 11), circle(12, 24, 3.5)), YELLOW),
        L(union(box(24, 21, 45, 27, 1.5), box(36, 25, 40, 33, 1), box(41, 25, 45, 31, 1)),
          YELLOW),
    ],
    "newuser": [L(person(20, 4, 1.05), BLUE)] + badge(PLUS, GREEN),
    "home": [
        L(box(10, 22, 38, 44, 1.5), WHITE),
        L(box(20, 30, 28, 44, 1), BLUE, False),
        L(polygon([(24, 4), (45, 24), (40, 24), (24, 10), (8, 24), (3, 24)]), RED),
    ],
}


# ---- rendering and the .ico format --------------------------------------

def render(layers, size):
    scale = size / 48.0
    pixels = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]
    outline_width = 1.1 if size >= 32 else 1.6
    for shape, (top, bottom), outline in layers:
        for py in range(size):
            y = (py + 0.5) / scale
            t = min(1.0, max(0.0, y / 48.0))
            base = tuple(top[i] + (bottom[i] - top[i]) * t for i in range(3))
            edge = darker(bottom)
            row = pixels[py]
            for px in range(size):
                x = (px + 0.5) / scale
                d = shape(x, y) * scale
                cover = min(1.0, max(0.0, 0.5 - d))
                if outline:
                    cover_out = min(1.0, max(0.0, 0.5 - (d - outline_width * scale)))
                    if cover_out <= 0:
                        continue
                    inner = min(1.0, max(0.0, 0.5 - (d + outline_width * scale * 0.0)))
                    # The outline sits just outside the fill.
                    row[px] = over(row[px], edge, cover_out)
                    if inner > 0:
                        row[px] = over(row[px], base, inner)
                elif cover > 0:
                    row[px] = over(row[px], base, cover)
    return pixels


def over(dst, colour, alpha):
    dr, dg, db, da = dst
    out_a = alpha + da * (1 - alpha)
    if out_a <= 0:
        return (0.0, 0.0, 0.0, 0.0)
    mix = lambda s, d: (s * alpha + d * da * (1 - alpha)) / out_a
    return (mix(colour[0], dr), mix(colour[1], dg), mix(colour[2], db), out_a)


def bmp_entry(pixels, size):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            colour += bytes((int(round(b)), int(round(g)), int(round(r)), int(round(a * 255))))
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_row)
        for x, (_, _, _, a) in enumerate(row):
            if a * 255 < 1:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(colour) + bytes(mask)


def write_ico(path, layers):
    images = [bmp_entry(render(layers, s), s) for s in SIZES]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, layers in ICONS.items():
        write_ico(os.path.join(OUT, name + ".ico"), layers)
        print(os.path.normpath(os.path.join(OUT, name + ".ico")))


if __name__ == "__main__":
    main()
