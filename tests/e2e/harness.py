"""Helpers for Kestrova's end-to-end tests: the real program under Wine, driven by the probe.

Environment (set by CTest): KESTROVA_EXE, PROBE_EXE, FAKE_ARCHIVER (Linux paths of the built
.exe files) and ARTIFACTS_DIR (screenshots). The test run provides DISPLAY, WINEPREFIX,
WINEDEBUG=-all, LC_ALL=ja_JP.UTF-8 and a running wineserver.

    with Kestrova(ini=settings_text) as app:      # own copy in a fresh directory
        state = probe("state")                    # dict of the probe's key=value lines
        screenshot("main_96dpi")
        code = app.close()                        # WM_CLOSE, then the exit code

Standard library only.
"""

import contextlib
import os
import shutil
import subprocess
import tempfile
import time
from collections import namedtuple

__all__ = [
    "CODE_PAGE", "Control", "DragSource", "Hold", "Kestrova", "ProbeError", "archiver_runs",
    "forget_user_settings", "immutable", "roaming_folder", "temp_folder", "user_settings_path",
    "artifacts_dir", "client_origin", "control", "decode_ini", "dpi", "env_path",
    "fake_archiver", "list_items", "parse_rect", "probe", "read_ini", "screenshot",
    "sevenzip_linux", "sevenzip_win", "wait_batch", "wait_runs", "wait_until", "winpath",
]

DEFAULT_PROBE_TIMEOUT_MS = 30000


# ---- environment ----------------------------------------------------------------------------

def env_path(name):
    """The path in environment variable name; fails clearly when the test is run without CTest."""
    value = os.environ.get(name)
    if not value:
        raise RuntimeError(f"environment variable {name} is not set (run the test through ctest)")
    return value


def fake_archiver():
    """Linux path of the stand-in archiver."""
    return env_path("FAKE_ARCHIVER")


def sevenzip_win():
    """Linux path of 7-Zip's Windows console program (7za.exe), an archiver Kestrova can run."""
    return env_path("SEVENZIP_WIN")


def sevenzip_linux():
    """Linux path of 7-Zip's Linux console program, for looking into the archives made."""
    return env_path("SEVENZIP_LINUX")


def artifacts_dir():
    path = os.environ.get("ARTIFACTS_DIR") or os.path.join(tempfile.gettempdir(), "kestrova-artifacts")
    os.makedirs(path, exist_ok=True)
    return path


def _wine_env(extra=None):
    env = dict(os.environ)
    env.setdefault("WINEDEBUG", "-all")
    env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
    env.setdefault("LC_ALL", "ja_JP.UTF-8")
    if extra:
        env.update(extra)
    return env


_wine_ready = False


