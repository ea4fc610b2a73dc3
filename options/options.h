// The player's configure callback: the modal options dialog.
#ifndef PIPWICK_OPTIONS_H
#define PIPWICK_OPTIONS_H

#include <windows.h>

void pluginConfig();
INT_PTR CALLBACK optionsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
