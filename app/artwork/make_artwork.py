#!/usr/bin/env python3
"""Draws the program's icon and pictures (no image library needed) into the folder given."""
import math
import struct
import sys
from pathlib import Path

SUPERSAMPLE = 4


def inside(poly, x, y):
    hit = False
    j = len(poly) - 1
    for i, (xi, yi) in enumerate(poly):
        xj, yj = poly[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            hit = not hit
        j = i
    return hit


def arrow(cx, cy, size, angle):
    """A pointer arrow: head and shaft, pointing at angle (radians), centred at cx, cy."""
    shape = [(-0.5, -0.12), (0.1, -0.12), (0.1, -0.32), (0.5, 0.0), (0.1, 0.32), (0.1, 0.12), (-0.5, 0.12)]
    c, s = math.cos(angle), math.sin(angle)
    return [(cx + size * (x * c - y * s), cy + size * (x * s + y * c)) for x, y in shape]


def render(width, height, layers):
    """layers: list of (polygon, rgb). Returns rows of (r, g, b, a) with anti-aliased edges."""
    pixels = []
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    x = px + (sx + 0.5) / SUPERSAMPLE
                    y = py + (sy + 0.5) / SUPERSAMPLE
                    colour = None
                    for poly, rgb in layers:
                        if inside(poly, x, y):
                            colour = rgb
                    if colour:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 1
            n = SUPERSAMPLE * SUPERSAMPLE
            alpha = acc[3] / n
            if acc[3]:
                row.append((acc[0] / acc[3], acc[1] / acc[3], acc[2] / acc[3], alpha))
            else:
                row.append((0, 0, 0, 0.0))
        pixels.append(row)
    return pixels


def over(pixels, background):
    """Composes pixels over a background function bg(x, y) -> rgb; returns opaque rows."""
    out = []
    for y, row in enumerate(pixels):
        line = []
        for x, (r, g, b, a) in enumerate(row):
            br, bg_, bb = background(x, y)
            line.append((r * a + br * (1 - a), g * a + bg_ * (1 - a), b * a + bb * (1 - a)))
        out.append(line)
    return out


def bmp24(rows):
    height = len(rows)
    width = len(rows[0])
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((int(b) & 255, int(g) & 255, int(r) & 255))
        line += b"\0" * (stride - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + bytes(data)


def icon_image(size):
    s = float(size)
    page = [(s * 0.18, s * 0.06), (s * 0.66, s * 0.06), (s * 0.84, s * 0.24), (s * 0.84, s * 0.94), (s * 0.18, s * 0.94)]
    fold = [(s * 0.66, s * 0.06), (s * 0.84, s * 0.24), (s * 0.66, s * 0.24)]
    badge = [(s * 0.02, s * 0.50), (s * 0.50, s * 0.50), (s * 0.50, s * 0.98), (s * 0.02, s * 0.98)]
    layers = [
        (page, (250, 250, 246)),
        (fold, (200, 205, 215)),
        (badge, (255, 255, 255)),
        (arrow(s * 0.26, s * 0.74, s * 0.44, -math.pi / 4), (20, 90, 200)),
    ]
    # A dark outline: the same shapes drawn slightly larger underneath.
    outline = []
    for poly, _ in layers[:1] + layers[2:3]:
        cx = sum(p[0] for p in poly) / len(poly)
        cy = sum(p[1] for p in poly) / len(poly)
        grown = [(cx + (x - cx) * 1.0 + (1 if x > cx else -1) * s / 32, cy + (y - cy) + (1 if y > cy else -1) * s / 32) for x, y in poly]
        outline.append((grown, (60, 60, 70)))
    return render(size, size, outline + layers)


def ico(sizes, painter=None):
    images = []
    for size in sizes:
        pixels = (painter or icon_image)(size)
        xor = bytearray()
        for row in reversed(pixels):
            for r, g, b, a in row:
                xor += bytes((int(b), int(g), int(r), int(round(a * 255))))
        mask_stride = ((size + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(pixels):
            bits = bytearray(mask_stride)
            for x, (_, _, _, a) in enumerate(row):
                if a < 0.5:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        images.append((size, header + bytes(xor) + bytes(mask)))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    return bytes(out)


def up_image(size):
    """The "Up" button's picture: an arrow pointing up out of a folder's edge."""
    s = float(size)
    edge = [(s * 0.1, s * 0.78), (s * 0.9, s * 0.78), (s * 0.9, s * 0.92), (s * 0.1, s * 0.92)]
    return render(size, size, [(edge, (200, 150, 40)), (arrow(s * 0.5, s * 0.44, s * 0.8, -math.pi / 2), (20, 90, 200))])


def choose_image(size):
    """The icon chooser button's picture: a grid of four icons, one of them picked."""
    s = float(size)
    layers = []
    colours = [(20, 90, 200), (220, 160, 30), (40, 150, 70), (200, 50, 50)]
    for i, colour in enumerate(colours):
        x0 = s * (0.06 + 0.5 * (i % 2))
        y0 = s * (0.06 + 0.5 * (i // 2))
        cell = [(x0, y0), (x0 + s * 0.38, y0), (x0 + s * 0.38, y0 + s * 0.38), (x0, y0 + s * 0.38)]
        if i == 3:
            frame = [(x - s * 0.04 if x == x0 else x + s * 0.04, y - s * 0.04 if y == y0 else y + s * 0.04)
                     for x, y in cell]
            layers.append((frame, (0, 0, 0)))
        layers.append((cell, colour))
    return render(size, size, layers)


def gradient(top, bottom, height):
    def bg(x, y):
        t = y / max(1, height - 1)
        return tuple(top[i] + (bottom[i] - top[i]) * t for i in range(3))
    return bg


def side_picture(k=1):
    w, h = 120 * k, 228 * k
    layers = []
    for i, (cy, size, angle) in enumerate([(60, 70, -0.5), (120, 56, 0.2), (178, 44, -0.9)]):
        shade = (255, 255, 255) if i == 0 else (200, 220, 250)
        layers.append((arrow(58 * k, cy * k, size * k, angle), shade))
    return over(render(w, h, layers), gradient((16, 52, 140), (90, 150, 230), h))


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, inner, outer):
    return lambda x, y: inner * inner <= (x - cx) ** 2 + (y - cy) ** 2 <= outer * outer


def polygon(poly):
    xs = [p[0] for p in poly]
    ys = [p[1] for p in poly]
    x0, x1, y0, y1 = min(xs), max(xs), min(ys), max(ys)
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1 and inside(poly, x, y)


def bar(cx, cy, angle, start, end, half_width):
    """A straight bar from radius start to radius end along angle (0 = 12 o'clock, clockwise)."""
    dx, dy = math.sin(angle), -math.cos(angle)
    nx, ny = -dy, dx
    return polygon([(cx + dx * start + nx * half_width, cy + dy * start + ny * half_width),
                    (cx + dx * end + nx * half_width, cy + dy * end + ny * half_width),
                    (cx + dx * end - nx * half_width, cy + dy * end - ny * half_width),
                    (cx + dx * start - nx * half_width, cy + dy * start - ny * half_width)])


def hand(cx, cy, angle, length, tail, width):
    """A clock hand ending in an arrow head, pointing at angle (0 = 12 o'clock, clockwise)."""
    dx, dy = math.sin(angle), -math.cos(angle)
    nx, ny = -dy, dx
    head = length * 0.62
    shape = [(-tail, width * 0.5), (head, width * 0.5), (head, width * 1.5), (length, 0),
             (head, -width * 1.5), (head, -width * 0.5), (-tail, -width * 0.5)]
    return polygon([(cx + dx * a + nx * b, cy + dy * a + ny * b) for a, b in shape])


def paint(width, height, shapes, y_from=0, y_to=None):
    """shapes: list of (predicate, colour or colour function (x, y) -> rgb), later ones on top.
    Returns rows of (r, g, b, coverage)."""
    rows = []
    n = SUPERSAMPLE * SUPERSAMPLE
    for py in range(y_from, height if y_to is None else y_to):
        row = []
        for px in range(width):
            acc = [0.0, 0.0, 0.0]
            hits = 0
            for sy in range(SUPERSAMPLE):
                y = py + (sy + 0.5) / SUPERSAMPLE
                for sx in range(SUPERSAMPLE):
                    x = px + (sx + 0.5) / SUPERSAMPLE
                    colour = None
                    for test, fill in shapes:
                        if test(x, y):
                            colour = fill(x, y) if callable(fill) else fill
                    if colour:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        hits += 1
            row.append((acc[0] / hits, acc[1] / hits, acc[2] / hits, hits / n) if hits else (0, 0, 0, 0.0))
        rows.append(row)
    return rows


def dial(cx, cy, r, sweep, face_top, face_bottom):
    """A clock face with twelve ticks, a fixed short hand and a long hand at angle sweep."""
    def face(x, y):
        t = min(1.0, max(0.0, (y - (cy - r)) / (2 * r)))
        return tuple(face_top[i] + (face_bottom[i] - face_top[i]) * t for i in range(3))
    shapes = [
        (circle(cx, cy, r), (28, 58, 118)),
        (circle(cx, cy, r * 0.86), face),
    ]
    for k in range(12):
        long_tick = k % 3 == 0
        shapes.append((bar(cx, cy, k * math.pi / 6, r * (0.58 if long_tick else 0.66), r * 0.8,
                           r * (0.06 if long_tick else 0.035)), (70, 80, 100)))
    shapes.append((hand(cx, cy, -math.pi / 3, r * 0.5, r * 0.1, r * 0.1), (225, 120, 25)))
    shapes.append((hand(cx, cy, sweep, r * 0.8, r * 0.16, r * 0.09), (20, 90, 200)))
    shapes.append((circle(cx, cy, r * 0.12), (28, 58, 118)))
    return shapes


# The animation sits on the button face; its untouched pixels carry the key colour, which the
# control leaves out (it reads it from each frame's bottom-left pixel).
ANIMATION_KEY = (255, 0, 255)
ANIMATION_FACE = (240, 240, 240)


def animation(k=1):
    frames, size = 50, 38 * k
    rows = []
    for f in range(frames):
        shapes = dial(19 * k, 19 * k, 17.5 * k, 2 * math.pi * f / frames, (255, 255, 255), (214, 226, 245))
        for row in paint(size, size, shapes):
            line = []
            for r, g, b, a in row:
                if a == 0:
                    line.append(ANIMATION_KEY)
                else:
                    line.append(tuple(c * a + f_ * (1 - a) for c, f_ in zip((r, g, b), ANIMATION_FACE)))
            rows.append(line)
    return rows


def logo(k=1):
    """The banner logo on white, and its mask: white where the logo covers the banner.
    The banner is first ORed with the mask (the covered part turns white), then ANDed with the
    logo, so covered pixels take the logo's colour and the white rest leaves the banner alone."""
    w, h = 142 * k, 63 * k
    shapes = dial(31 * k, 31 * k, 29 * k, math.pi * 0.37, (255, 255, 255), (205, 220, 245))

    def arrow_fill(x, y):
        t = (x / k - 66) / 72
        return (int(20 + 200 * t), int(90 + 40 * t), int(200 - 170 * t))
    for i, (y, length) in enumerate([(17, 44), (31, 72), (45, 44)]):
        shaft = 5 if i == 1 else 3
        head = 12 if i == 1 else 8
        x0 = 66 if i == 1 else 70
        x1 = x0 + length
        outline = [(x0, y - shaft), (x1 - head, y - shaft), (x1 - head, y - head), (x1, y),
                   (x1 - head, y + head), (x1 - head, y + shaft), (x0, y + shaft)]
        shapes.append((polygon([(px * k, py * k) for px, py in outline]), arrow_fill))
    pixels = paint(w, h, shapes)
    white = (255, 255, 255)
    picture = [[tuple(c * a + 255 * (1 - a) for c in (r, g, b)) if a else white for r, g, b, a in row]
               for row in pixels]
    mask = [[white if a >= 0.5 else (0, 0, 0) for _, _, _, a in row] for row in pixels]
    return picture, mask


def main():
    global SUPERSAMPLE
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    (out / "zeigerwerk.ico").write_bytes(ico([16, 20, 24, 32, 40, 48, 64]))
    # The button pictures in the sizes a small icon takes from 100 % to 200 % scaling.
    (out / "up.ico").write_bytes(ico([16, 20, 24, 32], up_image))
    (out / "choose.ico").write_bytes(ico([16, 20, 24, 32], choose_image))
    # The pictures at 1x and 2x: the window takes the nearer one instead of stretching.
    for k, suffix in ((1, ""), (2, "_2x")):
        # Twice the pixels need half the samples per pixel for the same smoothness.
        SUPERSAMPLE = 4 // k
        (out / f"side_picture{suffix}.bmp").write_bytes(bmp24(side_picture(k)))
        (out / f"animation{suffix}.bmp").write_bytes(bmp24(animation(k)))
        picture, mask = logo(k)
        (out / f"logo{suffix}.bmp").write_bytes(bmp24(picture))
        (out / f"logo_mask{suffix}.bmp").write_bytes(bmp24(mask))


if __name__ == "__main__":
    main()
