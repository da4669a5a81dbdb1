#!/usr/bin/env python3
"""Runs Kestrova's benchmarks under Wine and rewrites the figures in bench/REPORT.md.

Called by scripts/bench.sh, which builds what is needed and provides DISPLAY, WINEPREFIX (the
bench's own prefix) and a running wineserver. Every timed figure is measured side by side with
its floor in the same run, RUNS times (default 5); the report gives the median and the min-max
of each figure and of its ratio to the floor (ratios are taken run by run, then summed up).

    run.py --build BUILD_DIR --work WORK_DIR --report bench/REPORT.md [--runs N]

Standard library only.
"""

import argparse
import datetime
import json
import math
import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
import time

BEGIN = "<!-- bench:figures:begin -->"
END = "<!-- bench:figures:end -->"

FOLDERS = 200
LATENCY_SAMPLES = 200
LATENCY_SPACING_MS = 10
LIST_ADD_LINES = 100_000
LIST_SHOWN_LINES = 200
LIST_DELETE_SIZES = (1_000, 10_000, LIST_ADD_LINES + 1)
THEME_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager"


# ---- running things -------------------------------------------------------------------------

def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wine(args, timeout=900):
    """Runs a Windows program through wine; its stdout lines."""
    proc = subprocess.run(["wine"] + args, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=timeout, check=False)
    out = proc.stdout.decode("utf-8", "replace")
    if proc.returncode != 0:
        sys.stderr.write(out + proc.stderr.decode("utf-8", "replace"))
        raise RuntimeError(f"{args[0]} failed with exit code {proc.returncode}")
    return out.splitlines()


def records(lines, kind):
    """The key=value fields of the output lines of one kind."""
    found = []
    for line in lines:
        words = line.split()
        if words and words[0] == kind:
            found.append(dict(w.split("=", 1) for w in words[1:]))
    return found


def log(message):
    print(f"[bench {time.strftime('%H:%M:%S')}] {message}", flush=True)


# ---- numbers --------------------------------------------------------------------------------

def summary(values):
    values = list(values)
    return {"median": statistics.median(values), "min": min(values), "max": max(values),
            "n": len(values)}


def pct(sorted_values, q):
    """The q-quantile of sorted values, nearest rank."""
    k = math.ceil(q * len(sorted_values)) - 1
    return sorted_values[max(0, min(len(sorted_values) - 1, k))]


def fmt(s, digits=1, unit=""):
    f = f"{{:.{digits}f}}"
    return f"{f.format(s['median'])}{unit} ({f.format(s['min'])}–{f.format(s['max'])})"


# ---- figures --------------------------------------------------------------------------------

def prepare(work, build):
    """Copies of Kestrova with their settings, and the folders of the batches."""
    shutil.rmtree(work, ignore_errors=True)
    fakerar = os.path.join(build, "tools", "fakerar.exe")
    apps = {}
    for name, profile in (("fast", "a"), ("slow", "a --delay=3000")):
        app = os.path.join(work, f"app-{name}")
        os.makedirs(app, exist_ok=True)
        shutil.copy2(os.path.join(build, "Kestrova.exe"), app)
        with open(os.path.join(app, "Kestrova.ini"), "w", newline="") as ini:
            ini.write(f"[Main]\r\nWinRARPath={winpath(fakerar)}\r\nWinRARCommandLine={profile}\r\n")
        apps[name] = os.path.join(app, "Kestrova.exe")
    folders = os.path.join(work, "folders")
    for i in range(FOLDERS):
        os.makedirs(os.path.join(folders, f"d{i:03d}"), exist_ok=True)
    os.makedirs(os.path.join(folders, "one"), exist_ok=True)
    logs = os.path.join(work, "logs")
    os.makedirs(logs, exist_ok=True)
    return apps, fakerar, folders, logs


