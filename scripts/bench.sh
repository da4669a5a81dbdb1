#!/usr/bin/env bash
# Reruns every benchmark figure and rewrites the figures in bench/REPORT.md: builds the release
# Kestrova.exe, the stand-in archiver and the bench helpers in their own tree, starts a display
# and a Wine prefix of the bench's own, and runs bench/run.py (about 10 minutes).
#   BENCH_BUILD_DIR   build tree (default build/bench)
#   BENCH_WINEPREFIX  Wine prefix (default BUILD/wineprefix); the bench turns Wine's theme off
#                     and on again in it, so it is never the prefix the tests use
#   BENCH_RUNS        runs per figure (default 5)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if ! grep -q '^add_subdirectory(bench)' cmake/windows.cmake; then
  echo "bench: cmake/windows.cmake does not add the bench/ directory (add_subdirectory(bench))" >&2
  exit 1
fi

build=${BENCH_BUILD_DIR:-$root/build/bench}
cmake -S . -B "$build" -G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target Kestrova fakerar bench_driver bench_floor \
      bench_minwin bench_minwin_v6 bench_minwin_controls bench_listbox

export KESTROVA_WINEPREFIX=${BENCH_WINEPREFIX:-$build/wineprefix}
source scripts/wine-env.sh
kestrova_start_display
trap kestrova_stop_all EXIT
kestrova_start_wine

python3 bench/run.py --build "$build" --work "$build/run" --report bench/REPORT.md \
        --runs "${BENCH_RUNS:-5}" "$@"
