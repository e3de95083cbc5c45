#!/usr/bin/env python3
"""A copy of the program that is started from a new place, after another was
removed or because its folder moved: auto-run and the backup go with it."""
import os
import shutil
import sys
import zipfile

import harness as h
import installer_helpers as i
from installer_test import login_and_wait_for_the_vault


def auto_run_and_the_backup_follow_the_copy_that_runs(program):
    with i.FreshPrefix("move") as prefix:
        prefix.msiexec("/i", i.MSI)
        installed = prefix.install_folder()
        prefix.start(prefix.shortcut(), "move-installed")
        login_and_wait_for_the_vault(installed)
        h.end_all_programs()
        installed_backup = i.read(os.path.join(installed, "logininfo.bak"))
        prefix.msiexec("/x", i.MSI)

        tools = os.path.join(prefix.path, "drive_c", "Portable Apps")
        with zipfile.ZipFile(i.ZIP) as archive:
            archive.extractall(tools)
        for folder, log in ((os.path.join(tools, "Pellucorda"), "move-zip"),
                            (os.path.join(prefix.path, "drive_c", "Moved Tools", "Pellucorda"), "move-moved")):
            if log == "move-moved":
                shutil.move(os.path.join(tools, "Pellucorda"), folder)
                os.remove(os.path.join(folder, "logininfo.bak"))
            prefix.start(os.path.join(folder, "pellucorda.exe"), log)
            login_and_wait_for_the_vault(folder)
            command = '"%s"' % prefix.windows_path(os.path.join(folder, "pellucorda.exe"))
            assert h.reg_query(h.RUN_KEY, "Pellucorda") == command, log
            assert h.reg_query(h.CONFIG_KEY, "SetupPath") == command.strip('"'), log
            assert h.reg_query(h.CONFIG_KEY, "BackupPath") == prefix.windows_path(folder), log
            h.end_all_programs()
        assert i.read(os.path.join(installed, "logininfo.bak")) == installed_backup, "another copy's backup changed"


TESTS = {
    "auto_run_and_the_backup_follow_the_copy_that_runs": auto_run_and_the_backup_follow_the_copy_that_runs,
}

if __name__ == "__main__":
    sys.exit(h.main(TESTS))
