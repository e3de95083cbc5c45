#!/usr/bin/env bash
# Runs every fuzz target (or those named in FUZZ_TARGETS) for FUZZ_SECONDS, one
# after the other, starting from its seed corpus and keeping what it finds in
# build/fuzz/corpus/<name>/. Each run's output goes to build/fuzz/<name>.log; a
# line per target sums it up.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${FUZZ_SECONDS:-60}
status=0
summary=()
for target in "$root"/build/fuzz/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target" _fuzz)
  if [ -n "${FUZZ_TARGETS:-}" ] && ! grep -qw "$name" <<<"$FUZZ_TARGETS"; then continue; fi
  work="$root/build/fuzz/corpus/$name"
  log="$root/build/fuzz/$name.log"
  mkdir -p "$work"
  echo "== fuzzing $name for ${seconds}s"
  finding="no finding"
  if ! "$target" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$root/build/fuzz/$name-" "$work" "$root/fuzz/corpus/$name" 2>&1 | tee "$log"; then
    status=1
    finding="FINDING: $(grep -o 'Test unit written to .*' "$log" | tail -n 1 || true)"
  fi
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  coverage=$(grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+/[0-9]+[a-zA-Z]*' "$log" | tail -n 1 || true)
  summary+=("FUZZ $name: ${rate:-?} exec/s, ${coverage:-no coverage}, $finding")
done
printf '%s\n' "${summary[@]}"
exit $status