def _prepare_wine():
    """Makes sure the wineserver and Wine's services run, started without our pipes: services
    started by a later `wine` would inherit its stdout and keep every capture open."""
    global _wine_ready
    if _wine_ready:
        return
    subprocess.run(["wineserver", "-p"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, env=_wine_env(), check=False)
    subprocess.run(["wine", "cmd", "/c", "exit"], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=_wine_env(),
                   check=False, timeout=120)
    # The RPC service, which COM (the shell's file operations) would otherwise start.
    subprocess.run(["wine", "net", "start", "rpcss"], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=_wine_env(),
                   check=False, timeout=120)
    _wine_ready = True


def roaming_folder():
    """Linux path of the roaming folder (%APPDATA%) of the prefix the tests run in."""
    return os.path.dirname(os.path.dirname(user_settings_path()))


def temp_folder():
    """Linux path of the temporary folder that programs in the prefix are given (%TEMP%), as
    Wine itself says."""
    _prepare_wine()
    quiet = dict(stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=_wine_env(),
                 timeout=120, check=True)
    windows = subprocess.run(["wine", "cmd", "/c", "echo", "%TEMP%"], stdout=subprocess.PIPE,
                             **quiet).stdout.decode("utf-8", "replace").strip()
    return subprocess.run(["winepath", "-u", windows], stdout=subprocess.PIPE,
                          **quiet).stdout.decode("utf-8").strip()


def user_settings_path():
    """Linux path of the per-user settings file of the prefix the tests run in
    (%APPDATA%\\Kestrova\\Kestrova.ini)."""
    import glob
    users = glob.glob(os.path.join(os.environ["WINEPREFIX"], "drive_c", "users", "*",
                                   "AppData", "Roaming"))
    users = [u for u in users if os.sep + "Public" + os.sep not in u] or [
        os.path.join(os.environ["WINEPREFIX"], "drive_c", "users", os.environ.get("USER", "root"),
                     "AppData", "Roaming")]
    return os.path.join(users[0], "Kestrova", "Kestrova.ini")


def forget_user_settings():
    """Removes the per-user settings of the prefix, so that no run reads another's."""
    shutil.rmtree(os.path.dirname(user_settings_path()), ignore_errors=True)


@contextlib.contextmanager
def immutable(path):
    """The file or folder refuses every change, even from root (chattr +i), until the block
    ends."""
    subprocess.run(["chattr", "+i", path], check=True)
    try:
        yield path
    finally:
        subprocess.run(["chattr", "-i", path], check=False)


def winpath(linux_path):
    """The Windows path Wine gives a Linux path: Z: plus the absolute path with backslashes."""
    return "Z:" + os.path.abspath(linux_path).replace("/", "\\")


# ---- the probe ------------------------------------------------------------------------------

class ProbeError(RuntimeError):
    def __init__(self, args, returncode, stderr, values):
        self.args_ = args
        self.returncode = returncode
        self.stderr = stderr
        self.values = values
        super().__init__(f"probe {' '.join(args)} failed with exit code {returncode}: {stderr.strip()}")


def _unescape(value):
    # The probe writes \\, \r, \n and \t for a backslash, CR, LF and tab.
    out = []
    i = 0
    while i < len(value):
        c = value[i]
        if c == "\\" and i + 1 < len(value):
            n = value[i + 1]
            out.append({"\\": "\\", "r": "\r", "n": "\n", "t": "\t"}.get(n, "\\" + n))
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def _parse(text):
    values = {}
    for line in text.splitlines():
        if "=" in line:
            key, value = line.split("=", 1)
            values[key] = _unescape(value)
    return values


def probe(*args, timeout_ms=None, check=True):
    """Runs `wine PROBE_EXE [--timeout=MS] args...` and returns its key=value lines as a dict.
    Raises ProbeError (with the probe's stderr) when it fails, unless check is False."""
    _prepare_wine()
    args = [str(a) for a in args]
    if timeout_ms is None:
        timeout_ms = DEFAULT_PROBE_TIMEOUT_MS
    cmd = ["wine", env_path("PROBE_EXE"), f"--timeout={int(timeout_ms)}", *args]
    limit = timeout_ms / 1000 + 60
    result = subprocess.run(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, env=_wine_env(), timeout=limit)
    values = _parse(result.stdout.decode("utf-8", "replace"))
    if result.returncode != 0 and check:
        raise ProbeError(args, result.returncode, result.stderr.decode("utf-8", "replace"), values)
    return values


Control = namedtuple("Control", "cls x y w h text")


def control(state, control_id):
    """The control.<id> line of a state as (cls, x, y, w, h, text), or None."""
    value = state.get(f"control.{int(control_id)}")
    if value is None:
        return None
    cls, x, y, w, h, text = value.split(",", 5)
    return Control(cls, int(x), int(y), int(w), int(h), text)


def parse_rect(value):
    """"L,T,W,H" (or "W,H") as a tuple of ints."""
    return tuple(int(v) for v in value.split(","))


def wait_until(predicate, timeout=30.0, interval=0.1, message="condition"):
    """Polls predicate until it returns something true; returns that. The timeout only turns a
    hang into a failure: it is generous, and no test's outcome depends on it."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for {message}")
        time.sleep(interval)


def screenshot(name, which="main"):
    """Saves the screen rectangle of the main window (or "about", "root", "main-client",
    "about-client") as ARTIFACTS_DIR/<name>.png; returns the path. Keeps the BMP when
    ImageMagick's convert is missing."""
    folder = artifacts_dir()
    bmp = os.path.join(folder, f"{name}.bmp")
    png = os.path.join(folder, f"{name}.png")
    probe("screenshot", winpath(bmp), which)
    if shutil.which("convert") is None:
        return bmp
    subprocess.run(["convert", bmp, png], check=True, stdin=subprocess.DEVNULL)
    os.remove(bmp)
    return png


# The code page of the Wine prefix the tests run in (LC_ALL=ja_JP.UTF-8 gives 932).
CODE_PAGE = os.environ.get("KESTROVA_CODE_PAGE", "cp932")


def decode_ini(data):
    """The text of settings file bytes as the program reads them: by their byte-order mark
    (UTF-16LE, UTF-8), as UTF-8 without one when they are well-formed UTF-8 (Notepad's, which a
    close without a change leaves as it is), or else in the prefix's code page (where bytes
    that are no text there, as in a damaged file, read as U+FFFD)."""
    if data.startswith(b"\xff\xfe"):
        return data[2:].decode("utf-16-le")
    if data.startswith(b"\xef\xbb\xbf"):
        return data[3:].decode("utf-8")
    try:
        return data.decode("utf-8")
    except UnicodeDecodeError:
        return data.decode(CODE_PAGE, "replace")


def read_ini(path):
    """The text of a settings file."""
    with open(path, "rb") as f:
        return decode_ini(f.read())


# ---- settings of the Wine prefix ------------------------------------------------------------

_DESKTOP_KEY = r"HKCU\Control Panel\Desktop"


@contextlib.contextmanager
def dpi(value):
    """Programs started inside the block see value DPI; the setting is removed afterwards
    (always), which returns the prefix to 96 DPI."""
    _prepare_wine()
    quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                 env=_wine_env())
    try:
        subprocess.run(["wine", "reg", "add", _DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD",
                        "/d", str(int(value)), "/f"], check=True, timeout=60, **quiet)
        yield value
    finally:
        subprocess.run(["wine", "reg", "delete", _DESKTOP_KEY, "/v", "LogPixels", "/f"],
                       check=False, timeout=60, **quiet)


