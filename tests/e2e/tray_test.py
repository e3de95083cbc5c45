#!/usr/bin/env python3
"""The program's icon in the notification area, clicked with the real mouse:
a left click logs in and toggles the list window, a right click opens the
tray menu, and its Exit ends the program and takes the icon away."""
import os
import sys

import harness as h
import tray_helpers as tray

LIST = "^Pellucorda$"


def start_logged_out(program):
    process = program.start()
    login = h.wait_window("^Login$")
    h.key(login, "Escape")
    h.wait_no_window("^Login$")
    tray.tray_window()
    return process


def a_left_click_logs_in_and_then_toggles_the_list_window(program):
    process = start_logged_out(program)
    assert not h.visible_windows(LIST), "nobody is logged in: the list is hidden"

    # A login cancelled from the tray leaves the list hidden, and the
    # program running.
    tray.click_icon()
    login = h.wait_window("^Login$")
    h.key(login, "Escape")
    h.wait_no_window("^Login$")
    assert not h.visible_windows(LIST), "a cancelled login shows no list"

    tray.click_icon()
    h.login("quillmarsh")
    h.wait_no_window("^Login$")
    h.wait_window(LIST)

    tray.click_icon()
    h.wait_no_window(LIST)
    tray.click_icon()
    h.wait_window(LIST)

    # A double-click toggles once, through its first press; had the
    # double-click itself toggled too, the next click would hide the list.
    tray.double_click_icon()
    h.wait_no_window(LIST)
    tray.click_icon()
    h.wait_window(LIST)
    assert process.poll() is None, "the program ended"


def a_right_click_opens_the_menu_whose_exit_ends_the_program(program):
    process = start_logged_out(program)

    # A click elsewhere closes the menu without a command.
    x, y = tray.click_icon(button=3)
    menu = tray.wait_menu(x, y)
    tray.click_at(700, 500)
    tray.wait_no_menu(x, y)
    assert process.poll() is None, "closing the menu must not end the program"

    # The application's own commands are on the menu too.
    x, y = tray.click_icon(button=3)
    menu = tray.wait_menu(x, y)
    tray.click_at(*tray.menu_item_point(menu, 2))
    about = h.wait_window("^About$")
    h.key(about, "Escape")
    h.wait_no_window("^About$")

    x, y = tray.click_icon(button=3)
    menu = tray.wait_menu(x, y)
    shot = h.screenshot("tray-menu")
    tray.crop(shot, os.path.join(h.SCREENSHOTS, "tray-menu-corner.png"), 240, menu[1] + menu[3] + 12)
    assert not h.visible_windows(LIST), "a right click does not show the list"

    tray.click_at(*tray.menu_item_point(menu, 3))
    h.wait_until(lambda: process.poll() is not None, "the program to end")
    assert process.returncode == 0, "exit code %r" % process.returncode
    tray.wait_tray_gone()


TESTS = {
    "a_left_click_logs_in_and_then_toggles_the_list_window": a_left_click_logs_in_and_then_toggles_the_list_window,
    "a_right_click_opens_the_menu_whose_exit_ends_the_program": a_right_click_opens_the_menu_whose_exit_ends_the_program,
}

if __name__ == "__main__":
    sys.exit(h.main(TESTS))
