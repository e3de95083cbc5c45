#!/usr/bin/env python3
"""The list window with real mouse and keys: a new item typed in the item
form reaches the vault with its address cleaned, clicks put the user name and
the password on the clipboard, Lock hides the window and takes the password
back off the clipboard, and Windows+A shows and hides the window. A full page
shows without scrolling; the form's fields stop at their widths; a scheme
typed sets the type; the logout time ends an open form without saving; a
copied password leaves the clipboard when its time is up; a deleted row
leaves the screen, and a click where it was copies nothing."""
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


def items_through(count):
    return [("svc%d" % i, "user%d" % i, "pw%d" % i, "host%d.example.org" % i, "http") for i in range(count)]


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


def a_full_page_shows_every_row_and_the_tenth_takes_a_click(program):
    v.seed(program, items_through(14))
    program.start()
    h.login("quillmarsh")
    view = h.wait_window("^Pellucorda$")
    v.wait_rows(view, 10)
    h.screenshot("view-full-page", view)
    client, top, rows = h.probe().rows(v.TITLE, v.CONTROLS["list"])
    assert top == 0 and len(rows) == 10, (top, rows)
    for number, (_, row_top, _, row_bottom) in enumerate(rows):
        assert client[1] <= row_top and row_bottom <= client[3], \
            "row %d (%d..%d) is not inside the list (%d..%d)" % (number, row_top, row_bottom, client[1], client[3])
    # The tenth row takes a real click where it is shown: no scrolling first.
    x0, y0, _, _ = h.geometry(view)
    left, row_top, _, row_bottom = rows[9]
    h.click(view, left - x0 + 60, (row_top + row_bottom) // 2 - y0)
    h.wait_until(lambda: h.clipboard() == "user8", "the tenth row's user name on the clipboard")
    h.wait_window("^Pellucorda$")  # the copy's confirmation has left the caption
    assert h.probe().rows(v.TITLE, v.CONTROLS["list"])[1] == 0, "the list scrolled"


def deleted_rows_leave_the_screen_and_a_click_there_copies_nothing(program):
    """Modify and OK, a click on another row, Delete and OK, as a user does."""
    v.seed(program, items_through(4))
    program.start()
    h.login("quillmarsh")
    view = h.wait_window("^Pellucorda$")
    box = lambda what: h.wait_until(lambda: set(h.visible_windows("^Pellucorda$")) - {view}, what).pop()
    for count in (5, 4, 3):
        rows = v.wait_rows(view, count)
        v.click_row(view, rows[0])
        v.click_control(view, "modify")
        h.key(h.wait_window("^Insert or Modify Item$"), "Return")
        h.wait_no_window("^Insert or Modify Item$")
        v.click_row(view, rows[-1])
        h.wait_until(lambda: h.clipboard() == "user%d" % (count - 2), "the row's user name on the clipboard")
        h.key(view, "Delete")
        h.key(box("Are you sure?"), "Return")
        h.wait_until(lambda: len(v.exported(program)) == count - 1, "the row deleted from the vault")
        h.wait_until(lambda: v.shown_and_held_rows(view) == (count - 1, count - 1), "the list as the vault is")
        # A click where the row was; Delete then asks for a row, so the
        # click has been handled once the question shows.
        v.click_row(view, rows[-1])
        h.key(view, "Delete")
        question = box("Please Select one Item")
        assert h.clipboard() == "user%d" % (count - 2), "a click beside the rows changed the clipboard"
        h.key(question, "Return")
        h.wait_until(lambda: not set(h.visible_windows("^Pellucorda$")) - {view}, "the question answered")


def open_new_item_form(program):
    """A vault with the default item, logged in, New pressed: the form."""
    v.seed(program, [])
    program.start()
    h.login("quillmarsh")
    view = h.wait_window("^Pellucorda$")
    v.wait_rows(view, 1)
    v.click_control(view, "new")
    return h.wait_window("^Insert or Modify Item$")


def new_item(program):
    """The item that the form added to the default one, once it is saved."""
    h.wait_no_window("^Insert or Modify Item$")
    return h.wait_until(lambda: (lambda i: i[1] if len(i) == 2 else None)(v.exported(program)), "the new item")


def typing_stops_at_each_fields_limit(program):
    form = open_new_item_form(program)
    # 70 characters into the 63 of the name and 43 into the 31 of the
    # password; four BackSpaces then take off what the user saw last.
    name, password = "n" * 60 + "0123456789", "p" * 30 + "0123456789abc"
    typing(form, name, ("key", "BackSpace"), ("key", "Tab"), "bob", ("key", "Tab"), password,
           ("key", "BackSpace"), ("key", "BackSpace"), ("key", "BackSpace"), ("key", "BackSpace"), ("key", "Return"))
    added = new_item(program)
    assert added["service"] == name[:62], added["service"]
    assert added["password"] == password[:27], added["password"]


def https_typed_in_the_address_makes_an_https_item(program):
    form = open_new_item_form(program)
    typing(form, "Bank", ("key", "Tab"), "carol", ("key", "Tab"), "pw", ("key", "Tab"), "https://bank.example",
           ("key", "Tab"))
    h.screenshot("view-item-https", form)
    typing(form, ("key", "Return"))
    added = new_item(program)
    assert (added["address"], added["type"]) == ("bank.example", "HTTPS"), added


def the_logout_time_ends_the_item_form_and_saves_nothing(program):
    v.seed(program, items_through(2))
    before = v.exported(program)
    h.run(["wine", "reg", "add", h.CONFIG_KEY, "/v", "LogoutTime", "/t", "REG_BINARY", "/d", "01", "/f"])
    program.start()
    h.login("quillmarsh")
    view = h.wait_window("^Pellucorda$")
    rows = v.wait_rows(view, 3)
    v.click_row(view, rows[1])
    v.click_control(view, "modify")
    form = h.wait_window("^Insert or Modify Item$")
    typing(form, ("key", "Tab"), ("key", "Tab"), "changed but never saved")
    # The logout time is one minute from the login; it ends the form, then
    # hides the list.
    h.wait_no_window("^Insert or Modify Item$", timeout=120)
    h.wait_no_window("^Pellucorda$", timeout=120)
    assert v.exported(program) == before, "the vault changed"


def a_copied_password_leaves_the_clipboard_after_its_time(program):
    v.seed(program, [("Webmail", "bob", "pw-bob", "webmail.example.org", "https")])
    h.run(["wine", "reg", "add", h.CONFIG_KEY, "/v", "ClipboardSeconds", "/t", "REG_DWORD", "/d", "1", "/f"])
    program.start()
    h.login("quillmarsh")
    view = h.wait_window("^Pellucorda$")
    rows = v.wait_rows(view, 2)
    v.click_row(view, rows[1], button=3)
    h.wait_until(lambda: h.clipboard() == "pw-bob", "the password on the clipboard")
    h.wait_window("^Password copied; clears in 1 s$")
    h.wait_until(lambda: h.clipboard() is None, "the password taken off the clipboard after a second", timeout=15)
    h.wait_window("^Pellucorda$")


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
    "a_full_page_shows_every_row_and_the_tenth_takes_a_click": a_full_page_shows_every_row_and_the_tenth_takes_a_click,
    "typing_stops_at_each_fields_limit": typing_stops_at_each_fields_limit,
    "https_typed_in_the_address_makes_an_https_item": https_typed_in_the_address_makes_an_https_item,
    "the_logout_time_ends_the_item_form_and_saves_nothing": the_logout_time_ends_the_item_form_and_saves_nothing,
    "a_copied_password_leaves_the_clipboard_after_its_time": a_copied_password_leaves_the_clipboard_after_its_time,
    "the_tool_writes_only_while_nobody_is_logged_in": the_tool_writes_only_while_nobody_is_logged_in,
    "deleted_rows_leave_the_screen_and_a_click_there_copies_nothing": deleted_rows_leave_the_screen_and_a_click_there_copies_nothing,
}

if __name__ == "__main__":
    sys.exit(h.main(TESTS))
