// The player's init and quit, and applying confirmed settings: decides when a watcher runs.
#ifndef PIPWICK_LIFECYCLE_H
#define PIPWICK_LIFECYCLE_H

int pluginInit();
void pluginQuit();
void applySettings();
void startWatcher();

#endif
