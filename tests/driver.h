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

// A message box's text: that of its static controls.
inline std::string messageBoxText(HWND box)
{
    std::string text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[32] = "";
        GetClassNameA(child, className, sizeof className);
        if (lstrcmpiA(className, "Static") == 0) text += windowText(child);
    }
    return text;
}

struct DialogRun {
    std::function<void(HWND)> drive;
    HANDLE configReturned;
    std::string messageBox;
};

inline DWORD WINAPI driveDialog(LPVOID argument)
{
    DialogRun* run = static_cast<DialogRun*>(argument);
    HWND dialog = waitForPlayerDialog();
    if (!dialog) return 0;
    run->drive(dialog);
    // Once the dialog has ended a message box may follow: read it and close it.
    HWND box = waitForPlayerDialog(30000, run->configReturned);
    if (!box) return 0;
    run->messageBox = messageBoxText(box);
    SendMessageA(box, WM_COMMAND, IDOK, 0);
    return 0;
}

// The player's configure command on this thread, with `drive` working the dialog from another.
// Returns the text of a message box that followed the dialog, or "" when none did.
inline std::string configure(StandInPlayer& player, std::function<void(HWND)> drive)
{
    expectPlayerDialog();
    DialogRun run{drive, CreateEventA(nullptr, TRUE, FALSE, nullptr), ""};
    HANDLE helper = CreateThread(nullptr, 0, driveDialog, &run, 0, nullptr);
    player.plugin.record->config();
    SetEvent(run.configReturned);
    WaitForSingleObject(helper, INFINITE);
    CloseHandle(helper);
    CloseHandle(run.configReturned);
    return run.messageBox;
}

#endif
