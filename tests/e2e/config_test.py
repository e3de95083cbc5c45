#!/usr/bin/env python3
"""The Config dialog and the About dialog of the real program, opened from
the tray menu with real clicks and driven with real keys."""
import sys

import config_helpers as c
import harness as h
import view_helpers as v

WEB_CLIENT = r"C:\Tools\browser.exe"


def typed_web_client_survives_the_close_box(program):
    process = c.start_logged_out(program)
    config = c.open_config()
    h.screenshot("config-option", config)

    c.click_at(config, c.CONFIG_TAB_LOCAL)
    c.click_at(config, c.LOCAL_EDITS["Web"])
    h.type_text(config, WEB_CLIENT)
    # Every keystroke is stored: the value is there while the dialog is open.
    h.wait_until(lambda: h.reg_query(h.CONFIG_KEY, "WebClient") == WEB_CLIENT, "WebClient to be stored")
    h.screenshot("config-local", config)
    assert h.reg_query(h.CONFIG_KEY, "TelnetClient") == "", "only the Web edit was typed in"

    c.close_box(config)
    h.wait_no_window("^Config$")
    assert process.poll() is None, "closing the dialog ends nothing else"
    assert h.reg_query(h.CONFIG_KEY, "WebClient") == WEB_CLIENT, "the close box keeps what was stored"

    # Shown again, the page holds the stored path.
    config = c.open_config()
    c.click_at(config, c.CONFIG_TAB_LOCAL)
    h.key(config, "Escape")
    h.wait_no_window("^Config$")


def option_controls_store_at_once(program):
    c.put_config_byte("Alpha", 253)
    c.put_config_byte("EnableHotKey", 1)
    c.start_logged_out(program)
    config = c.open_config()

    # The bar's arrows step by 4, within 128 to 255.
    left_arrow, right_arrow = c.alpha_arrows(config)
    c.click_at(config, right_arrow)
    h.wait_until(lambda: c.config_byte("Alpha") == 255, "Alpha 255 after the right arrow")
    c.click_at(config, left_arrow)
    h.wait_until(lambda: c.config_byte("Alpha") == 251, "Alpha 251 after the left arrow")

    # An emptied logout time is refused at once; the edit keeps the focus.
    c.click_at(config, c.OPTION_LOGOUT)
    h.key(config, "ctrl+a", "BackSpace")
    box = h.wait_window("^Pellucorda$")
    h.screenshot("logout-warning", box)
    h.key(box, "Return")
    h.wait_no_window("^Pellucorda$")
    # The logout time is stored once the edit loses the focus.
    h.type_text(config, "45")
    assert c.config_byte("LogoutTime") == 0, "typing alone stores nothing"
    c.click_at(config, c.OPTION_HOTKEY)
    h.wait_until(lambda: c.config_byte("LogoutTime") == 45, "LogoutTime 45 after leaving the edit")
    h.wait_until(lambda: c.config_byte("EnableHotKey") == 0, "the hotkey switched off")
    h.screenshot("config-option-changed", config)
    c.close_box(config)
    h.wait_no_window("^Config$")


SECURITY_HOTKEY, SECURITY_WINDOWS_KEY = 1100, 1101


def a_key_chosen_on_the_security_page_shows_the_list(program):
    program.start()
    h.login("quillmarsh")
    h.wait_window("^Pellucorda$")
    config = c.open_config()
    c.click_at(config, c.CONFIG_TAB_SECURITY)
    # Ctrl+Alt+P: the Windows key off, the combination pressed in the field.
    c.click_at(config, c.control_middle(config, SECURITY_WINDOWS_KEY))
    c.click_at(config, c.control_middle(config, SECURITY_HOTKEY))
    h.key(config, "ctrl+alt+p")
    h.wait_until(lambda: h.reg_query(h.CONFIG_KEY, "HotKey") == "0x350", "Ctrl+Alt+P to be stored")
    h.screenshot("config-security", config)
    c.close_box(config)
    h.wait_no_window("^Config$")
    notepad, pad = v.start_notepad()
    try:
        h.key(pad, "ctrl+alt+p")
        h.wait_no_window("^Pellucorda$")
        h.key(pad, "ctrl+alt+p")
        h.wait_window("^Pellucorda$")
    finally:
        notepad.kill()
        notepad.wait(timeout=30)


