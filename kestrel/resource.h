#pragma once
// Kestrel's resource identifiers.

#define IDD_ABOUTBOX        100
#define IDD_KESTREL         102
#define IDI_KESTREL         129

#define IDC_FOLDER          1000
#define IDC_ABOUT           1001
#define IDC_UNZIP           1002
#define IDC_BROWSE          1003
