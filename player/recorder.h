// Records the plug-in's calls to Shell_NotifyIconA and Shell_NotifyIconW by patching its imports, and
// answers them from the real shell or from a notification area simulated here, whose icons the test
// decides.
#ifndef STANDIN_RECORDER_H
#define STANDIN_RECORDER_H

#include <windows.h>
#include <shellapi.h>

struct ShellCall {
    DWORD message;             // NIM_*
    bool wide;                 // Shell_NotifyIconW
    NOTIFYICONDATAA notice;    // the notice as passed, its cbSize bytes, the rest zero; of a wide call
                               // every field but the texts
    NOTIFYICONDATAW wideNotice;   // a wide call's notice as passed, its cbSize bytes; the rest zero
    LONG poll;                 // play-state queries the player had answered by then
    LARGE_INTEGER when;        // QueryPerformanceCounter at the call
    BOOL result;               // what the shell answered
    // The balloon's own picture (hBalloonIcon, within cbSize) as it was at the call: its size, and
    // its centre and top-left pixels as 0xAARRGGBB.
    SIZE pictureSize;
    DWORD pictureCentre, pictureCorner;
};

// Patches the module's imports of SHELL32!Shell_NotifyIconA and W; false if it lacks one.
bool recordShellCalls(HMODULE plugin);

// Calls recorded since the last clear (at most maxShellCalls kept; the count goes on).
const int maxShellCalls = 4096;
LONG shellCallCount();
const ShellCall& shellCall(LONG index);
void clearShellCalls();

// Called on the caller's thread (the watcher) after each recorded call.
void observeShellCalls(void (*observer)(const ShellCall& call));

// Where recorded calls go. The real shell is the default (the demo); the simulated one holds icons
// by window and id and answers as the shell does: modify and delete need the icon, add needs its
// absence. With no tray at all every call fails.
enum class Tray { Real, Simulated, Missing };
void useTray(Tray tray);
void showSimulatedIcon(HWND window, UINT id);
void hideSimulatedIcon(HWND window, UINT id);
bool simulatedIconShown(HWND window, UINT id);
int simulatedIconCount();
void restartSimulatedShell();   // the shell restarted: every icon is gone

#endif
