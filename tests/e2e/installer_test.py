#!/usr/bin/env python3
"""The installer and the zip as a user meets them, each in a fresh prefix:
install, start from the Start menu, upgrade, uninstall; unpack and run."""
import os
import shutil
import sys
import zipfile

import harness as h
import installer_helpers as i


def login_and_wait_for_the_vault(folder):
    # The first program with a window in a fresh prefix brings up its
    # desktop first, slowly on a busy machine.
    h.login("quillmarsh", timeout=120)
    h.wait_no_window("^Login$")
    h.wait_window("^Pellucorda$")
    for name in ("logininfo.dat", "logininfo.bak"):
        h.wait_until(lambda: os.path.isfile(os.path.join(folder, name)), "%s in %s" % (name, folder))


def written_by_the_program(folder):
    """What the folder holds besides the package's files: the vault, its
    backup and anything else the program keeps there."""
    return sorted(set(os.listdir(folder)) - set(i.PACKAGE_FILES))


def the_installer_installs_upgrades_and_uninstalls(program):
    # Windows asks for no administrator rights only when the package says so
    # and sets no ALLUSERS.
    words, properties = i.package_facts(i.MSI)
    assert words & 8, "the package asks for elevation (word count %d)" % words
    assert "ALLUSERS" not in properties and "ProductVersion" in properties, properties

    with i.FreshPrefix("msi") as prefix:
        prefix.msiexec("/i", i.MSI)
        folder = prefix.install_folder()
        assert sorted(os.listdir(folder)) == sorted(i.PACKAGE_FILES), os.listdir(folder)
        assert prefix.installed() == {"Pellucorda": i.VERSION}, prefix.installed()

        # Started as the Start menu starts it: the vault is written beside
        # the installed program, which the per-user folder allows.
        prefix.start(prefix.shortcut(), "installer-shortcut")
        login_and_wait_for_the_vault(folder)
        running = h.live_program_processes()
        assert len(running) == 1 and "AppData\\Local\\Programs\\Pellucorda\\pellucorda.exe" in running[0], running
        program_path = prefix.windows_path(os.path.join(folder, "pellucorda.exe"))
        assert h.reg_query(h.RUN_KEY, "Pellucorda") == program_path
        h.end_all_programs()
        kept = written_by_the_program(folder)
        vault = i.read(os.path.join(folder, "logininfo.dat"))
        backup = i.read(os.path.join(folder, "logininfo.bak"))

        # A newer version replaces the older in place and keeps what the
        # program wrote.
        prefix.msiexec("/i", i.NEXT_MSI)
        assert prefix.installed() == {"Pellucorda": i.NEXT_VERSION}, prefix.installed()
        assert sorted(os.listdir(folder)) == sorted(i.PACKAGE_FILES + kept), os.listdir(folder)
        assert i.read(os.path.join(folder, "logininfo.dat")) == vault, "the upgrade changed the vault"
        assert i.read(os.path.join(folder, "logininfo.bak")) == backup, "the upgrade changed the backup"
        assert h.reg_query(h.RUN_KEY, "Pellucorda") == program_path, "the upgrade lost the auto-run value"

        # The uninstall takes the program, its shortcut, its entry and its
        # auto-run value, and leaves the vault, the backup and the settings.
        prefix.msiexec("/x", i.NEXT_MSI)
        assert sorted(os.listdir(folder)) == kept, os.listdir(folder)
        assert i.read(os.path.join(folder, "logininfo.dat")) == vault
        assert i.read(os.path.join(folder, "logininfo.bak")) == backup
        assert not os.path.exists(prefix.shortcut()), "the Start menu shortcut stays"
        assert prefix.installed() == {}, prefix.installed()
        assert h.reg_query(h.RUN_KEY, "Pellucorda") is None, "the auto-run value points at a removed program"
        assert h.reg_query(h.CONFIG_KEY, "BackupPath") == prefix.windows_path(folder), "the settings went"

        # A zip copy started next takes over auto-run and, the removed copy's
        # folder having been its default, the backup; so does that copy once
        # its folder moved. The removed copy's backup stays as it was.
        tools = os.path.join(prefix.path, "drive_c", "Portable Apps")
        with zipfile.ZipFile(i.ZIP) as archive:
            archive.extractall(tools)
        moved = os.path.join(prefix.path, "drive_c", "Moved Tools", "Pellucorda")
        for copy in (os.path.join(tools, "Pellucorda"), moved):
            if copy == moved:
                shutil.move(os.path.join(tools, "Pellucorda"), moved)
                os.remove(os.path.join(moved, "logininfo.bak"))
            prefix.start(os.path.join(copy, "pellucorda.exe"), "installer-next-copy")
            login_and_wait_for_the_vault(copy)
            path = prefix.windows_path(os.path.join(copy, "pellucorda.exe"))
            assert h.reg_query(h.RUN_KEY, "Pellucorda") == '"%s"' % path, copy
            assert h.reg_query(h.CONFIG_KEY, "SetupPath") == path, copy
            assert h.reg_query(h.CONFIG_KEY, "BackupPath") == prefix.windows_path(copy), copy
            h.end_all_programs()
        assert i.read(os.path.join(folder, "logininfo.bak")) == backup, "another copy's backup changed"


def an_unpacked_zip_runs_and_keeps_its_auto_run(program):
    with i.FreshPrefix("zip") as prefix:
        # Unpacked into a folder of the user's choosing, with a blank in its
        # path. (Not the profile's Desktop: Wine links it to the Linux home.)
        tools = os.path.join(prefix.path, "drive_c", "Portable Apps")
        with zipfile.ZipFile(i.ZIP) as archive:
            archive.extractall(tools)
        folder = os.path.join(tools, "Pellucorda")
        assert sorted(os.listdir(folder)) == sorted(i.PACKAGE_FILES), os.listdir(folder)

        prefix.start(os.path.join(folder, "pellucorda.exe"), "installer-zip")
        login_and_wait_for_the_vault(folder)
        h.screenshot("zip-copy-list", h.wait_window("^Pellucorda$"))
        zip_command = '"%s"' % prefix.windows_path(os.path.join(folder, "pellucorda.exe"))
        assert h.reg_query(h.RUN_KEY, "Pellucorda") == zip_command
        h.end_all_programs()
        kept = written_by_the_program(folder)
        vault = i.read(os.path.join(folder, "logininfo.dat"))

        # Installing and removing a second copy leaves this one's auto-run
        # value and files alone.
        prefix.msiexec("/i", i.MSI)
        prefix.msiexec("/x", i.MSI)
        assert h.reg_query(h.RUN_KEY, "Pellucorda") == zip_command, "the uninstall took another copy's value"
        assert sorted(os.listdir(folder)) == sorted(i.PACKAGE_FILES + kept), os.listdir(folder)
        assert i.read(os.path.join(folder, "logininfo.dat")) == vault


TESTS = {
    "the_installer_installs_upgrades_and_uninstalls": the_installer_installs_upgrades_and_uninstalls,
    "an_unpacked_zip_runs_and_keeps_its_auto_run": an_unpacked_zip_runs_and_keeps_its_auto_run,
}

if __name__ == "__main__":
    sys.exit(h.main(TESTS))
