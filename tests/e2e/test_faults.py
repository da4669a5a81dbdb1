#!/usr/bin/env python3
"""Faults, one table row each, against the real Kestrova.exe: missing, broken and odd settings
files, a job that takes its time, a drive root, a batch of 200 folders, and the program itself
at the edges of path length. (What the in-process tests own, the archivers' failures, the
value and command-line limits and folder names, is not repeated here.) Each row says what the
user sees; after every run these hold as well:

  * every folder of the batch has exactly one result line, in the order given;
  * the stand-in archiver ran exactly for those folders, in order, with the exact command line
    (its log), and never for a skipped item;
  * once closed, the settings file beside the exe reads as the eleven values expected (a close
    that changed no value leaves the file as it was: a key it lacks, or holds malformed, reads
    as its default).

Rows whose settings agree share one program run (their items form one batch), so that the
suite stays quick; a row that needs the program to itself gets its own run.
"""

import contextlib
import os
import random
import re
import shutil
import sys
import tempfile
import time
import unittest
from dataclasses import dataclass, field
from typing import Callable, List, Optional
from unittest import mock

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
from harness import Kestrova, probe, wait_until, winpath  # noqa: E402

OK, NG = "[OK] ", "[NG] "
BUSY, DONE = "[圧縮中] ", "完了."
LOCATE_TITLE = "WinRAR.exeを指定して下さい"

KEYS = ["MainX", "MainY", "MainW", "MainH", "FileExt", "WinRARPath", "WinRARCommandLine",
        "WinRARCommandLine2", "WinRARCommandLine3", "WinRARCommandLine4", "WinRARCommandLine5"]
PROFILE = "a -r -ep1 -m0 -rr3p"
DEFAULTS = {"MainX": "300", "MainY": "300", "MainW": "288", "MainH": "300", "FileExt": ".rar",
            "WinRARPath": "", "WinRARCommandLine": PROFILE,
            "WinRARCommandLine2": "a -r -ep1 -m5 -rr3p", "WinRARCommandLine3": "",
            "WinRARCommandLine4": "", "WinRARCommandLine5": ""}
DEFAULT_WINDOW = "300,300,288,300"  # left, top, width, height at 96 DPI


def fake():
    """The stand-in archiver as the program is told it."""
    return winpath(harness.fake_archiver())


def settings(**values):
    """A settings text: [Main] with the given keys, WinRARPath the stand-in archiver unless
    given."""
    values.setdefault("WinRARPath", fake())
    return "[Main]\n" + "".join(f"{k}={v}\n" for k, v in values.items())


def parse_settings(data):
    """The keys of [Main] in a settings file, as the profile services read it: lines split at
    CR or LF, "[name]" starts a section, the first "key=value" of a key counts, keys compare
    without case and blanks around keys and values are dropped."""
    main, current = {}, None
    for line in re.split(r"\r\n|\r|\n", harness.decode_ini(data)):
        line = line.strip(" \t")
        if line.startswith("[") and "]" in line:
            current = line[1:line.index("]")].strip().lower()
            continue
        if current == "main" and "=" in line:
            key, value = line.split("=", 1)
            main.setdefault(key.strip().lower(), value.strip(" \t"))
    return {k: main[k.lower()] for k in KEYS if k.lower() in main}


def ini_integer(text):
    """An integer as the program reads one (decimal, or hexadecimal after "$", "x" or "0x";
    32 bits); None where it reads none."""
    pos = len(text) - len(text.lstrip(" \t"))
    negative = text[pos:pos + 1] == "-"
    if text[pos:pos + 1] in ("-", "+"):
        pos += 1
    base = 10
    if text[pos:pos + 1] == "$" or text[pos:pos + 1] in ("x", "X"):
        base, pos = 16, pos + 1
    elif len(text) > 2 and text[pos:pos + 2] in ("0x", "0X") and pos + 1 < len(text):
        base, pos = 16, pos + 2
    digits = text[pos:]
    allowed = "0123456789abcdefABCDEF" if base == 16 else "0123456789"
    if not digits or any(c not in allowed for c in digits):
        return None
    value = -int(digits, base) if negative else int(digits, base)
    return value if -2**31 <= value < 2**31 else None


