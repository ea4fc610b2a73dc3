// Resource identifiers shared by the code and pipwick.rc.
#ifndef PIPWICK_RESOURCE_H
#define PIPWICK_RESOURCE_H

// Strings (1-99); there is no string 4.
#define IDS_DESCRIPTION       1
#define IDS_BALLOON_TITLE     2
#define IDS_TIP_FORMAT        3
#define IDS_STOPPED           5
#define IDS_PAUSED            6
#define IDS_SAVE_FAILED       7
#define IDS_HOTKEY_NAME       8

// Dialog (1000) and its controls (1000-1099).
#define IDD_OPTIONS           1000
#define IDC_ENABLED           1000
#define IDC_FORMAT_SIMPLE     1001
#define IDC_FORMAT_LINES      1002
#define IDC_DURATION_EDIT     1003
#define IDC_DURATION_SPIN     1004
#define IDC_INTERVAL_EDIT     1005
#define IDC_INTERVAL_SPIN     1006
#define IDC_SOUND             1007
#define IDC_BACKGROUND        1008
#define IDC_COVER             1009
#define IDC_FORMAT_CUSTOM     1010
#define IDC_TEXT_FORMAT       1011
#define IDC_TITLE_FORMAT      1012
#define IDC_MEDIA_CONTROLS    1013
#define IDC_BALLOONS          1014

// Version (1).
#define IDV_VERSION           1

#endif