def startup(driver, apps, bench_dir, runs):
    lines = wine([driver, "startup", str(runs), winpath(apps["fast"]),
                  winpath(os.path.join(bench_dir, "bench_minwin.exe")),
                  winpath(os.path.join(bench_dir, "bench_minwin_v6.exe")),
                  winpath(os.path.join(bench_dir, "bench_minwin_controls.exe"))])
    by_run = {}
    for r in records(lines, "startup"):
        by_run.setdefault(int(r["run"]), {})[r["program"]] = r
    ms = lambda p: [float(v[p]["ms"]) for v in by_run.values()]
    kb = lambda p: [int(v[p]["pagefile_kb"]) for v in by_run.values()]
    ws = lambda p: [int(v[p]["working_set_kb"]) for v in by_run.values()]
    return {
        "kestrova_ms": summary(ms("kestrova")), "minwin_ms": summary(ms("minwin")),
        "minwin_v6_ms": summary(ms("minwin_v6")),
        "minwin_controls_ms": summary(ms("minwin_controls")),
        "ratio": summary(float(v["kestrova"]["ms"]) / float(v["minwin"]["ms"])
                         for v in by_run.values()),
        "ratio_v6": summary(float(v["kestrova"]["ms"]) / float(v["minwin_v6"]["ms"])
                            for v in by_run.values()),
        "ratio_controls": summary(float(v["kestrova"]["ms"]) / float(v["minwin_controls"]["ms"])
                                  for v in by_run.values()),
        "private_kb": summary(kb("kestrova")), "minwin_private_kb": summary(kb("minwin")),
        "minwin_v6_private_kb": summary(kb("minwin_v6")),
        "working_set_kb": summary(ws("kestrova")), "minwin_working_set_kb": summary(ws("minwin")),
        "private_usage_reported": any(int(v["kestrova"]["private_kb"]) for v in by_run.values()),
        "start_retries": len(records(lines, "start_retry")),
    }


def overhead(driver, apps, bench_dir, fakerar, folders, logs, runs, bare=False):
    args = [driver, "overhead", str(runs), winpath(folders), str(FOLDERS), winpath(apps["fast"]),
            winpath(os.path.join(bench_dir, "bench_floor.exe")), winpath(fakerar), "a", ".rar",
            winpath(logs)]
    if bare:
        args.append("bare")
    lines = wine(args, timeout=1800)
    rows = records(lines, "overhead")
    retries = records(lines, "overhead_retry")
    if not all(r["same_command_lines"] == "1" and r["floor_exit"] == "0" for r in rows):
        raise RuntimeError(f"the batches did not run the same {FOLDERS} command lines: {rows}")
    k = [float(r["kestrova_ms"]) for r in rows]
    f = [float(r["floor_ms"]) for r in rows]
    result = {
        "kestrova_ms": summary(k), "floor_ms": summary(f),
        "ratio": summary(a / b for a, b in zip(k, f)),
        "extra_per_folder_ms": summary((a - b) / FOLDERS for a, b in zip(k, f)),
        "floor_per_folder_ms": summary(b / FOLDERS for b in f),
        "close_ms": summary(float(r["kestrova_close_ms"]) for r in rows),
        "retries": len(retries),
        "start_retries": len(records(lines, "start_retry")),
    }
    if not bare:
        w = [float(r["floor_window_ms"]) for r in rows]
        result.update({
            "floor_window_ms": summary(w),
            "ratio_window": summary(a / b for a, b in zip(k, w)),
            "window_extra_per_folder_ms": summary((b - a) / FOLDERS for a, b in zip(f, w)),
        })
    return result


def set_theme(active):
    subprocess.run(["wine", "reg", "add", THEME_KEY, "/v", "ThemeActive", "/t", "REG_SZ", "/d",
                    "1" if active else "0", "/f"], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True, timeout=120)


