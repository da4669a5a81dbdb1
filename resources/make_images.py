#!/usr/bin/env python3
"""Draws Kestrova's icon and about-box logo, with nothing but the standard library.

Writes, beside this script:
  Kestrova.ico  one design, an amber folder crossed by a kestrel-blue band carrying a white
                "K", at 16, 20, 24, 32, 40, 48, 64 and 256 pixels, so that Windows finds an
                image drawn for every size its taskbar, title bars and Explorer views ask for
                at any display scale and never has to stretch a small one.
                16 to 64: 32 bits per pixel (BGRA with alpha) in a BITMAPINFOHEADER image of
                doubled height, followed by an AND mask (set where alpha is 0).
                256: a PNG (RGBA, 8 bits per channel), as Windows expects at that size.
                16, 20, 24 and 32 are pixel art laid out by hand for each size (crisp edges, a
                pixel "K"); 40, 48, 64 and 256 are drawn from shapes scaled to the size, their
                straight edges on whole pixels and their curves and slants antialiased, with a
                pixel "K" at 40 and 48 where an antialiased one would blur. The 32-pixel image
                is the drawing the logo uses.
  logo.bmp      200x40, 24 bits per pixel, bottom-up: a dark blue gradient band, the 32-pixel
                icon at the left and the word "Kestrova" in a small pixel font of our own.

Run it again after changing a drawing: python3 resources/make_images.py
The output is deterministic, so unchanged drawings give byte-identical files.
"""

import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

ICON_SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
PNG_FROM_SIZE = 256  # images at least this large are stored in the .ico as PNG

# ---------------------------------------------------------------------------------------------
# Colours (r, g, b)

TRANSPARENT = None
OUTLINE = (0x6B, 0x46, 0x12)      # dark brown folder edge
FOLDER = (0xE8, 0xB0, 0x4A)       # amber folder body
FOLDER_LIGHT = (0xF6, 0xD4, 0x86)  # highlight along the top of the body
FOLDER_DARK = (0xC9, 0x8E, 0x2E)  # back of the folder and the tab
BAND = (0x2F, 0x6F, 0xA8)         # kestrel blue
BAND_DARK = (0x1D, 0x4A, 0x75)    # edges of the band
WHITE = (0xFF, 0xFF, 0xFF)

# ---------------------------------------------------------------------------------------------
# Pixel font: 5x7 glyphs, '#' is ink. Only the letters the logo needs.

