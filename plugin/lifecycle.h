// The player's init and quit, and applying confirmed settings: decides when a watcher runs.
#ifndef PIPWICK_LIFECYCLE_H
#define PIPWICK_LIFECYCLE_H

#include <windows.h>

extern volatile LONG stopRequested;   // 1 tells the watcher to end

int pluginInit();
void pluginQuit();
void applySettings();
void startWatcher();

#endif
