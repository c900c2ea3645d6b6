// Resource identifiers, grouped by kind. Only the numbers listed here are used.
#pragma once

// Icons
#define IDI_VANTREL 107

// Dialog templates
#define IDD_ABOUT 148
#define IDD_HELP 152
#define IDD_TILE_NAME 153
#define IDD_GRID_SIZE 154
#define IDD_HOTKEY 155
#define IDD_TARGET_ENTRY 156
#define IDD_TILE_INFO 166
#define IDD_EARLIER_TILES 167

// Bitmaps
#define IDB_HELP 164
#define IDB_ABOUT 165

// Dialog controls; each template gives them its own meaning.
#define IDC_FIELD_1 1003
#define IDC_FIELD_2 1004
#define IDC_FIELD_3 1005
#define IDC_LABEL_1 1006
#define IDC_LABEL_2 1007
#define IDC_NOTE_1 1008
#define IDC_NOTE_2 1009
#define IDC_HEADING 1010
#define IDC_HEADING_2 1011
#define IDC_NAME_LINE_2 1012
#define IDC_STATE_LIST 1013
#define IDC_DIFFERENCE_LIST 1014
#define IDC_RESTORE_MISSING 1015
#define IDC_RESTORE_ALL 1016

// Buttons of the grid-size dialog, apart from IDOK and IDCANCEL.
#define IDC_GRID_OK 3
#define IDC_GRID_CANCEL 4
