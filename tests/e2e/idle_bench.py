#!/usr/bin/env python3
"""How often the program wakes up while it sits still, under Wine on the
end-to-end session, with the default settings (no logout time, no idle
minutes, nothing copied):

- idle_wakeups_locked_per_min: nobody logged in and the list window hidden,
  locked by a real click on Lock with the mouse left where the button was;
- idle_wakeups_open_per_min: logged in, the list window hidden by the
  hotkey with the mouse away from it.

A wake-up is a context switch of the program's process: the sum of
voluntary_ctxt_switches and nonvoluntary_ctxt_switches over every thread in
/proc/PID/task of the Linux process that runs pellucorda.exe (under Wine, the
Windows process itself). A program blocked in its message loop makes none;
each timer message, system timers included, makes at least one. Each case is
counted over SECONDS seconds once the count has settled after the last input,
and scaled to a minute.
"""
import os
import sys
import time

import harness as h
import view_helpers as v

SECONDS = float(os.environ.get("IDLE_BENCH_SECONDS", "20"))


def context_switches(pid):
    total = 0
    for task in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/status" % (pid, task)) as f:
                for line in f:
                    if line.startswith(("voluntary_ctxt_switches:", "nonvoluntary_ctxt_switches:")):
                        total += int(line.split()[1])
        except OSError:
            pass  # a thread that ended meanwhile
    return total


def program_pid():
    """The one process running pellucorda.exe: Wine's launcher has become it."""
    def find():
        found = [pid for pid, _ in h.session_processes(r"pellucorda\.exe")]
        return found[0] if len(found) == 1 else None
    return h.wait_until(find, "the program's process")


def settle(pid):
    """Waits, at most 5 s, until half a second passes without a wake-up: what
    the last input set off is not counted. A program that never settles is
    measured all the same."""
    deadline = time.monotonic() + 5.0
    last = context_switches(pid)
    while time.monotonic() < deadline:
        time.sleep(0.5)
        now = context_switches(pid)
        if now == last:
            return
        last = now


def per_minute(pid):
    settle(pid)
    began, first = time.monotonic(), context_switches(pid)
    time.sleep(SECONDS)
    elapsed, count = time.monotonic() - began, context_switches(pid) - first
    return count * 60.0 / elapsed


def logged_in(program):
    program.start()
    h.login("quillmarsh")
    return h.wait_window("^Pellucorda$")


def locked(program):
    view = logged_in(program)
    # The mouse stays on the button after the click.
    v.click_control(view, "lock")
    h.wait_no_window("^Pellucorda$")
    return per_minute(program_pid())


def open_hidden(program):
    view = logged_in(program)
    h.run(["xdotool", "mousemove", "640", "700"])
    v.hotkey(view)
    h.wait_no_window("^Pellucorda$")
    return per_minute(program_pid())


def main():
    program = h.Program("idle_bench")
    figures = {}
    try:
        for name, case in (("idle_wakeups_locked_per_min", locked), ("idle_wakeups_open_per_min", open_hidden)):
            h.clean_registry()
            figures[name] = case(program)
            h.close_probe()
            h.end_all_programs(program.processes)
    finally:
        h.close_probe()
        h.end_all_programs(program.processes)
        h.clean_registry()
    for name, value in figures.items():
        print("BENCH %s %.0f /min" % (name, value))
    print("idle wake-ups per minute: locked %.0f (target 0), logged in and hidden %.0f (target 0 with no logout "
          "time, clipboard time or idle minutes running)" % (figures["idle_wakeups_locked_per_min"],
                                                             figures["idle_wakeups_open_per_min"]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
