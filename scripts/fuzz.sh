#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for FUZZ_SECONDS (default 30) on a
# copy of its committed seed corpus, so the committed corpus never grows. Exits non-zero when
# any target finds a crash, a sanitizer report or a violated property; crashing inputs are
# kept under build/fuzz/artifacts/<target>/.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

seconds=${FUZZ_SECONDS:-30}
targets=(fuzz_ini_integer fuzz_split_command_line fuzz_folder_name fuzz_command_line fuzz_error_text
         fuzz_ini_value fuzz_program_output)

CC=clang-14 CXX=clang++-14 cmake -S . -B build/fuzz -DKESTROVA_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/fuzz --target "${targets[@]}" -j 2

failed=()
summary=()
for target in "${targets[@]}"; do
  work="build/fuzz/run/$target"
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/artifacts"
  cp -R "tests/fuzz/corpus/$target/." "$work/corpus/"
  log="$work/fuzz.log"

  echo "fuzz: $target for ${seconds}s"
  status=0
  "build/fuzz/tests/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
    -timeout=10 -artifact_prefix="$work/artifacts/" "$work/corpus" >"$log" 2>&1 || status=$?

  execs=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | tail -n 1 | grep -Eo '[0-9]+$' || true)
  if [ "$status" -ne 0 ] || [ -z "$execs" ] || grep -qE 'ERROR: (libFuzzer|AddressSanitizer)|runtime error:' "$log"; then
    echo "fuzz: $target FAILED (exit $status); log: $log"
    tail -n 40 "$log"
    failed+=("$target")
    summary+=("$target: FAILED")
  else
    summary+=("$target: ${execs} executions")
  fi
done

echo "fuzz: results"
for line in "${summary[@]}"; do echo "  $line"; done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: findings in ${failed[*]}"
  exit 1
fi