def settings_as_read(data):
    """The eleven values a settings file gives the program: each key's text, an integer key's
    value in decimals, the default where the key is missing or malformed."""
    read = dict(DEFAULTS)
    for key, text in parse_settings(data).items():
        if key in ("MainX", "MainY", "MainW", "MainH"):
            value = ini_integer(text)
            if value is not None:
                read[key] = str(value)
        else:
            read[key] = text
    return read


def deep_path(base, length, last="e"):
    """base (a Linux folder path) followed by folders of at most 100 characters, so that the
    Windows path of the result has exactly length characters."""
    path = base.rstrip("/")
    while length - len(winpath(path)) > 101:
        path += "/" + "d" * 100
    rest = length - len(winpath(path)) - 1
    assert rest >= 1, (base, length)
    return path + "/" + last * rest


# ---- the table ------------------------------------------------------------------------------

@dataclass
class Item:
    """One batch argument: made in the run's folder by make(work) (which returns the argument,
    a Windows path) and expected to give the line result + name, or no line (result None).
    A name of None stands for the argument's last part."""
    make: Callable[[str], str]
    result: Optional[str]  # OK, NG or None (skipped)
    name: Optional[str] = ""


def folder(*parts, result=OK):
    """A folder work/parts...; its line names the last part."""
    def make(work):
        path = os.path.join(work, *parts)
        os.makedirs(path, exist_ok=True)
        return winpath(path)
    return Item(make, result, parts[-1])


def job_folder(arg):
    """The folder a job works on: the argument less its trailing separators, but a root's."""
    while arg.endswith("\\") and not arg.endswith(":\\"):
        arg = arg[:-1]
    return arg


def drive_root_item():
    # The C: drive of the Wine prefix: the stand-in archiver never reads what it is given.
    return Item(lambda work: "C:\\", OK, "")


@dataclass
class Row:
    name: str
    sees: str                      # what the user sees, for the reader of a failure
    ini: object = None             # text, bytes, a callable giving either, or None (no file)
    items: List[Item] = field(default_factory=list)
    runs: bool = True              # whether the archiver starts for each folder
    profile: str = PROFILE         # the profile the jobs get
    ext: str = ".rar"
    locate: Optional[str] = None   # "answer" (with the stand-in) or "cancel"
    saved: dict = field(default_factory=dict)  # expected saved values besides the defaults
    window: str = DEFAULT_WINDOW
    group: Optional[str] = None    # rows of one group share a run
    during: Optional[Callable] = None  # (test, app, run) -> None, while the program runs
    close: Optional[Callable] = None   # (test, app, run) -> None, instead of a plain close
    saves: bool = True             # whether the settings are saved beside the exe
    user_saves: bool = False       # whether they are saved to the user's own file instead


# ---- row helpers ----------------------------------------------------------------------------

def garbage(seed, size):
    """Random bytes, heavy in zeros, line ends and Shift_JIS lead bytes; the first is a lead
    byte, so that the file never starts with a byte order mark."""
    rnd = random.Random(seed)
    pool = list(range(256)) + [0] * 20 + [0x81, 0x9F, 0xE0, 0xFC] * 10 + [0x0A, 0x0D] * 8
    return bytes([0x95]) + bytes(rnd.choice(pool) for _ in range(size - 1))


def check_latency_while_busy(test, app, run):
    """While the job runs (held until the checks are done) the caption shows it, the controls
    that would change a job are disabled (the window and its list are not), and the window
    answers every round trip. How fast it answers is the benchmark's figure, not a test's."""
    harness.wait_runs(run.log, 1)
    state = probe("state")
    test.assertEqual(state["caption"], BUSY + "A")
    test.assertEqual(state["enabled"], "1", "the window stays enabled while the job runs")
    for control, enabled in (("1002", "0"), ("1003", "0"), ("1004", "0"), ("1005", "1")):
        test.assertEqual(state[f"control.{control}.enabled"], enabled, f"control {control}")
    latency = probe("latency", 200)
    test.assertEqual(latency["timeouts"], "0", f"round trips during the job: {latency}")
    test.assertEqual(probe("state")["caption"], BUSY + "A", "the job ran throughout")
    test.assertEqual(len(log_lines(run.log)), 1)
    run.notes.append(f"latency during the job: p50 {latency['p50']} ms, p99 {latency['p99']} "
                     f"ms, max {latency['max']} ms")
    run.hold.release()


