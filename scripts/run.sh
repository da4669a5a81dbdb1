#!/usr/bin/env bash
# Builds Kestrova.exe and archives the folders given (Linux paths), one archive beside each.
# With no folders, a few sample folders are made under build/demo and archived.
#
# The archiver is WinRAR when the Wine prefix has one; otherwise the 7-Zip console from npm,
# set up in the settings file beside the built exe (FileExt ".7z", 7-Zip profiles).
# With a display the window stays open for you; without one it runs under Xvfb, prints the
# result lines as the window shows them (a failed or skipped folder's reason under its line)
# and the archives made, keeps a screenshot
# (build/win/artifacts/run.png) and closes the window.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh
cmake --preset win >/dev/null
cmake --build --preset win --target Kestrova probe

interactive=1
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then interactive=0; unset DISPLAY; fi
source scripts/wine-env.sh
kestrova_start_display
trap kestrova_stop_all EXIT
kestrova_start_wine

winpath() { printf 'Z:%s' "$(realpath -m "$1")" | tr / '\\'; }

folders=("$@")
if [ ${#folders[@]} -eq 0 ]; then
  demo=build/demo
  rm -rf "$demo"
  mkdir -p "$demo/Holiday Photos/day 1" "$demo/写真" "$demo/Reports"
  echo "sunny" > "$demo/Holiday Photos/day 1/notes.txt"
  echo "beach" > "$demo/Holiday Photos/caption.txt"
  echo "桜" > "$demo/写真/memo.txt"
  printf 'Q1\nQ2\n' > "$demo/Reports/summary.txt"
  folders=("$demo/Holiday Photos" "$demo/写真" "$demo/Reports")
fi

exe=build/win/Kestrova.exe
ini=build/win/Kestrova.ini
winrar="$WINEPREFIX/drive_c/Program Files/WinRAR/WinRAR.exe"
ext=".rar"
if [ -f "$winrar" ]; then
  echo "run: archiving with WinRAR"
  [ -f "$ini" ] || printf '[Main]\r\nWinRARPath=C:\\Program Files\\WinRAR\\WinRAR.exe\r\n' > "$ini"
else
  sevenzip=third_party/node_modules/7zip-bin/win/x64/7za.exe
  echo "run: no WinRAR here; archiving with the 7-Zip console ($sevenzip)"
  ext=".7z"
  printf '[Main]\r\nWinRARPath=%s\r\nFileExt=.7z\r\nWinRARCommandLine=a -r -mx=9 -sccUTF-8 -bsp1\r\nWinRARCommandLine2=a -r -mx=0 -sccUTF-8 -bsp1\r\nWinRARCommandLine3=a -r -tzip -sccUTF-8 -bsp1\r\nWinRARCommandLine4=\r\nWinRARCommandLine5=\r\n' \
    "$(winpath "$sevenzip")" > "$ini"
fi

args=()
for f in "${folders[@]}"; do args+=("$(winpath "$f")"); done
wine "$exe" "${args[@]}" &
app=$!

probe() { wine build/win/tools/probe.exe "$@" 2>/dev/null | tr -d '\r'; }
if [ "$interactive" = 1 ]; then
  echo "run: Kestrova is open; close its window to finish"
  wait "$app"
  exit 0
fi

probe --timeout=60000 wait >/dev/null
# The batch is over once the caption reads "完了." again after the last folder.
expected=0
for f in "${folders[@]}"; do [ -d "$f" ] && expected=$((expected + 1)); done
for _ in $(seq 1 600); do
  state=$(probe state || true)
  count=$(sed -n 's/^list.count=//p' <<<"$state")
  caption=$(sed -n 's/^caption=//p' <<<"$state")
  if [ "${count:-0}" -ge "$expected" ] && { [ "$expected" = 0 ] || [ "$caption" = "完了." ]; }; then break; fi
  sleep 0.5
done
echo "run: result list"
# The lines as copied from the list (each with its reason after a tab): a line that has a
# reason gets it printed under it.
{ probe copy || true; } | sed -n 's/^text=//p' | python3 -c '
import sys
text = sys.stdin.read().rstrip("\n")
escapes = {"\\": "\\", "r": "\r", "n": "\n", "t": "\t"}
out, i = [], 0
while i < len(text):
    if text[i] == "\\" and i + 1 < len(text) and text[i + 1] in escapes:
        out.append(escapes[text[i + 1]])
        i += 2
    else:
        out.append(text[i])
        i += 1
for line in "".join(out).split("\r\n"):
    if not line:
        continue
    shown, _, reason = line.partition("\t")
    print("  " + shown)
    if reason:
        print("      " + reason)
'
mkdir -p build/win/artifacts
probe screenshot build/win/artifacts/run.bmp main-client >/dev/null &&
  convert build/win/artifacts/run.bmp build/win/artifacts/run.png && rm -f build/win/artifacts/run.bmp &&
  echo "run: screenshot in build/win/artifacts/run.png"
probe post-close main >/dev/null || true
wait "$app" || true
echo "run: archives"
for f in "${folders[@]}"; do
  [ -d "$f" ] || continue
  if [ -f "$f$ext" ]; then echo "  $f$ext ($(stat -c %s "$f$ext") bytes)"; else echo "  $f$ext: not made"; fi
done
