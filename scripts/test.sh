#!/usr/bin/env bash
# Builds everything and runs every test tier: host (window-free logic, sanitizers), fuzz
# (bounded runs), win (in-process under Wine) and e2e (the real Kestrova.exe under Wine).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh

echo "== host: window-free logic with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset host >/dev/null
cmake --build --preset host
ctest --preset host

if [ -f scripts/fuzz.sh ]; then
  echo "== fuzz: bounded runs of every target"
  FUZZ_SECONDS=${FUZZ_SECONDS:-10} bash scripts/fuzz.sh
fi

echo "== win: Kestrova.exe, its tools and the Wine tests"
cmake --preset win >/dev/null
cmake --build --preset win

source scripts/wine-env.sh
kestrova_start_display
trap kestrova_stop_all EXIT
kestrova_start_wine

mkdir -p build/win/artifacts
ctest --preset win