def cancel_ends(test, app, run):
    """Cancel in the locate dialog closes the window and ends the program by itself."""
    code = app.wait_exit(60)
    test.assertIsNotNone(code, "the program did not end after Cancel")
    test.assertEqual(code, 0)


ROWS = [
    # -- the settings file
    Row("missing settings file",
        "the locate dialog opens; once answered, the batch runs with the chosen archiver",
        ini=None, items=[folder("A")], locate="answer"),
    Row("WinRARPath empty, then answered",
        "the locate dialog opens; the other keys of the file still apply",
        ini=lambda: settings(WinRARPath="", FileExt=".7z", WinRARCommandLine="a --exit=0"),
        items=[folder("A")], locate="answer", profile="a --exit=0", ext=".7z",
        saved={"FileExt": ".7z", "WinRARCommandLine": "a --exit=0"}),
    Row("locate dialog cancelled",
        "the program ends by itself; nothing is archived; the settings are saved",
        ini=None, items=[folder("A", result=None)], locate="cancel", runs=False,
        close=cancel_ends),
    Row("settings file of binary garbage",
        "as if there were none: the locate dialog opens, defaults everywhere",
        ini=garbage(20080525, 4096), items=[folder("A")], locate="answer"),
    Row("garbage around a valid section",
        "the section's values apply; the garbage is left alone",
        ini=lambda: garbage(525, 2048) + b"\r\n" + settings(FileExt=".zip").encode("cp932")
        .replace(b"\n", b"\r\n") + garbage(2008, 2048),
        items=[folder("A")], ext=".zip", saved={"FileExt": ".zip"}),
    # -- the archiver
    Row("the archiver runs until it is let go",
        "the caption shows the job, its controls are disabled, the window answers meanwhile",
        ini=lambda: settings(WinRARCommandLine="a --hold"), items=[folder("A")],
        profile="a --hold", saved={"WinRARCommandLine": "a --hold"},
        during=check_latency_while_busy),

    # -- batch items at the edges of paths (one run)
    Row("a drive root", "'[OK] ' alone; the archive is C:\\.rar",
        ini=lambda: settings(), items=[drive_root_item()], group="paths"),

    # -- sizes
    Row("200 folders in one batch", "200 lines in order, 200 archiver runs in order",
        ini=lambda: settings(), items=[folder(f"F{i:03d}") for i in range(200)]),
]


# ---- running rows ---------------------------------------------------------------------------

class Run:
    """The shared state of one program run: its folder, log and the arguments made."""

    def __init__(self):
        self.work = tempfile.mkdtemp(prefix="kestrova-faults-")
        self.log = os.path.join(self.work, "archiver.log")
        self.text_exe = winpath(os.path.join(self.work, "x.exe"))
        self.user_settings = None
        # Runs with "--hold" in their profile go on until the row lets them go.
        self.hold = harness.Hold(self.log)
        with open(os.path.join(self.work, "x.exe"), "wb") as f:
            f.write(b"This is a text file, not a program.\r\n")
        self.notes = []

    def settings_bytes(self, ini):
        if callable(ini):
            ini = ini(self) if ini.__code__.co_argcount else ini()
        if isinstance(ini, str):
            ini = ini.replace("\n", "\r\n").encode("cp932")
        return ini

    def remove(self):
        self.hold.release()
        shutil.rmtree(self.work, ignore_errors=True)


def log_lines(path):
    if not os.path.exists(path):
        return []
    with open(path, "rb") as f:
        data = f.read()
    return [line for line in data.split(b"\r\n") if line] if data else []


def command_line(archiver, profile, folder_path, ext):
    return f'"{archiver}" {profile} "{folder_path}{ext}" "{folder_path}\\*"'.encode("utf-8")