SECURITY_KEY_TEXT = 1106


def strong_key_from_the_security_page_survives_a_restart(program):
    v.seed(program, [("Webmail", "bob", "pw-bob", "webmail.example.org", "https")])
    program.start()
    h.login("quillmarsh")
    view = h.wait_window("^Pellucorda$")
    config = c.open_config()
    c.click_at(config, c.CONFIG_TAB_SECURITY)
    h.wait_until(lambda: "fast and compatible" in h.probe().text("Config", SECURITY_KEY_TEXT), "the key shown")
    h.screenshot("config-security-vault", config)
    h.key(config, "alt+k")  # the button's mnemonic
    passwords = h.wait_window("^Use the Strong Key$")
    h.screenshot("vault-key", passwords)
    # The focus starts in the current password; no new one keeps it.
    h.type_text(passwords, "quillmarsh")
    h.key(passwords, "Return")
    # The outcome's box stands over the list window, which has the same title.
    box = h.wait_until(lambda: next(iter(set(h.visible_windows("^Pellucorda$")) - {view}), None), "the outcome")
    text = h.wait_until(lambda: h.probe().text("Pellucorda"), "the outcome's text")
    assert text == "The vault now has the strong key. So has its backup.", text
    h.key(box, "Return")
    h.wait_until(lambda: "strong (Argon2id, " in h.probe().text("Config", SECURITY_KEY_TEXT), "the strong key shown")
    h.screenshot("config-security-strong", config)
    c.close_box(config)
    h.wait_no_window("^Config$")

    for name in ("logininfo.dat", "logininfo.bak"):
        checked = program.cli(["check"], "quillmarsh\n", name)
        assert b"\nformat: strong (" in checked.stdout, (name, checked)

    c.choose_tray_item("Exit Pellucorda(&S)")
    program.processes[-1].wait(timeout=60)
    program.start()
    h.login("quillmarsh")
    view = h.wait_window("^Pellucorda$")
    h.wait_until(lambda: v.shown_and_held_rows(view) == (2, 2), "the vault's two items in the list", timeout=60)


BLUE = (0, 0, 255)
RED = (255, 0, 0)


def about_link_is_red_under_the_mouse(program):
    c.start_logged_out(program)
    about = c.open_about()
    h.screenshot("about", about)
    assert BLUE in c.colours_in(about, c.ABOUT_HOME_LINK), "a link is drawn blue"

    x, y, width, height = c.ABOUT_HOME_LINK
    h.run(["xdotool", "mousemove", "--window", str(about), str(x + 20), str(y + height // 2)])
    h.wait_until(lambda: RED in c.colours_in(about, c.ABOUT_HOME_LINK), "the link under the mouse to turn red")
    h.screenshot("about-hover", about)
    # Gone from the link, the hover timer turns it back.
    h.run(["xdotool", "mousemove", "--window", str(about), "10", "10"])
    h.wait_until(lambda: RED not in c.colours_in(about, c.ABOUT_HOME_LINK)
                 and BLUE in c.colours_in(about, c.ABOUT_HOME_LINK), "the link to turn blue again")
    h.key(about, "Escape")
    h.wait_no_window("^About$")


TESTS = {
    "typed_web_client_survives_the_close_box": typed_web_client_survives_the_close_box,
    "option_controls_store_at_once": option_controls_store_at_once,
    "about_link_is_red_under_the_mouse": about_link_is_red_under_the_mouse,
    "a_key_chosen_on_the_security_page_shows_the_list": a_key_chosen_on_the_security_page_shows_the_list,
    "strong_key_from_the_security_page_survives_a_restart": strong_key_from_the_security_page_survives_a_restart,
}

if __name__ == "__main__":
    sys.exit(h.main(TESTS))
