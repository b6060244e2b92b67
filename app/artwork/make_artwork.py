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


def ico(sizes):
    images = []
    for size in sizes:
        pixels = icon_image(size)
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


def gradient(top, bottom, height):
    def bg(x, y):
        t = y / max(1, height - 1)
        return tuple(top[i] + (bottom[i] - top[i]) * t for i in range(3))
    return bg


def side_picture():
    w, h = 120, 228
    layers = []
    for i, (cy, size, angle) in enumerate([(60, 70, -0.5), (120, 56, 0.2), (178, 44, -0.9)]):
        shade = (255, 255, 255) if i == 0 else (200, 220, 250)
        layers.append((arrow(58, cy, size, angle), shade))
    return over(render(w, h, layers), gradient((16, 52, 140), (90, 150, 230), h))


def animation():
    frames, size = 50, 38
    rows = [[] for _ in range(size)]
    face = (212, 208, 200)  # the button face colour the animation sits on
    for f in range(frames):
        angle = 2 * math.pi * f / frames
        layers = [
            (arrow(19, 19, 30, angle), (20, 90, 200)),
            (arrow(19, 19, 14, angle + math.pi), (230, 120, 20)),
        ]
        frame = over(render(size, size, layers), lambda x, y: face)
        for y in range(size):
            rows[y].extend(frame[y])
    return rows


def logo():
    w, h = 142, 63
    layers = [
        (arrow(32, 32, 52, -0.35), (255, 255, 255)),
        (arrow(80, 34, 40, 0.0), (255, 215, 90)),
        (arrow(118, 32, 30, 0.35), (255, 255, 255)),
    ]
    pixels = render(w, h, layers)
    picture = [[(r * a, g * a, b * a) for r, g, b, a in row] for row in pixels]
    # The mask is black where the logo is drawn and white where the banner shows through.
    mask = [[(0, 0, 0) if a >= 0.5 else (255, 255, 255) for _, _, _, a in row] for row in pixels]
    return picture, mask


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    (out / "zeigerwerk.ico").write_bytes(ico([16, 32, 48]))
    (out / "side_picture.bmp").write_bytes(bmp24(side_picture()))
    (out / "animation.bmp").write_bytes(bmp24(animation()))
    picture, mask = logo()
    (out / "logo.bmp").write_bytes(bmp24(picture))
    (out / "logo_mask.bmp").write_bytes(bmp24(mask))


if __name__ == "__main__":
    main()
