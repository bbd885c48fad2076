#pragma once
// The framework's own command, string and child-window ids, in the ranges the platform
// reserves for them. Included by resource.h and so by the .rc files: definitions only.

// Strings.
#define IDS_APP_TITLE               57344   // the program's title, also the message-box caption
#define IDS_FAILED_EMPTY_DOCUMENT   61700

// Commands.
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
#define ID_DROP_FILES               59394   // files dropped on the window; no menu item carries it

// Child windows.
#define ID_VIEW_PANE_FIRST          0xE900  // the view inside the frame
