// "Show the current song" among the player's Global Hotkeys (its own plug-in, installed by default):
// the user picks the key in the player's preferences. On the player's window thread only.
#ifndef PIPWICK_HOTKEY_H
#define PIPWICK_HOTKEY_H

typedef void (*HotkeyAction)();

// Adds the action to the player's list; pressed calls action on the player's thread. Nothing happens
// where the player numbers no messages; where it has no Global Hotkeys, nobody takes the entry.
void addShowSongHotkey(HotkeyAction action);

// Unmakes the window the key is sent to, and its class: a key pressed later reaches nothing of the
// module, whichever thread quits.
void removeShowSongHotkey();

#endif
