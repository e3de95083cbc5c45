#!/usr/bin/env bash
# The soak benchmark: the program through SOAK_CYCLES cycles of a day's use
# under Wine (bench/soak/soak_bench.py), ending with BENCH lines of growth.
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