# ---- the program ----------------------------------------------------------------------------

class Kestrova:
    """Kestrova.exe copied into a fresh directory (named dir_name inside a fresh one, when
    given; its settings file Kestrova.ini lives beside it), optionally with a settings text
    written there first, started with `wine`. The per-user settings file of the prefix is
    removed before and after, unless keep_user_settings.

    Arguments that are absolute Linux paths are passed as Windows paths. With wait=True the
    context waits for the main window and its list. Leaving the context closes the program
    (WM_CLOSE; `wine taskkill /f` only if it does not end in time); close() returns the exit
    code, also kept in exit_code; both are None (and killed is True) when it had to be killed.
    The directory is removed on leaving the context: read the settings after close() inside it.
    """

    def __init__(self, *args, ini=None, env=None, wait=True, start_timeout=60.0,
                 close_timeout=60.0, keep_dir=False, dir_name=None, keep_user_settings=False,
                 parent=None):
        self.args = list(args)
        self.ini = ini
        self.env = env
        self.wait = wait
        self.start_timeout = start_timeout
        self.close_timeout = close_timeout
        self.keep_dir = keep_dir
        self.dir_name = dir_name
        self.keep_user_settings = keep_user_settings
        self.parent = parent
        self.base = None
        self.dir = None
        self.exe = None
        self.ini_path = None
        self.proc = None
        self.exit_code = None
        self.killed = False
        self.hwnd = None
        self._log = None

    # -- starting

    def __enter__(self):
        _prepare_wine()
        if not self.keep_user_settings:
            forget_user_settings()
        if self.parent:
            os.makedirs(self.parent, exist_ok=True)
        self.base = self.dir = tempfile.mkdtemp(prefix="kestrova-e2e-", dir=self.parent)
        if self.dir_name:
            self.dir = os.path.join(self.base, self.dir_name)
            os.makedirs(self.dir)
        self.exe = os.path.join(self.dir, "Kestrova.exe")
        shutil.copy2(env_path("KESTROVA_EXE"), self.exe)
        self.ini_path = os.path.join(self.dir, "Kestrova.ini")
        if self.ini is not None:
            self.write_ini(self.ini)
        wargs = [winpath(a) if isinstance(a, str) and os.path.isabs(a) else str(a)
                 for a in self.args]
        self._log = open(os.path.join(self.dir, "wine-output.log"), "wb")
        try:
            self.proc = subprocess.Popen(["wine", self.exe, *wargs], cwd=self.dir,
                                         stdin=subprocess.DEVNULL, stdout=self._log,
                                         stderr=subprocess.STDOUT, env=_wine_env(self.env))
            if self.wait:
                self.wait_ready()
        except BaseException:
            self._shutdown()
            raise
        return self

    def wait_ready(self, timeout=None):
        """Waits for the main window and its list; returns the probe's answer (hwnd=, pid=)."""
        timeout = self.start_timeout if timeout is None else timeout
        deadline = time.monotonic() + timeout
        while True:
            # Short waits, so a program that ends early is noticed at once.
            try:
                values = probe("wait", timeout_ms=1000)
                break
            except ProbeError as e:
                code = self.proc.poll()
                if code is None and time.monotonic() < deadline:
                    continue
                status = "still running" if code is None else f"ended with exit code {code}"
                raise AssertionError(f"Kestrova's main window did not appear ({status}): {e}\n"
                                     f"{self.output()}") from None
        self.hwnd = values.get("hwnd")
        return values

    def start_again(self, *args, cwd=None, timeout=60.0):
        """Starts the same Kestrova.exe once more with args (absolute Linux paths become Windows
        paths), from cwd (default: its folder), as Send To or a drop on its icon does; returns
        the exit code once that process has ended."""
        wargs = [winpath(a) if isinstance(a, str) and os.path.isabs(a) else str(a) for a in args]
        result = subprocess.run(["wine", self.exe, *wargs], cwd=cwd or self.dir,
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, env=_wine_env(self.env),
                                timeout=timeout)
        return result.returncode

    def write_ini(self, text):
        """Writes the settings file: text (CR LF line ends, the prefix's code page) or raw
        bytes."""
        if isinstance(text, str):
            text = text.replace("\r\n", "\n").replace("\n", "\r\n").encode(CODE_PAGE)
        with open(self.ini_path, "wb") as f:
            f.write(text)

    def read_ini(self):
        return read_ini(self.ini_path)

    def path(self, *parts):
        """A path inside the program's directory."""
        return os.path.join(self.dir, *parts)

    def output(self):
        """What Wine and the program wrote to stdout and stderr so far."""
        try:
            with open(os.path.join(self.dir, "wine-output.log"), "rb") as f:
                return f.read().decode("utf-8", "replace")
        except OSError:
            return ""

    def running(self):
        return self.proc is not None and self.proc.poll() is None

    def wait_exit(self, timeout):
        """The exit code once the program has ended within timeout seconds, else None."""
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    # -- ending

    def close(self):
        """Posts WM_CLOSE to the main window, waits for the program to end and returns its exit
        code; kills it with `wine taskkill /f /im` when it does not end within close_timeout."""
        if self.proc is None:
            return self.exit_code
        if self.proc.poll() is None:
            # Posted again every few seconds: a request that the probe could not deliver (the
            # window busy or not found at that moment) must not look like a program that hangs.
            deadline = time.monotonic() + self.close_timeout
            while self.proc.poll() is None and time.monotonic() < deadline:
                probe("post-close", "main", timeout_ms=2000, check=False)
                self.wait_exit(min(4.0, max(0.1, deadline - time.monotonic())))
            if self.proc.poll() is None:
                self._kill()
        # Wine's taskkill /f ends a program with exit code 0: a killed program has none.
        self.exit_code = None if self.killed else self.proc.returncode
        return self.exit_code

    def _kill(self):
        self.killed = True
        subprocess.run(["wine", "taskkill", "/f", "/im", "Kestrova.exe"], stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=_wine_env(),
                       check=False, timeout=60)
        if self.wait_exit(10) is None:
            self.proc.kill()
            self.proc.wait(10)

    def _shutdown(self):
        try:
            if self.proc is not None and self.proc.poll() is None:
                self.close()
            elif self.proc is not None and not self.killed:
                self.exit_code = self.proc.returncode
        finally:
            if self._log:
                self._log.close()
                self._log = None

    def __exit__(self, exc_type, exc, tb):
        self._shutdown()
        if not self.keep_user_settings:
            forget_user_settings()
        if self.base and not self.keep_dir:
            shutil.rmtree(self.base, ignore_errors=True)
        return False


