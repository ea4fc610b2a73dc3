// What Windows tells the plug-in about the shell and the user, answered by the test where it decides:
// through the plug-in's imports of GetProcAddress (functions it resolves at run time) and
// GetForegroundWindow. Until told otherwise the real system answers. Also the icons it makes and the
// libraries it loads.
#ifndef STANDIN_ANSWERS_H
#define STANDIN_ANSWERS_H

#include <windows.h>

// Patches the imports and lets the real system answer everything; false if the plug-in lacks one.
bool answerForPlugin(HMODULE plugin);

const int realAnswer = -1;

// The shell's major version, as its DllGetVersion gives it (5 for Windows 2000's, 6 from XP on).
void answerShellVersion(int major);

// The real Windows version the plug-in reads (ntdll's RtlGetVersion): its major number.
void answerWindowsVersion(int major);

// SHQueryUserNotificationState: a QUNS_* state, or one of these.
enum : int { notificationStateFails = -2, notificationStateMissing = -3 };
void answerNotificationState(int state);

// The window in front, or null for none.
void answerForegroundWindow(HWND window);

// The shell's picture of any song file (SHCreateItemFromParsingName, then its image factory): a
// side by side square of one colour (0xRRGGBB), or none with side 0; shellItemsMissing: a shell
// without the function (Windows 2000 and XP).
enum : int { shellItemsMissing = -3 };
void answerEmbeddedPicture(int side, DWORD colour = 0);
DWORD embeddedPictureFlagsAsked();   // the SIIGBF_* flags of the last request
LONG embeddedPicturesAsked();        // requests since the last answerEmbeddedPicture
void delayEmbeddedPicture(HANDLE until);   // answers only once the event is set, as a slow share would

// Icons the plug-in has made with CreateIconIndirect and not yet destroyed, and all it has made.
LONG pluginIconsAlive();
LONG pluginIconsMade();

// Monitors as the test makes them, through the plug-in's imports: each with its work area, the first
// the primary, the player's window on monitor playerOn (counted from 0). Null: the system's own.
struct FakeMonitor {
    RECT area, work;
};
void answerMonitors(const FakeMonitor* monitors, int count, int playerOn = 0);

// Whether a screen reader runs (SPI_GETSCREENREADER): 1 or 0, or realAnswer.
void answerScreenReader(int running);

// Where the pointer is (GetCursorPos), until answerPointer(nullptr) gives the real one back.
void answerPointer(const POINT* at);

// Every monitor's DPI as GetDpiForMonitor (8.1 on) gives it, or realAnswer.
void answerMonitorDpi(int dpi);

// Holds the plug-in inside a call while quit is under way: the popup's window creation waits there
// until quit, on the player's thread, waits (its MsgWaitForMultipleObjects). waitUntilHeld: false when
// nothing got there within timeout.
enum class Hold { Nothing, PopupWindow };
void holdPlugin(Hold where);
bool waitUntilHeld(DWORD timeout = 10000);

// Each library the plug-in has loaded with LoadLibraryW, by the name it gave, a line each (UTF-8).
const char* pluginLibraryLoads();

#endif
