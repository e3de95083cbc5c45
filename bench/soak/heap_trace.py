#!/usr/bin/env python3
"""Whose heap memory outlives a cycle: the soak's cycles again, a few at a
time, with Wine's relay log of the heap calls (allocations and frees with
the address each was called from). For each kind of step the program runs
CYCLES, 2 x CYCLES and 3 x CYCLES cycles of it alone; what is still
allocated at the end of a longer run and not of the shorter one was kept by
the extra cycles. What both sets of extra cycles kept is counted, so that an
allocation that merely falls on the other side of the end in one run (a
cache filled a little later) is not; each is put down to the module that
asked for it.

The program's own allocations are those its code makes: through its C
runtime's malloc and new (msvcrt.dll) or straight from pellucorda.exe and
USkin.dll. The rest is Wine's, kept by its DLLs on the program's behalf.
Prints BENCH soak_program_heap_growth: the program's bytes a cycle, over all
steps (target 0)."""
import collections
import os
import re
import sys

import soak_bench
import harness as h

CYCLES = int(os.environ.get("HEAP_TRACE_CYCLES", "10"))
# (name, skip, config_every, lock_every): each step alone, beside showing and
# hiding the list, which every cycle does.
STEPS = [
    ("item form", "cp", 100000, 100000),
    ("copies and paging", "f", 100000, 100000),
    ("lock and login", "cfp", 100000, 1),
    ("Config", "cfp", 1, 100000),
]
DEBUG_KEY = r"HKCU\Software\Wine\Debug"
TRACED = ("ntdll.RtlAllocateHeap;ntdll.RtlFreeHeap;ntdll.RtlReAllocateHeap;"
          "kernelbase.LocalAlloc;kernelbase.LocalReAlloc;kernelbase.LocalFree")
# The program's C runtime is msvcrt.dll; Wine's own DLLs use ucrtbase.dll.
PROGRAM_MODULES = ("pellucorda.exe", "uskin.dll", "msvcrt.dll")

_LOADED = re.compile(r'Loaded L"(?:.*\\)?([^\\"]+)" at ([0-9A-Fa-f]+)')
_ALLOCATORS = r"(ntdll\.RtlAllocateHeap|ntdll\.RtlReAllocateHeap|kernelbase\.LocalAlloc|kernelbase\.LocalReAlloc)"
_CALL = re.compile(r"(\w+):Call " + _ALLOCATORS + r"\(([^)]*)\) ret=(\w+)")
_RETURN = re.compile(r"(\w+):Ret  " + _ALLOCATORS + r"\(\) retval=(\w+)")
_FREE = re.compile(r"(\w+):Call (ntdll\.RtlFreeHeap|kernelbase\.LocalFree)\(([^)]*)\)")


def live_allocations(log_path):
    """Counter of (module, size) over the allocations never freed."""
    modules, pending, live = [], {}, {}
    with open(log_path, errors="replace") as log:
        for line in log:
            loaded = _LOADED.search(line)
            if loaded:
                modules.append((int(loaded.group(2), 16), loaded.group(1).lower()))
                continue
            call = _CALL.match(line)
            if call:
                pending[(call.group(1), call.group(2))] = (call.group(3).split(","), call.group(4))
                continue
            ret = _RETURN.match(line)
            if ret and (ret.group(1), ret.group(2)) in pending:
                args, caller = pending.pop((ret.group(1), ret.group(2)))
                function = ret.group(2)
                kind = "l" if function.startswith("kernelbase") else "h"
                # (heap, flags, size), (heap, flags, block, size), (flags,
                # size), (block, size, flags)
                if function == "ntdll.RtlReAllocateHeap":
                    live.pop(("h", args[2]), None)
                    size = args[3]
                elif function == "kernelbase.LocalReAlloc":
                    live.pop(("l", args[0]), None)
                    size = args[1]
                else:
                    size = args[-1]
                live[(kind, ret.group(3))] = (int(size, 16), int(caller, 16))
                continue
            free = _FREE.match(line)
            if free:
                # A block of fixed local memory is its own handle, and Wine's
                # DLLs free some with the heap call: either frees both.
                block = free.group(3).split(",")[-1]
                live.pop(("l", block), None)
                live.pop(("h", block), None)
    modules.sort()

    def module_of(address):
        name = "?"
        for base, module in modules:
            if base <= address:
                name = module
        return name

    counts = collections.Counter()
    for (kind, _), (size, caller) in live.items():
        module = module_of(caller)
        # LocalAlloc's own heap call is counted at LocalAlloc, by its caller.
        if kind == "h" and module == "kernelbase.dll":
            continue
        counts[(module, size)] += 1
    return counts


def traced_start(program):
    """Starts the program alone with the relay log on: not the tool that
    seeds its vault, nor the driver."""
    untraced = program.start

    def start(cwd=None):
        h.env()["WINEDEBUG"] = "+relay,+loaddll"
        try:
            return untraced(cwd)
        finally:
            h.env()["WINEDEBUG"] = "-all"

    program.start = start


def traced_run(cycles, skip, config_every, lock_every):
    program = h.Program("heap_trace")
    traced_start(program)
    try:
        soak_bench.soak(program, cycles, config_every, lock_every, sample_every=cycles, skip=skip)
    finally:
        h.end_all_programs(program.processes)
        h.clean_registry()
    return live_allocations(program.path("wine-0.log"))


def main():
    h.clean_registry()
    h.run(["wine", "reg", "add", DEBUG_KEY, "/v", "RelayInclude", "/t", "REG_SZ", "/d", TRACED, "/f"])
    # Calls from the other Wine DLLs are the point; only ntdll's own stay out.
    h.run(["wine", "reg", "add", DEBUG_KEY, "/v", "RelayFromExclude", "/t", "REG_SZ", "/d", "ntdll", "/f"])
    program_bytes = 0.0
    try:
        for name, skip, config_every, lock_every in STEPS:
            runs = [traced_run(n * CYCLES, skip, config_every, lock_every) for n in (1, 2, 3)]
            keys = set().union(*runs)
            kept = {key: min(runs[1][key] - runs[0][key], runs[2][key] - runs[1][key]) for key in keys}
            kept = {key: n for key, n in kept.items() if n > 0}
            ours = sum(n * size for (module, size), n in kept.items() if module in PROGRAM_MODULES)
            program_bytes += ours / CYCLES
            print("heap trace, %s: kept a cycle, by the module that asked: %s" %
                  (name, ", ".join("%s %.1f x %d B" % (module, n / CYCLES, size) for (module, size), n in
                                   sorted(kept.items(), key=lambda kv: -kv[1] * kv[0][1])) or "nothing"))
    except h.Failure as failure:
        print("FAILED: %s" % failure, file=sys.stderr)
        return 1
    finally:
        h.run(["wine", "reg", "delete", DEBUG_KEY, "/f"], check=False)
    print("BENCH soak_program_heap_growth %.0f bytes a cycle (target 0)" % program_bytes)
    return 0


if __name__ == "__main__":
    sys.exit(main())