# ---- the result list and batches ------------------------------------------------------------

DONE_CAPTION = "完了."


def list_items(state):
    """The result list's lines of a state, in order."""
    return [state[f"list.item.{i}"] for i in range(int(state.get("list.count", "0")))]


def wait_batch(count, timeout=60.0, interval=0.1):
    """Waits until the list holds count lines and the caption says the batch is done; returns
    that state. A batch ends with the caption "完了." after its last line."""
    last = {}

    def done():
        nonlocal last
        last = probe("state")
        return last if (int(last.get("list.count", "-1")) == count
                        and last.get("caption") == DONE_CAPTION) else None

    try:
        return wait_until(done, timeout=timeout, interval=interval,
                          message=f"{count} result lines and the caption {DONE_CAPTION!r}")
    except AssertionError as e:
        raise AssertionError(f"{e}; last seen: caption {last.get('caption')!r}, "
                             f"lines {list_items(last) if last else None}") from None


def archiver_runs(path):
    """The stand-in archiver's log: the command line of each run (UTF-8), in order."""
    if not os.path.exists(path):
        return []
    with open(path, "rb") as f:
        return f.read().decode("utf-8").splitlines()


def wait_runs(log, count, timeout=60.0):
    """Waits until the stand-in archiver has logged count starts (it logs first thing, so a
    run held by Hold is known to be going on); returns the log's lines."""
    return wait_until(lambda: (lambda runs: runs if len(runs) >= count else None)(
        archiver_runs(log)), timeout=timeout, interval=0.05, message=f"{count} archiver runs")


