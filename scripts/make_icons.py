#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files.

    scripts/make_icons.py [--out DIR] [--preview DIR]

Writes app.ico (the application: a rounded blue tile with a white "#",
256/48/32/24/16 pixels, each in 32-bit and 8-bit colour), match.ico (a green
check-mark badge) and mismatch.ico (a red cross badge), both 16x16 32-bit,
into DIR (default: src/resources/icons beside this script). The output is the
same byte for byte on every run, so the icons can be regenerated at will.
With --preview, PNG previews of every image (enlarged, on a light and a dark
background) go into that directory as well.

Shapes are signed distance fields; each pixel is sampled on a small grid and
every sample's coverage comes from its distance to the edge, which gives clean
antialiasing without a drawing library. Python 3 standard library only.
"""

import argparse
import math
import os
import struct
import zlib

# ---------------------------------------------------------------------------
# Signed distance functions (negative inside), in pixel units.


def sd_round_box(x, y, cx, cy, hw, hh, r):
    qx = abs(x - cx) - (hw - r)
    qy = abs(y - cy) - (hh - r)
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - r


def sd_bar(x, y, ax, ay, bx, by, half_width, corner):
    """A straight stroke from a to b with flat, slightly rounded ends."""
    dx, dy = bx - ax, by - ay
    length = math.hypot(dx, dy)
    ux, uy = dx / length, dy / length
    px, py = x - (ax + bx) / 2, y - (ay + by) / 2
    along = px * ux + py * uy
    across = -px * uy + py * ux
    return sd_round_box(along, across, 0.0, 0.0, length / 2, half_width, corner)


def sd_capsule(x, y, ax, ay, bx, by, radius):
    """A stroke from a to b with round ends."""
    dx, dy = bx - ax, by - ay
    t = ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)
    t = min(max(t, 0.0), 1.0)
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy)) - radius


def coverage(distance, softness):
    """Share of a sample's footprint (`softness` pixels wide) inside the shape."""
    return min(max(0.5 - distance / softness, 0.0), 1.0)


def mix(a, b, t):
    return tuple(p + (q - p) * t for p, q in zip(a, b))


# ---------------------------------------------------------------------------
# Rendering: a scene is a function (x, y, footprint) -> list of (colour,
# alpha) layers, bottom first; colours are 0..1 RGB; the footprint is the
# width of one sample in pixels. Samples are composited "over" and
# averaged per pixel; the result is straight (not premultiplied) RGBA bytes.


def render(size, scene, grid):
    pixels = []
    step = 1.0 / grid
    for row in range(size):
        for col in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for sy in range(grid):
                y = row + (sy + 0.5) * step
                for sx in range(grid):
                    x = col + (sx + 0.5) * step
                    r = g = b = a = 0.0
                    for colour, alpha in scene(x, y, step):
                        if alpha <= 0.0:
                            continue
                        keep = 1.0 - alpha
                        r = colour[0] * alpha + r * keep
                        g = colour[1] * alpha + g * keep
                        b = colour[2] * alpha + b * keep
                        a = alpha + a * keep
                    acc[0] += r
                    acc[1] += g
                    acc[2] += b
                    acc[3] += a
            n = grid * grid
            a = acc[3] / n
            if a <= 0.0:
                pixels.append((0, 0, 0, 0))
                continue
            pixels.append(tuple(int(round(min(c / n / a, 1.0) * 255)) for c in acc[:3])
                          + (int(round(a * 255)),))
    return pixels


def rgb(hex_text):
    return tuple(int(hex_text[i:i + 2], 16) / 255.0 for i in (0, 2, 4))


# ---------------------------------------------------------------------------
# The application icon: a rounded blue tile with a white "#". The small sizes
# are hinted by hand (strokes on whole pixels, upright) so they stay crisp;
# from 32 pixels up the hash leans forward a little.

TILE_TOP = rgb("4A98FF")
TILE_BOTTOM = rgb("1457C8")
TILE_EDGE = rgb("0E3F95")
HASH = rgb("FFFFFF")
SHADOW = rgb("06245A")

# size: tile margin, corner radius, edge width, stroke width, stroke centres
# (both axes), stroke extent (start, end), lean of the upright strokes,
# shadow offset.
APP_GEOMETRY = {
    16: dict(margin=0.0, radius=3.5, edge=1.0, stroke=2.0, centres=(6.0, 10.0),
             extent=(3.0, 13.0), lean=0.0, shadow=0.0),
    24: dict(margin=1.0, radius=4.5, edge=1.0, stroke=2.0, centres=(9.0, 15.0),
             extent=(5.0, 19.0), lean=0.0, shadow=0.0),
    32: dict(margin=1.0, radius=6.0, edge=1.0, stroke=3.0, centres=(12.5, 19.5),
             extent=(7.0, 25.0), lean=1.5, shadow=1.0),
    48: dict(margin=2.0, radius=9.0, edge=1.25, stroke=4.0, centres=(19.0, 29.0),
             extent=(10.0, 38.0), lean=2.5, shadow=1.25),
    256: dict(margin=12.0, radius=50.0, edge=4.0, stroke=22.0, centres=(100.0, 156.0),
              extent=(54.0, 202.0), lean=14.0, shadow=6.0),
}


