#!/usr/bin/env python3
"""Where the settings go and how Kestrova ends, when Windows makes that hard: a program folder
that takes no new file, a settings file that refuses writes (chattr +i: refused even to root,
as a read-only file or a file held by another program is on Windows), the session ending while
a batch runs, and a window saved on a monitor that is gone.
"""

import os
import shutil
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
from harness import (Hold, Kestrova, immutable, list_items, parse_rect, probe,  # noqa: E402
                     wait_batch, wait_runs, wait_until, winpath)

TITLE = "Kestrova 080525"
IDC_ABOUT = 1003
LOCATE_TITLE = "WinRAR.exeを指定して下さい"
OK, NG = "[OK] ", "[NG] "
QUESTION = "{} に書き込めません.\n設定を保存せずに終了しますか？"


def ini_values(text):
    return dict(line.split("=", 1) for line in text.splitlines() if "=" in line)


class SettingsPlaceTest(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="kestrova-settings-")
        self.addCleanup(shutil.rmtree, self.root, ignore_errors=True)
        self.addCleanup(harness.forget_user_settings)
        self.folder = os.path.join(self.root, "Trip")
        os.makedirs(self.folder)
        self.log = os.path.join(self.root, "runs.log")
        self.env = {"FAKE_ARCHIVER_LOG": self.log}

    def settings(self, extra=""):
        return f"[Main]\nWinRARPath={winpath(harness.fake_archiver())}\nWinRARCommandLine=a\n{extra}"

    def test_a_read_only_program_folder_keeps_the_settings_per_user(self):
        fake = winpath(harness.fake_archiver())
        with Kestrova(self.folder, wait=False, env=self.env, keep_user_settings=True) as app:
            with immutable(app.dir):
                self.assertEqual(probe("dialog", timeout_ms=30000)["caption"], LOCATE_TITLE)
                self.assertEqual(probe("dialog", "--file", fake)["closed"], "1")
                app.wait_ready()
                self.assertEqual(list_items(wait_batch(1)), [OK + "Trip"])
                # No box: the close saves elsewhere and ends.
                self.assertEqual(app.close(), 0)
                self.assertFalse(app.killed)
            self.assertFalse(os.path.exists(app.ini_path))
        with open(harness.user_settings_path(), "rb") as f:
            self.assertEqual(ini_values(harness.decode_ini(f.read()))["WinRARPath"], fake)

        # The next start reads it and asks nothing.
        with Kestrova(self.folder, env=self.env, keep_user_settings=True) as app:
            self.assertEqual(list_items(wait_batch(1)), [OK + "Trip"])
            self.assertEqual(app.close(), 0)

    def test_an_edit_made_in_notepad_while_it_runs_is_shown_and_kept(self):
        fake = winpath(harness.fake_archiver())
        with Kestrova(ini=self.settings("FileExt=.cab\n")) as app:
            wait_until(lambda: probe("state").get("ext") == ".cab", message="the settings loaded")
            # Notepad saves (UTF-8, no mark) while Kestrova runs.
            with open(app.ini_path, "wb") as f:
                f.write(f"[Main]\r\nFileExt=.cab\r\nWinRARPath={fake}\r\n"
                        "WinRARCommandLine=a -new\r\nWinRARCommandLine2=メモ\r\n".encode("utf-8"))
            # The window is activated again: the about dialog comes and goes.
            probe("click", IDC_ABOUT)
            wait_until(lambda: probe("about-state").get("visible") == "1", message="the about box")
            probe("post-close", "about")
            state = wait_until(lambda: (lambda s: s if s.get("profile.item.0") == "a -new" else None)(
                probe("state")), message="the edit taken")
            self.assertEqual(state["profile.item.1"], "メモ")
            self.assertEqual(app.close(), 0)
            values = ini_values(app.read_ini())
        self.assertEqual((values["WinRARCommandLine"], values["WinRARCommandLine2"]), ("a -new", "メモ"))

    def test_a_folder_that_takes_no_new_file_still_has_its_settings_file_written(self):
        # The save cannot put a new file beside the old one there: it writes the file itself.
        with Kestrova(ini=self.settings("FileExt=.cab\n")) as app:
            wait_until(lambda: probe("state").get("ext") == ".cab", message="the settings loaded")
            probe("move", 130, 160)
            with immutable(app.dir):
                self.assertEqual(app.close(), 0)
                self.assertFalse(app.killed)
            values = ini_values(app.read_ini())
        self.assertEqual((values["MainX"], values["MainY"], values["FileExt"]), ("130", "160", ".cab"))

    def test_a_settings_file_that_refuses_writes_asks_before_ending(self):
        with Kestrova(ini=self.settings("FileExt=.cab\n")) as app:
            wait_until(lambda: probe("state").get("ext") == ".cab", message="the settings loaded")
            with open(app.ini_path, "rb") as f:
                before = f.read()
            with immutable(app.ini_path):
                probe("move", 140, 150)
                probe("post-close", "main")
                box = probe("dialog")
                self.assertEqual(box["caption"], TITLE)
                self.assertEqual(box["text"], QUESTION.format(winpath(app.ini_path)))
                # No: the window stays, and a later close asks again.
                self.assertEqual(probe("dialog", "--press", "no")["closed"], "1")
                state = probe("state")
                self.assertTrue(app.running())
                self.assertEqual((state["visible"], state["enabled"]), ("1", "1"))
                probe("post-close", "main")
                self.assertEqual(probe("dialog")["text"], QUESTION.format(winpath(app.ini_path)))
                # Yes: it ends, the file as it was.
                self.assertEqual(probe("dialog", "--press", "yes")["closed"], "1")
                self.assertEqual(app.wait_exit(60), 0)
            with open(app.ini_path, "rb") as f:
                self.assertEqual(f.read(), before)

    def test_cancelling_the_question_for_the_archiver_ends_even_when_nothing_can_be_saved(self):
        with Kestrova(ini="[Main]\nWinRARPath=\n", wait=False) as app:
            with immutable(app.ini_path):
                self.assertEqual(probe("dialog", timeout_ms=30000)["caption"], LOCATE_TITLE)
                probe("dialog", "--press", "cancel")
                self.assertEqual(app.wait_exit(60), 0, "the program did not end by itself")


