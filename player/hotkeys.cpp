// Numbered names and the copied actions of the stand-in's Global Hotkeys.
#include <windows.h>
#include <string.h>
#include "hotkeys.h"

namespace {

// The player's genHotkeysAddStruct.
struct HotkeyEntry {
    char* name;
    DWORD flags;
    UINT uMsg;
    WPARAM wParam;
    LPARAM lParam;
    char* id;
    HWND wnd;
    int extended[6];
};

struct Action {
    wchar_t name[128];
    char id[64];
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    HWND window;
};

const LPARAM registerMessage = 65536;
const DWORD wideName = 0x100;
GlobalHotkeys kind = GlobalHotkeys::Present;
char numbered[32][64];   // names by number - registerMessage - 1
int numberedCount;
Action actions[8];
int actionCount;
LONG entriesPosted;
char fault[256];

LRESULT numberOf(const char* name)
{
    if (kind == GlobalHotkeys::NoNumbers || !name) return 0;
    for (int i = 0; i < numberedCount; ++i)
        if (lstrcmpiA(numbered[i], name) == 0) return registerMessage + 1 + i;
    if (numberedCount == 32) return 0;
    lstrcpynA(numbered[numberedCount], name, 64);
    return registerMessage + 1 + numberedCount++;
}

void noteFault(const char* what)
{
    if (!fault[0]) lstrcpynA(fault, what, sizeof fault);
}

bool zeroed(const int* values, int count)
{
    for (int i = 0; i < count; ++i)
        if (values[i]) return false;
    return true;
}

void takeEntry(const HotkeyEntry* entry)
{
    ++entriesPosted;
    if (kind != GlobalHotkeys::Present) return;
    if (entry->flags != wideName) noteFault("flags other than the wide name's");
    if (entry->uMsg <= registerMessage) noteFault("a message that is not a numbered one");
    if (entry->wParam || entry->lParam || !zeroed(entry->extended, 6)) noteFault("fields that should stay zero");
    if (!entry->name || !entry->id || !entry->id[0]) noteFault("no name or no id");
    if (!IsWindow(entry->wnd) || GetWindowThreadProcessId(entry->wnd, nullptr) != GetCurrentThreadId() ||
        GetAncestor(entry->wnd, GA_PARENT) == GetDesktopWindow())
        noteFault("a window that is not a message-only one of the player's thread");
    if (fault[0] || actionCount == 8) return;
    Action& action = actions[actionCount++];
    action = {{}, {}, entry->uMsg, entry->wParam, entry->lParam, entry->wnd};   // copied, as Global Hotkeys does
    lstrcpynW(action.name, reinterpret_cast<const wchar_t*>(entry->name), 128);
    lstrcpynA(action.id, entry->id, 64);
}

}  // namespace

void answerGlobalHotkeys(GlobalHotkeys hotkeys)
{
    kind = hotkeys;
    numberedCount = actionCount = 0;
    entriesPosted = 0;
    fault[0] = '\0';
}

bool answerHotkeyMessage(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (lParam == registerMessage) {
        *result = numberOf(reinterpret_cast<const char*>(wParam));
        return true;
    }
    if (lParam <= registerMessage || lParam > registerMessage + numberedCount) return false;
    *result = 0;
    if (lstrcmpiA(numbered[lParam - registerMessage - 1], "GenHotkeysAdd") == 0) takeEntry(reinterpret_cast<HotkeyEntry*>(wParam));
    return true;
}

LONG hotkeyEntriesPosted() { return entriesPosted; }
const char* hotkeyEntryFault() { return fault; }

const wchar_t* hotkeyActionName(const char* id)
{
    for (int i = 0; i < actionCount; ++i)
        if (lstrcmpiA(actions[i].id, id) == 0) return actions[i].name;
    return nullptr;
}

bool pressHotkey(const char* id)
{
    for (int i = 0; i < actionCount; ++i) {
        if (lstrcmpiA(actions[i].id, id) != 0) continue;
        SendMessageW(actions[i].window, actions[i].message, actions[i].wParam, actions[i].lParam);
        return true;
    }
    return false;
}
