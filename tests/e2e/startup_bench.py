#!/usr/bin/env python3
"""Start-up of the program under Wine against the floor Wine itself sets, on
a warm wineserver, in one run:

- startup_to_login: from starting pellucorda.exe to its Login dialog shown;
- startup_to_tray: from the same start to its icon in the notification area
  (Wine's own tray window shown, as no tray runs on the private X server);
- startup_floor: the same for the floor program (bench/floor: a minimal Win32
  program showing one dialog, with the program's manifest), started and
  detected the same way; startup_floor_bare: the floor without the manifest;
- rss_login_kb, rss_floor_kb: resident memory of each once its window shows
  (VmRSS of the Linux process that runs the .exe; under Wine that is the
  Windows process itself), read when it stops changing;
- login_to_list: from pressing Login to the list window shown, with a vault
  of 100 items.

The program and the floor take turns, so a machine that slows down during
the run slows both; each figure is the median of its runs.
"""
import os
import signal
import statistics
import subprocess
import sys
import time

import harness as h
import view_helpers as v
from map_watch import MapWatch

FLOOR = os.path.join(h.BUILD, "win", "bench", "floor", "startup_floor.exe")
# The same floor without the program's manifest: what the manifest costs.
BARE_FLOOR = os.path.join(h.BUILD, "win", "bench", "floor", "startup_floor_bare.exe")


def vm_rss_kb(pid):
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def settled_rss_kb(pid):
    """VmRSS once two readings 100 ms apart agree (at most 3 s)."""
    last = None
    deadline = time.monotonic() + 3.0
    while True:
        rss = vm_rss_kb(pid)
        if rss == last or time.monotonic() > deadline:
            return rss
        last = rss
        time.sleep(0.1)


def start_to_window(start, title, then=None):
    """Milliseconds from start() to a visible window titled `title`, the
    resident memory then, and the process; with `then`, also the
    milliseconds to a window titled `then` (None: no such figure)."""
    with MapWatch() as watch:
        began = time.monotonic()
        process = start()
        elapsed = (watch.wait(title) - began) * 1000.0
        later = None if then is None else (watch.wait(then) - began) * 1000.0
    return elapsed, settled_rss_kb(process.pid), process, later


def floor_starter(path):
    return lambda: subprocess.Popen(["wine", path], cwd=os.path.dirname(path), env=h.env(),
                                    stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def end_floor(process):
    pattern = r"startup_floor(_bare)?\.exe"
    for pid, _ in h.session_processes(pattern):
        os.kill(pid, signal.SIGKILL)
    process.wait(timeout=30)
    h.wait_until(lambda: not h.session_processes(pattern), "the floor program to end")


def login_to_list(program):
    """Milliseconds from pressing Login to the list window shown."""
    program.start()
    login = h.wait_window("^Login$")
    h.type_text(login, "quillmarsh")
    with MapWatch() as watch:
        began = time.monotonic()
        h.run(["xdotool", "key", "Return"])
        elapsed = (watch.wait("^Pellucorda$") - began) * 1000.0
    h.end_all_programs(program.processes)
    return elapsed


def report(name, values, unit, fmt="%.0f"):
    print("%s, %d runs (%s): %s" % (name, len(values), unit, " ".join(fmt % x for x in values)))
    median = statistics.median(values)
    print(("BENCH %s " + fmt + " %s") % (name, median, unit))
    return median


def main(runs=7):
    program = h.Program("startup_bench")
    figures = {"startup_to_login": [], "startup_to_tray": [], "startup_floor": [], "startup_floor_bare": [],
               "rss_login_kb": [], "rss_floor_kb": []}
    for _ in range(runs):
        h.clean_registry()
        elapsed, rss, _, tray = start_to_window(program.start, "^Login$", "^Wine System Tray$")
        figures["startup_to_login"].append(elapsed)
        figures["startup_to_tray"].append(tray)
        figures["rss_login_kb"].append(rss)
        h.end_all_programs(program.processes)
        # Wine hides its tray window once the icon is gone: the next start
        # shows it afresh.
        h.wait_no_window("^Wine System Tray$")

        # Every start follows the same step, a registry cleaning (a Wine
        # process that starts and ends), so each finds Wine as busy as the
        # others do.
        h.clean_registry()
        elapsed, rss, process, _ = start_to_window(floor_starter(FLOOR), "^Floor$")
        figures["startup_floor"].append(elapsed)
        figures["rss_floor_kb"].append(rss)
        end_floor(process)

        h.clean_registry()
        elapsed, _, process, _ = start_to_window(floor_starter(BARE_FLOOR), "^Floor$")
        figures["startup_floor_bare"].append(elapsed)
        end_floor(process)

    full = h.Program("login_bench")
    h.clean_registry()
    v.seed(full, [("Service %02d" % n, "user%02d" % n, "secret%02d" % n, "www.example.org/%02d" % n, "https")
                  for n in range(99)])
    to_list = []
    for _ in range(runs):
        h.clean_registry()
        to_list.append(login_to_list(full))
    h.clean_registry()

    startup = report("startup_to_login", figures["startup_to_login"], "ms")
    report("startup_to_tray", figures["startup_to_tray"], "ms")
    floor = report("startup_floor", figures["startup_floor"], "ms")
    report("startup_floor_bare", figures["startup_floor_bare"], "ms")
    rss = report("rss_login_kb", figures["rss_login_kb"], "kB")
    rss_floor = report("rss_floor_kb", figures["rss_floor_kb"], "kB")
    report("login_to_list", to_list, "ms")
    print("start-up / floor: %.2f (target at most 1.25); resident memory / floor: %.2f (target at most 1.5)"
          % (startup / floor, rss / rss_floor))
    return 0


if __name__ == "__main__":
    sys.exit(main())
