#!/usr/bin/env python3
"""A short day of use (the soak benchmark's cycles, a few dozen of them):
every step finds the window it waits for, the program lives through it, and
the counts the benchmark reports come out. Growth is left to the benchmark."""
import os
import sys

import harness as h

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bench", "soak"))
import soak_bench


def short_day(program):
    samples, _ = soak_bench.soak(program, cycles=30, config_every=3, lock_every=5, sample_every=10)
    assert [s["cycle"] for s in samples] == [0, 10, 20, 30], samples
    assert h.live_program_processes(), "the program ended"
    for sample in samples:
        assert sample["rss_kb"] > 1000 and sample["handles"] > 0 and sample["windows"] > 0, sample
        assert sample["gdi"] is None or sample["gdi"] > 0, sample


TESTS = {
    "short_day": short_day,
}

if __name__ == "__main__":
    sys.exit(h.main(TESTS))
