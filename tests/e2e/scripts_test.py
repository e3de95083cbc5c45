#!/usr/bin/env python3
"""The scripts behind `make bench`, `make test` and `make run`: whatever path
they take out, the Xvfb and the wineserver they started are gone, so running
them again works; and `make run`'s prefix opens Pellucorda.txt for Help.

These start X servers and Wine prefixes of their own; they need no test
session."""
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import config_helpers as c
import harness as h

SCRIPTS = os.path.join(h.ROOT, "scripts")


def gone(pid):
    """Whether a process has ended (a zombie waiting for its parent has)."""
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().rsplit(")", 1)[1].split()[0] == "Z"
    except OSError:
        return True


def server_running(prefix):
    """Whether a wineserver serves the prefix. Asking it to end is the only
    question it answers, so a server found is ended by the asking."""
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all")
    return subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


def the_test_session_ends_what_it_started_on_every_path(_):
    work = tempfile.mkdtemp(prefix="pellucorda-session-")
    prefix = os.path.join(work, "prefix")
    # Twice on one prefix (the second run finds the first one's), once ended
    # by the script and once by a failure under `set -e`, with a trap of the
    # script's own that must still run.
    ends = {"stopped": ("e2e_session_stop", 0), "failed": ("false", 1)}
    try:
        for name in ("stopped", "failed"):
            last, expected = ends[name]
            script = ("set -euo pipefail\n"
                      "trap 'echo own trap ran' EXIT\n"
                      ". '%s/e2e-env.sh'\n"
                      "e2e_session_start\n"
                      "echo \"xvfb $_E2E_XVFB_PID\"\n"
                      "%s\n" % (SCRIPTS, last))
            result = subprocess.run(["bash", "-c", script], env=dict(os.environ, PELLUCORDA_E2E_PREFIX_DIR=prefix),
                                    stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=240)
            out = result.stdout.decode(errors="replace")
            assert result.returncode == expected, "%s: exit %d\n%s" % (name, result.returncode, out)
            assert "own trap ran" in out, "%s: the script's own trap did not run\n%s" % (name, out)
            started = re.search(r"xvfb (\d+)", out)
            assert started, "%s: the session did not start\n%s" % (name, out)
            pid = int(started.group(1))
            h.wait_until(lambda: gone(pid), "%s: Xvfb %d to end" % (name, pid), timeout=15)
            assert not server_running(prefix), "%s: a wineserver was left on the prefix" % name
    finally:
        shutil.rmtree(work, ignore_errors=True)


def run_env(home, display):
    return {
        **os.environ,
        "DISPLAY": display,
        "WINEPREFIX": os.path.join(home, "wineprefix"),
        "WINEDEBUG": "-all",
        "WINEDLLOVERRIDES": "mscoree,mshtml=",
        "WINEARCH": "win64",
    }


def started_display(process, timeout=240):
    """The display run.sh says it started, read from its error output."""
    deadline = time.monotonic() + timeout
    seen = b""
    while time.monotonic() < deadline:
        ready, _, _ = select.select([process.stderr], [], [], 1)
        if ready:
            chunk = os.read(process.stderr.fileno(), 4096)
            if not chunk:
                break
            seen += chunk
            found = re.search(rb"started Xvfb on (:\d+)", seen)
            if found:
                return found.group(1).decode()
    raise h.Failure("run.sh said nothing of a display: %s" % seen.decode(errors="replace"))


def child_xvfb(parent):
    """The Xvfb that the process `parent` started."""
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % name) as f:
                comm, rest = f.read().split(" (", 1)[1].rsplit(")", 1)
        except OSError:
            continue
        if comm == "Xvfb" and int(rest.split()[1]) == parent:
            return int(name)
    raise h.Failure("no Xvfb started by %d" % parent)


def make_run_ends_cleanly_twice_and_help_opens_the_text_file(_):
    home = tempfile.mkdtemp(prefix="pellucorda-run-")
    env = dict(os.environ, PELLUCORDA_HOME=home)
    env.pop("DISPLAY", None)
    try:
        for attempt in (1, 2):
            process = subprocess.Popen(["bash", os.path.join(SCRIPTS, "run.sh")], env=env, stdin=subprocess.DEVNULL,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            try:
                display = started_display(process)
                xvfb = child_xvfb(process.pid)
                h.ENV = run_env(home, display)
                login = h.wait_window("^Login$", timeout=240)
                h.key(login, "Escape")
                h.wait_no_window("^Login$")
                if attempt == 1:
                    c.choose_tray_item("Help")
                    h.wait_window(r"Pellucorda\.txt", timeout=60)
                    for pid, _ in h.session_processes(r"(?i)notepad"):
                        os.kill(pid, signal.SIGKILL)
                c.choose_tray_item("Exit Pellucorda(&S)")
                status = process.wait(timeout=120)
            finally:
                # A test that failed still leaves nothing running: the
                # script's own end stops what it started.
                if process.poll() is None:
                    process.terminate()
                    process.wait(timeout=60)
            assert status == 0, "run %d: run.sh ended with %d after a normal Exit" % (attempt, status)
            h.wait_until(lambda: gone(xvfb), "run %d: its Xvfb to end" % attempt, timeout=15)
            assert not server_running(h.ENV["WINEPREFIX"]), "run %d: a wineserver was left" % attempt
    finally:
        h.ENV = None
        shutil.rmtree(home, ignore_errors=True)


TESTS = {
    "the_test_session_ends_what_it_started_on_every_path": the_test_session_ends_what_it_started_on_every_path,
    "make_run_ends_cleanly_twice_and_help_opens_the_text_file": make_run_ends_cleanly_twice_and_help_opens_the_text_file,
}

if __name__ == "__main__":
    if len(sys.argv) != 2 or sys.argv[1] not in TESTS:
        print("usage: %s {%s}" % (sys.argv[0], ",".join(sorted(TESTS))), file=sys.stderr)
        sys.exit(2)
    try:
        TESTS[sys.argv[1]](None)
    except (h.Failure, AssertionError) as failure:
        print("FAILED: %s" % failure, file=sys.stderr)
        sys.exit(1)
    print("passed: %s" % sys.argv[1])
