#!/usr/bin/env python3
"""Draws Kestrova's icon and about-box logo, with nothing but the standard library.

Writes, beside this script:
  Kestrova.ico  32x32, 256 colours (8 bits per pixel with a palette) and an AND mask:
                an amber folder crossed by a kestrel-blue band carrying a white "K".
  logo.bmp      200x40, 24 bits per pixel, bottom-up: a dark blue gradient band, the icon
                at the left and the word "Kestrova" in a small pixel font of our own.

Run it again after changing a drawing: python3 resources/make_images.py
The output is deterministic, so unchanged drawings give byte-identical files.
"""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

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


# ---------------------------------------------------------------------------------------------
# The icon drawing: 32x32 top-down rows of colours or TRANSPARENT.

def draw_icon():
    size = 32
    img = [[TRANSPARENT] * size for _ in range(size)]

    def fill(x0, y0, x1, y1, colour):  # inclusive corners
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                img[y][x] = colour

    # Tab and back of the folder.
    fill(2, 4, 12, 8, OUTLINE)
    fill(3, 5, 11, 8, FOLDER_DARK)
    fill(13, 7, 13, 8, OUTLINE)
    # Body with a one-pixel outline and slightly rounded corners.
    fill(1, 8, 30, 28, OUTLINE)
    fill(2, 9, 29, 27, FOLDER)
    fill(2, 9, 29, 10, FOLDER_LIGHT)
    for x, y in ((1, 8), (30, 8), (1, 28), (30, 28)):
        img[y][x] = TRANSPARENT
    # Kestrel-blue band across the body.
    fill(1, 14, 30, 24, BAND_DARK)
    fill(2, 15, 29, 23, BAND)
    # A bold white "K" centred on the band: the 5x7 glyph with every stroke doubled rightwards.
    ink, w, h = text_mask("K", 1)
    ox, oy = (32 - (w + 1)) // 2, 15 + (9 - h) // 2
    for x, y in ink:
        img[oy + y][ox + x] = WHITE
        img[oy + y][ox + x + 1] = WHITE
    return img


def build_palette(colours):
    """256 entries: the drawing's colours first, then a 6x6x6 colour cube, then greys."""
    palette = []
    for c in colours:
        if c not in palette:
            palette.append(c)
    for r in range(6):
        for g in range(6):
            for b in range(6):
                c = (r * 51, g * 51, b * 51)
                if c not in palette:
                    palette.append(c)
    grey = 8
    while len(palette) < 256:
        c = (grey, grey, grey)
        if c not in palette:
            palette.append(c)
        grey += 10
        if grey > 250:
            grey = 3
    return palette[:256]


def write_ico(path, img):
    size = len(img)
    used = [(0, 0, 0)] + [c for row in img for c in row if c is not TRANSPARENT]
    palette = build_palette(used)
    index = {c: i for i, c in enumerate(palette)}

    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    pal = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in palette)
    xor = bytearray()
    mask = bytearray()
    for y in range(size - 1, -1, -1):  # bottom-up
        row = img[y]
        xor += bytes(index[(0, 0, 0)] if c is TRANSPARENT else index[c] for c in row)
        bits = 0
        line = bytearray()
        for x, c in enumerate(row):
            bits = (bits << 1) | (1 if c is TRANSPARENT else 0)
            if x % 8 == 7:
                line.append(bits)
                bits = 0
        while len(line) % 4:
            line.append(0)
        mask += line
    image = header + pal + bytes(xor) + bytes(mask)

    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(icondir + entry + image)


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
    icon = draw_icon()
    write_ico(os.path.join(HERE, "Kestrova.ico"), icon)
    write_bmp24(os.path.join(HERE, "logo.bmp"), draw_logo(icon))


if __name__ == "__main__":
    main()
