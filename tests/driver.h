// Working the plug-in's dialogs as a user would: from a helper thread, while the player's thread
// runs the dialog's modal loop inside the plug-in.
#ifndef TESTS_DRIVER_H
#define TESTS_DRIVER_H

#include <windows.h>
#include <functional>
#include <string>
#include "standin.h"

inline std::string windowText(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

inline void click(HWND dialog, int control) { SendDlgItemMessageA(dialog, control, BM_CLICK, 0, 0); }

inline DWORD WINAPI driveDialog(LPVOID driver)
{
    HWND dialog = waitForPlayerDialog();
    if (dialog) (*static_cast<std::function<void(HWND)>*>(driver))(dialog);
    return 0;
}

// Runs `open` on this thread (the player's configure command by default) with `drive` working the
// first dialog it opens from another thread.
inline void configure(StandInPlayer& player, std::function<void(HWND)> drive, std::function<void()> open = nullptr)
{
    expectPlayerDialog();
    HANDLE helper = CreateThread(nullptr, 0, driveDialog, &drive, 0, nullptr);
    if (open) open();
    else player.plugin.record->config();
    WaitForSingleObject(helper, INFINITE);
    CloseHandle(helper);
}

#endif
