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
  status=0
  ctest --preset win >"build/win/soak-$run.log" 2>&1 || status=$?
  summary=$(grep -E '^[0-9]+% tests passed' "build/win/soak-$run.log" || echo "no summary")
  echo "   $summary, $((SECONDS - started)) s (log: build/win/soak-$run.log)"
  # ctest lists the failed tests after "The following tests FAILED:", one "  N - name (why)" each.
  while read -r name; do
    echo "   FAILED in run $run: $name"
    failures+=("run $run: $name")
  done < <(sed -n '/^The following tests FAILED:/,$p' "build/win/soak-$run.log" |
           sed -n 's/^[[:space:]]*[0-9][0-9]* - \(.*\)$/\1/p')
  if [ "$status" -ne 0 ] && ! grep -q '^The following tests FAILED:' "build/win/soak-$run.log"; then
    failures+=("run $run: ctest ended with status $status")
  fi
done

if [ ${#failures[@]} -gt 0 ]; then
  echo "soak: ${#failures[@]} failure(s):"
  printf '  %s\n' "${failures[@]}"
  exit 1
fi
echo "soak: every test passed in all $runs runs"
