#!/usr/bin/env python3
"""The about dialog: About opens it modally at the main window's top-left corner (following the
main window when it moves), it shows the title, the maker, both links and the logo white on
black, laid out for the DPI, and its close box ends it and gives the main window back."""

import os
import struct
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
from harness import Kestrova, control, parse_rect, probe, screenshot, wait_until, winpath  # noqa: E402

IDC_ABOUT = 1003
IDC_LABEL1, IDC_LABEL2, IDC_URL, IDC_EMAIL, IDC_IMAGE2 = 1101, 1102, 1103, 1104, 1105

CAPTION = "バージョン情報"
CLIENT = (217, 136)
# Left, top and (for the picture) size at 96 DPI, in the dialog's client area.
PLACES = {IDC_LABEL1: (8, 8), IDC_LABEL2: (8, 32), IDC_URL: (8, 48), IDC_EMAIL: (8, 64),
          IDC_IMAGE2: (8, 88)}
IMAGE_SIZE = (200, 40)
TEXTS = {IDC_LABEL1: "Kestrova 080525", IDC_LABEL2: "Kestrova Project",
         IDC_URL: "https://kestrova.example/", IDC_EMAIL: "support@kestrova.example"}


def settings():
    return f"[Main]\nWinRARPath={winpath(harness.fake_archiver())}\n"


def read_bmp(path):
    """A 24-bit BMP as (width, height, pixel(x, y) -> (r, g, b)), top row first."""
    with open(path, "rb") as f:
        data = f.read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    assert bits == 24, f"{path}: {bits} bits per pixel"
    stride = (width * 3 + 3) & ~3
    bottom_up = height > 0
    height = abs(height)

    def pixel(x, y):
        row = height - 1 - y if bottom_up else y
        b, g, r = data[offset + row * stride + x * 3: offset + row * stride + x * 3 + 3]
        return r, g, b

    return width, height, pixel


def about_open():
    state = probe("about-state")
    return state if state.get("visible") == "1" else None


class AboutTest(unittest.TestCase):
    def open_about(self):
        probe("click", IDC_ABOUT)
        return wait_until(about_open, timeout=30, message="the about dialog to show")

    def close_about(self):
        probe("post-close", "about")
        wait_until(lambda: probe("about-state").get("visible") == "0", timeout=30,
                   message="the about dialog to close")
        main = wait_until(lambda: (lambda s: s if s.get("enabled") == "1" else None)(probe("state")),
                          timeout=30, message="the main window to be enabled again")
        self.assertEqual(main["active"], "TKSTV_MAIN", "the main window is active again")

    def check_contents(self, about, dpi):
        scale = dpi / 96

        def near(actual, design, what):
            self.assertLessEqual(abs(actual - design * scale), 1,
                                 f"{what}: {actual}, expected {design} x {scale}")

        self.assertEqual(about["caption"], CAPTION)
        self.assertEqual(about["owner"], "TKSTV_MAIN")
        self.assertEqual(int(about["dpi"]), dpi)
        client_w, client_h = parse_rect(about["client"])
        near(client_w, CLIENT[0], "client width")
        near(client_h, CLIENT[1], "client height")

        for cid, (left, top) in PLACES.items():
            c = control(about, cid)
            self.assertIsNotNone(c, f"control {cid} missing: {sorted(about)}")
            near(c.x, left, f"control {cid} left")
            near(c.y, top, f"control {cid} top")
        for cid, text in TEXTS.items():
            c = control(about, cid)
            self.assertEqual(c.text, text, f"control {cid}")
            # Each label is sized to its text, within the dialog.
            self.assertGreater(c.w, 0)
            self.assertLessEqual(c.x + c.w, client_w, f"control {cid} fits")
        label1 = control(about, IDC_LABEL1)
        self.assertGreaterEqual(label1.w, round(59 * scale) - 1, "the whole title shows")
        image = control(about, IDC_IMAGE2)
        near(image.w, IMAGE_SIZE[0], "logo width")
        near(image.h, IMAGE_SIZE[1], "logo height")
        self.assertEqual(about.get(f"control.{IDC_IMAGE2}.image"), "1", "the logo is loaded")

    def pixel_faults(self, about):
        """What is wrong with the dialog's picture: white text on black, and the logo drawn
        over the whole picture control. Empty when all is well."""
        with tempfile.TemporaryDirectory() as folder:
            bmp = os.path.join(folder, "about-client.bmp")
            probe("screenshot", winpath(bmp), "about-client")
            width, height, pixel = read_bmp(bmp)
        faults = []
        if (width, height) != parse_rect(about["client"]):
            faults.append(f"client picture is {width}x{height}")
            return faults
        if pixel(width - 2, 2) != (0, 0, 0):
            faults.append(f"background {pixel(width - 2, 2)}, not black")
        for cid in TEXTS:
            c = control(about, cid)
            white = sum(1 for y in range(c.y, c.y + c.h) for x in range(c.x, c.x + c.w)
                        if min(pixel(x, y)) > 200)
            if not white:
                faults.append(f"no white text in control {cid}")
        image = control(about, IDC_IMAGE2)
        colours = {pixel(x, y) for y in range(image.y, image.y + image.h, 3)
                   for x in range(image.x, image.x + image.w, 3)}
        if len(colours) <= 3:
            faults.append(f"the logo is a flat picture: {sorted(colours)}")
        # Its bottom-right corner is drawn too: stretched to the control, not left black.
        corner = {pixel(x, y) for y in range(image.y + image.h * 3 // 4, image.y + image.h)
                  for x in range(image.x + image.w * 3 // 4, image.x + image.w)}
        if corner == {(0, 0, 0)}:
            faults.append("the logo does not fill its control")
        return faults

    def check_pixels(self, about):
        # Painting follows the showing at its own pace: look again for a few seconds.
        deadline = time.monotonic() + 30
        while True:
            faults = self.pixel_faults(about)
            if not faults or time.monotonic() >= deadline:
                break
            time.sleep(0.2)
        self.assertEqual(faults, [])

    def run_dialog(self, dpi, shot):
        with Kestrova(ini=settings()) as app:
            main = probe("state")
            left, top, _, _ = parse_rect(main["window"])

            about = self.open_about()
            self.assertEqual(parse_rect(about["window"])[:2], (left, top),
                             "the dialog sits at the main window's top-left corner")
            self.assertEqual(probe("state")["enabled"], "0", "the main window waits (modal)")
            self.check_contents(about, dpi)
            self.check_pixels(about)
            screenshot(shot, "about")
            self.close_about()

            # Moved, the main window takes the dialog along the next time. (Where it lands is
            # read back: under Wine at 144 DPI the probe's move is not carried out 1:1.)
            probe("move", left + 70, top + 45)
            moved = parse_rect(probe("state")["window"])[:2]
            self.assertNotEqual(moved, (left, top), "the main window moved")
            about = self.open_about()
            self.assertEqual(parse_rect(about["window"])[:2], moved)
            self.assertEqual(control(about, IDC_LABEL1).text, "Kestrova 080525")
            self.close_about()

            code = app.close()
        self.assertFalse(app.killed, "Kestrova did not end on WM_CLOSE")
        self.assertEqual(code, 0)

    def test_1_about_96dpi(self):
        self.run_dialog(96, "about")

    def test_2_about_144dpi(self):
        with harness.dpi(144):
            self.run_dialog(144, "about_144dpi")


if __name__ == "__main__":
    unittest.main(verbosity=2)
