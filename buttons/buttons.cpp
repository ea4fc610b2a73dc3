// The press is posted to a window of ours on the player's thread: there the player answers its state
// query at once, between its own messages, and no thread of Windows' waits on a busy player.
#include <windows.h>
#include "buttons.h"
#include "../module/module.h"
#include "../system/system.h"

enum PlayState : LONG { Playing = 1, Paused = 3 };

// The player's own commands, as its global hotkeys send them.
enum PlayerCommand : UINT { PreviousTrack = 40044, Play = 40045, Pause = 40046, Stop = 40047, NextTrack = 40048 };

static const wchar_t windowClass[] = L"Pipwick buttons";
static const UINT buttonPressed = WM_APP;   // wParam: the button

static HWND volatile buttonWindow;   // on the player's thread, or null

static UINT commandFor(int button, LONG state)
{
    switch (button) {
    case ButtonNext: return NextTrack;
    case ButtonPrevious: return PreviousTrack;
    case ButtonStop: return Stop;
    case ButtonPlay: return state == Paused ? Pause : state == Playing ? 0u : Play;   // pause resumes
    case ButtonPause: return state == Playing ? Pause : 0u;
    case ButtonPlayPause: return state == Playing || state == Paused ? Pause : Play;
    }
    return 0;
}

static void sendCommand(int button, LONG state)
{
    UINT command = commandFor(button, state);
    if (command) PostMessageW(pluginRecord.hostWindow, WM_COMMAND, command, 0);
}

static LRESULT CALLBACK buttonWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != buttonPressed) return DefWindowProcW(window, message, wParam, lParam);
    sendCommand(static_cast<int>(wParam), static_cast<LONG>(SendMessageA(pluginRecord.hostWindow, WM_USER, 0, 104)));
    return 0;
}

void openButtonWindow()
{
    if (buttonWindow || GetWindowThreadProcessId(pluginRecord.hostWindow, nullptr) != GetCurrentThreadId()) return;
    buttonWindow = makeMessageWindow(windowClass, buttonWindowProc);
}

void closeButtonWindow()
{
    HWND window = buttonWindow;
    buttonWindow = nullptr;
    unmakeMessageWindow(window, windowClass);
}

void pressPlayerButton(int button, LONG lastState)
{
    HWND window = buttonWindow;
    if (!window || !PostMessageW(window, buttonPressed, static_cast<WPARAM>(button), 0)) sendCommand(button, lastState);
}
