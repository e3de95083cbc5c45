#!/usr/bin/env python3
"""The keyboard order of every dialog of the real program, with real Tab
presses: where the focus starts and where each Tab takes it, round to the
start again."""
import sys

import config_helpers as c
import harness as h
import view_helpers as v


def focus_after_tabs(title, window, presses):
    """The focused control (id, class) before and after each Tab press."""
    probe = h.probe()
    seen = [h.wait_until(lambda: probe.focus(title), "the focus in %s" % title)]
    for _ in range(presses):
        h.key(window, "Tab")
        seen.append(h.wait_until(lambda: (lambda f: f if f != seen[-1] else None)(probe.focus(title)),
                                 "Tab to move the focus in %s" % title, timeout=10))
    return seen


def expect_order(title, window, order):
    """Tab runs through `order` (ids and classes) and back to its start."""
    seen = focus_after_tabs(title, window, len(order))
    assert seen == order + order[:1], "%s: Tab went %s, expected %s" % (title, seen, order + order[:1])


EDIT, BUTTON, HOTKEY = "Edit", "Button", "msctls_hotkey32"


def tab_runs_through_every_dialog_in_order(program):
    v.seed(program, [])
    program.start()
    login = h.wait_window("^Login$")
    expect_order("Login", login, [(1049, EDIT), (1, BUTTON)])
    h.type_text(login, "quillmarsh")
    h.key(login, "Return")

    view = h.wait_window("^Pellucorda$")
    v.wait_rows(view, 1)
    expect_order("Pellucorda", view, [(1019, EDIT), (1020, BUTTON), (1024, BUTTON), (1025, BUTTON),
                                      (1018, "SysListView32"), (1021, BUTTON), (1022, BUTTON), (1023, BUTTON),
                                      (1045, BUTTON), (1046, BUTTON)])

    # Modify Password: old, new, confirm, OK, Cancel.
    v.click_control(view, "password")
    passwords = h.wait_window("^Modfiy Password$")
    expect_order("Modfiy Password", passwords, [(1047, EDIT), (1048, EDIT), (1072, EDIT), (1, BUTTON), (2, BUTTON)])
    h.key(passwords, "Escape")
    h.wait_no_window("^Modfiy Password$")

    v.click_control(view, "new")
    form = h.wait_window("^Insert or Modify Item$")
    expect_order("Insert or Modify Item", form, [(1030, EDIT), (1032, EDIT), (1034, EDIT), (1033, EDIT),
                                                 (1035, "ComboBox"), (1031, EDIT), (1, BUTTON), (2, BUTTON)])
    h.key(form, "Escape")
    h.wait_no_window("^Insert or Modify Item$")

    # Config: each page's controls from the top, round again.
    config = c.open_config()
    expect_order("Config", config, [(1052, BUTTON), (1053, BUTTON), (1069, "ScrollBar"), (1051, EDIT)])
    c.click_at(config, c.CONFIG_TAB_LOCAL)
    h.wait_until(lambda: h.probe().focus("Config") == (1051, EDIT), "the focus in the Local page")
    # Each path's Browse button right after its edit.
    expect_order("Config", config, [(1051, EDIT), (1140, BUTTON), (1052, EDIT), (1141, BUTTON), (1054, EDIT),
                                    (1142, BUTTON), (1055, EDIT), (1143, BUTTON)])
    # The page keys of a property sheet: Ctrl+Tab and Ctrl+PageDown on, round;
    # Ctrl+Shift+Tab back. The focus goes where it was left on that page.
    h.key(config, "ctrl+Tab")
    h.wait_until(lambda: h.probe().focus("Config") == (1100, HOTKEY), "Ctrl+Tab to the Security page")
    expect_order("Config", config, [(1100, HOTKEY), (1101, BUTTON), (1120, HOTKEY), (1121, BUTTON), (1103, EDIT),
                                    (1104, BUTTON), (1105, EDIT), (1107, BUTTON)])
    h.key(config, "ctrl+Next")
    h.wait_until(lambda: h.probe().focus("Config") == (1052, BUTTON), "Ctrl+PageDown round to the Option page")
    h.key(config, "ctrl+shift+Tab")
    h.wait_until(lambda: h.probe().focus("Config") == (1100, HOTKEY), "Ctrl+Shift+Tab back to the Security page")
    h.key(config, "Escape")
    h.wait_no_window("^Config$")


TESTS = {
    "tab_runs_through_every_dialog_in_order": tab_runs_through_every_dialog_in_order,
}

if __name__ == "__main__":
    sys.exit(h.main(TESTS))
