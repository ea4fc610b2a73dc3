// Showing the balloon: on the player's notification-area icon, or on an icon of the plug-in's own
// while the player shows none (and always from Windows 10 on), and taking it down again at
// "Duration". Called only on the watcher thread.
#ifndef PIPWICK_BALLOON_H
#define PIPWICK_BALLOON_H

#include <windows.h>

// Looks up what the shell offers (its notification state, whether it knows quiet balloons); the
// watcher does this as it starts.
void prepareBalloons();

// Whether a balloon would be seen now: the shell shows notifications at once (it would queue them
// while the user is away or a full-screen program runs), and with "Background" set none of the
// player's windows is in front, unless the user asked for this balloon.
bool balloonWelcomeNow(bool asked);

// Shows the text standing in balloonNotice.szInfo, or in wideBalloonNotice.szInfo when wide, with
// picture (or null) in place of the information icon; the balloon owns the picture from then on and
// destroys it once the balloon is replaced or taken down. Nothing at all once the player's window is
// gone.
void showBalloon(bool wide, HICON picture);

// How long until the shown balloon is taken down, or INFINITE when none is due.
DWORD balloonTimeLeft();

// Takes the balloon down once its time is up: an empty text on the player's icon, or our icon
// removed with it.
void takeDownExpiredBalloon();

// Removes our icon and its window, destroys the latest picture, and forgets any balloon due for
// taking down; the watcher does this as it ends.
void endBalloons();

#endif
