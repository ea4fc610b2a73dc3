// The watcher thread: polls the player and raises the song, pause and stop balloons.
#ifndef PIPWICK_WATCHER_H
#define PIPWICK_WATCHER_H

#include <windows.h>

// Runs until stopRequested is set; returns 0.
DWORD watcherMain();

#endif
