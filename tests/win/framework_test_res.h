// Test-only resources of the framework tests (ids 9000 and up, clear of the
// program's own).
#pragma once

// Data exchange dialog, its combo filled from initialisation data.
#define IDD_FW_EXCHANGE 9000
#define IDC_FW_NAME 9001
#define IDC_FW_NUMBER 9002
#define IDC_FW_SHORT 9003
#define IDC_FW_CHECK 9004
#define IDC_FW_COMBO 9005
#define IDC_FW_LATER 9006

// Plain modal dialog with OK and Cancel.
#define IDD_FW_SIMPLE 9010
#define IDC_FW_SIMPLE_EDIT 9011

// Modeless dialog without a default button.
#define IDD_FW_MODELESS 9020
#define IDC_FW_FIRST 9021
#define IDC_FW_SECOND 9022
#define IDC_FW_THIRD 9023

// Reflection dialog: statics, edits and a tab control.
#define IDD_FW_REFLECT 9030
#define IDC_FW_LINK 9031
#define IDC_FW_PLAIN 9032
#define IDC_FW_TABS 9033

// Dialog whose initialisation data is damaged.
#define IDD_FW_BADINIT 9040
#define IDC_FW_BADINIT_COMBO 9041

// Frame resource set: menu and title string.
#define IDR_FW_FRAME 9100
#define ID_FW_FRAME_ONLY 9101
#define ID_FW_APP_ONLY 9102
#define ID_FW_BOTH 9103
#define ID_FW_NOBODY 9104

// A dialog id with no template.
#define IDD_FW_MISSING 9999
