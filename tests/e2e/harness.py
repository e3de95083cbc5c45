"""End-to-end harness: the real pellucorda.exe under Wine on a private X
server, driven with real keyboard and mouse input (xdotool) and checked
through its files, its registry values and the clipboard.

One session (Xvfb, a fresh Wine prefix on the X11 driver, a warm wineserver)
serves a whole run; scripts/e2e-env.sh starts it and exports its settings.
Each test gets a fresh program folder and a registry without the program's
keys, and ends every Wine process of the session when it is done.
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.environ.get("PELLUCORDA_BUILD", os.path.join(ROOT, "build"))
DIST = os.environ.get("PELLUCORDA_DIST", os.path.join(BUILD, "dist"))
SCREENSHOTS = os.path.join(BUILD, "screenshots")
CONFIG_KEY = r"HKCU\SOFTWARE\Corvanet\Pellucorda\Config"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
PROGRAM_FILES = ["pellucorda.exe", "USkin.dll", "Pellucorda.txt", "pellucorda-cli.exe"]


class Failure(Exception):
    pass


def session_env():
    display = os.environ.get("PELLUCORDA_E2E_DISPLAY")
    prefix = os.environ.get("PELLUCORDA_E2E_PREFIX")
    if not display or not prefix:
        raise Failure("no end-to-end session: run through scripts/run-tests.sh "
                      "(or source scripts/e2e-env.sh and call e2e_session_start)")
    env = dict(os.environ)
    env.update({
        "DISPLAY": display,
        "WINEPREFIX": prefix,
        "WINEDEBUG": "-all",
        "WINEDLLOVERRIDES": "mscoree,mshtml=",
        "WINEARCH": "win64",
    })
    return env


ENV = None


def env():
    global ENV
    if ENV is None:
        ENV = session_env()
    return ENV


def run(args, check=True, timeout=60, **kwargs):
    result = subprocess.run(args, env=env(), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            timeout=timeout, **kwargs)
    if check and result.returncode != 0:
        raise Failure("%s failed (%d): %s" % (" ".join(args), result.returncode,
                                               result.stderr.decode(errors="replace")))
    return result


def wait_until(condition, what, timeout=30.0, interval=0.05):
    """Polls condition() until it returns a true value; fails after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(interval)


# --- windows -------------------------------------------------------------

def visible_windows(title_regex):
    result = run(["xdotool", "search", "--onlyvisible", "--name", title_regex], check=False)
    return [int(w) for w in result.stdout.split()]


def wait_window(title_regex, timeout=30.0):
    """The one visible window whose title matches (anchor the pattern)."""
    return wait_until(lambda: next(iter(visible_windows(title_regex)), None), "a window %s" % title_regex,
                      timeout)


def wait_no_window(title_regex, timeout=30.0):
    """Waits until no visible window matches, in three searches in a row: a
    search that meets an X error while windows come and go finds none."""
    absent = [0]

    def gone():
        absent[0] = 0 if visible_windows(title_regex) else absent[0] + 1
        return absent[0] >= 3

    wait_until(gone, "no window %s" % title_regex, timeout)


def geometry(window):
    out = run(["xdotool", "getwindowgeometry", "--shell", str(window)]).stdout.decode()
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])


def focus(window):
    run(["xdotool", "windowfocus", "--sync", str(window)])


def type_text(window, text):
    focus(window)
    run(["xdotool", "type", "--delay", "20", text])


def key(window, *keys):
    focus(window)
    run(["xdotool", "key", "--delay", "20"] + list(keys))


def click(window, x, y, button=1, repeat=1):
    """Clicks at (x, y) inside the window."""
    run(["xdotool", "mousemove", "--window", str(window), str(x), str(y), "click", "--repeat", str(repeat),
         "--delay", "80", str(button)])


def screenshot(name, window=None):
    os.makedirs(SCREENSHOTS, exist_ok=True)
    path = os.path.join(SCREENSHOTS, name + ".png")
    target = str(window) if window else "root"
    run(["import", "-window", target, path])
    return path


# --- inside the program's windows ----------------------------------------

PROBE = os.path.join(BUILD, "win", "tests", "win", "window_probe.exe")


class WindowProbe:
    """A helper program of the session that answers what X cannot tell:
    the control with the keyboard focus, a control's rectangle, a list's rows
    (see tests/win/probe/window_probe.cpp). One stays running per test."""

    def __init__(self):
        self.process = subprocess.Popen(["wine", PROBE], env=env(), stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)

    def ask(self, command, until=None):
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()
        lines = []
        while True:
            line = self.process.stdout.readline()
            if not line:
                raise Failure("the window probe ended")
            lines.append(line.strip())
            if until is None or lines[-1] == until:
                return lines

    def focus(self, title):
        """(control id, class) of the focused control, or None."""
        answer = self.ask("focus " + title)[0]
        if answer == "none":
            return None
        number, name = answer.split(" ", 1)
        return int(number), name

    def rect(self, title, control_id):
        """(left, top, right, bottom) of a visible control in screen
        coordinates, or None."""
        answer = self.ask("rect %s %d" % (title, control_id))[0]
        return None if answer == "none" else tuple(int(v) for v in answer.split())

    def rows(self, title, control_id):
        """(client rectangle, top index, [row rectangles]) of a list view,
        in screen coordinates."""
        client, top, rows = None, None, []
        for line in self.ask("rows %s %d" % (title, control_id), until="end")[:-1]:
            words = line.split()
            if words[0] == "client":
                client = tuple(int(v) for v in words[1:])
            elif words[0] == "top":
                top = int(words[1])
            elif words[0] == "row":
                rows.append(tuple(int(v) for v in words[2:]))
        return client, top, rows

    def text(self, title, control_id=65535):
        """The text of a visible control (by default a message box's); empty
        when there is none."""
        return "\n".join(self.ask("text %s %d" % (title, control_id), until="end")[:-1])

    def close(self):
        self.process.stdin.close()
        self.process.wait(timeout=30)


