#!/usr/bin/env python3
"""Archive jobs end to end: folders given on the command line or dropped from the desktop are
archived one run of the archiver each, in order, with one result line each; the locate dialog on
first start and its cancelling; a settings file that cannot be written.

The archivers are the real 7-Zip console program (7za.exe) and the stand-in fakerar.exe, which
logs each command line it gets to %FAKE_ARCHIVER_LOG%.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
from harness import (DragSource, Hold, Kestrova, client_origin, control, list_items,  # noqa: E402
                     parse_rect, probe, screenshot, wait_batch, wait_runs, wait_until, winpath)

IDC_LIST = 1005
IDC_STRIP = 1006

TITLE = "Kestrova 080525"
LOCATE_TITLE = "WinRAR.exeを指定して下さい"
BUSY = "[圧縮中] "
OK, NG = "[OK] ", "[NG] "
DEFAULT_PROFILES = ["a -r -ep1 -m0 -rr3p", "a -r -ep1 -m5 -rr3p", "", "", ""]
SETTINGS_KEYS = ["MainX", "MainY", "MainW", "MainH", "FileExt", "WinRARPath", "WinRARCommandLine",
                 "WinRARCommandLine2", "WinRARCommandLine3", "WinRARCommandLine4",
                 "WinRARCommandLine5"]

# Folder contents: relative path -> bytes, or None for an (empty) folder. 表 and ソ end in the
# byte 0x5C in Shift_JIS, the code of a backslash; the names after them have characters that
# code page 932 lacks, or turns into look-alikes ("¥" into "\", "é" into "e").
TREES = {
    "My Folder": {"top.txt": b"top\r\n", "sub/deep/d.txt": b"deep " * 40, "sub/s.bin": bytes(range(256)),
                  "empty": None},
    "写真": {"旅行/夏.txt": "夏の海".encode("utf-8"), "a.txt": b"a"},
    "表": {"表/ソ.txt": b"so", "x.txt": b"x" * 1000},
    "あ〜い": {"〜.txt": b"wave dash"},
    "♡love 정리": {"정리.txt": b"korean"},
    "smile😀": {"😀.txt": b"emoji"},
    "Café": {"menu.txt": b"cafe"},
    "Price¥100": {"yen.txt": b"yen"},
}
# Folders that a look-alike of a name above would hit; nothing may be archived for them.
DECOYS = ["Cafe", "Price/100"]


def make_tree(root, name, tree):
    folder = os.path.join(root, name)
    os.makedirs(folder)
    for rel, data in tree.items():
        path = os.path.join(folder, *rel.split("/"))
        if data is None:
            os.makedirs(path, exist_ok=True)
        else:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
    return folder


def tree_of_spec(tree):
    """What tree_of finds in a folder made by make_tree from tree."""
    found = {}
    for rel, data in tree.items():
        parts = rel.split("/")
        for i in range(1, len(parts)):
            found["/".join(parts[:i])] = None
        found[rel] = data
    return found


def make_file(root, name, data=b"not a folder\r\n"):
    path = os.path.join(root, name)
    with open(path, "wb") as f:
        f.write(data)
    return path


def tree_of(folder):
    """relative path -> bytes (None for a folder) of everything below folder."""
    found = {}
    for here, dirs, files in os.walk(folder):
        for d in dirs:
            found[os.path.relpath(os.path.join(here, d), folder).replace(os.sep, "/")] = None
        for f in files:
            path = os.path.join(here, f)
            with open(path, "rb") as fh:
                found[os.path.relpath(path, folder).replace(os.sep, "/")] = fh.read()
    return found


def sevenzip(*args):
    """The Linux 7-Zip console program; returns (exit code, output)."""
    result = subprocess.run([harness.sevenzip_linux(), *args], stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60,
                            env=dict(os.environ, LC_ALL="ja_JP.UTF-8"))
    return result.returncode, result.stdout.decode("utf-8", "replace")


def archive_paths(archive):
    """The paths stored in a 7z archive, as its technical listing gives them."""
    code, out = sevenzip("l", "-slt", archive)
    if code != 0:
        raise AssertionError(f"7za l {archive} failed ({code}):\n{out}")
    entries = out.split("----------", 1)[1]
    return sorted(m.group(1) for m in re.finditer(r"^Path = (.*)$", entries, re.M))


log_lines = harness.archiver_runs


def command_line(archiver, profile, folder, ext):
    """The command line Kestrova gives the archiver for one folder."""
    return f'"{winpath(archiver)}" {profile} "{winpath(folder)}{ext}" "{winpath(folder)}\\*"'


def settings_of(text):
    """[Main]'s key=value lines of a settings text as a list of (key, value), in file order."""
    lines = text.replace("\r\n", "\n").split("\n")
    assert lines[0] == "[Main]", f"settings start with {lines[0]!r}"
    pairs = []
    for line in lines[1:]:
        if line:
            key, sep, value = line.partition("=")
            assert sep, f"not a key=value line: {line!r}"
            pairs.append((key, value))
    return pairs


def strip(state):
    """The strip's text: how far the batch is."""
    return control(state, IDC_STRIP).text


def shown_and_loaded():
    """The state once the window is shown (its settings are loaded then), else None."""
    state = probe("state")
    return state if state.get("visible") == "1" else None


