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
#define IDS_BUTTON_PREVIOUS   9     // the popup's buttons, by the names screen readers read
#define IDS_BUTTON_PLAY       10
#define IDS_BUTTON_PAUSE      11
#define IDS_BUTTON_NEXT       12
#define IDS_PLACE_FIRST       20    // 20-25: the popup's places, in the order of "PopupPlace"
#define IDS_MONITOR_PLAYERS   26    // monitor 0
#define IDS_MONITOR           27    // "%d: %d × %d%s"
#define IDS_MONITOR_PRIMARY   28
#define IDS_RATE_FIRST        30    // 30-34: the popup's stars, "Rate 1 star" to "Rate 5 stars"
#define IDS_RATED_FIRST       35    // 35-39: the star that is the song's rating now

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
#define IDC_POPUP             1015
#define IDC_POPUP_PLACE       1016
#define IDC_POPUP_MONITOR     1017

// Version (1).
#define IDV_VERSION           1

#endif
