#pragma once
// Resource and command identifiers of the archive window. Included by the .rc files too,
// so only preprocessor definitions here.

// Template resources: menu, accelerators, icon, document strings.
#define IDR_MAINFRAME               128
#define IDR_ENTRY_CONTEXT_MENU      134
#define IDD_ABOUTBOX                100
#define IDB_STARTUP_PICTURE         102
#define IDD_NEW_ARCHIVE_TEMPLATE    139     // empty child template of the New dialog

// File-type icons of the entry list.
#define IDI_FILE_TEXT               135
#define IDI_FILE_PROGRAM            136
#define IDI_FILE_OTHER              137
#define IDI_FILE_HELP               140
#define IDI_FILE_LIBRARY            141
#define IDI_FILE_PICTURE            142
#define IDI_FILE_SETTINGS           143
#define IDI_FILE_ARCHIVE            144

// Strings.
#define IDS_SOCKETS_INIT_FAILED     104
#define IDS_APP_TITLE               57344   // "Brindle"
#define IDS_FAILED_EMPTY_DOCUMENT   61700

// Commands.
#define ID_ACTIONS_ADD              32771
#define ID_ACTIONS_EXTRACT          32772
#define ID_ACTIONS_VIEW             32774
#define ID_ACTIONS_DELETE           32775
#define ID_HELP_TOPICS              32776
#define ID_FILE_NEW_ARCHIVE         32778
#define ID_ACTIONS_VIEW_ERROR_LOG   32780
#define ID_ACTIONS_MAKE_EXE         32781
#define ID_FILE_MOVE_ARCHIVE        32783
#define ID_FILE_COPY_ARCHIVE        32784
#define ID_FILE_SETTINGS            32786
#define ID_HELP_WEB_SITE            32787
#define ID_ACTIONS_MAKE_WIN95_EXE   32790
#define ID_FILE_NEW                 57600   // the framework's own new-document command
#define ID_FILE_OPEN                57601
#define ID_FILE_MRU_FIRST           57616   // recent files: 57616 .. 57631
#define ID_FILE_MRU_LAST            57631
#define ID_APP_ABOUT                57664
#define ID_APP_EXIT                 57665
#define ID_HELP_INDEX               57667
#define ID_CONTEXT_HELP             57669
#define ID_HELP                     57670
#define ID_DEFAULT_HELP             57671
#define ID_VIEW_TOOLBAR             59392   // also the toolbar's child id
#define ID_VIEW_STATUS_BAR          59393   // also the status bar's child id

// Controls.
#define IDC_ABOUT_ICON              1000