class Workspace(unittest.TestCase):
    """Each test gets a fresh folder for its data and the stand-in archiver's log."""

    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="kestrova-job-")
        self.addCleanup(shutil.rmtree, self.root, ignore_errors=True)
        self.log = os.path.join(self.root, "fakerar.log")
        self.env = {"FAKE_ARCHIVER_LOG": self.log}

    def fake_settings(self, *profiles, ext=".rar", archiver=None):
        archiver = harness.fake_archiver() if archiver is None else archiver
        text = f"[Main]\nWinRARPath={winpath(archiver)}\nFileExt={ext}\n"
        for i, profile in enumerate(profiles):
            text += f"WinRARCommandLine{'' if i == 0 else i + 1}={profile}\n"
        return text


class CommandLineBatchTest(Workspace):
    def test_folders_on_the_command_line_are_archived_by_7zip(self):
        folders = [make_tree(self.root, name, tree) for name, tree in TREES.items()]
        decoys = [make_tree(self.root, name, {"decoy.txt": b"decoy"}) for name in DECOYS]
        plain = make_file(self.root, "notes.txt")
        args = [folders[0], plain, *folders[1:]]
        # The README's profile: 7-Zip prints its progress (-bsp1), which no line shows.
        ini = self.fake_settings("a -r -mx=0 -sccUTF-8 -bsp1", ext=".7z",
                                 archiver=harness.sevenzip_win())
        with Kestrova(*args, ini=ini) as app:
            state = wait_batch(len(folders), timeout=90)
            # One line per folder, in the order given; the plain file is skipped silently.
            self.assertEqual(list_items(state), [OK + name for name in TREES])
            self.assertEqual(state["ext"], ".7z")
            shot = screenshot("main_after_batch", "main-client")
            self.assertEqual(app.close(), 0)
        self.assertTrue(os.path.exists(shot))
        self.assertFalse(os.path.exists(plain + ".7z"), "an archive for the plain file")
        for decoy in decoys:
            self.assertFalse(os.path.exists(decoy + ".7z"), f"an archive for {decoy}")
        for folder, name in zip(folders, TREES):
            with self.subTest(folder=name):
                archive = folder + ".7z"
                self.assertTrue(os.path.isfile(archive), f"{archive} missing")
                code, out = sevenzip("t", archive)
                self.assertEqual(code, 0, out)
                # The folder's contents with paths relative to it, not the folder itself.
                self.assertEqual(archive_paths(archive), sorted(tree_of(folder)))
                unpacked = os.path.join(self.root, "unpacked", name)
                code, out = sevenzip("x", f"-o{unpacked}", archive)
                self.assertEqual(code, 0, out)
                self.assertEqual(tree_of(unpacked), tree_of(folder))

    # Runs that fail: the line says [NG] whatever the reason, and the next run still happens.
    FAILURES = [
        # (what the row protects, archiver (None: the stand-in), profile, ext, runs logged)
        ("7-Zip rejects WinRAR's switches and exits non-zero", "7za", "a -r -ep1 -m0 -rr3p",
         ".7z", None),
        ("exit code 1", None, "a --exit=1", ".rar", 1),
        ("exit code 256, zero in its low byte", None, "a --exit=256", ".rar", 1),
        ("exit code 259, the value of STILL_ACTIVE", None, "a --exit=259", ".rar", 1),
        ("the archiver crashes", None, "a --crash", ".rar", 1),
        ("the archiver cannot be started", "missing", "a", ".rar", 0),
    ]

    def test_failed_runs_are_reported_ng(self):
        for what, archiver, profile, ext, runs in self.FAILURES:
            with self.subTest(what):
                case = tempfile.mkdtemp(dir=self.root)
                trip = make_tree(case, "Trip", {"t.txt": b"t"})
                after = make_tree(case, "写真", {"p.txt": b"p"})
                if archiver == "7za":
                    archiver = harness.sevenzip_win()
                elif archiver == "missing":
                    archiver = os.path.join(case, "no such folder", "WinRAR.exe")
                if os.path.exists(self.log):
                    os.remove(self.log)
                with Kestrova(trip, after, ini=self.fake_settings(profile, ext=ext, archiver=archiver),
                              env=self.env) as app:
                    state = wait_batch(2)
                    self.assertEqual(list_items(state), [NG + "Trip", NG + "写真"])
                    if archiver == harness.sevenzip_win():
                        # The reason ends in 7-Zip's own words, read from its output.
                        self.assertEqual(probe("copy")["text"].split("\r\n")[0],
                                         f"{NG}Trip\t終了コード 7: コマンドラインのエラー "
                                         "(プロファイルを確認してください) — "
                                         "Command Line Error: Unknown switch: -ep1")
                    self.assertEqual(app.close(), 0)
                if runs is not None:
                    self.assertEqual(len(log_lines(self.log)), 2 * runs, log_lines(self.log))
                if archiver == harness.sevenzip_win():
                    # No archive, or none that holds up.
                    if os.path.exists(trip + ext):
                        self.assertNotEqual(sevenzip("t", trip + ext)[0], 0)


