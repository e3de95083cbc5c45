#pragma once
#define IDD_FLOOR 100
#define IDC_FLOOR_TEXT 1000
