// A popup of the module's own, shown where the user chose (a corner or edge of a monitor's work area)
// in place of the balloon: the heading, the text, the song's cover and the player's buttons. It lives
// on a thread of its own, which answers at once and never waits on the player.
#ifndef PIPWICK_POPUP_H
#define PIPWICK_POPUP_H

#include <windows.h>

// The side of the cover the popup shows, in pixels, on the monitor it would show on now.
int popupCoverSide();

// Starts the popup's thread and window ahead of the first song, so that it shows as soon as the next
// one. From the watcher thread.
void preparePopups();

// Shows the popup, or replaces what the one up shows; the popup owns cover (or null) from then on.
// playState: 1 playing, 3 paused, else stopped. From the watcher thread; nothing once popups ended.
void showPopup(const wchar_t* heading, const wchar_t* text, LONG playState, HICON cover);

// At init: popups may start again after an earlier quit.
void allowPopups();

// At quit: the popup is destroyed, its class unregistered and its thread ended before this returns
// (within a bound); no popup starts after it.
void endPopups();

#endif
