#pragma once
// The program's thin application framework: include this one header.
// README.md beside it is the guide; the rules in short:
//
// - Classes keep the classic names (CWinApp, CWnd, CDialog, CFrameWnd, ...).
//   Texts are std::string in the ANSI code page; every API used is the A one.
// - A window is bound to its object before its first message; the object's
//   message map sees every message; what no entry takes gets the default
//   processing (DefWindowProc, the dialog manager's, or a subclassed
//   control's own procedure). In a map, the most derived class's entry wins.
// - Handlers have fixed signatures (see message_map.h); a wrong one does not
//   compile. Handlers must not throw.
// - Commands: a frame's map first, then the application's. WM_NOTIFY and the
//   colour requests of a child control go to the child's own reflected
//   entries first.
// - Our own methods never take a name that windows.h makes a macro: SendMsg,
//   PostMsg, MsgBox, GetText, CFont::Create/CreateIndirect,
//   CMenu::Load, CWinApp::LoadResourceIcon.
// - Frames are allocated with new and delete themselves; every other object
//   belongs to its creator. Destroying the main window ends the message loop.
// - CWnd::FromHandle gives temporary objects for windows bound to none; they
//   live until the application's loop is idle.
#include "framework/cmd_target.h"
#include "framework/controls.h"
#include "framework/data_exchange.h"
#include "framework/dialog.h"
#include "framework/font.h"
#include "framework/frame_wnd.h"
#include "framework/list_ctrl.h"
#include "framework/menu.h"
#include "framework/message_map.h"
#include "framework/object.h"
#include "framework/status_bar.h"
#include "framework/tab_ctrl.h"
#include "framework/win_app.h"
#include "framework/wnd.h"
