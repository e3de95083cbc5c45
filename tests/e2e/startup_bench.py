#!/usr/bin/env python3
"""Time from starting pellucorda.exe under Wine to its Login dialog being
shown, on a warm wineserver; prints the median as a BENCH line."""
import statistics
import sys
import time

import harness as h


def main(runs=7):
    times = []
    program = h.Program("startup_bench")
    for _ in range(runs):
        h.clean_registry()
        start = time.monotonic()
        program.start()
        h.wait_until(lambda: h.visible_windows("^Login$"), "the Login dialog", interval=0.01)
        times.append((time.monotonic() - start) * 1000.0)
        h.end_all_programs(program.processes)
    h.clean_registry()
    print("start to Login dialog, %d runs (ms): %s" % (runs, " ".join("%.0f" % t for t in times)))
    print("BENCH startup_to_login %.0f ms" % statistics.median(times))
    return 0


if __name__ == "__main__":
    sys.exit(main())