class FaultsTest(unittest.TestCase):
    timings = {}

    @classmethod
    def tearDownClass(cls):
        for name, seconds in cls.timings.items():
            print(f"  {name}: {seconds:.1f} s", file=sys.stderr)

    def run_rows(self, rows, exe_dir=None):
        """One program run for rows (one settings text between them): their items make one
        batch on the command line."""
        started = time.monotonic()
        run = Run()
        try:
            self._run(run, rows, exe_dir)
        finally:
            run.remove()
            self.timings[rows[0].name] = time.monotonic() - started
            for note in run.notes:
                print(f"  {rows[0].name}: {note}", file=sys.stderr)

    def _run(self, run, rows, exe_dir):
        first = rows[0]
        ini = run.settings_bytes(first.ini)
        for row in rows[1:]:
            self.assertEqual(run.settings_bytes(row.ini), ini, f"{row.name}: settings differ")
        # Each row's arguments, their expected lines and archiver runs, in batch order.
        args, lines, runs, per_row = [], [], [], []
        archiver = fake()  # the one the program runs, when it can run one
        for row in rows:
            row_runs = []
            for item in row.items:
                arg = item.make(run.work)
                args.append(arg)
                if item.result is None:
                    continue
                name = item.name if item.name is not None else arg.rsplit("\\", 1)[-1]
                lines.append(item.result + name)
                if row.runs:
                    row_runs.append(command_line(archiver, row.profile, job_folder(arg), row.ext))
            runs += row_runs
            per_row.append((row, row_runs))

        # The program's folder is a fresh temporary one, or exe_dir when given.
        patch = (mock.patch.object(harness.tempfile, "mkdtemp", lambda prefix=None, dir=None: exe_dir)
                 if exe_dir else contextlib.nullcontext())
        with patch, Kestrova(*args, ini=ini, env={"FAKE_ARCHIVER_LOG": run.log}) as app:
            if exe_dir:
                self.assertEqual(app.dir, exe_dir)
            if first.locate:
                box = probe("dialog")
                self.assertEqual(box["caption"], LOCATE_TITLE, "the locate dialog")
                if first.locate == "answer":
                    self.assertEqual(probe("dialog", "--file", fake())["closed"], "1")
                else:
                    self.assertEqual(probe("dialog", "--press", "cancel")["closed"], "1")

            if first.locate != "cancel":
                if first.during:
                    first.during(self, app, run)
                state = self.wait_batch(len(lines), len(runs), run.log)
                self.assertEqual(state["window"], first.window, "window placement")
                got_lines = [state[f"list.item.{i}"] for i in range(int(state["list.count"]))]
                if got_lines != lines:
                    # The reasons say why a line differs.
                    failed = [l for l in probe("copy")["text"].split("\r\n") if "\t" in l]
                    self.assertEqual(got_lines, lines, f"result lines, in batch order; {failed}")
                if lines:
                    self.assertEqual(state["caption"], DONE)
                self.check_profile_box(state, ini)

            if first.close:
                first.close(self, app, run)
            else:
                self.assertEqual(app.close(), 0, "exit code")
                self.assertFalse(app.killed, "the program did not end on WM_CLOSE")
            saved = None
            if first.saves:
                with open(app.ini_path, "rb") as f:
                    saved = f.read()
            elif first.user_saves:
                saved = run.user_settings

        got_runs = log_lines(run.log)
        for row, row_runs in per_row:
            with self.subTest(row=row.name):
                for expected in row_runs:
                    self.assertEqual(got_runs.count(expected), 1,
                                     f"{row.name} ({row.sees}): archiver run {expected[:300]!r}"
                                     f"... expected once in {[r[:200] for r in got_runs]}")
        self.assertEqual(got_runs, runs, "archiver runs, in batch order")

        if saved is None:
            return
        expected = dict(DEFAULTS, WinRARPath=archiver if first.locate != "cancel" else "")
        for key, value in first.saved.items():
            expected[key] = value.format(text_exe=run.text_exe)
        got = settings_as_read(saved)
        for key in KEYS:
            self.assertEqual(got[key], expected[key], f"saved {key}")

    def wait_batch(self, count, runs, log):
        """The state once the batch has given count lines, the archiver has run runs times and
        the caption says it is done (and stays so)."""
        def done():
            state = probe("state")
            if (int(state["list.count"]) >= count and (count == 0 or state["caption"] == DONE)
                    and len(log_lines(log)) >= runs):
                return state
            return None
        timeout = 60 + count * 0.5
        try:
            return wait_until(done, timeout=timeout, interval=0.1, message=f"{count} result lines")
        except AssertionError:
            state = probe("state")
            # The reasons too: a line that failed says why.
            reasons = [line for line in probe("copy")["text"].split("\r\n") if "\t" in line]
            self.fail(f"batch did not end with {count} lines and {runs} runs: caption "
                      f"{state['caption']!r}, {len(log_lines(log))} runs, "
                      f"{[state[f'list.item.{i}'] for i in range(int(state['list.count']))]}, "
                      f"reasons {reasons}")

    def check_profile_box(self, state, ini):
        """The profile selector holds the five profiles as read, the first chosen."""
        self.assertEqual(state["profile.count"], "5")
        self.assertEqual(state["profile.sel"], "0")
        values = parse_settings(ini) if ini else {}
        for i, key in enumerate(KEYS[6:]):
            expected = values.get(key, DEFAULTS[key])
            if len(expected.encode("cp932")) > 2047:
                expected = expected.encode("cp932")[:2047].decode("cp932")
            self.assertEqual(state[f"profile.item.{i}"], expected, f"profile {i + 1}")


