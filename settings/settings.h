// The four user settings and their file, "plugin.ini" beside the module.
#ifndef PIPWICK_SETTINGS_H
#define PIPWICK_SETTINGS_H

#include <windows.h>

// Read afresh by the watcher every cycle; written only on the player's window thread.
struct Settings {
    volatile LONG active;     // "Active": watcher enabled when non-zero
    volatile LONG simple;     // "Simple": one-line tip when non-zero, else "Artist:"/"Title:"
    volatile LONG sleep;      // "Sleep": update interval in milliseconds
    volatile LONG duration;   // "Duration": balloon display time in milliseconds
};

extern Settings settings;

void readSettings();
void writeSettings();

// Stores a setting so that the watcher sees it by its next read.
void storeSetting(volatile LONG* setting, LONG value);

#endif