class EncodingTest(unittest.TestCase):
    """The settings file reads the same on any system: a new one is UTF-16, Notepad's UTF-8 is
    read as UTF-8, and a file closed without a change is left as it is."""

    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="kestrova-encoding-")
        self.addCleanup(shutil.rmtree, self.root, ignore_errors=True)
        self.log = os.path.join(self.root, "runs.log")
        self.env = {"FAKE_ARCHIVER_LOG": self.log}

    def test_notepads_utf8_without_a_mark_is_read_exactly(self):
        tools = os.path.join(self.root, "ツール8")
        os.makedirs(tools)
        archiver = os.path.join(tools, "fakerar.exe")
        shutil.copy2(harness.fake_archiver(), archiver)
        trip = os.path.join(self.root, "旅行")
        os.makedirs(trip)
        text = (f"[Main]\r\nWinRARPath={winpath(archiver)}\r\n"
                "WinRARCommandLine=a -zメモ\r\n")
        with Kestrova(trip, ini=text.encode("utf-8"), env=self.env) as app:
            self.assertEqual(list_items(wait_batch(1)), [OK + "旅行"])
            self.assertEqual(app.close(), 0)
            with open(app.ini_path, "rb") as f:
                saved = f.read()
        self.assertEqual(harness.archiver_runs(self.log),
                         [f'"{winpath(archiver)}" a -zメモ "{winpath(trip)}.rar" "{winpath(trip)}\\*"'])
        # Closed without a change: left as it was.
        self.assertEqual(saved, text.encode("utf-8"))

    def test_a_file_of_plain_ascii_stays_byte_for_byte(self):
        text = ("[Main]\r\nMainX=300\r\nMainY=300\r\nMainW=288\r\nMainH=300\r\n"
                "FileExt=.rar\r\n"
                f"WinRARPath={winpath(harness.fake_archiver())}\r\n"
                "WinRARCommandLine=a -r -ep1 -m0 -rr3p\r\nWinRARCommandLine2=a -r -ep1 -m5 -rr3p\r\n"
                "WinRARCommandLine3=\r\nWinRARCommandLine4=\r\nWinRARCommandLine5=\r\n")
        self.assertTrue(text.isascii())
        with Kestrova(ini=text.encode("ascii")) as app:
            self.assertEqual(app.close(), 0)
            with open(app.ini_path, "rb") as f:
                self.assertEqual(f.read(), text.encode("ascii"))

    def test_a_program_run_from_the_temporary_folder_keeps_its_settings_per_user(self):
        # As Explorer runs a program straight from a ZIP: a copy in the temporary folder.
        with Kestrova(ini=None, wait=False, parent=os.path.join(harness.temp_folder(), "zip")) as app:
            self.assertEqual(probe("dialog", timeout_ms=60000)["caption"], LOCATE_TITLE)
            self.assertEqual(probe("dialog", "--file", winpath(harness.fake_archiver()))["closed"], "1")
            app.wait_ready()
            self.assertEqual(app.close(), 0)
            self.assertFalse(os.path.exists(app.ini_path), "settings written beside the copy")
            with open(harness.user_settings_path(), "rb") as f:
                saved = f.read()
        self.assertTrue(saved.startswith(b"\xff\xfe"), "a new file is UTF-16")
        self.assertEqual(ini_values(saved[2:].decode("utf-16-le"))["WinRARPath"],
                         winpath(harness.fake_archiver()))


