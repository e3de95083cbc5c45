#!/usr/bin/env bash
# Runs the benchmarks and ends with one line per figure: BENCH <name> <value> <unit>.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$root/build/native/bench/pellucorda_bench" --benchmark_min_time=0.5 \
  --benchmark_format=console --benchmark_out="$out" --benchmark_out_format=json
python3 - "$out" <<'PY'
import json, sys
data = json.load(open(sys.argv[1]))
for b in data["benchmarks"]:
    if b.get("run_type") == "aggregate":
        continue
    # Each benchmark names its summary figure in its label: "<name> <unit>".
    label = b.get("label", "")
    if len(label.split()) != 2:
        continue
    fig, unit = label.split()
    if unit == "MB/s":
        value = b["bytes_per_second"] / 1e6
    elif unit == "us":
        t = b["real_time"]
        scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[b["time_unit"]]
        value = t * scale
    else:
        continue
    print(f"BENCH {fig} {value:.2f} {unit}")
PY

# Under Wine: start-up to the Login dialog against the floor, resident memory,
# and login to the list window.
if [ -f "$root/build/dist/pellucorda.exe" ]; then
  # shellcheck source=scripts/e2e-env.sh
  . "$root/scripts/e2e-env.sh"
  # The display and the wineserver end on every path, a failed start included.
  trap 'rm -f "$out"; e2e_session_stop' EXIT
  if e2e_session_start; then
    PELLUCORDA_BUILD="$root/build" python3 "$root/tests/e2e/startup_bench.py" || echo "!! the start-up benchmark failed" >&2
  else
    echo "!! could not start the Wine session for the start-up benchmark" >&2
  fi
fi