def latency(driver, apps, folders, runs):
    lines = wine([driver, "latency", str(runs), str(LATENCY_SAMPLES), str(LATENCY_SPACING_MS),
                  winpath(apps["slow"]), winpath(os.path.join(folders, "one"))])
    per = {"job": [], "idle": []}
    pooled = {"job": [], "idle": []}
    timeouts = 0
    for r in records(lines, "latency"):
        samples = sorted(float(x) for x in r["samples"].split(",") if x)
        timeouts += int(r["timeouts"])
        per[r["phase"]].append({"p50": pct(samples, 0.50), "p99": pct(samples, 0.99),
                                "max": samples[-1], "n": len(samples)})
        pooled[r["phase"]].extend(samples)
    out = {"timeouts": timeouts, "start_retries": len(records(lines, "start_retry"))}
    for phase in ("job", "idle"):
        out[phase] = {key: summary(p[key] for p in per[phase]) for key in ("p50", "p99", "max")}
        out[phase]["samples"] = summary(p["n"] for p in per[phase])
        s = sorted(pooled[phase])
        out[phase]["pooled"] = {"n": len(s), "p50": pct(s, 0.5), "p99": pct(s, 0.99), "max": s[-1]}
    out["p99_ratio"] = summary(j["p99"] / i["p99"] for j, i in zip(per["job"], per["idle"]))
    out["p50_ratio"] = summary(j["p50"] / i["p50"] for j, i in zip(per["job"], per["idle"]))
    return out


def listbox(bench_dir, runs):
    lines = wine([os.path.join(bench_dir, "bench_listbox.exe"), str(LIST_ADD_LINES),
                  str(LIST_SHOWN_LINES), str(runs)] + [str(s) for s in LIST_DELETE_SIZES],
                 timeout=1800)
    out = {"costs": {}}  # microseconds per request, by request and list
    for r in records(lines, "list_cost"):
        out["costs"].setdefault(r["request"], {})[r["list"]] = float(r["us"])
    for kind in ("list_add", "list_add_shown"):
        rows = records(lines, kind)
        p = [float(r["plain_ms"]) for r in rows]
        e = [float(r["ex_ms"]) for r in rows]
        x = [float(r["extent_ms"]) for r in rows]
        out[kind] = {"lines": int(rows[0]["lines"]), "plain_ms": summary(p), "ex_ms": summary(e),
                     "extent_ms": summary(x), "ratio": summary(a / b for a, b in zip(e, p)),
                     "ratio_extent": summary(a / b for a, b in zip(e, x)),
                     "extra_us_per_line": summary((a - b) * 1000 / int(rows[0]["lines"])
                                                  for a, b in zip(e, p))}
    out["delete"] = []
    for size in LIST_DELETE_SIZES:
        rows = [r for r in records(lines, "list_delete") if int(r["size"]) == size]
        if not all(int(r["widest_after_px"]) < int(r["widest_before_px"]) for r in rows):
            raise RuntimeError(f"deleting the widest line did not lower the extent: {rows}")
        e = [float(r["ex_ms"]) for r in rows]
        p = [float(r["plain_ms"]) for r in rows]
        entry = {"size": size, "ex_ms": summary(e), "plain_ms": summary(p),
                 "rescan_us_per_line": summary((a - b) * 1000 / (size - 1) for a, b in zip(e, p))}
        if "one_dc_rescan_ms" in rows[0]:
            entry["one_dc_ms"] = summary(float(r["one_dc_rescan_ms"]) for r in rows)
        out["delete"].append(entry)
    return out


# ---- size -----------------------------------------------------------------------------------

def sections(objdump, exe):
    """Raw (file) sizes of the sections of a PE file."""
    out = subprocess.run([objdump, "-h", exe], capture_output=True, text=True, check=True).stdout
    sizes = {}
    for line in out.splitlines():
        m = re.match(r"\s*\d+\s+(\S+)\s+([0-9a-f]+)\s", line)
        if m:
            sizes[m.group(1)] = int(m.group(2), 16)
    return sizes


def imports(objdump, exe):
    out = subprocess.run([objdump, "-p", exe], capture_output=True, text=True, check=True).stdout
    return re.findall(r"DLL Name: (\S+)", out)


def origin(path):
    if "libkestrova_" in path or "CMakeFiles/Kestrova.dir" in path or "objects.a" in path:
        return "Kestrova's own code"
    for key, name in (("libstdc++", "libstdc++"), ("libpthread", "winpthread"),
                      ("libwinpthread", "winpthread"), ("libgcc", "libgcc"),
                      ("libmingwex", "MinGW runtime"), ("libmingw32", "MinGW runtime"),
                      ("libmsvcrt", "MinGW runtime"), ("crt", "MinGW runtime")):
        if key in path:
            return name
    return "other"