FONT = {
    "K": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "e": [".....", ".....", ".###.", "#...#", "#####", "#....", ".###."],
    "s": [".....", ".....", ".####", "#....", ".###.", "....#", "####."],
    "t": [".#...", ".#...", "####.", ".#...", ".#...", ".#..#", "..##."],
    "r": [".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."],
    "o": [".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."],
    "v": [".....", ".....", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "a": [".....", ".....", ".###.", "....#", ".####", "#...#", ".####"],
}
GLYPH_W, GLYPH_H = 5, 7


def text_mask(text, scale):
    """Set of (x, y) ink pixels of text drawn at the given integer scale, one blank column
    (scaled) between letters."""
    ink = set()
    pen = 0
    for ch in text:
        rows = FONT[ch]
        for gy, row in enumerate(rows):
            for gx, cell in enumerate(row):
                if cell == "#":
                    for dy in range(scale):
                        for dx in range(scale):
                            ink.add((pen + gx * scale + dx, gy * scale + dy))
        pen += (GLYPH_W + 1) * scale
    width = pen - scale
    return ink, width, GLYPH_H * scale


def k_glyph(height, stem, arm, overlap):
    """Rows of a pixel "K" of odd height ('#' is ink): a stem `stem` pixels wide and two arms
    `arm` pixels wide, running one pixel sideways per row from the middle row (where they
    overlap the stem by `overlap` pixels) out to the top and bottom right corners."""
    middle = (height - 1) // 2
    width = stem - overlap + middle + arm
    rows = []
    for y in range(height):
        x0 = stem - overlap + abs(y - middle)
        rows.append("".join("#" if x < stem or x0 <= x < x0 + arm else "."
                            for x in range(width)))
    return rows


# ---------------------------------------------------------------------------------------------
# The small sizes: pixel art from a hand-tuned layout per size, in inclusive pixel coordinates.
#   tab    (x0, y0, x1): the tab's outline box, from row y0 down to the body's top row
#   step   an outline pixel right of the tab's two lowest rows, slanting its right edge
#   body   (x0, y0, x1, y1): the body's outline box; its four corner pixels stay transparent
#   light  rows of highlight under the body's top edge
#   band   (y0, y1): rows of the blue band; its ends over the body's side edges are dark
#   edge   dark rows at the band's top and bottom (0 or 1)
#   glyph  the white "K", centred on the band's light part

PIXEL_LAYOUTS = {
    16: dict(tab=(1, 1, 6), step=False, body=(0, 3, 15, 14), light=1, band=(6, 12), edge=0,
             glyph=k_glyph(5, 2, 1, 0)),
    20: dict(tab=(2, 2, 8), step=True, body=(1, 5, 18, 18), light=1, band=(8, 16), edge=1,
             glyph=k_glyph(5, 2, 1, 0)),
    24: dict(tab=(2, 2, 10), step=True, body=(1, 5, 22, 22), light=1, band=(9, 19), edge=1,
             glyph=k_glyph(7, 2, 2, 1)),
    32: dict(tab=(2, 4, 12), step=True, body=(1, 8, 30, 28), light=2, band=(14, 24), edge=1,
             glyph=k_glyph(7, 2, 2, 1)),
}


def draw_pixel_icon(size):
    """size x size top-down rows of colours or TRANSPARENT."""
    lay = PIXEL_LAYOUTS[size]
    img = [[TRANSPARENT] * size for _ in range(size)]

    def fill(x0, y0, x1, y1, colour):  # inclusive corners
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                img[y][x] = colour

    tx0, ty0, tx1 = lay["tab"]
    bx0, by0, bx1, by1 = lay["body"]
    # Tab and back of the folder.
    fill(tx0, ty0, tx1, by0, OUTLINE)
    fill(tx0 + 1, ty0 + 1, tx1 - 1, by0, FOLDER_DARK)
    if lay["step"]:
        fill(tx1 + 1, by0 - 1, tx1 + 1, by0, OUTLINE)
    # Body with a one-pixel outline and slightly rounded corners.
    fill(bx0, by0, bx1, by1, OUTLINE)
    fill(bx0 + 1, by0 + 1, bx1 - 1, by1 - 1, FOLDER)
    fill(bx0 + 1, by0 + 1, bx1 - 1, by0 + lay["light"], FOLDER_LIGHT)
    for x, y in ((bx0, by0), (bx1, by0), (bx0, by1), (bx1, by1)):
        img[y][x] = TRANSPARENT
    # Kestrel-blue band across the body.
    ny0, ny1 = lay["band"]
    edge = lay["edge"]
    fill(bx0, ny0, bx1, ny1, BAND_DARK)
    fill(bx0 + 1, ny0 + edge, bx1 - 1, ny1 - edge, BAND)
    # The white "K", centred on the band.
    glyph = lay["glyph"]
    gw, gh = len(glyph[0]), len(glyph)
    ox = bx0 + 1 + (bx1 - bx0 - 1 - gw) // 2
    oy = ny0 + edge + (ny1 - ny0 - 2 * edge + 1 - gh) // 2
    for gy, row in enumerate(glyph):
        for gx, cell in enumerate(row):
            if cell == "#":
                img[oy + gy][ox + gx] = WHITE
    return img


def pixel_to_rgba(img):
    return [[(0, 0, 0, 0) if c is TRANSPARENT else c + (255,) for c in row] for row in img]


# ---------------------------------------------------------------------------------------------
# The large sizes: shapes given by signed distance functions (negative inside, in pixels),
# each pixel covered by clamp(0.5 - distance at its centre), layers composited in order.

def clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


def sd_box(px, py, x0, y0, x1, y1, r=0.0):
    """Box from (x0, y0) to (x1, y1) with corners rounded by r."""
    qx = abs(px - (x0 + x1) * 0.5) - ((x1 - x0) * 0.5 - r)
    qy = abs(py - (y0 + y1) * 0.5) - ((y1 - y0) * 0.5 - r)
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - r


def sd_polygon(px, py, pts):
    """Exact distance to a simple polygon, negative inside."""
    d = (px - pts[0][0]) ** 2 + (py - pts[0][1]) ** 2
    s = 1.0
    j = len(pts) - 1
    for i in range(len(pts)):
        (xi, yi), (xj, yj) = pts[i], pts[j]
        ex, ey = xj - xi, yj - yi
        wx, wy = px - xi, py - yi
        t = clamp01((wx * ex + wy * ey) / (ex * ex + ey * ey))
        bx, by = wx - ex * t, wy - ey * t
        d = min(d, bx * bx + by * by)
        c1, c2, c3 = py >= yi, py < yj, ex * wy > ey * wx
        if (c1 and c2 and c3) or (not c1 and not c2 and not c3):
            s = -s
        j = i
    return s * math.sqrt(d)


def inset_convex(pts, d):
    """The convex polygon with every edge moved inwards by d."""
    n = len(pts)
    area = sum(pts[i][0] * pts[(i + 1) % n][1] - pts[(i + 1) % n][0] * pts[i][1]
               for i in range(n))
    lines = []
    for i in range(n):
        (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % n]
        ex, ey = x1 - x0, y1 - y0
        length = math.hypot(ex, ey)
        nx, ny = (-ey / length, ex / length) if area > 0 else (ey / length, -ex / length)
        lines.append((x0 + nx * d, y0 + ny * d, ex, ey))
    out = []
    for i in range(n):
        px, py, ex, ey = lines[i - 1]
        qx, qy, fx, fy = lines[i]
        t = ((qx - px) * fy - (qy - py) * fx) / (ex * fy - ey * fx)
        out.append((px + ex * t, py + ey * t))
    return out


def render(size, layers):
    """layers: (colour, distance function of (x, y), (x0, y0, x1, y1) bounds) in drawing
    order. Returns size x size top-down rows of (r, g, b, a), alpha not premultiplied."""
    buf = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]  # premultiplied
    for colour, sdf, (bx0, by0, bx1, by1) in layers:
        r, g, b = (c / 255.0 for c in colour)
        for y in range(max(0, int(by0) - 1), min(size, int(math.ceil(by1)) + 1)):
            for x in range(max(0, int(bx0) - 1), min(size, int(math.ceil(bx1)) + 1)):
                a = clamp01(0.5 - sdf(x + 0.5, y + 0.5))
                if a > 0.0:
                    p = buf[y * size + x]
                    k = 1.0 - a
                    p[0] = r * a + p[0] * k
                    p[1] = g * a + p[1] * k
                    p[2] = b * a + p[2] * k
                    p[3] = a + p[3] * k
    img = []
    for y in range(size):
        row = []
        for x in range(size):
            r, g, b, a = buf[y * size + x]
            alpha = int(a * 255.0 + 0.5)
            if alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(min(255, int(v / a * 255.0 + 0.5)) for v in (r, g, b))
                           + (alpha,))
        img.append(row)
    return img