class SettingsTest(Workspace):
    def check_settings(self, text, archiver_path):
        pairs = settings_of(text)
        keys = [k for k, _ in pairs]
        self.assertEqual(sorted(keys), sorted(SETTINGS_KEYS), text)
        values = dict(pairs)
        for key in ("MainX", "MainY", "MainW", "MainH"):
            self.assertRegex(values[key], r"^-?\d+$", key)
        self.assertEqual(values["FileExt"], ".rar")
        self.assertEqual(values["WinRARPath"], archiver_path)
        self.assertEqual([values[k] for k in SETTINGS_KEYS[6:]], DEFAULT_PROFILES)
        # An empty profile is written as "Key=", not left out.
        lines = text.replace("\r\n", "\n").split("\n")
        for key in SETTINGS_KEYS[8:]:
            self.assertIn(f"{key}=", lines)

    def test_first_start_asks_for_the_archiver_and_uses_it(self):
        trip = make_tree(self.root, "Trip", {"t.txt": b"t"})
        fake = harness.fake_archiver()
        with Kestrova(trip, wait=False, env=self.env) as app:
            dialog = probe("dialog", timeout_ms=30000)
            self.assertEqual(dialog["caption"], LOCATE_TITLE)
            self.assertEqual(probe("dialog", "--file", winpath(fake))["closed"], "1")
            app.wait_ready()
            # The command-line folder is archived with the archiver just chosen.
            state = wait_batch(1)
            self.assertEqual(list_items(state), [OK + "Trip"])
            self.assertEqual(state["ext"], ".rar")
            self.assertEqual([state[f"profile.item.{i}"] for i in range(int(state["profile.count"]))],
                             DEFAULT_PROFILES)
            self.assertEqual(state["profile.sel"], "0")
            self.assertEqual(app.close(), 0)
            self.assertEqual(log_lines(self.log), [command_line(fake, DEFAULT_PROFILES[0], trip, ".rar")])
            self.check_settings(app.read_ini(), winpath(fake))
            with open(app.ini_path, "rb") as f:
                self.assertTrue(f.read().startswith(b"\xff\xfe"), "a new file is UTF-16")

    def test_cancelling_the_locate_dialog_ends_after_the_batch(self):
        # The lines the batch gives meanwhile ([NG] each: there is no archiver) belong to the
        # in-process tests; here: the program ends by itself, nothing runs, and the next start
        # asks again.
        a = make_tree(self.root, "My Folder", {"t.txt": b"t"})
        b = make_tree(self.root, "表", {"t.txt": b"t"})
        with Kestrova(a, b, wait=False, env=self.env, keep_dir=True) as app:
            self.addCleanup(shutil.rmtree, app.dir, ignore_errors=True)
            self.assertEqual(probe("dialog", timeout_ms=60000)["caption"], LOCATE_TITLE)
            probe("dialog", "--press", "cancel")
            self.assertEqual(app.wait_exit(60), 0, "did not end by itself with exit code 0")
            text = app.read_ini()
        self.check_settings(text, "")
        self.assertEqual(log_lines(self.log), [], "the archiver ran")

        # The next start asks again.
        with Kestrova(ini=text, wait=False) as app:
            self.assertEqual(probe("dialog", timeout_ms=60000)["caption"], LOCATE_TITLE)
            probe("dialog", "--press", "cancel")
            self.assertEqual(app.wait_exit(60), 0)
            self.assertIn("\r\nWinRARPath=\r\n", app.read_ini())

    def test_a_program_folder_named_outside_the_code_page(self):
        # Its settings are found and written; an archiver chosen inside such a folder (a path
        # the code page cannot hold) is kept exactly, the file turning UTF-16.
        trip = make_tree(self.root, "Trip", {"t.txt": b"t"})
        tools = os.path.join(self.root, "ツール♡")
        os.makedirs(tools)
        archiver = os.path.join(tools, "fakerar.exe")
        shutil.copy2(harness.fake_archiver(), archiver)
        with Kestrova(trip, ini="[Main]\nFileExt=.cab\n", wait=False, env=self.env,
                      dir_name="ツール♡", keep_dir=True) as app:
            self.addCleanup(shutil.rmtree, app.base, ignore_errors=True)
            self.assertEqual(probe("dialog", timeout_ms=30000)["caption"], LOCATE_TITLE)
            self.assertEqual(probe("dialog", "--file", winpath(archiver))["closed"], "1")
            app.wait_ready()
            state = wait_batch(1)
            self.assertEqual(list_items(state), [OK + "Trip"])
            self.assertEqual(state["ext"], ".cab", "the settings beside the program were read")
            self.assertEqual(app.close(), 0)
            with open(app.ini_path, "rb") as f:
                saved = f.read()
            self.assertTrue(saved.startswith(b"\xff\xfe"), "saved as UTF-16")
            values = dict(settings_of(app.read_ini()))
            self.assertEqual(values["WinRARPath"], winpath(archiver))
            self.assertEqual(values["FileExt"], ".cab")
            self.assertEqual(log_lines(self.log), [command_line(archiver, DEFAULT_PROFILES[0], trip, ".cab")])

            # The next start reads it back and asks nothing.
            with Kestrova(trip, ini=saved, env=self.env, dir_name="ツール♡") as again:
                state = wait_batch(1)
                self.assertEqual(list_items(state), [OK + "Trip"])
                self.assertEqual(again.close(), 0)


