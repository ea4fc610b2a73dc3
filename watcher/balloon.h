// Showing the balloon: on the player's notification-area icon, or on an icon of the plug-in's own
// while the player shows none. Called only on the watcher thread.
#ifndef PIPWICK_BALLOON_H
#define PIPWICK_BALLOON_H

#include <windows.h>

// Shows balloonNotice; nothing at all once the player's window is gone.
void showBalloon();

// The same for wideBalloonNotice, whose text the code page cannot spell; it shares balloonNotice's
// window and duration.
void showWideBalloon();

// How long our icon's balloon still has, or INFINITE while we show no icon.
DWORD ownIconTimeLeft();

// Our icon stays until its balloon's time has run out: removing it sooner takes the balloon along.
void removeExpiredOwnIcon();

// Removes our icon and its window; the watcher does this as it ends.
void dropOwnIcon();

#endif
