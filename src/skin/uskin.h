// USkin.dll, the program's skinning library, seen from the importing side.
// The library exports these two functions by ordinal only (USkin.def); link
// the CMake target uskin_import and the program imports them by ordinal.
//
//   ordinal 1  USkinEnable   turn the themed look on for the process
//   ordinal 2  USkinDisable  turn it off again
//
// Both apply to every window of the calling process, present and future, and
// must be called on a thread that pumps messages for the windows it created
// (the user-interface thread); windows of other threads are asked to refresh
// with a bounded wait.
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// Turns on the visual styles of Common Controls 6 for the non-client areas,
// the controls and the web content of the process's windows, and asks the
// existing windows to redraw themselves themed. Needs a Common Controls 6
// manifest in the program; without one the controls keep the classic look.
//
// reserved1 and reserved2 are reserved and passed as NULL (0).
// skinFile names the skin file ("skin.msstyles"). The file is not read: the
// themed look is the system's current visual style, because Windows offers
// no documented way to apply a style file to a single process, and loading
// one through undocumented means could bring the program down on another
// Windows version. A missing file is therefore not an error, and a present
// one changes nothing; NULL is accepted too.
//
// Returns TRUE when the system has a visual style in force, so that the
// windows now draw themed; FALSE when it runs the classic look, which is not
// an error (the windows draw classic, as before).
BOOL WINAPI USkinEnable(LPCSTR reserved1, LPCSTR reserved2, LPCSTR skinFile);

// Turns the themed look off: the process's windows draw in the classic look
// from now on, and the existing ones are asked to redraw. Safe to call
// without a USkinEnable before it. Returns TRUE.
BOOL WINAPI USkinDisable(void);

#ifdef __cplusplus
}
#endif
