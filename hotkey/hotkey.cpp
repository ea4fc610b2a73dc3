// The action is added as the player's SDK adds one: both names numbered with
// IPC_REGISTER_WINAMP_IPCMESSAGE, then the entry posted, so that it is taken after every plug-in's
// init. Global Hotkeys copies the strings, and sends the action's message to our own message-only
// window.
#include <windows.h>
#include "hotkey.h"
#include "../module/module.h"
#include "../resources/resource.h"
#include "../system/system.h"

// The player's genHotkeysAddStruct.
struct HotkeyEntry {
    char* name;   // wide with wideName among the flags
    DWORD flags;
    UINT uMsg;
    WPARAM wParam;
    LPARAM lParam;
    char* id;
    HWND wnd;
    int extended[6];
};
static_assert(sizeof(void*) != 4 || sizeof(HotkeyEntry) == 13 * 4, "the player reads thirteen 32-bit fields");

static const LPARAM registerMessage = 65536;   // IPC_REGISTER_WINAMP_IPCMESSAGE
static const DWORD wideName = 0x100;
static const wchar_t windowClass[] = L"Pipwick hotkey";
static char actionId[] = "Pipwick_ShowSong";   // the key the user picks is kept under it

static HotkeyEntry entry;        // the player's plug-in reads it when it takes the posted message
static wchar_t actionName[64];   // string 8: "Pipwick: show the current song"
static HWND hotkeyWindow;        // receives the action's message, or null
static UINT actionMessage;       // the number of actionId
static HotkeyAction onPressed;

static LRESULT CALLBACK hotkeyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == actionMessage && onPressed) {
        onPressed();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Players before 5.0 number nothing, and answer 0.
static UINT numberOf(const char* name)
{
    LRESULT number = SendMessageA(pluginRecord.hostWindow, WM_USER, reinterpret_cast<WPARAM>(name), registerMessage);
    return number > registerMessage ? static_cast<UINT>(number) : 0;
}

// Global Hotkeys sends to our window on the player's thread: a window made on any other thread,
// one that may pump no messages, would hang the player at the key.
static bool onPlayerThread()
{
    return GetWindowThreadProcessId(pluginRecord.hostWindow, nullptr) == GetCurrentThreadId();
}

void addShowSongHotkey(HotkeyAction action)
{
    if (!onPlayerThread()) return;
    UINT add = numberOf("GenHotkeysAdd");
    actionMessage = numberOf(actionId);
    if (!add || !actionMessage) return;
    hotkeyWindow = makeMessageWindow(windowClass, hotkeyWindowProc);
    if (!hotkeyWindow) return;
    onPressed = action;
    LoadStringW(pluginRecord.moduleInstance, IDS_HOTKEY_NAME, actionName, sizeof actionName / sizeof actionName[0]);
    entry = {};
    entry.name = reinterpret_cast<char*>(actionName);
    entry.flags = wideName;
    entry.uMsg = actionMessage;
    entry.id = actionId;
    entry.wnd = hotkeyWindow;
    PostMessageW(pluginRecord.hostWindow, WM_USER, reinterpret_cast<WPARAM>(&entry), add);
}

void removeShowSongHotkey()
{
    onPressed = nullptr;
    unmakeMessageWindow(hotkeyWindow, windowClass);
    hotkeyWindow = nullptr;
}