_probe = [None]


def probe():
    if _probe[0] is None:
        _probe[0] = WindowProbe()
    return _probe[0]


def close_probe():
    if _probe[0] is not None:
        _probe[0].close()
        _probe[0] = None


# --- registry and clipboard ----------------------------------------------

def reg_query(key, name):
    """The value's data as reg.exe prints it, or None when it is missing."""
    result = run(["wine", "reg", "query", key, "/v", name], check=False)
    if result.returncode != 0:
        return None
    for line in result.stdout.decode(errors="replace").replace("\r", "").split("\n"):
        parts = line.strip().split(None, 2)
        if len(parts) >= 2 and parts[0].lower() == name.lower() and parts[1].startswith("REG_"):
            return parts[2] if len(parts) == 3 else ""
    return None


def reg_delete_key(key):
    run(["wine", "reg", "delete", key, "/f"], check=False)


def reg_delete_value(key, name):
    run(["wine", "reg", "delete", key, "/v", name, "/f"], check=False)


NO_ANSWER = "<the clipboard's owner did not answer>"


def clipboard():
    """The clipboard's text; None when it holds none. An owner busy for a
    moment gives NO_ANSWER, which no waiting condition takes for a text."""
    try:
        result = run(["xclip", "-o", "-selection", "clipboard"], check=False, timeout=10)
    except subprocess.TimeoutExpired:
        return NO_ANSWER
    return result.stdout.decode(errors="replace") if result.returncode == 0 else None


# --- the program -----------------------------------------------------------

class Program:
    """A fresh program folder with the built program, started under Wine."""

    def __init__(self, name):
        self.folder = os.path.join(BUILD, "e2e", name)
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        for f in PROGRAM_FILES:
            shutil.copy2(os.path.join(DIST, f), self.folder)
        self.processes = []

    def path(self, name):
        return os.path.join(self.folder, name)

    def start(self, cwd=None):
        """Starts the program from its folder (or from cwd, by its full path)."""
        log = open(self.path("wine-%d.log" % len(self.processes)), "wb")
        program = "pellucorda.exe" if cwd is None else self.path("pellucorda.exe")
        process = subprocess.Popen(["wine", program], cwd=cwd or self.folder, env=env(),
                                   stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
        self.processes.append(process)
        return process

    def windows_path(self):
        return "Z:" + self.folder.replace("/", "\\")

    def file_size(self, name):
        try:
            return os.path.getsize(self.path(name))
        except OSError:
            return None

    def cli(self, args, secrets="", name="logininfo.dat"):
        """Runs the native command-line tool on a file of this folder, by default its vault."""
        tool = os.path.join(BUILD, "native", "pellucorda-cli")
        return subprocess.run([tool, "--file", self.path(name), "--password-stdin"] + args,
                              input=secrets.encode(), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              timeout=60)


def clean_registry():
    reg_delete_key(r"HKCU\SOFTWARE\Corvanet")
    reg_delete_value(RUN_KEY, "Pellucorda")


def session_processes(pattern):
    """Processes of this session's Wine prefix whose command line matches
    pattern, as (pid, command line); zombies do not count. Other Wine
    sessions on the machine (other test runs) are never looked at."""
    prefix = ("WINEPREFIX=" + env()["WINEPREFIX"]).encode()
    found = []
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        try:
            with open("/proc/%s/environ" % name, "rb") as f:
                environ = f.read().split(b"\0")
            with open("/proc/%s/cmdline" % name, "rb") as f:
                cmdline = f.read().replace(b"\0", b" ").decode(errors="replace")
        except OSError:
            continue
        if prefix in environ and re.search(pattern, cmdline):
            found.append((int(name), cmdline))
    return found


def live_program_processes():
    """Processes of the program still running in this session."""
    return [cmdline for _, cmdline in session_processes(r"pellucorda\.exe")]


def end_all_programs(processes=()):
    """Ends every copy of the program in this session (and anything it
    started), each by its process id, but keeps the session's wineserver warm
    for the next test."""
    for pid, _ in session_processes(r"pellucorda\.exe|winebrowser|notepad"):
        try:
            os.kill(pid, signal.SIGKILL)
        except OSError:
            pass
    for process in processes:
        process.wait(timeout=30)
    wait_until(lambda: not live_program_processes(), "the program's processes to end", timeout=30)


def login(password, timeout=30.0):
    window = wait_window("^Login$", timeout)
    type_text(window, password)
    key(window, "Return")
    return window


# --- running tests ---------------------------------------------------------

def main(tests):
    """Runs the test named on the command line: python3 <file> NAME."""
    if len(sys.argv) != 2 or sys.argv[1] not in tests:
        print("usage: %s {%s}" % (sys.argv[0], ",".join(sorted(tests))), file=sys.stderr)
        return 2
    name = sys.argv[1]
    clean_registry()
    program = Program(name)
    try:
        tests[name](program)
    except Failure as failure:
        screenshot("failed-" + name)
        print("FAILED: %s" % failure, file=sys.stderr)
        return 1
    except AssertionError as failure:
        screenshot("failed-" + name)
        print("FAILED: %s" % (failure or "assertion"), file=sys.stderr)
        raise
    finally:
        close_probe()
        end_all_programs(program.processes)
        clean_registry()
    print("passed: %s" % name)
    return 0
