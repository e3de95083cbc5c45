#!/usr/bin/env python3
"""A day of use in minutes: the real program under Wine on the end-to-end
session, driven through SOAK_CYCLES cycles by soak_driver.cpp beside it,
and whether it grows meanwhile.

Each cycle shows the list window (the tray icon's message), copies a row's
user name and password (a left and a right click on the row), pages forward
and back, opens the item form (New and Modify in turn) and cancels it, and
hides the list again (the hotkey's message). Every SOAK_CONFIG_EVERY cycles
Config opens, shows each of its pages and is cancelled; every
SOAK_LOCK_EVERY cycles the cycle begins with a lock and a login instead.
Config costs about as much as the rest of a cycle, so it comes every 20th
cycle by default and the lock every 10th: 5,000 cycles then fit in 15
minutes on two shared cores, and still open Config 250 times and log in 500
times. SOAK_SKIP names steps to leave out when looking for what grows (c the
copies, f the item form, p the paging).

The driver stops after every SAMPLE_EVERY cycles; meanwhile this script reads
the program's resident memory (VmRSS of the Linux process that runs it) and
the driver counts its handles, GDI objects and windows. Each figure is the
last sample minus the one after warm-up (the first fifth of the cycles:
the count of GDI objects settles within the first few hundred).
"""
import os
import subprocess
import sys
import time

# The end-to-end tests' harness drives the program here as there.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))

import harness as h
import view_helpers as v
from idle_bench import program_pid

DRIVER = os.path.join(h.BUILD, "win", "bench", "soak", "soak_driver.exe")
# Three pages: paging always changes the rows shown.
ITEMS = [("soak service %02d" % i, "user%02d" % i, "secret-%02d" % i, "https://soak%02d.example.org" % i, "HTTPS")
         for i in range(24)]
# Resident memory moves in steps of about a megabyte either way as Wine maps
# and drops pages; the anonymous part moves only by what is allocated, and
# under Wine 8 also by what its static control keeps of every label
# destroyed: whose that is, bench/soak/heap_trace.py tells.


def resident_kb(pid, field="VmRSS"):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    raise h.Failure("no %s for the program" % field)