def snap(v):
    return int(math.floor(v + 0.5))


# Pixel "K"s for the vector sizes where an antialiased one would blur.
PIXEL_GLYPHS = {40: k_glyph(9, 3, 2, 1), 48: k_glyph(11, 3, 3, 1)}


def draw_vector_icon(size):
    """The design of the 32-pixel drawing (units of 1/32 of the size), edges on whole pixels."""
    k = size / 32.0
    t = max(1, snap(size / 40.0))            # outline width
    margin = snap(k)
    X0, X1 = margin, size - margin           # body
    Y0, Y1 = snap(8 * k), snap(29 * k)
    r = max(1.5, size * 0.045)               # body corner radius
    layers = []

    # Tab: left edge clear of the body's rounded corner, right edge slanting outwards.
    tx0 = max(snap(2 * k), X0 + int(math.ceil(r)))
    ty0 = snap(4 * k)
    rt = r * 0.6                             # its corners' radius
    slant = 1.5 / 4.0                        # 1.5 units outwards over its 4 units of height
    bottom = Y0 + r + t                      # hidden under the body
    tab = inset_convex([(tx0, ty0), (13 * k, ty0), (14.5 * k + (bottom - Y0) * slant, bottom),
                        (tx0, bottom)], rt)
    tab_bounds = (tx0, ty0, 16 * k + r, bottom)
    layers.append((OUTLINE, lambda x, y: sd_polygon(x, y, tab) - rt, tab_bounds))
    layers.append((FOLDER_DARK, lambda x, y: sd_polygon(x, y, tab) - rt + t, tab_bounds))

    # Body, its highlight along the top.
    body = (X0, Y0, X1, Y1)

    def sd_body(x, y):
        return sd_box(x, y, X0, Y0, X1, Y1, r)

    hl = Y0 + t + snap(2 * k)
    layers.append((OUTLINE, sd_body, body))
    layers.append((FOLDER, lambda x, y: sd_body(x, y) + t, body))
    layers.append((FOLDER_LIGHT, lambda x, y: max(sd_body(x, y) + t, y - hl), body))

    # Band across the body.
    N0, N1 = snap(14 * k), snap(25 * k)

    def sd_band(x, y):
        return max(sd_body(x, y), N0 - y, y - N1)

    layers.append((BAND_DARK, sd_band, (X0, N0, X1, N1)))
    layers.append((BAND, lambda x, y: sd_band(x, y) + t, (X0, N0, X1, N1)))

    # "K", centred on the band: pixel art where one is given for the size, else a stem and two
    # arms meeting at its middle.
    glyph = PIXEL_GLYPHS.get(size)
    if glyph:
        gw, gh = len(glyph[0]), len(glyph)
        ox = X0 + t + (X1 - X0 - 2 * t - gw) // 2
        oy = N0 + t + (N1 - N0 - 2 * t - gh) // 2
        ink = {(ox + x, oy + y) for y, row in enumerate(glyph) for x, c in enumerate(row)
               if c == "#"}
        layers.append((WHITE, lambda x, y: -1.0 if (int(x), int(y)) in ink else 1.0,
                       (ox, oy, ox + gw, oy + gh)))
        return render(size, layers)
    kh = snap(7 * k)
    kw = 6 * k
    sw = snap(2 * k)
    aw = sw * 1.25                            # arms' horizontal width
    ky0 = snap((N0 + N1) * 0.5 - kh * 0.5)
    ky1 = ky0 + kh
    kx0 = snap(size * 0.5 - kw * 0.5)
    kx1 = kx0 + kw
    sx1 = kx0 + sw
    jx, jy = sx1 + aw * 0.2, (ky0 + ky1) * 0.5  # where the arms' centre lines meet

    def arm(y_end, y_join):
        # Parallelogram along the line from (kx1 - aw/2, y_end) to (jx, jy), carried past the
        # join to y_join so that the two arms overlap there.
        def cx(y):
            return (kx1 - aw * 0.5) + (jx - (kx1 - aw * 0.5)) * (y - y_end) / (jy - y_end)
        return [(cx(y_end) - aw * 0.5, y_end), (cx(y_end) + aw * 0.5, y_end),
                (cx(y_join) + aw * 0.5, y_join), (cx(y_join) - aw * 0.5, y_join)]

    upper = arm(ky0, jy + aw * 0.6)
    lower = arm(ky1, jy - aw * 0.6)

    def sd_k(x, y):
        stem = sd_box(x, y, kx0, ky0, sx1, ky1)
        arms = min(sd_polygon(x, y, upper), sd_polygon(x, y, lower))
        return min(stem, max(arms, kx0 - x))

    layers.append((WHITE, sd_k, (kx0, ky0, kx1 + 1, ky1)))
    return render(size, layers)


