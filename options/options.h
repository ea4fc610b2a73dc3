// The options dialog: edits the settings in memory; saving and applying them is the caller's.
#ifndef PIPWICK_OPTIONS_H
#define PIPWICK_OPTIONS_H

#include <windows.h>

// Runs the modal dialog on the player's window; true when it ended with OK.
bool editSettingsInDialog();

INT_PTR CALLBACK optionsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