def app_scene(size):
    g = APP_GEOMETRY[size]
    half = size / 2.0
    tile_half = half - g["margin"]
    top, bottom = g["margin"], size - g["margin"]
    hw = g["stroke"] / 2.0
    corner = min(hw * 0.35, 2.0)
    start, end = g["extent"]
    lean = g["lean"]
    shadow = g["shadow"]

    def hash_distance(x, y):
        d = float("inf")
        for c in g["centres"]:
            # Upright strokes lean forward: the top end is further right.
            d = min(d, sd_bar(x, y, c + lean / 2, start, c - lean / 2, end, hw, corner))
            d = min(d, sd_bar(x, y, start, c, end, c, hw, corner))
        return d

    def scene(x, y, aa):
        tile = sd_round_box(x, y, half, half, tile_half, tile_half, g["radius"])
        tile_cover = coverage(tile, aa)
        if tile_cover <= 0.0:
            return ()
        t = min(max((y - top) / (bottom - top), 0.0), 1.0)
        fill = mix(TILE_TOP, TILE_BOTTOM, t)
        # The edge: a darker rim inside the tile's outline.
        fill = mix(fill, TILE_EDGE, coverage(-(tile + g["edge"]), aa) * 0.85)
        layers = [(fill, tile_cover)]
        if shadow > 0.0:
            # A soft shadow under the hash, for depth at the larger sizes.
            d = hash_distance(x - shadow * 0.5, y - shadow)
            layers.append((SHADOW, coverage(d, 1.0 + shadow) * 0.35 * tile_cover))
        layers.append((HASH, coverage(hash_distance(x, y), aa) * tile_cover))
        return layers

    return scene


# ---------------------------------------------------------------------------
# The compare badges (taskbar overlays): a round coloured badge with a white
# mark and a darker rim so they read on light and dark taskbars alike.


def badge_scene(top, bottom, rim, strokes, half_width):
    def scene(x, y, aa):
        d = math.hypot(x - 8.0, y - 8.0) - 7.5
        cover = coverage(d, aa)
        if cover <= 0.0:
            return ()
        fill = mix(top, bottom, min(max((y - 0.5) / 15.0, 0.0), 1.0))
        fill = mix(fill, rim, coverage(-(d + 1.0), aa))
        mark = min(sd_capsule(x, y, *s, half_width) for s in strokes)
        return [(fill, cover), (HASH, coverage(mark, aa) * cover)]

    return scene


CHECK_STROKES = [(4.3, 8.2, 6.9, 10.8), (6.9, 10.8, 11.6, 5.4)]
CROSS_STROKES = [(5.2, 5.2, 10.8, 10.8), (10.8, 5.2, 5.2, 10.8)]


def match_scene():
    return badge_scene(rgb("3BD16F"), rgb("15973F"), rgb("0C6B2B"), CHECK_STROKES, 1.05)


def mismatch_scene():
    return badge_scene(rgb("FF5A5A"), rgb("D3201F"), rgb("961212"), CROSS_STROKES, 0.9)


# ---------------------------------------------------------------------------
# Image encodings.


def png_bytes(size, pixels):
    return png_bytes_rect(size, size, pixels)


def and_mask(size, transparent):
    """The 1-bit mask of a DIB icon: bottom-up rows, set bits transparent."""
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for row in reversed(range(size)):
        line = bytearray(stride)
        for col in range(size):
            if transparent[row * size + col]:
                line[col // 8] |= 0x80 >> (col % 8)
        out += line
    return bytes(out)


def dib_header(size, bit_count, image_bytes):
    # The height counts the colour rows and the mask rows together.
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bit_count, 0, image_bytes, 0, 0, 0, 0)


def dib32_bytes(size, pixels):
    colour = bytearray()
    for row in reversed(range(size)):
        for r, g, b, a in pixels[row * size:(row + 1) * size]:
            colour += bytes((b, g, r, a))
    mask = and_mask(size, [p[3] == 0 for p in pixels])
    return dib_header(size, 32, len(colour) + len(mask)) + bytes(colour) + mask