class DropTest(Workspace):
    """Real drops: a GTK drag source on the X display, dragged with the pointer onto the list."""

    def list_point(self, state):
        x, y = client_origin(state)
        lst = control(state, IDC_LIST)
        return x + lst.x + lst.w // 2, y + lst.y + lst.h // 2

    def test_dropped_folders_are_archived_in_drop_order(self):
        a = make_tree(self.root, "My Folder", {"t.txt": b"t"})
        b = make_tree(self.root, "表", {"t.txt": b"t"})
        c = make_tree(self.root, "写真", {"t.txt": b"t"})
        wide = [make_tree(self.root, name, {"t.txt": b"t"})
                for name in ("あ〜い", "♡love 정리", "smile😀", "Café", "Price¥100")]
        for name in DECOYS:
            make_tree(self.root, name, {"t.txt": b"t"})
        plain = make_file(self.root, "notes.txt")
        fake = harness.fake_archiver()
        with Kestrova(ini=self.fake_settings("a"), env=self.env) as app, DragSource() as source:
            point = self.list_point(wait_until(shown_and_loaded, message="the main window"))
            dropped = [b, plain, a, *wide]
            self.assertIn(f"sent {len(dropped)}", source.drop(dropped, *point))
            folders = [b, a, *wide]
            state = wait_batch(len(folders))
            self.assertEqual(list_items(state), [OK + os.path.basename(f) for f in folders])
            self.assertEqual(log_lines(self.log),
                             [command_line(fake, "a", f, ".rar") for f in folders])

            # A new drop after the batch starts a new list.
            self.assertIn("sent 1", source.drop([c], *point))
            state = wait_batch(1)
            self.assertEqual(list_items(state), [OK + "写真"])
            self.assertEqual(len(log_lines(self.log)), len(folders) + 1)
            self.assertEqual(app.close(), 0)


STOP_QUESTION = "残りのフォルダーを中止しますか？"
FORCE_QUESTION = "実行中の圧縮を強制終了しますか？作成途中のアーカイブは削除されます。"
STOPPED = "中止."


