#!/usr/bin/env python3
"""The main window as a keyboard user and the taskbar meet it: Tab order, Enter on About, Esc
and Alt+F4, and closing while minimized keeping the window's real place."""

import os
import shutil
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
from harness import Kestrova, probe, wait_until, winpath  # noqa: E402

IDC_EXT, IDC_ABOUT, IDC_PROFILE, IDC_LIST = "1002", "1003", "1004", "1005"


def ini_keys(text):
    return dict(line.split("=", 1) for line in text.splitlines() if "=" in line)


def focus():
    return probe("state")["focus"]


def about_visible():
    return probe("about-state").get("visible") == "1"


class WindowTest(unittest.TestCase):
    def settings(self, extra=""):
        return f"[Main]\nWinRARPath={winpath(harness.fake_archiver())}\nWinRARCommandLine=a\n{extra}"

    def test_tab_order_enter_esc_and_alt_f4(self):
        with Kestrova(ini=self.settings()) as app:
            wait_until(lambda: focus() == IDC_EXT, message="focus on the extension box at start")
            # Tab walks the controls in their order, Shift+Tab walks back.
            for expected in (IDC_ABOUT, IDC_PROFILE, IDC_LIST, IDC_EXT):
                probe("keys", "tab")
                wait_until(lambda: focus() == expected, message=f"Tab to {expected}")
            for expected in (IDC_LIST, IDC_PROFILE, IDC_ABOUT):
                probe("keys", "shift+tab")
                wait_until(lambda: focus() == expected, message=f"Shift+Tab to {expected}")

            # Enter on the focused About button opens the dialog; Esc closes it and the focus
            # comes back to the button.
            probe("keys", "enter")
            wait_until(about_visible, message="the about dialog after Enter")
            probe("keys", "esc")
            wait_until(lambda: not about_visible(), message="the about dialog gone after Esc")
            wait_until(lambda: focus() == IDC_ABOUT, message="focus back on About")
            # Space presses it too. The dialog opens with no link focused: Enter closes it (it
            # has no button) instead of opening a browser.
            probe("keys", "space")
            wait_until(about_visible, message="the about dialog after Space")
            probe("keys", "enter")
            wait_until(lambda: not about_visible(), message="the about dialog gone after Enter")
            wait_until(lambda: focus() == IDC_ABOUT, message="focus back on About")
            probe("keys", "space")
            wait_until(about_visible, message="the about dialog after Space")
            probe("keys", "alt+f4")
            wait_until(lambda: not about_visible(), message="the about dialog gone after Alt+F4")

            # Alt+F4 on the main window closes it through its close handling: the save runs (it
            # writes when a value changed: the window is moved first).
            probe("move", 120, 130)
            probe("keys", "alt+f4")
            self.assertEqual(app.wait_exit(60), 0)
            self.assertIn("MainX=120\r\n", app.read_ini())

    def test_about_dialog_leaves_the_command_line_batch_unrepeated(self):
        folder = os.path.join(os.environ.get("TMPDIR", "/tmp"), f"kestrova-window-{os.getpid()}")
        os.makedirs(folder, exist_ok=True)
        log = os.path.join(folder, "runs.log")
        try:
            with Kestrova(folder, ini=self.settings(),
                          env={"FAKE_ARCHIVER_LOG": winpath(log)}):
                harness.wait_batch(1)
                for _ in range(2):
                    probe("click", IDC_ABOUT)
                    wait_until(about_visible, message="the about dialog")
                    probe("post-close", "about")
                    wait_until(lambda: not about_visible(), message="the about dialog gone")
                state = probe("state")
                self.assertEqual(harness.list_items(state), [f"[OK] {os.path.basename(folder)}"])
            with open(log, "rb") as f:
                self.assertEqual(len(f.read().splitlines()), 1)
        finally:
            shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    unittest.main()
