#!/usr/bin/env python3
"""The include rule of the source tree: dependencies point down, never up or sideways.

    app/ (root: windows, settings)  may include  app/batch, app/desktop and below
    app/batch                       may include  only app/batch of app/, and below
    app/desktop                     may include  only app/desktop of app/, and below
    resources                       may include  controls, toolkit
    controls                        may include  toolkit
    toolkit                         may include  only toolkit

Each offending include is printed as FILE:LINE: includes TARGET; the exit code is 1 when there is
one. Run with a source root (default: the tree this file is in); every run first checks that the
rule refuses an include that points up, in a small tree of its own.
"""
import pathlib
import re
import sys
import tempfile

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')

# What each room may include, by the room's prefix: the first matching prefix decides.
ROOMS = [
    ("app/batch/", ("app/batch/", "resources/", "controls/", "toolkit/")),
    ("app/desktop/", ("app/desktop/", "resources/", "controls/", "toolkit/")),
    ("app/", ("app/", "resources/", "controls/", "toolkit/")),
    ("resources/", ("resources/", "controls/", "toolkit/")),
    ("controls/", ("controls/", "toolkit/")),
    ("toolkit/", ("toolkit/",)),
]


def room_of(path):
    for prefix, allowed in ROOMS:
        if path.startswith(prefix):
            return prefix, allowed
    return None, None


def offences(root):
    found = []
    for file in sorted(root.rglob("*")):
        if file.suffix not in (".h", ".cpp", ".rc"):
            continue
        rel = file.relative_to(root).as_posix()
        prefix, allowed = room_of(rel)
        if prefix is None:
            continue
        for number, line in enumerate(file.read_text(encoding="utf-8").splitlines(), 1):
            match = INCLUDE.match(line)
            if match is None or "/" not in match.group(1):
                continue
            target = match.group(1)
            if not target.startswith(allowed):
                found.append(f"{rel}:{number}: includes {target}")
    return found


def self_test():
    """A tree whose batch room includes the root must be refused, and a clean one passed."""
    with tempfile.TemporaryDirectory() as temp:
        root = pathlib.Path(temp)
        (root / "app/batch").mkdir(parents=True)
        (root / "app/desktop").mkdir(parents=True)
        (root / "app/Main.h").write_text('#include "app/batch/Job.h"\n#include "app/desktop/Shell.h"\n')
        (root / "app/batch/Job.h").write_text('#include "toolkit/Win.h"\n')
        (root / "app/desktop/Shell.h").write_text('#include "app/desktop/Other.h"\n')
        if offences(root):
            return ["a clean tree was refused"]
        (root / "app/batch/Job.h").write_text('#include "app/Main.h"\n')
        (root / "app/desktop/Shell.h").write_text('#include "app/batch/Job.h"\n')
        got = offences(root)
        want = ["app/batch/Job.h:1: includes app/Main.h", "app/desktop/Shell.h:1: includes app/batch/Job.h"]
        return [] if got == want else [f"self-test: expected {want}, got {got}"]


def main():
    problems = self_test()
    root = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parents[2]
    problems += offences(root)
    for problem in problems:
        print(problem)
    if not problems:
        print("every include points down")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
