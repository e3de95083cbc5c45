#pragma once
// pellucorda-cli: the vault without the window. Runs one command and returns
// the process exit status (see ExitCode).

enum ExitCode {
    ExitDone = 0,
    ExitUsage = 1,
    ExitWrongPassword = 2,
    ExitVaultUnusable = 3,  // missing, unreadable or damaged
    ExitIndexOrFull = 4,    // index out of range, or the vault is full
    ExitWriteFailed = 5,
};

int RunCli(int argc, char** argv);