def map_attribution(map_file):
    """Bytes of .text, .rdata and unwind tables (.pdata, .xdata) by where they came from, and the
    largest library members."""
    text = open(map_file, errors="replace").read().split("\n")
    # The memory map starts with the output section .text; the discarded sections come before.
    start = next(i for i, l in enumerate(text) if re.match(r"^\.text\s", l))
    by = {}
    members = {}
    section = None
    pending = None
    entry = re.compile(r"^ (\S+)?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$")
    for line in text[start:]:
        m = re.match(r"^(\.\S+)\s", line)
        if m and not line.startswith(" "):
            section = m.group(1)
        m = re.match(r"^ (\.\S+)\s*$", line)
        if m:
            pending = m.group(1)
            continue
        m = entry.match(line)
        if not m or section not in (".text", ".rdata", ".pdata", ".xdata", ".data"):
            continue
        pending = None
        size = int(m.group(3), 16)
        if size == 0:
            continue
        path = m.group(4).strip()
        kind = {".pdata": "unwind", ".xdata": "unwind"}.get(section, section)
        who = origin(path)
        by.setdefault(who, {}).setdefault(kind, 0)
        by[who][kind] += size
        mm = re.search(r"([^/]+\.a)\(([^)]+)\)", path)
        if mm and who != "Kestrova's own code" and section == ".text":
            key = f"{mm.group(1)}({mm.group(2)})"
            members[key] = members.get(key, 0) + size
    top = sorted(members.items(), key=lambda kv: -kv[1])[:8]
    return by, top


def size(build, work):
    objdump = shutil.which("x86_64-w64-mingw32-objdump")
    exe = os.path.join(build, "Kestrova.exe")
    out = {"bytes": os.path.getsize(exe), "imports": imports(objdump, exe),
           "sections": sections(objdump, exe)}
    # The same objects linked again: with a map and symbols, and with libstdc++'s own
    # terminate handler, to show what the link options keep out.
    link = open(os.path.join(build, "CMakeFiles", "Kestrova.dir", "link.txt")).read().splitlines()
    command = next(l for l in link if "g++" in l)
    size_dir = os.path.join(work, "size")
    os.makedirs(size_dir, exist_ok=True)
    map_file = os.path.join(size_dir, "Kestrova.map")
    implib = os.path.join(size_dir, "unused.dll.a")

    def relink(output, extra, drop):
        words = command.split(" ")
        words = [w for w in words if w not in drop]
        line = " ".join(words).replace("-o Kestrova.exe", f"-o {output}").replace(
            "--out-implib,libKestrova.dll.a", f"--out-implib,{implib}")
        subprocess.run(line + " " + extra, shell=True, cwd=build, check=True)

    mapped = os.path.join(size_dir, "Kestrova-symbols.exe")
    relink(mapped, f"-Wl,-Map={map_file}", {"-s"})
    verbose = os.path.join(size_dir, "Kestrova-verbose-terminate.exe")
    relink(verbose, "", {w for w in command.split(" ") if "verbose_terminate_handler" in w})
    out["bytes_with_verbose_terminate"] = os.path.getsize(verbose)
    out["by_origin"], out["top_members"] = map_attribution(map_file)
    return out


# ---- the report -----------------------------------------------------------------------------

def machine():
    cpu = "unknown"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    wine_version = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout
    return {"nproc": os.cpu_count(), "cpu": cpu, "wine": wine_version.strip(),
            "kernel": platform.release(),
            "date": datetime.datetime.now().astimezone().strftime("%Y-%m-%d %H:%M %Z")}


