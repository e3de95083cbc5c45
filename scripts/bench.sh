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
figures = {}
for b in data["benchmarks"]:
    # A repeated benchmark stands by the median of its runs.
    if b.get("run_type") == "aggregate":
        if b.get("aggregate_name") != "median":
            continue
    elif b.get("repetitions", 1) > 1:
        continue
    # Each benchmark names its summary figure in its label: "<name> <unit>".
    label = b.get("label", "")
    if len(label.split()) != 2:
        continue
    fig, unit = label.split()
    if unit == "MB/s":
        value = b["bytes_per_second"] / 1e6
    elif unit in ("us", "ms"):
        t = b["real_time"]
        scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[b["time_unit"]]
        value = t * scale / (1e3 if unit == "ms" else 1.0)
    else:
        continue
    figures[fig] = value
    print(f"BENCH {fig} {value:.2f} {unit}")
if "argon2id_login_ms" in figures and "argon2id_ref_ms" in figures:
    ratio = figures["argon2id_login_ms"] / figures["argon2id_ref_ms"]
    print(f"argon2id ours / libargon2: {ratio:.2f} (target at most 1.3)")
PY

# Under Wine: start-up to the Login dialog against the floor, resident memory,
# login to the list window, and the wake-ups of a program sitting still.
if [ -f "$root/build/dist/pellucorda.exe" ]; then
  # shellcheck source=scripts/e2e-env.sh
  . "$root/scripts/e2e-env.sh"
  # The display and the wineserver end on every path, a failed start included.
  trap 'rm -f "$out"; e2e_session_stop' EXIT
  if e2e_session_start; then
    PELLUCORDA_BUILD="$root/build" python3 "$root/tests/e2e/startup_bench.py" || echo "!! the start-up benchmark failed" >&2
    PELLUCORDA_BUILD="$root/build" python3 "$root/tests/e2e/idle_bench.py" || echo "!! the idle benchmark failed" >&2
  else
    echo "!! could not start the Wine session for the start-up benchmark" >&2
  fi
fi
