#!/usr/bin/env python3
"""The Japanese program on a system of another code page: a Wine prefix of its own run with
LC_ALL=C.UTF-8 has code page 1252. Captions, dialog titles, messages and result lines read back
exactly through the wide messages, folders named in any script are archived by the 7-Zip
console, and a settings file written in code page 1252 is read in it and saved as UTF-16.

The prefix (build/wineprefix-1252 beside the tests' own) is made on first use and kept; its
wineserver is stopped at the end.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
PREFIX = os.path.join(os.environ.get("KESTROVA_BUILD_DIR", os.path.join(ROOT, "build")),
                      "wineprefix-1252")

# Everything Wine that follows runs in that prefix, in that locale.
os.environ.update(WINEPREFIX=PREFIX, LC_ALL="C.UTF-8", KESTROVA_CODE_PAGE="cp1252")
sys.path.insert(0, HERE)

import harness  # noqa: E402
from harness import Kestrova, list_items, probe, screenshot, wait_batch, wait_until, winpath  # noqa: E402

IDC_ABOUT = 1003
OK = "[OK] "
NAMES = ["写真", "Café", "정리", "smile😀", "Ελλάδα"]


def setUpModule():
    # The prefix with the Japanese UI fonts, and its own persistent wineserver.
    subprocess.run(["bash", "-c", "source scripts/wine-env.sh && kestrova_start_wine"], cwd=ROOT,
                   env=dict(os.environ, KESTROVA_WINEPREFIX=PREFIX, KESTROVA_LOCALE="C.UTF-8"),
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   check=True, timeout=300)


def tearDownModule():
    subprocess.run(["wineserver", "-k"], env=dict(os.environ), stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False, timeout=60)


def sevenzip(*args):
    result = subprocess.run([harness.sevenzip_linux(), *args], stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60,
                            env=dict(os.environ, LC_ALL="C.UTF-8"))
    return result.returncode, result.stdout.decode("utf-8", "replace")


class CodePage1252Test(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="kestrova-1252-")
        self.addCleanup(shutil.rmtree, self.root, ignore_errors=True)

    def test_japanese_interface_and_names_of_every_script(self):
        folders = []
        for name in NAMES:
            folder = os.path.join(self.root, name)
            os.makedirs(folder)
            with open(os.path.join(folder, "a.txt"), "wb") as f:
                f.write(name.encode("utf-8"))
            folders.append(folder)
        ini = (f"[Main]\nWinRARPath={winpath(harness.sevenzip_win())}\nFileExt=.7z\n"
               "WinRARCommandLine=a -r -mx=0 -sccUTF-8\nWinRARCommandLine2=a -r -pé\n")
        with Kestrova(*folders, ini=ini) as app:
            state = wait_batch(len(NAMES), timeout=60)
            self.assertEqual(state["caption"], "完了.")
            self.assertEqual(list_items(state), [OK + name for name in NAMES])
            screenshot("main_after_batch_cp1252", "main")

            probe("click", IDC_ABOUT)
            about = wait_until(lambda: (lambda s: s if s.get("visible") == "1" else None)(
                probe("about-state")), message="the about dialog")
            self.assertEqual(about["caption"], "バージョン情報")
            probe("post-close", "about")
            wait_until(lambda: probe("about-state").get("visible") != "1",
                       message="the about dialog closed")
            # A close writes only a change: the window is moved.
            probe("move", 140, 150)
            self.assertEqual(app.close(), 0)
            with open(app.ini_path, "rb") as f:
                saved = f.read()

        # é was read as code page 1252 has it, and the file is saved as UTF-16: it reads the
        # same once the code page changes.
        self.assertTrue(saved.startswith(b"\xff\xfe"), "not turned UTF-16")
        self.assertIn("WinRARCommandLine2=a -r -pé\r\n", saved[2:].decode("utf-16-le"))
        for folder in folders:
            with self.subTest(folder=os.path.basename(folder)):
                code, out = sevenzip("t", folder + ".7z")
                self.assertEqual(code, 0, out)

    def test_empty_profile_box_reads_in_japanese(self):
        folder = os.path.join(self.root, "写真")
        os.makedirs(folder)
        ini = f"[Main]\nWinRARPath={winpath(harness.fake_archiver())}\nWinRARCommandLine=\n"
        with Kestrova(folder, ini=ini) as app:
            box = probe("dialog", timeout_ms=60000)
            self.assertEqual(box["caption"], "エラー")
            self.assertEqual(box["text"], "選択されているプロファイルは空です")
            probe("dialog", "--press", "ok")
            self.assertEqual(app.close(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
