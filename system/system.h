// What the module asks of Windows itself: its version, its own libraries by their full path, and
// message-only windows that leave nothing of the module behind. Below everything but the module's data.
#ifndef PIPWICK_SYSTEM_H
#define PIPWICK_SYSTEM_H

#include <windows.h>

// The real major version: GetVersionEx answers what the player's manifest declares. 0 where unknown.
DWORD windowsMajorVersion();

// A library of the system folder, by its full path, or null. By a bare name the loader would go on to
// the player's folder, the current folder (that of the song the player was started with) and the path.
HMODULE loadSystemLibrary(const wchar_t* name);

// A message-only window of the calling thread with procedure; its class's own procedure is the
// system's, so a class that outlives the module (its window could not be destroyed) points at nothing
// of ours. Null on failure.
HWND makeMessageWindow(const wchar_t* className, WNDPROC procedure);

// Makes the window harmless first (the system's procedure, which works from any thread of the
// process), then destroys it and its class where this thread may; what stays calls nothing of ours.
void unmakeMessageWindow(HWND window, const wchar_t* className);

// Waits for thread to end, at most timeout ms, letting through the messages other threads send to
// this one (the watcher's polls of the player's thread); true once it has ended.
bool waitAnsweringMessages(HANDLE thread, DWORD timeout);

// The screen's DPI, which the system's metrics and fonts are given in.
UINT screenDpi();

// The n-th monitor in the order the system enumerates them, counted from 1; null where there is none.
HMONITOR numberedMonitor(LONG n);

// The monitor's DPI where the system tells it (8.1 on), else the screen's.
UINT monitorDpi(HMONITOR monitor);

#endif
