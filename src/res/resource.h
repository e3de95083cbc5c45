// Resource identifiers of the program. Shared by the resource script and the
// code; the numbers are fixed (other programs and stored dialogs rely on them).
#pragma once

// Framework strings and commands.
#define AFX_IDS_APP_TITLE 57344
#define ID_APP_ABOUT 57664

// Resource sets, templates, menus, icons, strings.
#define IDD_ABOUTBOX 100
#define IDR_MAINFRAME 128    // frame: menu, icon, title string "Pellucorda"
#define IDR_TRAYMENU 134     // tray popup menu; also the tray icon's id
#define IDD_VIEW 137         // item list window
#define IDD_ITEM 145         // item edit dialog
#define IDD_PASSWORD 148     // Modify Password dialog
#define IDD_LOGIN 149        // Login dialog
#define IDD_CONFIG 154       // Config dialog
#define IDD_PATHPAGE 155     // Config page "Local"
#define IDD_CONTROLPAGE 156  // Config page "Option"
#define IDI_TRAY 158         // tray icon
#define IDS_TRAY_TIP 158     // "Pellucorda v1.0"

#define IDD_SECURITYPAGE 170   // Config page "Security"
#define IDD_VAULTKEY 171       // the passwords for switching the vault's key
#define IDD_PASSWORD_LONG 172  // Modify Password for a strong vault's longer passwords

// Tray menu commands.
#define ID_MAIN_CONFIG 32774
#define ID_MAIN_EXIT 32775
#define ID_MAIN_HELP 32776

// About dialog (100).
#define IDC_ABOUT_VERSION 1001
#define IDC_ABOUT_CREDIT 1002
#define IDC_ABOUT_HOME_LABEL 1003
#define IDC_ABOUT_MAIL_LABEL 1004
#define IDC_ABOUT_IM_LABEL 1005
#define IDC_ABOUT_GROUP 1053
#define IDC_ABOUT_HOME 1054
#define IDC_ABOUT_MAIL 1055
#define IDC_ABOUT_IM 1056
// The links' targets, under their controls' ids: a hyperlink static with no
// target of its own falls back to the string of its control id.
#define IDS_ABOUT_HOME 1054  // "http://pellucorda.example.org/"
#define IDS_ABOUT_MAIL 1055  // "mailto:support@pellucorda.example.org"

// Item list window (137).
#define IDC_VIEW_LIST 1018
#define IDC_VIEW_QUERY_TEXT 1019
#define IDC_VIEW_QUERY 1020
#define IDC_VIEW_NEW 1021
#define IDC_VIEW_MODIFY 1022
#define IDC_VIEW_DELETE 1023
#define IDC_VIEW_PREV 1024
#define IDC_VIEW_NEXT 1025
#define IDC_VIEW_PASSWORD 1045
#define IDC_VIEW_LOCK 1046

// Item edit dialog (145).
#define IDC_ITEM_SERVICE_LABEL 1025
#define IDC_ITEM_USER_LABEL 1026
#define IDC_ITEM_PASSWORD_LABEL 1027
#define IDC_ITEM_DESCRIPTION_LABEL 1028
#define IDC_ITEM_TYPE_LABEL 1029
#define IDC_ITEM_SERVICE 1030
#define IDC_ITEM_DESCRIPTION 1031
#define IDC_ITEM_USER 1032
#define IDC_ITEM_ADDRESS 1033
#define IDC_ITEM_PASSWORD 1034
#define IDC_ITEM_TYPE 1035
#define IDC_ITEM_GENERATE 1150

// Modify Password dialog (148, and 172 with the same controls).
#define IDC_PASSWORD_OLD 1047
#define IDC_PASSWORD_NEW 1048
#define IDC_PASSWORD_CONFIRM 1072

// Login dialog (149).
#define IDC_LOGIN_PASSWORD 1049

// Config dialog (154) and its pages (155 "Local", 156 "Option").
#define IDC_CONFIG_TAB 1050
#define IDC_PATH_WEB 1051
#define IDC_PATH_FTP 1052
#define IDC_PATH_TELNET 1054
#define IDC_PATH_BACKUP 1055
#define IDC_PATH_WEB_BROWSE 1140
#define IDC_PATH_FTP_BROWSE 1141
#define IDC_PATH_TELNET_BROWSE 1142
#define IDC_PATH_BACKUP_BROWSE 1143
#define IDC_CONTROL_LOGOUT 1051
#define IDC_CONTROL_AUTORUN 1052
#define IDC_CONTROL_HOTKEY 1053
#define IDC_CONTROL_AUTOMATION_GROUP 1067
#define IDC_CONTROL_LOGOUT_LABEL 1068
#define IDC_CONTROL_ALPHA 1069  // created at run time

// Config page "Security" (170).
#define IDC_SECURITY_HOTKEY 1100
#define IDC_SECURITY_HOTKEY_WIN 1101
#define IDC_SECURITY_HOTKEY_STATUS 1102
#define IDC_SECURITY_CLIPBOARD 1103
#define IDC_SECURITY_SESSION_LOCK 1104
#define IDC_SECURITY_IDLE 1105
#define IDC_SECURITY_KEY_TEXT 1106
#define IDC_SECURITY_KEY_SWITCH 1107
// The auto-type key on the Security page (170).
#define IDC_SECURITY_AUTOTYPE_HOTKEY 1120
#define IDC_SECURITY_AUTOTYPE_WIN 1121
#define IDC_SECURITY_AUTOTYPE_STATUS 1122

// Vault key dialog (171).
#define IDC_VAULTKEY_NOTE 1110
#define IDC_VAULTKEY_CURRENT 1111
#define IDC_VAULTKEY_NEW 1112
#define IDC_VAULTKEY_CONFIRM 1113

// The item dialog's initialisation data (combo 1035's entries) is a resource
// of this type under the dialog's id: repeated {WORD control id, WORD 0x0403
// (add a string), DWORD byte length with the terminating zero, the bytes},
// ended by a WORD 0, packed without padding.
#define RT_DLGINIT_DATA 240
#define DLGINIT_ADDSTRING 0x0403

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
