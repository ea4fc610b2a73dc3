// The popup as screen readers meet it. A window that never takes the focus is silent unless it
// announces itself: while a screen reader runs, each popup raises an alert whose object names, in one
// line, what a listener needs; everything else about it is the system's standard object for the
// window. All of it on the popup's thread.
#ifndef PIPWICK_POPUP_ACCESSIBLE_H
#define PIPWICK_POPUP_ACCESSIBLE_H

#include <windows.h>

// Whether a screen reader runs now: it sets the system's flag, and may start while the player runs.
bool screenReaderRuns();

// Raises the alert for window's client, named spoken; false where Windows lacks what it needs (oleacc's
// standard objects), and then nothing is announced.
bool announceAlert(HWND window, const wchar_t* spoken);

// What the popup's object reports as its value (not announced), or "" for none.
void setAccessibleValue(const wchar_t* value);

// The answer to WM_GETOBJECT once an alert has been raised; otherwise *answered is false.
LRESULT accessibleObjectFor(WPARAM wParam, LPARAM lParam, bool* answered);

// As the window goes: every client's reference cut off, the standard object and the libraries let go.
void forgetAccessible();

#endif
