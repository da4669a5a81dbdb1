#!/usr/bin/env bash
# Runs the win and e2e tiers N times in a row (default 3) while two CPU hogs run beside them,
# as on a shared, busy machine, and prints every failing test with the run it failed in.
# A test that passes alone but fails here waits for time instead of for its event.
#
#   bash scripts/soak.sh [N]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
runs=${1:-3}

bash scripts/setup.sh
cmake --preset win >/dev/null
cmake --build --preset win

source scripts/wine-env.sh
hogs=()
stop_all() {
  for pid in "${hogs[@]}"; do kill "$pid" 2>/dev/null || true; done
  kestrova_stop_all
}
trap stop_all EXIT
kestrova_start_display
kestrova_start_wine
mkdir -p build/win/artifacts

for _ in 1 2; do
  sh -c 'while :; do :; done' &
  hogs+=("$!")
done

failures=()
for run in $(seq 1 "$runs"); do
  echo "== soak run $run of $runs (with ${#hogs[@]} CPU hogs)"
  started=$SECONDS
  ctest --preset win >"build/win/soak-$run.log" 2>&1 || true
  summary=$(grep -E '^[0-9]+% tests passed' "build/win/soak-$run.log" || echo "no summary")
  echo "   $summary, $((SECONDS - started)) s (log: build/win/soak-$run.log)"
  failed="build/win/Testing/Temporary/LastTestsFailed.log"
  if grep -q 'tests failed out of' "build/win/soak-$run.log" && [ -f "$failed" ]; then
    while IFS=: read -r _ name; do
      echo "   FAILED in run $run: $name"
      failures+=("run $run: $name")
    done <"$failed"
  elif [ "$summary" = "no summary" ]; then
    failures+=("run $run: ctest did not finish")
  fi
done

if [ ${#failures[@]} -gt 0 ]; then
  echo "soak: ${#failures[@]} failure(s):"
  printf '  %s\n' "${failures[@]}"
  exit 1
fi
echo "soak: every test passed in all $runs runs"