def loadavg():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def render(r):
    m = r["machine"]
    s = r["startup"]
    o = r["overhead"]
    u = r["overhead_unthemed"]
    lat = r["latency"]
    lb = r["listbox"]
    z = r["size"]
    ok = lambda good: "met" if good else "**missed**"
    lines = []
    add = lines.append
    add(f"Measured {m['date']} on {m['nproc']} × {m['cpu']} (Linux {m['kernel']}), {m['wine']}, "
        f"Xvfb without a window manager; {r['runs']} runs of each figure, median (min–max). "
        f"Load average {r['load_before']} before, {r['load_after']} after; the whole run took "
        f"{r['seconds'] / 60:.1f} min. Rerun: `bash scripts/bench.sh`.")
    add("")
    add("| Figure | Kestrova | Floor | Ratio | Target |")
    add("|---|---|---|---|---|")
    add(f"| 1. Batch of {FOLDERS} folders, start to \"完了.\" with {FOLDERS} lines | "
        f"{fmt(s_ms(o['kestrova_ms']))} s | {fmt(s_ms(o['floor_ms']))} s (bare start+wait loop) | "
        f"{fmt(o['ratio'], 2)} | ≤ 1.25: {ok(o['ratio']['median'] <= 1.25)} |")
    add(f"| 2. WM_NULL round trip during a job, p99 | {fmt(lat['job']['p99'], 2)} ms | "
        f"{fmt(lat['idle']['p99'], 2)} ms (same window idle) | {fmt(lat['p99_ratio'], 2)} | "
        f"≤ 20 ms: {ok(lat['job']['p99']['median'] <= 20)} |")
    add(f"| 2. … p50 | {fmt(lat['job']['p50'], 2)} ms | {fmt(lat['idle']['p50'], 2)} ms | "
        f"{fmt(lat['p50_ratio'], 2)} | |")
    add(f"| 3. Start to main window painted | {fmt(s['kestrova_ms'])} ms | "
        f"{fmt(s['minwin_ms'])} ms (empty window, same size) | {fmt(s['ratio'], 2)} | "
        f"|")
    add(f"| 3. … against the same native controls made directly | {fmt(s['kestrova_ms'])} ms | "
        f"{fmt(s['minwin_controls_ms'])} ms (`bench_minwin_controls`) | "
        f"{fmt(s['ratio_controls'], 2)} | ≤ 1.10: {ok(s['ratio_controls']['median'] <= 1.10)} |")
    add(f"| 4. Add {lb['list_add']['lines']:,} lines (list not shown) | "
        f"{fmt(s_ms(lb['list_add']['ex_ms']), 2)} s | {fmt(s_ms(lb['list_add']['plain_ms']), 2)} s "
        f"(plain LISTBOX) | {fmt(lb['list_add']['ratio'], 1)} | ≤ 2: "
        f"{ok(lb['list_add']['ratio']['median'] <= 2)} |")
    add(f"| 4. Add {lb['list_add_shown']['lines']} lines (list shown) | "
        f"{fmt(lb['list_add_shown']['ex_ms'], 0)} ms | {fmt(lb['list_add_shown']['plain_ms'], 0)} ms"
        f" | {fmt(lb['list_add_shown']['ratio'], 2)} | |")
    add(f"| 5. Kestrova.exe, release, stripped | {z['bytes'] / 1024:.1f} KB ({z['bytes']:,} bytes) "
        f"| | | ≤ 300 KB: {ok(z['bytes'] <= 300 * 1024)} |")
    add(f"| 5. Private memory after start-up | {fmt(kb_mb(s['private_kb']), 2)} MB | "
        f"{fmt(kb_mb(s['minwin_private_kb']), 2)} MB (empty window) | "
        f"{s['private_kb']['median'] / s['minwin_private_kb']['median']:.2f} | |")
    add("")

    add("### 1. Per-folder overhead")
    add("")
    add(f"Kestrova is started with {FOLDERS} folder names on its command line and the profile "
        "`a` (the stand-in archiver exits at once). Its time runs from just before "
        "`CreateProcess` in the driver to the moment the driver sees the caption \"完了.\" and "
        f"{FOLDERS} list lines (the caption is read from the window manager's copy, which sends "
        "the program nothing; `LB_GETCOUNT` is asked only when the caption says done). The floor "
        "is `bench_floor.exe`: started the same way, it builds the same command lines with the "
        "program's own `ArchiverCommandLine` and runs `CreateProcess` + `WaitForSingleObject` for "
        "each; its time runs to its exit. The stand-in archiver's logs of each run are compared: "
        f"both ran the same {FOLDERS} command lines, in the same order.")
    add("")
    add("| | Kestrova | Floor | Ratio | Extra per folder | Floor per folder |")
    add("|---|---|---|---|---|---|")
    add(f"| Wine's default theme | {fmt(s_ms(o['kestrova_ms']), 2)} s | {fmt(s_ms(o['floor_ms']), 2)} s "
        f"| {fmt(o['ratio'], 2)} | {fmt(o['extra_per_folder_ms'])} ms | "
        f"{fmt(o['floor_per_folder_ms'])} ms |")
    add(f"| Theme off (`ThemeActive=0`) | {fmt(s_ms(u['kestrova_ms']), 2)} s | "
        f"{fmt(s_ms(u['floor_ms']), 2)} s | {fmt(u['ratio'], 2)} | "
        f"{fmt(u['extra_per_folder_ms'])} ms | {fmt(u['floor_per_folder_ms'])} ms |")
    add(f"| Against the floor with a shown window (`bench_floor --window`) | | "
        f"{fmt(s_ms(o['floor_window_ms']), 2)} s | {fmt(o['ratio_window'], 2)} | "
        f"(the window floor is {fmt(o['window_extra_per_folder_ms'])} ms per folder over the "
        "bare one) | |")
    add("")
    add(f"Runs measured again because an archiver did not start or end cleanly (the driver "
        f"checks every run's logs and exit codes): {o['retries']} with the theme, "
        f"{u['retries']} without.")
    add("")
    add(f"Programs started again because Wine's `CreateProcess` failed to start them (error "
        f"1359 under load; the sample is measured again): {o['start_retries']} and "
        f"{u['start_retries']} in figure 1, {lat['start_retries']} in figure 2, "
        f"{s['start_retries']} in figure 3.")
    add("")
    add(f"Closing Kestrova afterwards (`WM_CLOSE` to process end, settings saved) took "
        f"{fmt(o['close_ms'], 0)} ms; not included in the figure (see below).")
    add("")

    add("### 2. Responsiveness during a job")
    add("")
    add(f"A one-folder batch with the profile `a --delay=3000`: while the caption shows the job, "
        f"the driver sends `WM_NULL` with `SendMessageTimeout` every {LATENCY_SPACING_MS} ms "
        f"({LATENCY_SAMPLES} round trips per run, only those with the busy caption before and "
        "after counted), then as many to the same window idle after the job.")
    add("")
    add("| | p50 ms | p99 ms | max ms | samples per run |")
    add("|---|---|---|---|---|")
    for phase, name in (("job", "During the job"), ("idle", "Idle (floor)")):
        q = lat[phase]
        add(f"| {name} | {fmt(q['p50'], 3)} | {fmt(q['p99'], 3)} | {fmt(q['max'], 2)} | "
            f"{q['samples']['median']:.0f} |")
    add(f"| All runs pooled, during the job | {lat['job']['pooled']['p50']:.3f} | "
        f"{lat['job']['pooled']['p99']:.3f} | {lat['job']['pooled']['max']:.2f} | "
        f"{lat['job']['pooled']['n']} in all |")
    add("")
    add(f"Timeouts (5 s): {lat['timeouts']}.")
    add("")

    add("### 3. Start-up")
    add("")
    add("From just before `CreateProcess` to: the main window visible, its result list present "
        "and visible, and one `WM_NULL` answered. Kestrova, like the floors, ends its show with "
        "`UpdateWindow`, so a window that answers has been painted. Floors: `bench_minwin` "
        "(an empty window of the main window's size, style and background, no manifest) and "
        "`bench_minwin_v6` (the same with Kestrova's manifest and `InitCommonControlsEx`); "
        "`bench_minwin_controls` (that window with the main window's native controls, of the "
        "same sizes, styles and font, made directly with `CreateWindowExW`).")
    add("")
    add("| | Ready, ms | Kestrova ÷ this |")
    add("|---|---|---|")
    add(f"| Kestrova | {fmt(s['kestrova_ms'])} | |")
    add(f"| bench_minwin | {fmt(s['minwin_ms'])} | {fmt(s['ratio'], 2)} |")
    add(f"| bench_minwin_v6 | {fmt(s['minwin_v6_ms'])} | {fmt(s['ratio_v6'], 2)} |")
    add(f"| bench_minwin_controls | {fmt(s['minwin_controls_ms'])} | "
        f"{fmt(s['ratio_controls'], 2)} |")
    add("")

    add("### 4. The result list")
    add("")
    la = lb["list_add"]
    add(f"In-process (`bench_listbox.exe`, linked with kestrova_controls and the program's "
        f"manifest, so both lists are the comctl32 v6 LISTBOX). {la['lines']:,} result lines "
        "(\"[OK] \"/\"[NG] \" and a name, a quarter Japanese) added to a TListBoxEx through its "
        "item collection and to a plain LISTBOX of the same style, font and item height with "
        "`LB_ADDSTRING`; fresh lists each run, order alternating.")
    add("")
    add("| | TListBoxEx | Plain LISTBOX | Ratio | Extra per line | Plain with an extent | Ratio to it |")
    add("|---|---|---|---|---|---|---|")
    add(f"| {la['lines']:,} lines, window not shown | {fmt(la['ex_ms'], 0)} ms | "
        f"{fmt(la['plain_ms'], 0)} ms | {fmt(la['ratio'], 1)} | {fmt(la['extra_us_per_line'])} µs | "
        f"{fmt(la['extent_ms'], 0)} ms | {fmt(la['ratio_extent'], 2)} |")
    ls = lb["list_add_shown"]
    add(f"| {ls['lines']} lines, window shown | {fmt(ls['ex_ms'], 0)} ms | {fmt(ls['plain_ms'], 0)} ms"
        f" | {fmt(ls['ratio'], 2)} | {fmt(ls['extra_us_per_line'], 0)} µs | "
        f"{fmt(ls['extent_ms'], 0)} ms | {fmt(ls['ratio_extent'], 2)} |")
    add("")
    add("Deleting the widest line (in the middle) of a shown list: one rescan of the rest for "
        "TListBoxEx, nothing for the plain list; put back untimed after each run. \"One DC\" is "
        "the same rescan (text length, text, extent per line) done by the bench through one "
        "device context.")
    add("")
    add("| Lines | TListBoxEx delete | Plain delete | Rescan per line | One-DC rescan |")
    add("|---|---|---|---|---|")
    for d in lb["delete"]:
        one = fmt(d["one_dc_ms"], 1) + " ms" if "one_dc_ms" in d else "—"
        add(f"| {d['size']:,} | {fmt(d['ex_ms'], 1)} ms | {fmt(d['plain_ms'], 2)} ms | "
            f"{fmt(d['rescan_us_per_line'], 1)} µs | {one} |")
    dl = lb["delete"]
    growth = [dl[i + 1]["ex_ms"]["median"] / dl[i]["ex_ms"]["median"] for i in range(len(dl) - 1)]
    add("")
    add("Growth of the rescan from size to size: " +
        ", ".join(f"×{g:.1f} for ×{dl[i + 1]['size'] / dl[i]['size']:.0f} lines"
                  for i, g in enumerate(growth)) + " (linear: the cost per line stays put).")
    add("")
    add("What one measurement is made of (µs per call, averaged over 2,000 calls, shown lists):")
    add("")
    add("| Request | Plain LISTBOX | Plain + do-nothing SetWindowSubclass | TListBoxEx |")
    add("|---|---|---|---|")
    cell = lambda v, key: f"{v[key]:.1f}" if key in v else "—"
    for request, v in lb["costs"].items():
        name = request.replace("_x2", " ×2").replace("GetTextWidth", "TListBoxEx::GetTextWidth")
        add(f"| {name} | {cell(v, 'plain')} | {cell(v, 'plain_subclassed')} | {cell(v, 'ex')} |")
    add("")

    add("### 5. Footprint")
    add("")
    add(f"Kestrova.exe (release, stripped): **{z['bytes']:,} bytes ({z['bytes'] / 1024:.1f} KB)**; "
        f"linked with libstdc++'s own terminate handler (the link option left out) it is "
        f"{z['bytes_with_verbose_terminate']:,} bytes "
        f"({z['bytes_with_verbose_terminate'] / 1024:.1f} KB).")
    add("")
    add("Sections (bytes in the file's image): " + ", ".join(
        f"{k} {v:,}" for k, v in z["sections"].items()) + ".")
    add("")
    add("Where the bytes of code, read-only data and unwind tables come from (link map of the "
        "same objects, linked with symbols):")
    add("")
    add("| Origin | .text | .rdata | unwind (.pdata + .xdata) |")
    add("|---|---|---|---|")
    for who, v in sorted(z["by_origin"].items(), key=lambda kv: -kv[1].get(".text", 0)):
        add(f"| {who} | {v.get('.text', 0):,} | {v.get('.rdata', 0):,} | {v.get('unwind', 0):,} |")
    add("")
    add("Largest library members in .text: " + ", ".join(
        f"{name} {n:,}" for name, n in z["top_members"]) + ".")
    add("")
    add("Imports: " + ", ".join(z["imports"]) + " (system DLLs only).")
    add("")
    private_note = ("" if s["private_usage_reported"] else
                    " Wine 8 leaves `PrivateUsage` at 0 for another process; the figure is "
                    "`PagefileUsage`, which Windows defines as the same commit charge.")
    add(f"Private memory 300 ms after start-up (`GetProcessMemoryInfo` on the process the driver "
        f"started): Kestrova {fmt(kb_mb(s['private_kb']), 2)} MB, empty window "
        f"{fmt(kb_mb(s['minwin_private_kb']), 2)} MB, empty window with the manifest "
        f"{fmt(kb_mb(s['minwin_v6_private_kb']), 2)} MB; working set Kestrova "
        f"{fmt(kb_mb(s['working_set_kb']), 1)} MB, empty window "
        f"{fmt(kb_mb(s['minwin_working_set_kb']), 1)} MB.{private_note}")
    return "\n".join(lines)


