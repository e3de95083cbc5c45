#!/usr/bin/env python3
"""The auto-type key pressed as real keys over another program's login form
(tests/win/probe/login_form_probe.cpp, titled "Login form probe"): the one
login the title names fills the form and presses its button, and the
clipboard keeps what it held; of several, the one chosen with the arrow keys
in the menu at the mouse is typed."""
import os
import subprocess
import sys

import harness as h
import view_helpers as v

FORM_PROBE = os.path.join(h.BUILD, "win", "tests", "win", "login_form_probe.exe")
FORM_TITLE = "^Login form probe$"
SENTINEL = "held by another program"


class LoginForm:
    """The form in a process of its own; it writes its user name, password
    and button count to a file whenever they change."""

    def __init__(self, program):
        self.record = program.path("form.txt")
        self.process = subprocess.Popen(["wine", FORM_PROBE, "Z:" + self.record.replace("/", "\\")], env=h.env(),
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        self.window = h.wait_window(FORM_TITLE)
        h.wait_until(lambda: self.state() == "\n\n0\n", "the form to start empty")

    def state(self):
        try:
            with open(self.record, encoding="utf-8") as f:
                return f.read()
        except OSError:
            return None

    def press_auto_type_key(self):
        # A click into the form gives it the X focus and the front.
        _, _, width, height = h.geometry(self.window)
        h.click(self.window, width // 2, height - 20)
        h.key(self.window, "ctrl+alt+a")

    def close(self):
        self.process.kill()
        self.process.wait(timeout=30)


def start_with(program, logins):
    v.seed(program, logins)
    program.start()
    h.login("quillmarsh")
    # Out of sight, as the list is while the user works elsewhere.
    h.key(h.wait_window("^Pellucorda$"), "Escape")
    h.wait_no_window("^Pellucorda$")
    # Another program's text on the clipboard, which auto-type must leave.
    holder = subprocess.Popen(["xclip", "-quiet", "-i", "-selection", "clipboard"], env=h.env(),
                              stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    holder.stdin.write(SENTINEL.encode())
    holder.stdin.close()
    h.wait_until(lambda: h.clipboard() == SENTINEL, "the clipboard to hold the other program's text")
    return holder, LoginForm(program)


def one_login_named_by_the_title_fills_the_form(program):
    holder, form = start_with(program, [("Mail", "carol", "pw-carol", "mail.example.org", "https"),
                                        ("Probe", "alice", "pw-alice", "login.example.org", "https")])
    try:
        form.press_auto_type_key()
        h.wait_until(lambda: form.state() == "alice\npw-alice\n1\n", "the form filled and its button pressed")
        assert h.clipboard() == SENTINEL, "the clipboard changed: %r" % h.clipboard()
    finally:
        form.close()
        holder.kill()
        holder.wait(timeout=30)


def several_logins_are_offered_in_a_menu_at_the_mouse(program):
    holder, form = start_with(program, [("Form", "bob", "pw-bob", "form.example.org", "https"),
                                        ("Mail", "carol", "pw-carol", "mail.example.org", "https"),
                                        ("probe", "dave", "pw-dave", "probe.example.org", "https")])
    try:
        form.press_auto_type_key()
        h.wait_until(lambda: h.probe().menu(), "the menu of the form's logins")
        h.screenshot("autotype-menu")
        assert form.state() == "\n\n0\n", "typed before a choice: %r" % form.state()
        h.run(["xdotool", "key", "--delay", "20", "Down", "Down", "Return"])
        h.wait_until(lambda: form.state() == "dave\npw-dave\n1\n", "the second login of the menu typed")
        assert h.clipboard() == SENTINEL, "the clipboard changed: %r" % h.clipboard()
    finally:
        form.close()
        holder.kill()
        holder.wait(timeout=30)


TESTS = {
    "one_login_named_by_the_title_fills_the_form": one_login_named_by_the_title_fills_the_form,
    "several_logins_are_offered_in_a_menu_at_the_mouse": several_logins_are_offered_in_a_menu_at_the_mouse,
}

if __name__ == "__main__":
    sys.exit(h.main(TESTS))
