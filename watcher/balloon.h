// Showing the balloon: on the player's notification-area icon, or on an icon of the plug-in's own
// while the player shows none. Called only on the watcher thread.
#ifndef PIPWICK_BALLOON_H
#define PIPWICK_BALLOON_H

// Shows balloonNotice; nothing at all once the player's window is gone.
void showBalloon();

// Our icon stays until its balloon's time has run out: removing it sooner takes the balloon along.
void removeExpiredOwnIcon();

// Removes our icon and its window; the watcher does this as it ends.
void dropOwnIcon();

#endif
