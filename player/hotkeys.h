// The player's Global Hotkeys plug-in, as the stand-in plays it: the player numbers names
// (IPC_REGISTER_WINAMP_IPCMESSAGE, 65536) above 65536, the same number for the same name; Global
// Hotkeys takes the entries posted with the number of "GenHotkeysAdd", copies them, and when the
// user's key is pressed sends the entry's message to its window on the player's thread.
#ifndef STANDIN_HOTKEYS_H
#define STANDIN_HOTKEYS_H

#include <windows.h>

enum class GlobalHotkeys {
    Present,
    Missing,     // the player numbers names, but nobody takes the entries
    NoNumbers,   // a player that answers the numbering with 0
};
void answerGlobalHotkeys(GlobalHotkeys hotkeys);

// The window's answer to WM_USER with this lParam; false when it is none of these messages.
bool answerHotkeyMessage(WPARAM wParam, LPARAM lParam, LRESULT* result);

// Entries posted (taken or not), and what was wrong with one ("" while nothing was): the flags, the
// message, the fields that stay zero, the window (a message-only one of the player's thread).
LONG hotkeyEntriesPosted();
const char* hotkeyEntryFault();
const wchar_t* hotkeyActionName(const char* id);   // as the player's preferences list it; null for none

// The user's key for the action id, on this thread (the player's); false when no action has that id.
bool pressHotkey(const char* id);

#endif
