#!/usr/bin/env python3
"""Start-up and login of the real program, driven with real keys."""
import os
import sys

import harness as h


def login_after_a_wrong_password(program):
    assert program.cli(["init"]).returncode == 0  # an earlier run's vault
    process = program.start()
    login = h.wait_window("^Login$")
    h.screenshot("login", login)
    h.type_text(login, "not-the-password")
    h.key(login, "Return")
    # The store's message box; the list window is still hidden, so the only
    # visible window with the program's title is the message.
    box = h.wait_window("^Pellucorda$")
    x, y, width, height = h.geometry(box)
    assert width < 400 and height < 200, "expected a message box, got %dx%d" % (width, height)
    h.screenshot("wrong-password", box)
    h.key(box, "Return")
    # The dialog comes back empty: had it kept the rejected text, the
    # password typed now would not open the vault.
    login = h.wait_window("^Login$")
    h.type_text(login, "quillmarsh")
    h.key(login, "Return")
    h.wait_no_window("^Login$")
    view = h.wait_window("^Pellucorda$")
    x, y, width, height = h.geometry(view)
    assert process.poll() is None, "the program ended"

    assert program.file_size("logininfo.dat") == 1728, program.file_size("logininfo.dat")
    # The backup folder defaults to the folder the program started in.
    h.wait_until(lambda: program.file_size("logininfo.bak") == 1728, "the backup copy")
    with open(program.path("logininfo.dat"), "rb") as a, open(program.path("logininfo.bak"), "rb") as b:
        assert a.read() == b.read(), "the backup is a byte-for-byte copy"

    folder = program.windows_path()
    expected = {
        "WebClient": "", "FtpClient": "", "TelnetClient": "",
        "SetupPath": folder + "\\pellucorda.exe", "BackupPath": folder,
        "EnableHotKey": "01", "Alpha": "FF", "LogoutTime": "00",
    }
    for name, value in expected.items():
        got = h.reg_query(h.CONFIG_KEY, name)
        assert got is not None and got.upper() == value.upper(), "%s: %r, expected %r" % (name, got, value)
    assert h.reg_query(h.RUN_KEY, "Pellucorda") == folder + "\\pellucorda.exe"

    # The vault opens in the command-line tool with the default password.
    result = program.cli(["check"], "quillmarsh\n")
    assert result.returncode == 0 and b"items: 1" in result.stdout, result


def a_second_copy_says_so_and_ends(program):
    first = program.start()
    h.wait_window("^Login$")
    second = program.start()
    box = h.wait_window("^Pellucorda$")
    h.screenshot("already-running", box)
    h.key(box, "Return")
    h.wait_until(lambda: second.poll() is not None, "the second copy to end")
    assert first.poll() is None, "the first copy must run on"
    assert h.visible_windows("^Login$"), "the first copy's Login dialog stays"


def escape_leaves_the_program_running_logged_out(program):
    process = program.start()
    login = h.wait_window("^Login$")
    h.key(login, "Escape")
    h.wait_no_window("^Login$")
    # Still running in the notification area: its hidden main window is there.
    h.wait_until(lambda: h.run(["xdotool", "search", "--name", "^Pellucorda$"], check=False).stdout.strip(),
                 "the hidden main window")
    assert process.poll() is None, "the program ended after a cancelled login"
    assert not h.visible_windows("^Pellucorda$"), "the list window stays hidden"
    assert program.file_size("logininfo.dat") is None, "a cancelled login creates no vault"


def a_start_from_another_folder_uses_the_program_folder(program):
    # What Windows does with the auto-run value at logon: the program starts
    # in some other folder.
    elsewhere = program.path("elsewhere")
    os.makedirs(elsewhere)
    program.start(cwd=elsewhere)
    h.login("quillmarsh")
    h.wait_no_window("^Login$")
    h.wait_until(lambda: program.file_size("logininfo.dat") == 1728, "the vault beside the program")
    assert os.listdir(elsewhere) == [], "nothing is written where the program was started"
    folder = program.windows_path()
    setup = h.reg_query(h.CONFIG_KEY, "SetupPath")
    assert setup == folder + "\\pellucorda.exe", setup
    assert h.reg_query(h.CONFIG_KEY, "BackupPath") == folder


def a_lost_vault_is_explained_and_its_backup_kept(program):
    # The user's vault lives on only in its backup.
    assert program.cli(["init"]).returncode == 0
    assert program.cli(["passwd"], "quillmarsh\nmine\nmine\n").returncode == 0
    os.rename(program.path("logininfo.dat"), program.path("logininfo.bak"))
    with open(program.path("logininfo.bak"), "rb") as f:
        backup = f.read()

    program.start()
    vault = program.windows_path() + "\\logininfo.dat"
    for _ in range(2):  # said again while the vault is as it was made
        h.login("mine")
        box = h.wait_window("^Pellucorda$")
        text = h.probe().text("Pellucorda")
        assert text.startswith("No vault was found at %s, so a new one was made with the default master password "
                               "\"quillmarsh\"" % vault), text
        assert "Your logins may be in the backup %s\\logininfo.bak" % program.windows_path() in text, text
        h.screenshot("vault-made-anew", box)
        h.key(box, "Return")
    h.login("quillmarsh")
    h.wait_no_window("^Login$")
    h.wait_window("^Pellucorda$")
    with open(program.path("logininfo.bak"), "rb") as f:
        assert f.read() == backup, "the new vault replaced the backup"


TESTS = {
    "login_after_a_wrong_password": login_after_a_wrong_password,
    "a_second_copy_says_so_and_ends": a_second_copy_says_so_and_ends,
    "escape_leaves_the_program_running_logged_out": escape_leaves_the_program_running_logged_out,
    "a_start_from_another_folder_uses_the_program_folder": a_start_from_another_folder_uses_the_program_folder,
    "a_lost_vault_is_explained_and_its_backup_kept": a_lost_vault_is_explained_and_its_backup_kept,
}

if __name__ == "__main__":
    sys.exit(h.main(TESTS))