class Hold:
    """Keeps every run of the stand-in archiver with "--hold" in its profile going (after it
    has logged its start) until release(), or the end of the block: a test knows a job is
    running for as long as it needs, whatever the machine's load.

        with Hold(log) as hold:   # before the program starts
            wait_runs(log, 1)
            ...                   # the job is running
            hold.release()
    """

    def __init__(self, log):
        self.path = log + ".hold"
        with open(self.path, "wb") as f:
            f.write(b"hold")

    def release(self):
        with contextlib.suppress(FileNotFoundError):
            os.remove(self.path)

    def __enter__(self):
        return self

    def __exit__(self, exc_type, exc, tb):
        self.release()
        return False


def client_origin(state):
    """Screen position of the main window's client area, from the window and client sizes of a
    state (the frame is as wide on the left, right and bottom; the caption adds to the top)."""
    x, y, w, h = parse_rect(state["window"])
    cw, ch = parse_rect(state["client"])
    border = (w - cw) // 2
    return x + border, y + h - border - ch


# ---- real desktop drops -----------------------------------------------------------------------

class DragSource:
    """tests/e2e/drag_source.py (GTK 3, system Python) as a drag source on the X display: a
    small window offering paths as text/uri-list. drop() drags it with xdotool's pointer onto a
    screen point, the way a user drags files from a file manager, and waits for the drag to end.

        with DragSource(at=(10, 10)) as source:
            source.drop([folder_a, folder_b], x, y)   # the lines the source wrote
    """

    PYTHON = "/usr/bin/python3"  # the one with python3-gi

    def __init__(self, at=(10, 10), timeout=15.0):
        self.at = at
        self.timeout = timeout
        self.proc = None
        self.rect = None
        self._lines = None
        self._err = None

    def __enter__(self):
        import queue
        import threading
        script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "drag_source.py")
        self._err = tempfile.TemporaryFile()  # GTK's warnings, kept for a failure's message
        self.proc = subprocess.Popen([self.PYTHON, script, "--at", f"{self.at[0]},{self.at[1]}"],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=self._err, env=dict(os.environ))
        self._lines = queue.Queue()

        def read():
            for raw in self.proc.stdout:
                self._lines.put(raw.decode("utf-8", "replace").strip())
            self._lines.put(None)

        threading.Thread(target=read, daemon=True).start()
        try:
            line = self._expect("ready")
            self.rect = parse_rect(line.split(" ", 1)[1])
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def _next(self, deadline):
        import queue
        left = deadline - time.monotonic()
        try:
            line = self._lines.get(timeout=max(left, 0.01))
        except queue.Empty:
            raise AssertionError(f"drag source: no answer within {self.timeout} s") from None
        if line is None:
            self._err.seek(0)
            err = self._err.read().decode("utf-8", "replace")
            raise AssertionError(f"drag source ended (exit code {self.proc.wait(5)}): {err}")
        return line

    def _expect(self, word):
        deadline = time.monotonic() + self.timeout
        while True:
            line = self._next(deadline)
            if line.split(" ", 1)[0] == word:
                return line

    def offer(self, paths):
        import json
        self.proc.stdin.write((json.dumps([os.path.abspath(p) for p in paths]) + "\n").encode())
        self.proc.stdin.flush()
        self._expect("offer")

    def drop(self, paths, x, y):
        """Offers paths, drags from the source's centre to the screen point (x, y) and releases
        the button there; returns the source's lines up to the drag's end ("sent N" when the
        target took the data, "failed ..." when it did not)."""
        self.offer(paths)
        sx = self.rect[0] + self.rect[2] // 2
        sy = self.rect[1] + self.rect[3] // 2
        # A drag needs the button held through a few moves with short pauses; one jump to the
        # target is not taken as a drag.
        steps = [(sx + 10, sy + 10), ((sx + x) // 2, (sy + y) // 2), (x - 5, y - 5), (x, y)]
        cmd = ["xdotool", "mousemove", str(sx), str(sy), "sleep", "0.05", "mousedown", "1"]
        for px, py in steps:
            cmd += ["sleep", "0.05", "mousemove", str(px), str(py)]
        cmd += ["sleep", "0.05", "mouseup", "1"]
        subprocess.run(cmd, check=True, stdin=subprocess.DEVNULL, timeout=30)
        deadline = time.monotonic() + self.timeout
        lines = []
        while True:
            line = self._next(deadline)
            lines.append(line)
            if line == "end":
                return lines

    def __exit__(self, exc_type, exc, tb):
        if self.proc is None:
            return False
        try:
            self.proc.stdin.close()
        except OSError:
            pass
        try:
            self.proc.wait(5)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait(5)
        self.proc.stdout.close()
        self._err.close()
        return False
