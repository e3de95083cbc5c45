#!/usr/bin/env bash
# Runs every fuzz target for FUZZ_SECONDS, starting from its seed corpus and
# keeping what it finds in build/fuzz/corpus/<name>/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${FUZZ_SECONDS:-60}
status=0
for target in "$root"/build/fuzz/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target" _fuzz)
  work="$root/build/fuzz/corpus/$name"
  mkdir -p "$work"
  echo "== fuzzing $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$root/build/fuzz/" "$work" "$root/fuzz/corpus/$name"; then
    status=1
  fi
done
exit $status