def s_ms(s):
    return {k: (v / 1000 if k != "n" else v) for k, v in s.items()}


def kb_mb(s):
    return {k: (v / 1024 if k != "n" else v) for k, v in s.items()}


def write_report(path, body):
    text = open(path).read() if os.path.exists(path) else f"# Kestrova benchmarks\n\n{BEGIN}\n{END}\n"
    if BEGIN not in text or END not in text:
        text += f"\n{BEGIN}\n{END}\n"
    head, rest = text.split(BEGIN, 1)
    _, tail = rest.split(END, 1)
    with open(path, "w") as f:
        f.write(f"{head}{BEGIN}\n{body}\n{END}{tail}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--report", required=True)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--quick", action="store_true",
                        help="small sizes, to try the bench itself; not for the report")
    args = parser.parse_args()
    if args.quick:
        global FOLDERS, LATENCY_SAMPLES, LIST_ADD_LINES, LIST_SHOWN_LINES, LIST_DELETE_SIZES
        FOLDERS, LATENCY_SAMPLES, LIST_ADD_LINES, LIST_SHOWN_LINES = 20, 50, 2000, 20
        LIST_DELETE_SIZES = (100, 1000, LIST_ADD_LINES + 1)
    started = time.time()
    build = os.path.abspath(args.build)
    bench_dir = os.path.join(build, "bench")
    driver = os.path.join(bench_dir, "bench_driver.exe")
    runs = args.runs
    r = {"machine": machine(), "runs": runs, "load_before": loadavg()}
    apps, fakerar, folders, logs = prepare(args.work, build)

    log("size and imports")
    r["size"] = size(build, args.work)
    log("start-up")
    r["startup"] = startup(driver, apps, bench_dir, runs)
    log("responsiveness during a job")
    r["latency"] = latency(driver, apps, folders, runs)
    log(f"batch of {FOLDERS} folders")
    r["overhead"] = overhead(driver, apps, bench_dir, fakerar, folders, logs, runs)
    log(f"batch of {FOLDERS} folders with Wine's theme off")
    set_theme(False)
    try:
        r["overhead_unthemed"] = overhead(driver, apps, bench_dir, fakerar, folders, logs, runs,
                                          bare=True)
    finally:
        set_theme(True)
    log("result list")
    r["listbox"] = listbox(bench_dir, runs)
    r["load_after"] = loadavg()
    r["seconds"] = time.time() - started

    with open(os.path.join(args.work, "results.json"), "w") as f:
        json.dump(r, f, indent=1, ensure_ascii=False)
    write_report(args.report, render(r))
    log(f"done in {r['seconds'] / 60:.1f} min; figures written to {args.report}")


if __name__ == "__main__":
    main()