def soak(program, cycles, config_every, lock_every, sample_every=None, skip=""):
    """Runs the cycles; returns the samples as dicts (cycle, rss_kb, handles,
    gdi, user, windows; gdi and user None when nothing tells them) and what
    GetGuiResources said, (gdi, user)."""
    sample_every = sample_every or max(1, cycles // 50)
    v.seed(program, ITEMS)
    program.start()
    driver = subprocess.Popen(["wine", DRIVER, str(cycles), str(sample_every), str(config_every), str(lock_every)] +
                              ([skip] if skip else []),
                              env=h.env(), stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              text=True)
    samples, gui, told_handles = [], None, None
    try:
        driver.stdin.write("quillmarsh\n")
        driver.stdin.flush()
        pid = None
        while True:
            line = driver.stdout.readline()
            if not line:
                raise h.Failure("the soak driver ended without a word (status %s)" % driver.wait(timeout=30))
            words = line.split()
            if words[0] == "fail":
                raise h.Failure("the soak driver: waiting for %s" % line[5:].strip())
            if words[0] == "gui":
                gui = (int(words[1]), int(words[2]))
            elif words[0] == "handles":
                told_handles = int(words[1])
            elif words[0] == "ready":
                pid = program_pid()
            elif words[0] == "sample":
                cycle, handles, gdi, user, windows = (int(w) for w in words[1:])
                samples.append({"cycle": cycle, "rss_kb": resident_kb(pid), "anon_kb": resident_kb(pid, "RssAnon"),
                                "handles": handles,
                                "gdi": gdi if gdi >= 0 else None, "user": user if user >= 0 else None,
                                "windows": windows})
                driver.stdin.write("go\n")
                driver.stdin.flush()
            elif words[0] == "times":
                print("soak: milliseconds a step: " + " ".join(words[1:]))
            elif words[0] == "done":
                break
        if driver.wait(timeout=30) != 0:
            raise h.Failure("the soak driver failed")
    finally:
        if driver.poll() is None:
            driver.kill()
            driver.wait(timeout=30)
    return samples, (gui[0], gui[1], told_handles)


def growth(samples, cycles):
    """(sample after warm-up, last sample)."""
    warm = next(s for s in samples if s["cycle"] >= max(1, cycles // 5))
    return warm, samples[-1]


def report(samples, gui, cycles, seconds):
    warm, last = growth(samples, cycles)
    after = [s for s in samples if s["cycle"] >= warm["cycle"]]
    rss = [s["rss_kb"] for s in after]
    steps = [abs(b - a) for a, b in zip(rss, rss[1:])] or [0]
    print("soak: %d cycles in %.0f s (%.0f ms a cycle); GetGuiResources said GDI %d, USER %d; "
          "GetProcessHandleCount said %d" % (cycles, seconds, seconds * 1000.0 / cycles, gui[0], gui[1], gui[2]))
    print("soak: samples (cycle:rss_kb/anon_kb/handles/gdi/windows): " +
          " ".join("%d:%d/%d/%d/%s/%d" % (s["cycle"], s["rss_kb"], s["anon_kb"], s["handles"], s["gdi"],
                                          s["windows"]) for s in samples))
    print("soak: samples after warm-up (cycle %d): RSS %d..%d kB, largest step %d kB; handles %d..%d; "
          "windows %d..%d" % (warm["cycle"], min(rss), max(rss), max(steps),
                              min(s["handles"] for s in after), max(s["handles"] for s in after),
                              min(s["windows"] for s in after), max(s["windows"] for s in after)))
    xs = [s["cycle"] for s in after]
    ys = [s["anon_kb"] for s in after]
    mean_x, mean_y = sum(xs) / len(xs), sum(ys) / len(ys)
    spread = sum((x - mean_x) ** 2 for x in xs)
    slope = sum((x - mean_x) * (y - mean_y) for x, y in zip(xs, ys)) / spread if spread else 0.0
    print("soak: anonymous memory %d -> %d kB, %.0f bytes a cycle (least squares after warm-up)" %
          (warm["anon_kb"], last["anon_kb"], slope * 1024))
    print("BENCH soak_rss_growth_kb %d kB" % (last["rss_kb"] - warm["rss_kb"]))
    print("BENCH soak_anon_growth_kb %d kB" % (last["anon_kb"] - warm["anon_kb"]))
    print("BENCH soak_handle_growth %d handles" % (last["handles"] - warm["handles"]))
    for name, unit in (("gdi", "objects"), ("user", "objects")):
        if last[name] is None or warm[name] is None:
            print("soak: no count of %s objects here" % name.upper())
        else:
            print("BENCH soak_%s_growth %d %s" % (name, last[name] - warm[name], unit))
    print("BENCH soak_window_growth %d windows" % (last["windows"] - warm["windows"]))
    print("soak targets: 0 handles, 0 GDI objects, 0 windows; RSS growth within its noise (this run's largest "
          "step between samples %d kB); anonymous memory: none kept by the program's own code "
          "(soak_program_heap_growth, from the heap trace)" % max(steps))


def main():
    cycles = int(os.environ.get("SOAK_CYCLES", "5000"))
    config_every = int(os.environ.get("SOAK_CONFIG_EVERY", "20"))
    lock_every = int(os.environ.get("SOAK_LOCK_EVERY", "10"))
    h.clean_registry()
    program = h.Program("soak_bench")
    began = time.monotonic()
    try:
        samples, gui = soak(program, cycles, config_every, lock_every, skip=os.environ.get("SOAK_SKIP", ""))
    except h.Failure as failure:
        h.screenshot("failed-soak_bench")
        print("FAILED: %s" % failure, file=sys.stderr)
        return 1
    finally:
        h.end_all_programs(program.processes)
        h.clean_registry()
    report(samples, gui, cycles, time.monotonic() - began)
    return 0


if __name__ == "__main__":
    sys.exit(main())