def median_cut(colours, count):
    """A palette of at most `count` colours for the weighted colour list."""
    boxes = [sorted(colours)]
    while len(boxes) < count:
        # Split the box with the widest channel range (ties: the first one).
        best, best_range, best_channel = None, 0, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for ch in range(3):
                values = [c[0][ch] for c in box]
                spread = max(values) - min(values)
                if spread > best_range:
                    best, best_range, best_channel = i, spread, ch
        if best is None:
            break
        box = sorted(boxes.pop(best), key=lambda c: (c[0][best_channel], c[0]))
        total = sum(w for _, w in box)
        running, cut = 0, 1
        for j, (_, w) in enumerate(box):
            running += w
            if running * 2 >= total:
                cut = min(max(j + 1, 1), len(box) - 1)
                break
        boxes[best:best] = [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(w for _, w in box)
        palette.append(tuple(int(round(sum(c[ch] * w for c, w in box) / total)) for ch in range(3)))
    return palette


def dib8_bytes(size, pixels):
    # 256-colour screens have no alpha: pixels at least half covered become
    # opaque (their colour blended over white, which suits the usual light
    # window backgrounds); the rest are cut out by the mask.
    opaque = []
    for r, g, b, a in pixels:
        if a < 128:
            opaque.append(None)
            continue
        t = a / 255.0
        opaque.append(tuple(int(round(c * t + 255 * (1 - t))) for c in (r, g, b)))
    weights = {}
    for c in opaque:
        if c is not None:
            weights[c] = weights.get(c, 0) + 1
    # Index 0 stays black for the transparent pixels.
    palette = median_cut(sorted(weights.items()), 255) if weights else []
    palette = [(0, 0, 0)] + palette
    palette += [(0, 0, 0)] * (256 - len(palette))
    cache = {}

    def index_of(c):
        if c not in cache:
            cache[c] = min(range(1, 256), key=lambda i: (sum((p - q) ** 2 for p, q in zip(palette[i], c)), i))
        return cache[c]

    stride = (size + 3) & ~3
    colour = bytearray()
    for row in reversed(range(size)):
        line = bytearray(stride)
        for col in range(size):
            c = opaque[row * size + col]
            line[col] = 0 if c is None else index_of(c)
        colour += line
    mask = and_mask(size, [c is None for c in opaque])
    rgbquads = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return dib_header(size, 8, len(colour) + len(mask)) + rgbquads + bytes(colour) + mask


def ico_bytes(images):
    """images: list of (size, bit_count, encoded image)."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    blobs = []
    for size, bits, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, bits, len(data), offset)
        offset += len(data)
        blobs.append(data)
    return out + b"".join(blobs)


# ---------------------------------------------------------------------------
# Previews: each image enlarged (nearest neighbour) on a light and a dark
# background side by side, to look at; not part of the program.


def write_preview(path, size, pixels, scale):
    side = size * scale
    width = side * 2 + 3 * scale
    backgrounds = ((240, 240, 240), (40, 40, 40))
    out = []
    for y in range(side):
        line = []
        for half, bg in enumerate(backgrounds):
            if half:
                line += [(128, 128, 128, 255)] * (3 * scale)
            for x in range(side):
                r, g, b, a = pixels[(y // scale) * size + x // scale]
                t = a / 255.0
                line.append(tuple(int(round(c * t + k * (1 - t))) for c, k in zip((r, g, b), bg)) + (255,))
        out += line
    with open(path, "wb") as f:
        f.write(png_bytes_rect(width, side, out))


def png_bytes_rect(width, height, pixels):
    raw = bytearray()
    for row in range(height):
        raw.append(0)
        for p in pixels[row * width:(row + 1) * width]:
            raw += bytes(p)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def decode_dib8(size, data):
    """The 8-bit image as the screen shows it, for the preview."""
    palette_at = 40
    bits_at = palette_at + 1024
    stride = (size + 3) & ~3
    mask_at = bits_at + stride * size
    mask_stride = ((size + 31) // 32) * 4
    pixels = []
    for row in range(size):
        src = size - 1 - row
        for col in range(size):
            if data[mask_at + src * mask_stride + col // 8] & (0x80 >> (col % 8)):
                pixels.append((0, 0, 0, 0))
                continue
            i = data[bits_at + src * stride + col]
            b, g, r = data[palette_at + 4 * i:palette_at + 4 * i + 3]
            pixels.append((r, g, b, 255))
    return pixels


# ---------------------------------------------------------------------------


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(here, "..", "src", "resources", "icons"))
    parser.add_argument("--preview", help="also write PNG previews into this directory")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    if args.preview:
        os.makedirs(args.preview, exist_ok=True)

    app32, app8 = [], []
    for size in (256, 48, 32, 24, 16):
        pixels = render(size, app_scene(size), 2 if size >= 256 else 4)
        app32.append((size, 32, png_bytes(size, pixels) if size >= 256 else dib32_bytes(size, pixels)))
        dib8 = dib8_bytes(size, pixels)
        app8.append((size, 8, dib8))
        if args.preview:
            scale = max(1, 256 // size) if size < 256 else 1
            write_preview(os.path.join(args.preview, f"app-{size}-32.png"), size, pixels, scale)
            write_preview(os.path.join(args.preview, f"app-{size}-8.png"), size, decode_dib8(size, dib8), scale)
    files = {"app.ico": app32 + app8}
    for name, scene in (("match", match_scene()), ("mismatch", mismatch_scene())):
        pixels = render(16, scene, 8)
        files[name + ".ico"] = [(16, 32, dib32_bytes(16, pixels))]
        if args.preview:
            write_preview(os.path.join(args.preview, f"{name}-16.png"), 16, pixels, 16)
    for name, images in files.items():
        with open(os.path.join(args.out, name), "wb") as f:
            f.write(ico_bytes(images))


if __name__ == "__main__":
    main()
