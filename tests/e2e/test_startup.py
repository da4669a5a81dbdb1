#!/usr/bin/env python3
"""Kestrova starts with its main window laid out as designed, at 96 and at 144 DPI, and ends
with exit code 0 when closed."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
from harness import Kestrova, control, parse_rect, probe, screenshot, winpath  # noqa: E402

IDC_PANEL, IDC_EXT, IDC_ABOUT, IDC_PROFILE, IDC_LIST, IDC_STRIP = 1001, 1002, 1003, 1004, 1005, 1006

# Positions and sizes at 96 DPI, relative to the main window's client area.
PANEL_HEIGHT = 57
EDIT = (8, 8, 105, 20)
BUTTON = (234, 12, 38, 16)
STRIP = (121, 14, 107, 14)  # how far a batch is, between the two
COMBO = (8, 32, 265)  # its height is the combo box's own (about 20 px)


def settings():
    return f"[Main]\nWinRARPath={winpath(harness.fake_archiver())}\n"


class StartupTest(unittest.TestCase):
    def check_layout(self, dpi):
        scale = dpi / 96

        def near(actual, design, what):
            self.assertLessEqual(abs(actual - design * scale), 1,
                                 f"{what}: {actual}, expected {design} x {scale}")

        with Kestrova(ini=settings()) as app:
            state = probe("state")
            self.assertEqual(state["caption"], "Kestrova 080525")
            self.assertEqual(state["visible"], "1")
            self.assertEqual(int(state["dpi"]), dpi)
            client_w, client_h = parse_rect(state["client"])

            panel = control(state, IDC_PANEL)
            edit = control(state, IDC_EXT)
            button = control(state, IDC_ABOUT)
            combo = control(state, IDC_PROFILE)
            listbox = control(state, IDC_LIST)
            strip = control(state, IDC_STRIP)
            for name, c in (("panel", panel), ("edit", edit), ("button", button),
                            ("combo", combo), ("list", listbox), ("strip", strip)):
                self.assertIsNotNone(c, f"{name} missing: {sorted(state)}")
            self.assertEqual(state[f"control.{IDC_EXT}.parent"], str(IDC_PANEL))
            self.assertEqual(state[f"control.{IDC_STRIP}.parent"], str(IDC_PANEL))
            self.assertEqual(state[f"control.{IDC_ABOUT}.parent"], str(IDC_PANEL))
            self.assertEqual(state[f"control.{IDC_PROFILE}.parent"], str(IDC_PANEL))
            self.assertEqual(state[f"control.{IDC_LIST}.parent"], "0")

            # The panel spans the top of the client area.
            self.assertEqual((panel.x, panel.y), (0, 0))
            self.assertEqual(panel.w, client_w)
            near(panel.h, PANEL_HEIGHT, "panel height")

            for what, c, design in (("edit", edit, EDIT), ("button", button, BUTTON),
                                    ("strip", strip, STRIP)):
                for part, actual, expected in zip("xywh", (c.x, c.y, c.w, c.h), design):
                    near(actual, expected, f"{what}.{part}")
            for part, actual, expected in zip("xyw", (combo.x, combo.y, combo.w), COMBO):
                near(actual, expected, f"combo.{part}")
            self.assertTrue(14 * scale <= combo.h <= 32 * scale, f"combo height {combo.h}")

            self.assertEqual(edit.text, ".rar")
            self.assertEqual(state["ext"], ".rar")
            self.assertEqual(button.text, "About")
            # A plain static text, which screen readers read; empty while no batch runs.
            self.assertEqual((strip.cls, strip.text), ("Static", ""))

            # The list fills the client area below the panel.
            self.assertEqual(listbox.x, 0)
            self.assertEqual(listbox.y, panel.y + panel.h)
            self.assertEqual(listbox.x + listbox.w, client_w)
            self.assertEqual(listbox.y + listbox.h, client_h)

            screenshot(f"main_{dpi}dpi", "main")
            code = app.close()
        self.assertFalse(app.killed, "Kestrova did not end on WM_CLOSE")
        self.assertEqual(code, 0)

    def test_1_layout_96dpi(self):
        self.check_layout(96)

    def test_2_layout_144dpi(self):
        with harness.dpi(144):
            self.check_layout(144)


if __name__ == "__main__":
    unittest.main(verbosity=2)
