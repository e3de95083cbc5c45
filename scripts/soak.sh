#!/usr/bin/env bash
# The soak benchmark: the program through SOAK_CYCLES cycles of a day's use
# under Wine (bench/soak/soak_bench.py), ending with BENCH lines of growth,
# and whose heap memory outlives a cycle (bench/soak/heap_trace.py).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/e2e-env.sh
. "$root/scripts/e2e-env.sh"
# The display and the wineserver end on every path, a failed start included.
trap e2e_session_stop EXIT
if ! e2e_session_start; then
  echo "!! could not start the Wine session for the soak benchmark" >&2
  exit 1
fi
PELLUCORDA_BUILD="$root/build" SOAK_CYCLES="${SOAK_CYCLES:-5000}" python3 "$root/bench/soak/soak_bench.py"
# Then whose heap memory outlives a cycle, under Wine's relay log (a few
# minutes); SOAK_HEAP_TRACE=0 leaves it out.
if [ "${SOAK_HEAP_TRACE:-1}" != 0 ]; then
  PELLUCORDA_BUILD="$root/build" python3 "$root/bench/soak/heap_trace.py"
fi