def settings_to_user_folder(test, app, run):
    """The services cannot reach a settings file beside the exe: closing saves to the user's
    own file, without a word, and ends."""
    test.assertEqual(app.close(), 0)
    test.assertFalse(app.killed)
    with open(harness.user_settings_path(), "rb") as f:
        run.user_settings = f.read()


def _exe_path_test(length):
    """The settings file beside the exe, for an exe path of length characters. The program
    reads its own path through a buffer that starts at MAX_PATH and grows; the profile
    services take a settings path of at most 259 characters (Kestrova.ini is as long as
    Kestrova.exe), so from 260 on the settings live in the user's own file."""
    def test(self):
        base = tempfile.mkdtemp(prefix="kestrova-faults-exe-")
        try:
            exe_dir = deep_path(base, length - len("\\Kestrova.exe"))
            os.makedirs(exe_dir)
            self.assertEqual(len(winpath(exe_dir + "/Kestrova.exe")), length)
            ext = f".len{length}"
            if length < 260:
                row = Row(f"exe path of {length} characters", "the settings beside it apply",
                          ini=lambda: settings(FileExt=ext), items=[folder("A")], ext=ext,
                          saved={"FileExt": ext})
            else:
                row = Row(f"exe path of {length} characters",
                          "the file beside it out of reach: the locate dialog opens; closing "
                          "saves to the user's own file",
                          ini=lambda: settings(FileExt=ext), items=[folder("A")],
                          locate="answer", close=settings_to_user_folder, saves=False,
                          user_saves=True)
            self.run_rows([row], exe_dir=exe_dir)
        finally:
            shutil.rmtree(base, ignore_errors=True)
    return test


def _row_test(rows):
    def test(self):
        self.run_rows(rows)
    return test


def _make_tests():
    """One test per run: a row of its own, or a group of rows."""
    groups, order = {}, []
    for row in ROWS:
        key = row.group or row.name
        if key not in groups:
            groups[key] = []
            order.append(key)
        groups[key].append(row)
    for n, key in enumerate(order):
        words = re.sub(r"\W+", "_", key.encode("ascii", "ignore").decode()).strip("_")
        name = "test_%02d_%s" % (n, words)
        setattr(FaultsTest, name, _row_test(groups[key]))
    # 259: the path and its terminator fill the first buffer; 260: the first read is cut and
    # the buffer grows; 600: it grows twice.
    for n, length in enumerate((259, 260, 600), start=len(order)):
        setattr(FaultsTest, "test_%02d_exe_path_of_%d_characters" % (n, length),
                _exe_path_test(length))


_make_tests()


if __name__ == "__main__":
    unittest.main(verbosity=2)
