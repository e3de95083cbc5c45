#!/usr/bin/env python3
"""Ctrl+Alt+A as real keys over another program's login form, the list hidden:
the login its title names, or the one chosen in the menu of several, fills it
and presses its button; the clipboard keeps another program's text."""
import os
import pathlib
import subprocess
import sys

import harness as h
import view_helpers as v

FORM_PROBE = os.path.join(h.BUILD, "win", "tests", "win", "login_form_probe.exe")
HELD = "held by another program"

# The form replaces its record by a rename: once there, it is always whole.
read = lambda path: pathlib.Path(path).read_text(encoding="utf-8") if os.path.exists(path) else None


def typed_by_the_key(program, logins, menu_keys, expected):
    v.seed(program, [(s, u, "pw-" + u, s.lower() + ".example.org", "https") for s, u in logins])
    program.start()
    h.login("quillmarsh")
    h.key(h.wait_window("^Pellucorda$"), "Escape")
    h.wait_no_window("^Pellucorda$")
    pipe = dict(env=h.env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    holder = subprocess.Popen(["xclip", "-quiet", "-i", "-selection", "clipboard"], stdin=subprocess.PIPE, **pipe)
    holder.stdin.write(HELD.encode())
    holder.stdin.close()
    record = program.path("form.txt")
    form = subprocess.Popen(["wine", FORM_PROBE, "Z:" + record.replace("/", "\\")], stdin=subprocess.DEVNULL, **pipe)
    try:
        window = h.wait_window("^Login form probe$")
        h.wait_until(lambda: read(record) == "\n\n0\n" and h.clipboard() == HELD, "the empty form, the held text")
        _, _, width, height = h.geometry(window)
        h.click(window, width // 2, height - 20)  # the form's background: the front and the X focus
        h.key(window, "ctrl+alt+a")
        if menu_keys:
            h.wait_until(lambda: h.probe().ask("menu") == ["shown"], "the menu of the form's logins")
            h.screenshot("autotype-menu")
            h.run(["xdotool", "key", "--delay", "20"] + menu_keys)
        h.wait_until(lambda: read(record) == expected, "the form filled and its button pressed: %r" % expected)
        assert h.clipboard() == HELD, "the clipboard changed: %r" % h.clipboard()
    finally:
        for process in (form, holder):
            process.kill()
            process.wait(timeout=30)


def one_login_named_by_the_title_fills_the_form(program):
    typed_by_the_key(program, [("Mail", "carol"), ("Probe", "alice")], [], "alice\npw-alice\n1\n")


def several_logins_are_offered_in_a_menu_at_the_mouse(program):
    typed_by_the_key(program, [("Form", "bob"), ("Mail", "carol"), ("probe", "dave")], ["Down", "Down", "Return"],
                     "dave\npw-dave\n1\n")


TESTS = {
    "one_login_named_by_the_title_fills_the_form": one_login_named_by_the_title_fills_the_form,
    "several_logins_are_offered_in_a_menu_at_the_mouse": several_logins_are_offered_in_a_menu_at_the_mouse,
}

if __name__ == "__main__":
    sys.exit(h.main(TESTS))