class BatchWindowTest(Workspace):
    """The window during a batch: it can be stopped and closed (after a question), an archiver
    that hangs can be ended, and console archivers run without a console window and without
    a console input nobody can see."""

    def three_folders(self):
        return [make_tree(self.root, name, {"t.txt": b"t"}) for name in ("One", "Two", "Three")]

    def test_closing_during_a_batch_asks_first(self):
        folders = self.three_folders()
        profile = "a --hold"
        for answer in ("no", "yes"):
            with self.subTest(answer=answer):
                if os.path.exists(self.log):
                    os.remove(self.log)
                with Hold(self.log) as hold, \
                        Kestrova(*folders, ini=self.fake_settings(profile), env=self.env) as app:
                    wait_runs(self.log, 1)
                    probe("move", 150, 170)
                    probe("post-close", "main")
                    box = probe("dialog")
                    self.assertEqual(box["caption"], TITLE)
                    self.assertEqual(box["text"], "圧縮中です。残りのフォルダーを中止して終了しますか？")
                    self.assertEqual(probe("dialog", "--press", answer)["closed"], "1")
                    hold.release()
                    if answer == "no":
                        # The batch goes on to its end.
                        state = wait_batch(3)
                        self.assertEqual(list_items(state), [OK + "One", OK + "Two", OK + "Three"])
                        self.assertEqual(app.close(), 0)
                        self.assertEqual(len(log_lines(self.log)), 3)
                    else:
                        # The running folder ends, nothing more starts, the window closes.
                        self.assertEqual(app.wait_exit(60), 0, "did not end after the folder")
                        self.assertEqual(log_lines(self.log), [command_line(
                            harness.fake_archiver(), profile, folders[0], ".rar")])
                        values = dict(settings_of(app.read_ini()))
                        self.assertEqual((values["MainX"], values["MainY"]), ("150", "170"))

    def test_a_console_archiver_gets_no_console_window(self):
        folder = make_tree(self.root, "Trip", {"t.txt": b"t"})
        for archiver, kind in ((harness.env_path("FAKE_ARCHIVER_CONSOLE"), "console"),
                               (harness.fake_archiver(), "window")):
            with self.subTest(kind):
                if os.path.exists(self.log):
                    os.remove(self.log)
                with Kestrova(folder, ini=self.fake_settings("a --console", archiver=archiver),
                              env=self.env) as app:
                    self.assertEqual(list_items(wait_batch(1)), [OK + "Trip"])
                    self.assertEqual(app.close(), 0)
                self.assertEqual(log_lines(self.log),
                                 [command_line(archiver, "a --console", folder, ".rar"),
                                  "console window: no"])


    def stop(self, question, answer="yes", how=("keys", "esc")):
        """A stop (Esc by default) asks question; answered."""
        probe(*how)
        box = probe("dialog")
        self.assertEqual((box["caption"], box["text"]), (TITLE, question))
        self.assertEqual(probe("dialog", "--press", answer)["closed"], "1")

    def test_esc_stops_after_the_running_folder(self):
        folders = self.three_folders()
        later = make_tree(self.root, "Later", {"t.txt": b"t"})
        profile = "a --hold"
        with Hold(self.log) as hold, \
                Kestrova(*folders, ini=self.fake_settings(profile), env=self.env) as app:
            wait_runs(self.log, 1)
            self.stop(STOP_QUESTION)
            hold.release()
            # The running folder ends and gets its line; no other starts; the window stays.
            state = wait_until(lambda: (lambda s: s if s["caption"] == STOPPED else None)(
                probe("state")), message="the stopped caption")
            self.assertEqual(list_items(state), [OK + "One"])
            self.assertEqual(state["control.1002.enabled"], "1", "the controls are back")
            self.assertEqual(log_lines(self.log), [command_line(
                harness.fake_archiver(), profile, folders[0], ".rar")])
            self.assertTrue(app.running())
            # A drop afterwards begins a new batch as usual.
            with DragSource() as source:
                x, y = client_origin(state)
                lst = control(state, IDC_LIST)
                self.assertIn("sent 1", source.drop([later], x + lst.x + lst.w // 2,
                                                    y + lst.y + lst.h // 2))
                self.assertEqual(list_items(wait_batch(1)), [OK + "Later"])
            self.assertEqual(app.close(), 0)

    def test_a_second_stop_ends_a_hung_archiver(self):
        # The stand-in makes its archive, then never ends: only a forced stop ends it.
        a, b = [make_tree(self.root, name, {"t.txt": b"t"}) for name in ("A", "B")]
        with open(b + ".rar", "wb") as f:
            f.write(b"an archive made before")
        profile = "a --write-first --hold"
        for how in ("esc", "close"):
            with self.subTest(how=how):
                for path in (self.log, a + ".rar"):
                    if os.path.exists(path):
                        os.remove(path)
                with Hold(self.log), \
                        Kestrova(a, b, ini=self.fake_settings(profile), env=self.env) as app:
                    wait_runs(self.log, 1)
                    # It logs its start, then makes its archive.
                    wait_until(lambda: os.path.exists(a + ".rar"), message="the half-made archive")
                    if how == "esc":
                        self.stop(STOP_QUESTION)
                        self.stop(FORCE_QUESTION)
                        state = wait_until(lambda: (lambda s: s if s["caption"] == STOPPED else None)(
                            probe("state")), message="the stopped caption")
                        self.assertEqual(list_items(state), [NG + "A"])
                        self.assertEqual(probe("copy")["text"], f"{NG}A\t中止しました\r\n")
                        self.assertEqual(app.close(), 0)
                    else:
                        close = ("post-close", "main")
                        self.stop("圧縮中です。残りのフォルダーを中止して終了しますか？", how=close)
                        self.stop(FORCE_QUESTION, how=close)
                        self.assertEqual(app.wait_exit(60), 0)
                    # Ended while still held: it would not end by itself.
                    wait_until(lambda: probe("processes", "fakerar.exe")["count"] == "0",
                               message="the stand-in's end")
                # The half-made archive is gone; the one made before the batch is untouched.
                self.assertFalse(os.path.exists(a + ".rar"))
                with open(b + ".rar", "rb") as f:
                    self.assertEqual(f.read(), b"an archive made before")
                self.assertEqual(len(log_lines(self.log)), 1)

    def test_the_strip_shows_the_folder_and_its_rising_percentage(self):
        # The stand-in prints a 7-Zip progress frame at each of the test's steps, then holds.
        folder = make_tree(self.root, "Big", {"t.txt": b"t"})
        step = self.log + ".step"
        with Hold(self.log) as hold, \
                Kestrova(folder, ini=self.fake_settings("a --progress=20,60 --hold"),
                         env=self.env) as app:
            wait_runs(self.log, 1)
            self.assertEqual(strip(probe("state")), "1/1")
            for shown in ("1/1 20%", "1/1 60%"):
                open(step, "wb").close()
                wait_until(lambda: strip(probe("state")) == shown, message=shown)
            screenshot("progress_strip", "main-client")
            hold.release()
            self.assertEqual(list_items(wait_batch(1)), [OK + "Big"])
            self.assertEqual(strip(probe("state")), "")
            self.assertEqual(app.close(), 0)

    def test_a_paused_batch_starts_nothing_until_resumed(self):
        a, b = [make_tree(self.root, name, {"t.txt": b"t"}) for name in ("A", "B")]
        with Hold(self.log) as hold, \
                Kestrova(a, b, ini=self.fake_settings("a --hold"), env=self.env) as app:
            wait_runs(self.log, 1)
            probe("keys", "pause")
            wait_until(lambda: strip(probe("state")) == "1/2 一時停止", message="the pause")
            # The folder in hand finishes; the next one waits.
            hold.release()
            wait_until(lambda: (lambda s: list_items(s) == [OK + "A"] and
                                strip(s) == "2/2 一時停止")(probe("state")),
                       message="A's line while paused")
            probe("barrier")
            self.assertEqual(len(log_lines(self.log)), 1)
            probe("keys", "pause")
            self.assertEqual(list_items(wait_batch(2)), [OK + "A", OK + "B"])
            self.assertEqual(len(log_lines(self.log)), 2)
            self.assertEqual(app.close(), 0)

    def test_an_archiver_that_asks_fails_at_once_and_says_why(self):
        # A console archiver that asks a question reads the end of its input at once: no
        # console nobody can see waits for an answer.
        folders = [make_tree(self.root, name, {"t.txt": b"t"}) for name in ("One", "Two")]
        archiver = harness.env_path("FAKE_ARCHIVER_CONSOLE")
        with Kestrova(*folders, ini=self.fake_settings("a --ask", archiver=archiver),
                      env=self.env) as app:
            self.assertEqual(list_items(wait_batch(2)), [NG + "One", NG + "Two"])
            # The prompt ends in a colon: what follows it runs on.
            reason = ("終了コード 2: 致命的なエラー — Enter password (will not be echoed): "
                      "ERROR: no password was given")
            self.assertEqual(probe("copy")["text"],
                             f"{NG}One\t{reason}\r\n{NG}Two\t{reason}\r\n")
            self.assertEqual(app.close(), 0)
        self.assertEqual(len(log_lines(self.log)), 2)


class ChoicesTest(Workspace):
    """What to do with an archive that is there already, and one archive per folder inside a
    given one: set in the settings file, chosen in the list's context menu."""

    def test_an_existing_archive_is_added_to_skipped_or_made_anew(self):
        fake = harness.fake_archiver()
        for choice in ("add", "skip", "rename"):
            with self.subTest(choice=choice):
                case = tempfile.mkdtemp(dir=self.root)
                a = make_tree(case, "A", {"t.txt": b"t"})
                b = make_tree(case, "B", {"t.txt": b"t"})
                old = {a + ".rar": b"old archive of A", a + " (2).rar": b"old second of A"}
                for path, data in old.items():
                    with open(path, "wb") as f:
                        f.write(data)
                if os.path.exists(self.log):
                    os.remove(self.log)
                ini = self.fake_settings("a") + f"ExistingArchive={choice}\n"
                with Kestrova(a, b, ini=ini, env=self.env) as app:
                    state = wait_batch(2)
                    copied = probe("copy")["text"]
                    self.assertEqual(app.close(), 0)
                runs = log_lines(self.log)
                if choice == "add":
                    self.assertEqual(list_items(state), [OK + "A", OK + "B"])
                    self.assertEqual(runs, [command_line(fake, "a", a, ".rar"),
                                            command_line(fake, "a", b, ".rar")])
                elif choice == "skip":
                    self.assertEqual(list_items(state), ["[--] A", OK + "B"])
                    self.assertEqual(copied, f"[--] A\t既にあります: {winpath(a)}.rar\r\n"
                                             f"{OK}B\r\n")
                    self.assertEqual(runs, [command_line(fake, "a", b, ".rar")])
                else:
                    self.assertEqual(list_items(state), [OK + "A", OK + "B"])
                    self.assertEqual(copied, f"{OK}A\t別の名前で作成: {winpath(a)} (3).rar\r\n"
                                             f"{OK}B\r\n")
                    self.assertEqual(runs, [
                        f'"{winpath(fake)}" a "{winpath(a)} (3).rar" "{winpath(a)}\\*"',
                        command_line(fake, "a", b, ".rar")])
                # The archives that were there are untouched whatever the choice.
                for path, data in old.items():
                    with open(path, "rb") as f:
                        self.assertEqual(f.read(), data, path)

    def test_archives_tested_and_folders_to_the_bin(self):
        """With 7-Zip: each archive tested, then its folder sent to the Recycle Bin (under Wine the
        freedesktop trash of the Unix user); a damaged archive fails its test, and its folder
        stays."""
        tag = os.path.basename(self.root)
        names = [f"Trip-{tag}", f"写真-{tag}", f"Reports-{tag}"]
        trees = [{"a.txt": b"a" * 300, "sub/b.txt": "夏".encode("utf-8")},
                 {"p.txt": b"photo"}, {"r/e/p.txt": b"report"}]
        folders = [make_tree(self.root, name, tree) for name, tree in zip(names, trees)]
        # An archive there before, whose stored data is damaged: 7-Zip adds to it without reading
        # that data, so its archive run ends with 0 and only the test finds the damage.
        damaged = make_tree(self.root, f"Damaged-{tag}", {"d.txt": b"d"})
        old = make_tree(self.root, "old", {"old.txt": b"x" * 5000})
        code, out = sevenzip("a", "-mx=0", damaged + ".7z", os.path.join(old, "old.txt"))
        self.assertEqual(code, 0, out)
        with open(damaged + ".7z", "r+b") as f:
            data = bytearray(f.read())
            data[data.find(b"x" * 100) + 50] ^= 0xFF
            f.seek(0)
            f.write(data)
        trash = os.path.join(os.environ.get("XDG_DATA_HOME")
                             or os.path.join(os.path.expanduser("~"), ".local", "share"), "Trash")
        for name in names:
            self.addCleanup(shutil.rmtree, os.path.join(trash, "files", name), ignore_errors=True)
            self.addCleanup(lambda n=name: os.path.exists(p := os.path.join(
                trash, "info", n + ".trashinfo")) and os.remove(p))
        ini = (self.fake_settings("a -r -mx=0 -sccUTF-8", ext=".7z", archiver=harness.sevenzip_win())
               + "AfterArchive=recycle\n")
        with Kestrova(*folders, damaged, ini=ini) as app:
            state = wait_batch(4, timeout=120)
            copied = probe("copy")["text"].split("\r\n")
            self.assertEqual(app.close(), 0)
        self.assertEqual(list_items(state), [OK + name for name in names] + [NG + f"Damaged-{tag}"])
        for line, name in zip(copied, names):
            self.assertEqual(line, f"{OK}{name}\t検査済み。元のフォルダーはごみ箱へ移しました")
        # The test's exit code and its last words, as every failed run's reason gives them.
        self.assertEqual(copied[3], f"{NG}Damaged-{tag}\t検査: 終了コード 2: 致命的なエラー — "
                                    "Sub items Errors: 1 / Archives with Errors: 1 / "
                                    "Sub items Errors: 1")
        for folder, name, tree in zip(folders, names, trees):
            with self.subTest(folder=name):
                # Gone from its place, whole in the bin, and its archive tested good.
                self.assertFalse(os.path.exists(folder))
                self.assertEqual(tree_of(os.path.join(trash, "files", name)), tree_of_spec(tree))
                self.assertEqual(sevenzip("t", folder + ".7z")[0], 0)
        self.assertEqual(tree_of(damaged), {"d.txt": b"d"})
        self.assertTrue(os.path.exists(damaged + ".7z"))

    def test_each_folder_inside_is_one_archive(self):
        fake = harness.fake_archiver()
        parent = make_tree(self.root, "Projects", {
            "b10/t.txt": b"t", "a/t.txt": b"t", "b2/t.txt": b"t", ".hidden/t.txt": b"t",
            "notes.txt": b"a file"})
        empty = make_tree(self.root, "Empty", {"only-a-file.txt": b"f"})
        ini = self.fake_settings("a") + "Target=children\n"
        with Kestrova(parent, empty, ini=ini, env=self.env) as app:
            state = wait_batch(4)
            self.assertEqual(list_items(state), [OK + "a", OK + "b2", OK + "b10", "[--] Empty"])
            self.assertTrue(probe("copy")["text"].endswith("[--] Empty\tフォルダーがありません\r\n"))
            self.assertEqual(app.close(), 0)
        # Written beside each folder, inside the given one, in Explorer's order of names.
        self.assertEqual(log_lines(self.log), [
            command_line(fake, "a", os.path.join(parent, name), ".rar") for name in ("a", "b2", "b10")])

    def test_the_menu_changes_the_choices_and_they_are_saved(self):
        with Kestrova(ini=self.fake_settings("a"), env=self.env) as app:
            # The keyboard's way: Tab to the list, then the menu key.
            for _ in range(3):
                probe("keys", "tab")
            wait_until(lambda: probe("state")["focus"] == str(IDC_LIST), message="the list")
            # By their access keys: 既存のアーカイブ(&X) and its スキップする(&S), then
            # 圧縮する単位(&U) and its 中のフォルダーごと(&I).
            probe("keys", "apps", "x", "s")
            probe("keys", "apps", "u", "i")
            self.assertEqual(app.close(), 0)
            values = dict(settings_of(app.read_ini()))
        self.assertEqual((values.get("ExistingArchive"), values.get("Target")), ("skip", "children"))


class SecondStartTest(Workspace):
    """Where Windows users start it from: a second start with folders (Send To, a drop on the
    exe's icon) hands them to the window already open; the Send To shortcut; paths with "/"."""

    def test_a_second_start_hands_its_folders_to_the_running_window(self):
        a, b, c = [make_tree(self.root, name, {"t.txt": b"t"}) for name in ("A", "B", "C")]
        profile = "a --hold"
        fake = harness.fake_archiver()
        with Hold(self.log) as hold, \
                Kestrova(a, ini=self.fake_settings(profile), env=self.env) as app:
            wait_runs(self.log, 1)
            # During a batch: B (relative to the second start's own folder) joins it.
            self.assertEqual(app.start_again("B", cwd=self.root), 0)
            hold.release()
            state = wait_batch(2)
            self.assertEqual(list_items(state), [OK + "A", OK + "B"])
            # Idle: a new batch in the same window, its list cleared.
            self.assertEqual(app.start_again(c), 0)
            state = wait_until(lambda: (lambda s: s if list_items(s) == [OK + "C"] else None)(
                probe("state")), message="the second start's batch")
            self.assertEqual(app.close(), 0)
        self.assertEqual(log_lines(self.log), [command_line(fake, profile, f, ".rar")
                                               for f in (a, b, c)])

    def test_send_to_gets_and_loses_its_shortcut(self):
        link = os.path.join(harness.roaming_folder(), "Microsoft", "Windows", "SendTo",
                            "Kestrova.lnk")
        if os.path.exists(link):
            os.remove(link)
        self.addCleanup(lambda: os.path.exists(link) and os.remove(link))
        with Kestrova(ini=self.fake_settings("a"), env=self.env) as app:
            for _ in range(3):
                probe("keys", "tab")
            wait_until(lambda: probe("state")["focus"] == str(IDC_LIST), message="the list")
            # The last item of the list's menu: 「送る」メニューに追加.
            probe("keys", "apps", "up", "enter")
            wait_until(lambda: os.path.exists(link), message="the shortcut")
            self.assertEqual(probe("shortcut", winpath(link))["target"], winpath(app.exe))
            # The same item now takes it away: 「送る」メニューから削除.
            probe("keys", "apps", "up", "enter")
            wait_until(lambda: not os.path.exists(link), message="the shortcut gone")
            self.assertEqual(app.close(), 0)

    def test_a_path_with_slashes_is_a_path_with_backslashes(self):
        trip = make_tree(self.root, "Trip", {"t.txt": b"t"})
        slashed = winpath(trip).replace("\\", "/")
        with Kestrova(slashed, ini=self.fake_settings("a"), env=self.env) as app:
            self.assertEqual(list_items(wait_batch(1)), [OK + "Trip"])
            self.assertEqual(app.close(), 0)
        self.assertEqual(log_lines(self.log), [command_line(harness.fake_archiver(), "a", trip, ".rar")])


class ReasonsTest(Workspace):
    """Every [NG] says why: in a tooltip over its line and in the lines copied from the list."""

    # Folder name (the stand-in archiver exits by it) and the reason expected; None: [OK].
    REASONS = [
        ("fine", None),
        ("exit-1", "終了コード 1: 警告 (処理できなかったファイルがあります)"),
        ("exit-2", "終了コード 2: 致命的なエラー"),
        ("exit-7", "終了コード 7: コマンドラインのエラー (プロファイルを確認してください)"),
        ("exit-255", "終了コード 255: 中止されました"),
        ("exit-300", "終了コード 300"),
        ("crash", "異常終了 (0xC0000005)"),
    ]

    def line_point(self, state, line):
        """Screen point in the middle of the text of a line of the result list."""
        x, y = client_origin(state)
        lst = control(state, IDC_LIST)
        return x + lst.x + 40, y + lst.y + 2 + line * 12 + 6

    def test_every_failure_says_why(self):
        folders = [make_tree(self.root, name, {"t.txt": b"t"}) for name, _ in self.REASONS]
        with Kestrova(*folders, ini=self.fake_settings("a --exit-by-name"), env=self.env) as app:
            state = wait_batch(len(folders))
            # The lines themselves stay exactly "[OK] " or "[NG] " and the name.
            self.assertEqual(list_items(state),
                             [(OK if why is None else NG) + name for name, why in self.REASONS])
            self.assertEqual(probe("copy")["text"], "".join(
                (OK if why is None else NG) + name + ("" if why is None else "\t" + why) + "\r\n"
                for name, why in self.REASONS))

            # The pointer resting on an [NG] line shows its reason.
            line = 3
            x, y = self.line_point(state, line)
            subprocess.run(["xdotool", "mousemove", str(x - 3), str(y), "sleep", "0.05",
                            "mousemove", str(x), str(y)], check=True, timeout=30)
            tip = wait_until(lambda: (lambda t: t if t.get("shown") == "1" else None)(
                probe("tooltip")), timeout=30, message="the tooltip")
            self.assertEqual(tip["text"], self.REASONS[line][1])
            shot = screenshot("reason_tooltip", "root")
            wx, wy, ww, wh = parse_rect(state["window"])
            if shot.endswith(".png"):
                subprocess.run(["convert", shot, "-crop", f"{ww + 260}x{wh + 20}+{wx}+{wy}",
                                "+repage", shot], check=True, timeout=60)
            self.assertEqual(app.close(), 0)

        # An archiver that cannot be started: the system's own words for why.
        missing = os.path.join(self.root, "no such folder", "WinRAR.exe")
        with Kestrova(folders[0], ini=self.fake_settings("a", archiver=missing)) as app:
            self.assertEqual(list_items(wait_batch(1)), [NG + "fine"])
            copied = probe("copy")["text"]
            systems = [probe("system-message", code)["text"] for code in (2, 3)]
            hint = " (アーカイブソフトの場所は結果リストの右クリックメニューで変更できます)"
            self.assertIn(copied, [f"{NG}fine\t起動できません: {text}{hint}\r\n" for text in systems])
            self.assertEqual(app.close(), 0)

    def test_saved_results_keep_every_line_with_its_archive_and_reason(self):
        fine = make_tree(self.root, "fine", {"t.txt": b"t"})
        blocked = make_tree(self.root, "blocked", {"t.txt": b"t"})
        os.makedirs(blocked + ".rar")  # its archive cannot be written: exit code 9
        saved = os.path.join(self.root, "results.txt")
        with Kestrova(fine, blocked, ini=self.fake_settings("a --write"), env=self.env) as app:
            self.assertEqual(list_items(wait_batch(2)), [OK + "fine", NG + "blocked"])
            # Ctrl+S, the window's key for the menu's 結果を保存...
            probe("keys", "ctrl+s")
            dialog = wait_until(lambda: (lambda d: d if d.get("caption") == "結果を保存" else None)(
                probe("dialog", check=False)), timeout=30, message="the save dialog")
            self.assertRegex(dialog.get("control.1152", "") + dialog.get("control.1148", ""),
                             r"Kestrova 結果 \d{4}-\d\d-\d\d \d{4}\.txt")
            probe("dialog", "--file", winpath(saved))
            wait_until(lambda: os.path.exists(saved), message="the results file")
            self.assertEqual(app.close(), 0)
        with open(saved, "rb") as f:
            data = f.read()
        # UTF-8 with its mark, a header, one tab-separated line per folder, CR LF after each.
        self.assertTrue(data.startswith(b"\xef\xbb\xbf"), data[:8])
        lines = data[3:].decode("utf-8").split("\r\n")
        self.assertEqual(lines[-1], "")
        rows = [line.split("\t") for line in lines[:-1]]
        self.assertEqual(rows[0], ["結果", "フォルダー", "アーカイブ", "サイズ (バイト)", "時間 (秒)", "理由"])
        self.assertEqual(len(rows), 3)
        self.assertEqual(rows[1][:4], [OK + "fine", winpath(fine), winpath(fine) + ".rar",
                                       str(os.path.getsize(fine + ".rar"))])
        self.assertEqual(rows[2][:4], [NG + "blocked", winpath(blocked), "", ""])
        self.assertEqual(rows[1][5], "")
        self.assertEqual(rows[2][5], "終了コード 9: ファイルを作成できません")
        for row in rows[1:]:
            self.assertRegex(row[4], r"^\d+\.\d$")


if __name__ == "__main__":
    unittest.main(verbosity=2)
