#!/usr/bin/env python3
"""Checks resources/Kestrova.ico: one image for each size Windows asks for at any display
scale, the 256-pixel one as PNG and the others as 32-bit bitmaps with alpha, each directory
entry agreeing with the image it points to.

Run: python3 tests/host/icon_test.py (exits non-zero on failure).
"""

import os
import shutil
import struct
import subprocess
import unittest
import zlib

ICON = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources",
                    "Kestrova.ico")
SIZES = [16, 20, 24, 32, 40, 48, 64, 256]
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def read_icon(path):
    """(entries, data): entries as dicts of the ICONDIRENTRY fields plus the image bytes."""
    with open(path, "rb") as f:
        data = f.read()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    assert (reserved, kind) == (0, 1), "not an icon file"
    entries = []
    for i in range(count):
        w, h, colours, res, planes, bits, size, offset = struct.unpack_from(
            "<BBBBHHII", data, 6 + 16 * i)
        entries.append(dict(width=w or 256, height=h or 256, colours=colours, reserved=res,
                            planes=planes, bits=bits, size=size, offset=offset,
                            image=data[offset:offset + size]))
    return entries, data


def png_chunks(image):
    pos = len(PNG_SIGNATURE)
    while pos < len(image):
        length, = struct.unpack_from(">I", image, pos)
        tag = image[pos + 4:pos + 8]
        body = image[pos + 8:pos + 8 + length]
        crc, = struct.unpack_from(">I", image, pos + 8 + length)
        yield tag, body, crc == zlib.crc32(tag + body) & 0xFFFFFFFF
        pos += 12 + length


class IconTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.entries, cls.data = read_icon(ICON)

    def test_holds_exactly_the_sizes_png_only_at_256(self):
        self.assertEqual(sorted(e["width"] for e in self.entries), SIZES)
        for e in self.entries:
            is_png = e["image"].startswith(PNG_SIGNATURE)
            self.assertEqual(is_png, e["width"] == 256, "size %d" % e["width"])

    def test_directory_entries(self):
        end = 6 + 16 * len(self.entries)
        for e in sorted(self.entries, key=lambda e: e["offset"]):
            with self.subTest(size=e["width"]):
                self.assertEqual(e["width"], e["height"])
                self.assertEqual((e["colours"], e["reserved"], e["planes"], e["bits"]),
                                 (0, 0, 1, 32))
                self.assertGreaterEqual(e["offset"], end, "overlaps the directory or an image")
                self.assertEqual(len(e["image"]), e["size"], "runs past the end of the file")
                end = e["offset"] + e["size"]
        self.assertEqual(end, len(self.data), "bytes after the last image")

    def test_bitmaps_are_32_bit_with_alpha_matching_the_and_mask(self):
        for e in self.entries:
            if e["width"] == 256:
                continue
            with self.subTest(size=e["width"]):
                img = e["image"]
                (header, w, h, planes, bits, compression) = struct.unpack_from("<IiiHHI", img)
                self.assertEqual((header, w, h, planes, bits, compression),
                                 (40, e["width"], 2 * e["height"], 1, 32, 0))
                n = e["width"]
                mask_stride = (n + 31) // 32 * 4
                self.assertEqual(len(img), 40 + n * n * 4 + mask_stride * n)
                alphas = img[40 + 3:40 + n * n * 4:4]  # bottom-up rows of BGRA
                mask = img[40 + n * n * 4:]
                for y in range(n):
                    for x in range(n):
                        masked = mask[y * mask_stride + x // 8] >> (7 - x % 8) & 1
                        self.assertEqual(masked == 1, alphas[y * n + x] == 0, (x, y))
                self.assertEqual(alphas[0], 0, "bottom-left corner should be transparent")
                self.assertEqual(alphas[(n // 2) * n + n // 2], 255, "centre should be opaque")

    def test_png_is_rgba_of_the_declared_size_and_decodes(self):
        e = next(e for e in self.entries if e["width"] == 256)
        chunks = list(png_chunks(e["image"]))
        self.assertTrue(all(ok for _, _, ok in chunks), "bad chunk CRC")
        tag, ihdr, _ = chunks[0]
        self.assertEqual(tag, b"IHDR")
        self.assertEqual(struct.unpack(">IIBBBBB", ihdr), (256, 256, 8, 6, 0, 0, 0))
        self.assertEqual(chunks[-1][0], b"IEND")
        raw = zlib.decompress(b"".join(body for tag, body, _ in chunks if tag == b"IDAT"))
        self.assertEqual(len(raw), 256 * (1 + 256 * 4))

    @unittest.skipUnless(shutil.which("identify"), "ImageMagick is not installed")
    def test_imagemagick_reads_every_image_with_transparency(self):
        out = subprocess.run(["identify", "-format", "%m %w %h %[opaque]\n", ICON],
                             capture_output=True, text=True, check=True)
        self.assertEqual(out.stderr, "")
        seen = sorted(tuple(line.split()) for line in out.stdout.splitlines())
        want = sorted(("PNG" if s == 256 else "ICO", str(s), str(s), "false") for s in SIZES)
        self.assertEqual(seen, want)


if __name__ == "__main__":
    unittest.main()