class SessionTest(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="kestrova-session-")
        self.addCleanup(shutil.rmtree, self.root, ignore_errors=True)
        self.env = {"FAKE_ARCHIVER_LOG": os.path.join(self.root, "runs.log")}

    def settings(self, profile="a", extra=""):
        return (f"[Main]\nWinRARPath={winpath(harness.fake_archiver())}\n"
                f"WinRARCommandLine={profile}\n{extra}")

    def test_log_off_waits_while_a_batch_runs(self):
        trip = os.path.join(self.root, "Trip")
        os.makedirs(trip)
        log = self.env["FAKE_ARCHIVER_LOG"]
        with Hold(log) as hold, Kestrova(trip, ini=self.settings("a --hold"), env=self.env) as app:
            wait_runs(log, 1)
            self.assertEqual(probe("session", "query")["answer"], "0", "asked during the batch")
            hold.release()
            self.assertEqual(list_items(wait_batch(1)), [OK + "Trip"])
            self.assertEqual(probe("session", "query")["answer"], "1", "asked after it")
            self.assertEqual(app.close(), 0)

    def test_the_end_of_the_session_ends_the_batch_and_leaves_no_half_made_archive(self):
        folders = []
        for name in ("One", "Two", "Three"):
            folders.append(os.path.join(self.root, name))
            os.makedirs(folders[-1])
        log = self.env["FAKE_ARCHIVER_LOG"]
        with Hold(log), Kestrova(*folders, ini=self.settings("a --write-first --hold"),
                                 env=self.env) as app:
            wait_runs(log, 1)
            self.assertTrue(os.path.exists(folders[0] + ".rar"), "the archive being written")
            # The held archiver is ended with the session, not let finish.
            probe("session", "end")
            state = wait_until(lambda: (lambda s: s if s["caption"] == "中止." else None)(
                probe("state")), message="the batch's end")
            self.assertEqual(list_items(state), [NG + "One"])
            self.assertEqual(len(harness.archiver_runs(log)), 1)
            self.assertFalse(os.path.exists(folders[0] + ".rar"), "the half-made archive")
            self.assertEqual(app.close(), 0)

    def test_the_restart_manager_closes_it_when_idle(self):
        with Kestrova(ini=self.settings()) as app:
            probe("move", 140, 150)
            probe("session", "closeapp")
            self.assertEqual(app.wait_exit(60), 0)
            values = ini_values(app.read_ini())
            self.assertEqual((values["MainX"], values["MainY"]), ("140", "150"))

    def test_the_end_of_the_session_saves_the_settings(self):
        with Kestrova(ini=self.settings()) as app:
            probe("move", 130, 160)
            probe("session", "end")
            # Saved before any close.
            values = ini_values(app.read_ini())
            self.assertEqual((values["MainX"], values["MainY"]), ("130", "160"))
            self.assertEqual(app.close(), 0)

    def test_a_window_saved_off_the_screen_opens_on_it(self):
        with Kestrova(ini=self.settings(extra="MainX=5000\nMainY=300\nMainW=288\nMainH=300\n")) as app:
            x, y, w, h = parse_rect(probe("state")["window"])
            self.assertEqual((w, h, y), (288, 300, 300), "size and height kept")
            self.assertTrue(0 <= x and x + w <= 1280, f"left {x} on the 1280-pixel screen")
            self.assertEqual(app.close(), 0)
        # A visible place stays exactly as saved.
        with Kestrova(ini=self.settings(extra="MainX=1100\nMainY=-5\nMainW=288\nMainH=300\n")):
            self.assertEqual(probe("state")["window"], "1100,-5,288,300")


if __name__ == "__main__":
    unittest.main(verbosity=2)
