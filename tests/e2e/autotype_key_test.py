#!/usr/bin/env python3
"""Ctrl+Alt+A as real keys over another program's login form (the probe
titled "Login form probe"), the list hidden: the one login the title names
fills the form and presses its button; of several, the one chosen with the
arrow keys in the menu at the mouse. The clipboard keeps another program's
text throughout."""
import os
import subprocess
import sys

import harness as h
import view_helpers as v

FORM_PROBE = os.path.join(h.BUILD, "win", "tests", "win", "login_form_probe.exe")
HELD = "held by another program"


def read(path):
    try:
        with open(path, encoding="utf-8") as f:
            return f.read()
    except OSError:
        return None


def typed_by_the_key(program, logins, menu_keys, expected):
    v.seed(program, logins)
    program.start()
    h.login("quillmarsh")
    h.key(h.wait_window("^Pellucorda$"), "Escape")
    h.wait_no_window("^Pellucorda$")
    holder = subprocess.Popen(["xclip", "-quiet", "-i", "-selection", "clipboard"], env=h.env(),
                              stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    holder.stdin.write(HELD.encode())
    holder.stdin.close()
    record = program.path("form.txt")
    form = subprocess.Popen(["wine", FORM_PROBE, "Z:" + record.replace("/", "\\")], env=h.env(),
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    state = lambda: read(record)
    try:
        window = h.wait_window("^Login form probe$")
        h.wait_until(lambda: state() == "\n\n0\n" and h.clipboard() == HELD, "the empty form and the held text")
        _, _, width, height = h.geometry(window)
        h.click(window, width // 2, height - 20)  # the form's background: the front and the X focus
        h.key(window, "ctrl+alt+a")
        if menu_keys:
            h.wait_until(lambda: h.probe().menu(), "the menu of the form's logins")
            h.screenshot("autotype-menu")
            assert state() == "\n\n0\n", "typed before a choice: %r" % state()
            h.run(["xdotool", "key", "--delay", "20"] + menu_keys)
        h.wait_until(lambda: state() == expected, "the form filled and its button pressed: %r" % expected)
        assert h.clipboard() == HELD, "the clipboard changed: %r" % h.clipboard()
    finally:
        for process in (form, holder):
            process.kill()
            process.wait(timeout=30)


def one_login_named_by_the_title_fills_the_form(program):
    typed_by_the_key(program, [("Mail", "carol", "pw-carol", "mail.example.org", "https"),
                               ("Probe", "alice", "pw-alice", "login.example.org", "https")],
                     [], "alice\npw-alice\n1\n")


def several_logins_are_offered_in_a_menu_at_the_mouse(program):
    typed_by_the_key(program, [("Form", "bob", "pw-bob", "form.example.org", "https"),
                               ("Mail", "carol", "pw-carol", "mail.example.org", "https"),
                               ("probe", "dave", "pw-dave", "probe.example.org", "https")],
                     ["Down", "Down", "Return"], "dave\npw-dave\n1\n")


TESTS = {
    "one_login_named_by_the_title_fills_the_form": one_login_named_by_the_title_fills_the_form,
    "several_logins_are_offered_in_a_menu_at_the_mouse": several_logins_are_offered_in_a_menu_at_the_mouse,
}

if __name__ == "__main__":
    sys.exit(h.main(TESTS))
