#!/usr/bin/env python3
"""The list window with real mouse and keys: a new item typed in the item
form reaches the vault with its address cleaned, clicks put the user name and
the password on the clipboard, Lock hides the window and takes the password
back off the clipboard, and Windows+A shows and hides the window."""
import sys

import harness as h
import view_helpers as v


def typing(window, *steps):
    """Types into the window that has the focus: texts, and keys given as
    ("key", name)."""
    h.focus(window)
    for step in steps:
        if isinstance(step, tuple):
            h.run(["xdotool", "key", "--delay", "20", step[1]])
        else:
            h.run(["xdotool", "type", "--delay", "20", step])


def new_item_is_saved_cleaned_and_clicks_copy_its_secrets(program):
    v.seed(program, [("Webmail", "bob", "pw-bob", "webmail.example.org", "https"),
                     ("Files", "carol", "pw-carol", "files.example.org", "ftp")])
    program.start()
    h.login("quillmarsh")
    view = h.wait_window("^Pellucorda$")
    # The window may be mapped before it has painted: wait for the colour.
    h.wait_until(lambda: v.list_background_shows(view), "the list's background where the layout puts it",
                 timeout=15, interval=0.2)
    v.wait_rows(view, 3)

    v.click_control(view, "new")
    form = h.wait_window("^Insert or Modify Item$")
    # Tab out of the address cleans it before OK is pressed.
    typing(form, "Mail", ("key", "Tab"), "alice", ("key", "Tab"), "pw-alice", ("key", "Tab"),
           "http://mail.example.org/login", ("key", "Tab"), ("key", "Tab"), "Mail at work")
    h.screenshot("view-item", form)
    typing(form, ("key", "Return"))
    h.wait_no_window("^Insert or Modify Item$")

    items = h.wait_until(lambda: (lambda i: i if len(i) == 4 else None)(v.exported(program)),
                         "the new item in the vault")
    added = items[3]
    assert added["address"] == "mail.example.org/login", added
    assert (added["service"], added["user"], added["password"], added["type"]) == \
        ("Mail", "alice", "pw-alice", "HTTP"), added
    assert added["description"] == "Mail at work", added

    rows = v.wait_rows(view, 4)
    h.screenshot("view-list", view)
    v.click_row(view, rows[3])
    h.wait_until(lambda: h.clipboard() == "alice", "the user name on the clipboard")
    v.click_row(view, rows[1], button=3)
    h.wait_until(lambda: h.clipboard() == "pw-bob", "the password on the clipboard")

    v.click_control(view, "lock")
    h.wait_no_window("^Pellucorda$")
    h.wait_until(lambda: h.clipboard() is None, "the password taken off the clipboard")
    assert len(v.exported(program)) == 4, "Lock changes nothing in the vault"


def windows_a_toggles_the_window_and_logs_in_first(program):
    program.start()
    h.login("quillmarsh")
    view = h.wait_window("^Pellucorda$")
    v.hotkey(view)
    h.wait_no_window("^Pellucorda$")
    notepad, pad = v.start_notepad()
    try:
        v.hotkey(pad)
        view = h.wait_window("^Pellucorda$")
        v.click_control(view, "lock")
        h.wait_no_window("^Pellucorda$")
        # Logged out: the hotkey asks for the password first.
        v.hotkey(pad)
        h.login("quillmarsh")
        h.wait_window("^Pellucorda$")
    finally:
        notepad.kill()
        notepad.wait(timeout=30)


def the_tool_writes_only_while_nobody_is_logged_in(program):
    """One writer at a time: the native tool waits while the program under
    Wine holds the vault, from login to Lock, and a program that dies leaves
    no lock behind."""
    v.seed(program, [])
    add = ["add", "--service", "Tool", "--user", "t"]
    for ending in ("lock", "crash"):
        program.start()
        h.login("quillmarsh")
        view = h.wait_window("^Pellucorda$")
        result = program.cli(add, "quillmarsh\nx\n")
        assert result.returncode == 5, result
        assert b"the vault is open in Pellucorda; lock it there first" in result.stderr, result
        assert v.exported(program)[0]["service"] == "Corvanet software", "reading goes on meanwhile"
        if ending == "lock":
            v.click_control(view, "lock")
            h.wait_no_window("^Pellucorda$")
        else:
            h.end_all_programs(program.processes)
        result = program.cli(add, "quillmarsh\nx\n")
        assert result.returncode == 0, (ending, result)
        h.end_all_programs(program.processes)
    assert len(v.exported(program)) == 3


TESTS = {
    "new_item_is_saved_cleaned_and_clicks_copy_its_secrets": new_item_is_saved_cleaned_and_clicks_copy_its_secrets,
    "windows_a_toggles_the_window_and_logs_in_first": windows_a_toggles_the_window_and_logs_in_first,
    "the_tool_writes_only_while_nobody_is_logged_in": the_tool_writes_only_while_nobody_is_logged_in,
}

if __name__ == "__main__":
    sys.exit(h.main(TESTS))
