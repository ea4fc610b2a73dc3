// The watcher thread: polls the player and raises the song, pause and stop balloons.
#ifndef PIPWICK_WATCHER_H
#define PIPWICK_WATCHER_H

#include <windows.h>

extern volatile LONG stopRequested;   // 1 tells the watcher to end, at its next test of it

// The thread routine's body: runs until stopRequested is set; returns non-zero when Windows still
// holds code of the module (the media overlay's button handler), which must then stay loaded.
DWORD watcherMain();

// Ends the watcher's pause now, so that a stop request or new settings take effect without waiting
// out the interval. A new song's settle time is not cut short.
void wakeWatcher(HANDLE watcher);

// The user asked to see what is playing again: the watcher polls at once and shows the balloon of the
// song that plays, or the paused text; nothing when stopped.
void showSongAgain(HANDLE watcher);

#endif
