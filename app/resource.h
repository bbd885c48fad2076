#pragma once
// Resource and command identifiers of the archive window. Included by the .rc files too,
// so only preprocessor definitions here. Each dialog's controls have their own section;
// a number may serve controls of two dialogs.

#include "framework/FrameworkIds.h"

// ---- Menus, accelerators, toolbar and the main icon -----------------------------------
#define IDR_MAINFRAME               128
#define IDR_ENTRY_CONTEXT_MENU      134

// ---- Bitmaps ---------------------------------------------------------------------------
#define IDB_STARTUP_PICTURE         102

// ---- File-type icons of the entry list ------------------------------------------------
#define IDI_FILE_TEXT               135
#define IDI_FILE_PROGRAM            136
#define IDI_FILE_OTHER              137
#define IDI_FILE_HELP               140
#define IDI_FILE_LIBRARY            141
#define IDI_FILE_PICTURE            142
#define IDI_FILE_SETTINGS           143
#define IDI_FILE_ARCHIVE            144

// ---- Strings ---------------------------------------------------------------------------
#define IDS_SETTINGS_CAPTION        103     // "Settings", the settings sheet's caption
#define IDS_SOCKETS_INIT_FAILED     104

// ---- Commands --------------------------------------------------------------------------
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
#define ID_ACTIONS_SELECT_ALL       32791
#define ID_ACTIONS_SELECT_PATTERN   32792
#define ID_ACTIONS_INVERT_SELECTION 32793
#define ID_ACTIONS_FIND             32794   // Ctrl+F: into the filter box

// ---- Filter box in the toolbar ---------------------------------------------------------
#define IDC_FILTER_BOX              1051

// ---- About box -------------------------------------------------------------------------
#define IDD_ABOUTBOX                100
#define IDC_ABOUT_ICON              1000

// ---- New dialog: the empty child template of the save dialog --------------------------
#define IDD_NEW_ARCHIVE_TEMPLATE    139

// ---- Extract dialog --------------------------------------------------------------------
#define IDD_EXTRACT                 130
#define IDC_EXTRACT_FOLDER          1003    // "Extract To:" edit box
#define IDC_EXTRACT_OVERWRITE       1006    // "Overwrite Existing Files"
#define IDC_EXTRACT_FOLDER_NAMES    1007    // "Use Folder Names"
#define IDC_EXTRACT_BROWSE          1008    // "Browse"
#define IDC_EXTRACT_ALL             1010    // "Extract All Files"

// ---- Add Files dialog ------------------------------------------------------------------
#define IDD_ADD_FILES               133
#define IDC_ADD_STORE_PATH          1011    // "Store path names"
#define IDC_ADD_LEVEL               1012    // compression slider 0..9
#define IDC_ADD_ACTION              1013    // "Add Files" / "Move Files"
#define IDC_ADD_DOS83               1024    // "Store filenames in DOS 8.3 form"
#define IDC_ADD_RECURSE             1037    // "Recurse into sub-folders"

// ---- Wildcard panel: the Add command's child template of the open dialog --------------
#define IDD_WILDCARD_PANEL          138
#define IDC_WILDCARD_ADD            1032    // "Add With Wildcards"
#define IDC_WILDCARD_PATTERN        1033    // the pattern

// ---- Select dialog: a wildcard for the rows to select ----------------------------------
#define IDD_SELECT_PATTERN          145
#define IDC_SELECT_PATTERN          1052

// ---- Progress window of long work: modeless, owned by the main window ---------------------
#define IDD_PROGRESS                141
#define IDC_PROGRESS_ENTRY          1040    // the entry being worked on
#define IDC_PROGRESS_BAR            1041    // bytes done of bytes in all
#define IDC_PROGRESS_COUNT          1042    // "12 of 400 entries"
#define IDC_PROGRESS_TIME           1043    // time elapsed and the estimate of the time left

// ---- Settings sheet, page "General" ----------------------------------------------------
#define IDD_SETTINGS_GENERAL        105
#define IDC_SETTINGS_PLAY_SOUNDS    1011    // "Play Sounds"
#define IDC_SETTINGS_ICONS          1014    // "Display File Association Icons"
#define IDC_SETTINGS_PROMPT_DELETE  1015
#define IDC_SETTINGS_STARTUP        1016    // "Show start-up screen"
#define IDC_SETTINGS_DEFAULT_ZIP    1017    // disabled in the template
#define IDC_SETTINGS_DOWNLOAD_DIR   1020
#define IDC_SETTINGS_TO_DOWNLOAD    1021    // "By default extract files to download directory:"

// ---- Settings sheet, page "Program Locations" -----------------------------------------
#define IDD_SETTINGS_LOCATIONS      106
#define IDC_SETTINGS_ARJ_PATH       1027
#define IDC_SETTINGS_ARJ_BROWSE     1031
#define IDC_SETTINGS_VIEWER         1035
#define IDC_SETTINGS_VIEWER_BROWSE  1036
