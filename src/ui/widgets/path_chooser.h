#pragma once
// The system's dialogs for choosing a program file or a folder, opened where
// the path the user has now points.
#include <windows.h>

#include <string>

// A program (*.exe, or any file) that exists. False when the user cancels
// or the dialog cannot open; `chosen` is then untouched.
bool ChooseProgram(HWND hWndOwner, const std::string& current, std::string& chosen);

// An existing folder of the file system, under the title `prompt`. False
// when the user cancels or the dialog cannot open; `chosen` is then untouched.
bool ChooseFolder(HWND hWndOwner, const std::string& current, const char* prompt, std::string& chosen);