def draw_icon(size):
    """size x size top-down rows of (r, g, b, a)."""
    if size in PIXEL_LAYOUTS:
        return pixel_to_rgba(draw_pixel_icon(size))
    return draw_vector_icon(size)


# ---------------------------------------------------------------------------------------------
# Icon file

def dib_image(img):
    """32-bit BGRA image with alpha, height doubled in the header, then the AND mask."""
    height, width = len(img), len(img[0])
    mask_stride = (width + 31) // 32 * 4
    xor = bytearray()
    mask = bytearray()
    for row in reversed(img):  # bottom-up
        line = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            xor += bytes((b, g, r, a))
            if a == 0:
                line[x >> 3] |= 0x80 >> (x & 7)
        mask += line
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def png_image(img):
    """RGBA PNG, 8 bits per channel, each row with the filter that gives the smallest sum."""
    height, width = len(img), len(img[0])
    stride = width * 4
    raw = bytearray()
    prev = bytes(stride)
    for row in img:
        cur = bytes(v for px in row for v in px)
        candidates = [cur,
                      bytes((cur[i] - (cur[i - 4] if i >= 4 else 0)) & 255 for i in range(stride)),
                      bytes((cur[i] - prev[i]) & 255 for i in range(stride))]
        avg = bytearray(stride)
        paeth = bytearray(stride)
        for i in range(stride):
            a = cur[i - 4] if i >= 4 else 0
            b = prev[i]
            c = prev[i - 4] if i >= 4 else 0
            avg[i] = (cur[i] - ((a + b) >> 1)) & 255
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            pred = a if pa <= pb and pa <= pc else b if pb <= pc else c
            paeth[i] = (cur[i] - pred) & 255
        candidates += [bytes(avg), bytes(paeth)]
        costs = [sum(v if v < 128 else 256 - v for v in line) for line in candidates]
        best = costs.index(min(costs))
        raw.append(best)
        raw += candidates[best]
        prev = cur

    def chunk(tag, data):
        return (struct.pack(">I", len(data)) + tag + data
                + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF))

    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def write_ico(path, images):
    blobs = [png_image(img) if len(img) >= PNG_FROM_SIZE else dib_image(img) for img in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for img, blob in zip(images, blobs):
        dim = len(img) if len(img) < 256 else 0  # 0 stands for 256
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(out + b"".join(blobs))


# ---------------------------------------------------------------------------------------------
# The logo band.

def lerp(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def draw_logo(icon):
    width, height = 200, 40
    left, right = (0x0B, 0x16, 0x26), (0x1E, 0x3D, 0x63)
    img = []
    for y in range(height):
        row = []
        for x in range(width):
            c = lerp(left, right, x / (width - 1))
            # A soft lightening towards the middle line.
            shade = 1.0 - abs(y - height / 2) / (height / 2) * 0.25
            row.append(tuple(min(255, int(v * shade + 6 * (1 - shade))) for v in c))
        img.append(row)

    # Amber hairline near the bottom, fading out to the right.
    for x in range(width):
        t = x / (width - 1)
        img[36][x] = lerp(FOLDER, img[36][x], t)

    # The icon, at the left.
    ox, oy = 5, 3
    for y, row in enumerate(icon):
        for x, c in enumerate(row):
            if c is not TRANSPARENT and 0 <= oy + y < height:
                img[oy + y][ox + x] = c

    # "Kestrova": 3x pixel font, shadow, white fading to pale blue downwards.
    ink, w, h = text_mask("Kestrova", 3)
    tx, ty = 46, (height - h) // 2 - 1
    shadow = (0x04, 0x0A, 0x14)
    for x, y in ink:
        if (x + 1, y + 1) not in ink:
            img[ty + y + 1][tx + x + 1] = shadow
    top, bottom = (0xFF, 0xFF, 0xFF), (0xB4, 0xD2, 0xF0)
    for x, y in ink:
        img[ty + y][tx + x] = lerp(top, bottom, y / (h - 1))
    return img


def write_bmp24(path, img):
    height, width = len(img), len(img[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(height - 1, -1, -1):  # bottom-up
        line = bytearray()
        for r, g, b in img[y]:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        pixels += line
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    offset = 14 + len(info)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + info + bytes(pixels))


def main():
    write_ico(os.path.join(HERE, "Kestrova.ico"), [draw_icon(size) for size in ICON_SIZES])
    write_bmp24(os.path.join(HERE, "logo.bmp"), draw_logo(draw_pixel_icon(32)))


if __name__ == "__main__":
    main()
