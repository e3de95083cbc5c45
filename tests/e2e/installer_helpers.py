"""A Wine prefix of its own for a test that installs the program, and what a
user's Windows shows of an installed program: its folder, its Start menu
shortcut and its entry in the installed-programs list.

An installer changes a prefix's registry and folders in ways no other test
expects, so each installer test boots a fresh prefix on an X server of its
own (two Wine sessions on one display contend for the X clipboard, and the
session's later tests would find it stuck) and, on every path, ends that
prefix's processes, its wineserver and its X server, and removes it.
"""
import glob
import os
import re
import shutil
import subprocess

import harness as h

MSI = os.environ.get("PELLUCORDA_MSI", "")
NEXT_MSI = os.environ.get("PELLUCORDA_NEXT_MSI", "")
ZIP = os.environ.get("PELLUCORDA_ZIP", "")
VERSION = os.environ.get("PELLUCORDA_VERSION", "")
NEXT_VERSION = os.environ.get("PELLUCORDA_NEXT_VERSION", "")
PACKAGE_FILES = h.PROGRAM_FILES + ["README.txt", "LICENSE.txt"]
UNINSTALL_KEYS = [r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall",
                  r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall"]
# What a booted prefix keeps running between the steps of a test.
SERVICES = re.compile(r"\\(services|winedevice|plugplay|svchost|rpcss)\.exe\b", re.IGNORECASE)


class FreshPrefix:
    """`with FreshPrefix(name) as prefix:` points every harness helper at a
    newly booted prefix for the block's duration."""

    def __init__(self, name):
        self.name = name
        self.path = os.path.join(h.BUILD, "wine", "installer-" + name)
        self.session = None
        self.xvfb = None

    def __enter__(self):
        for f in (MSI, NEXT_MSI, ZIP):
            if not os.path.isfile(f):
                raise h.Failure("missing %r: build it with make dist" % f)
        self.session = dict(h.env())
        self._end_server()  # one a broken earlier run may have left
        shutil.rmtree(self.path, ignore_errors=True)
        try:
            # No menu entries or file types for the desktop outside Wine.
            h.env().update({"DISPLAY": self._start_xvfb(), "WINEPREFIX": self.path,
                            "WINEDLLOVERRIDES": "mscoree,mshtml=,winemenubuilder.exe=d"})
            h.run(["wine", "wineboot", "-i"], timeout=300)
            h.run(["wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N", "/f"])
            # Not through the environment alone: the installer's shortcut
            # reached the Linux menus all the same.
            h.run(["wine", "reg", "add", r"HKCU\Software\Wine\DllOverrides", "/v", "winemenubuilder.exe", "/d", "",
                   "/f"])
            self._end_server()
            # A warm server on the session's display, with its streams closed
            # so that nothing waits on them.
            subprocess.run(["wineserver", "-p"], env=h.env(), stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        except BaseException as failure:
            self.__exit__(type(failure), failure, None)
            raise
        return self

    def __exit__(self, exc_type, *exc):
        try:
            if exc_type is not None and self.xvfb is not None:
                h.screenshot("failed-installer-" + self.name)
            h.end_all_programs()
        finally:
            self._end_server()
            if self.xvfb is not None:
                self.xvfb.kill()
                self.xvfb.wait(timeout=30)
            h.env().clear()
            h.env().update(self.session)
            shutil.rmtree(self.path, ignore_errors=True)
        return False

    def _start_xvfb(self):
        """Starts Xvfb on a free display and returns its name."""
        read_end, write_end = os.pipe()
        try:
            self.xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                stderr=subprocess.DEVNULL)
            os.close(write_end)
            write_end = None
            with os.fdopen(read_end, "rb") as pipe:
                read_end = None
                number = pipe.readline().strip()
        finally:
            for fd in (read_end, write_end):
                if fd is not None:
                    os.close(fd)
        if not number:
            raise h.Failure("Xvfb did not start")
        return ":" + number.decode()

    def _end_server(self):
        quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        env = dict(h.env(), WINEPREFIX=self.path)
        if os.path.isdir(self.path):
            subprocess.run(["wineserver", "-k"], env=env, **quiet)
            subprocess.run(["wineserver", "-w"], env=env, **quiet)

    def user_path(self, *parts):
        """A path in the prefix's only user profile."""
        users = [u for u in glob.glob(os.path.join(self.path, "drive_c", "users", "*"))
                 if os.path.basename(u) != "Public"]
        return os.path.join(users[0], *parts)

    def windows_path(self, path):
        drive_c = os.path.join(self.path, "drive_c")
        return "C:\\" + os.path.relpath(path, drive_c).replace("/", "\\")

    def install_folder(self):
        return self.user_path("AppData", "Local", "Programs", "Pellucorda")

    def shortcut(self):
        return self.user_path("AppData", "Roaming", "Microsoft", "Windows", "Start Menu", "Programs",
                              "Pellucorda.lnk")

    def busy(self):
        """The prefix's processes other than its services."""
        return [c.strip() for _, c in h.session_processes(r"(?i)\.exe") if not SERVICES.search(c)]

    def settle(self):
        """Waits until only the prefix's services run, so that no step starts
        while the previous one's programs, or the desktop their windows were
        on, are still going down: Wine closes a desktop, ending its
        explorer.exe, a second after the last of its programs ends, later on a
        busy machine."""
        try:
            h.wait_until(lambda: not self.busy(), "only the prefix's services to run", timeout=120)
        except h.Failure as failure:
            raise h.Failure("%s; still running: %s" % (failure, self.busy()))

    def msiexec(self, action, package):
        """msiexec ACTION PACKAGE /qn, as a user runs it without a window, on
        a settled prefix. The installer leaves helper processes running for a
        while: were they to inherit a pipe, reading it would wait for them, so
        the output goes to a file. Its own log (/l*) tells which action
        failed; without one, msiexec.exe failed before it read its command
        line."""
        self.settle()
        journal = os.path.join(h.BUILD, "e2e", "msiexec-actions.log")
        if os.path.exists(journal):
            os.remove(journal)
        with open(os.path.join(h.BUILD, "e2e", "msiexec.log"), "w+b") as log:
            result = subprocess.run(["wine", "msiexec", action, "Z:" + package.replace("/", "\\"), "/qn",
                                     "/l*", "Z:" + journal.replace("/", "\\")],
                                    env=h.env(), stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                                    timeout=300)
            if result.returncode != 0:
                log.seek(0)
                actions = read(journal).decode(errors="replace")[-3000:] if os.path.exists(journal) else "none"
                raise h.Failure("msiexec %s %s failed (%d): %s\nits log: %s" % (
                    action, os.path.basename(package), result.returncode, log.read().decode(errors="replace"),
                    actions))

    def installed(self):
        """{display name: display version} of the installed-programs list."""
        out = h.run(["wine", "uninstaller", "--list"]).stdout.decode(errors="replace")
        products = {}
        for line in out.replace("\r", "").split("\n"):
            code, _, name = line.partition("|||")
            if not name:
                continue
            version = None
            for key in UNINSTALL_KEYS:
                version = version or h.reg_query(key + "\\" + code, "DisplayVersion")
            products[name] = version
        return products

    def start(self, target, log_name, cwd=None):
        """Starts a program, or opens a shortcut as the Start menu does, on a
        settled prefix."""
        self.settle()
        log = open(os.path.join(h.BUILD, "e2e", log_name + ".log"), "wb")
        return subprocess.Popen(["wine", "start", self.windows_path(target)], cwd=cwd or self.path, env=h.env(),
                                stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)


def package_facts(package):
    """(summary word count, property names) of an installer package, read
    with msitools as Windows Installer reads them."""
    summary = subprocess.run(["msiinfo", "suminfo", package], stdout=subprocess.PIPE, check=True).stdout.decode()
    # msiinfo prints the word count under the name "Source".
    words = next(int(line.split()[1]) for line in summary.splitlines() if line.startswith("Source:"))
    table = subprocess.run(["msiinfo", "export", package, "Property"], stdout=subprocess.PIPE, check=True).stdout
    names = [line.split("\t")[0] for line in table.decode().splitlines()[3:]]
    return words, names


def read(path):
    with open(path, "rb") as f:
        return f.read()
