// Module-wide data: the plug-in record handed to the player, and what start-up prepares for the rest.
// One instance per process, zero when the module is loaded; it includes nothing of the module's own.
#ifndef PIPWICK_MODULE_H
#define PIPWICK_MODULE_H

#include <windows.h>
#include <shellapi.h>

// The record the player receives from winampGetGeneralPurposePlugin: seven fields, 32 bits each in the
// player's 32-bit process.
struct GeneralPurposePlugin {
    int version;                 // interface version, 0x10
    char* description;           // descriptionText
    int (*init)();               // the player's callbacks, set at start-up
    void (*config)();
    void (*quit)();
    HWND hostWindow;             // written by the player
    HINSTANCE moduleInstance;    // written by the player
};

// The notice's balloon-capable layout is the one that ends before guidItem (Windows 2000's); one with
// a picture of its own takes the whole structure (Vista's).
const DWORD balloonNoticeSize = NOTIFYICONDATAA_V2_SIZE;
const DWORD wideBalloonNoticeSize = NOTIFYICONDATAW_V2_SIZE;

extern GeneralPurposePlugin pluginRecord;   // handed to the player by address
// Any path the wide API can give: the watcher's own reference on the module loads it by this path.
const DWORD longestPath = 32768;

extern wchar_t modulePath[longestPath];     // the module's full path
extern char descriptionText[128];           // "Quillfen (<file name>)", ANSI as the player reads it
extern char balloonTitle[64];               // string 2
extern wchar_t wideBalloonTitle[64];        // string 2 in UTF-16, the title of every wide notice but one
                                            // with a title of the user's own
extern char tipFormat[128];                 // string 3, the two-line format; empty when the code page
                                            // cannot spell it
extern wchar_t wideTipFormat[128];          // string 3 in UTF-16, for titles the code page cannot spell
extern NOTIFYICONDATAA balloonNotice;       // the notice passed to the shell
extern NOTIFYICONDATAW wideBalloonNotice;   // the same notice for a text the code page cannot spell

#endif
