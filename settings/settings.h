// The user settings and their file: "plugin.ini" beside the module, or the per-user
// "<application data>\Pipwick\plugin.ini" once that holds them or where no other can be written.
// Paths are UTF-16, so folders named outside the code page work; the file itself stays ANSI text.
#ifndef PIPWICK_SETTINGS_H
#define PIPWICK_SETTINGS_H

#include <windows.h>

// A text setting that the watcher reads while the dialog may write it: written only on the player's
// window thread, read whole with loadText from any thread.
struct SharedText {
    volatile LONG version;   // odd while a write is under way
    wchar_t text[256];
};

// Read afresh by the watcher every cycle; written only on the player's window thread.
struct Settings {
    volatile LONG active;     // "Active": watcher enabled when non-zero
    volatile LONG simple;     // "Simple": one-line tip when non-zero, else "Artist:"/"Title:"
    volatile LONG sleep;      // "Sleep": update interval in milliseconds
    volatile LONG duration;   // "Duration": balloon display time in milliseconds
    volatile LONG sound;      // "Sound": balloons play the system's sound when non-zero
    volatile LONG background; // "Background": no balloon while a window of the player's is in front
    volatile LONG cover;      // "Cover": the song's cover in its balloon when non-zero
    SharedText textFormat;    // "TextFormat": the balloon's text in the player's title formatting, or empty
    SharedText titleFormat;   // "TitleFormat": the balloon's title line the same way, or empty
    volatile LONG mediaControls;  // "MediaControls": Windows' media overlay shows the song when non-zero
    volatile LONG balloons;   // "Balloons": balloons at all when non-zero
    volatile LONG popup;      // "Popup": a popup of the module's own where a balloon would show, when non-zero
    volatile LONG popupPlace; // "PopupPlace": where in the work area (PopupPlace below)
    volatile LONG popupMonitor;   // "PopupMonitor": 0 the player's monitor, n the n-th the system enumerates
};

enum PopupPlace : LONG { BottomRight, BottomCentre, BottomLeft, TopLeft, TopCentre, TopRight, popupPlaces };

extern Settings settings;

// The file beside the module: its folder and "plugin.ini", or none when that does not fit a path.
void buildSettingsPath(const wchar_t* modulePath);

// Chooses the file (per-user when it holds the section, else beside the module) and reads it.
void readSettings();

// Writes every key to the chosen file; when that fails beside the module, to the per-user file,
// which from then on is the chosen one. False when no file could be written.
bool writeSettings();

// The file the settings are kept in, or were last tried in; the bare file name when no path could
// be built at all.
const wchar_t* settingsFileInUse();

// Stores a setting so that the watcher sees it by its next read.
void storeSetting(volatile LONG* setting, LONG value);

// Stores a text setting (cut to its size) so that the watcher sees it whole by its next read.
void storeText(SharedText* setting, const wchar_t* text);

// A whole copy of a text setting, never half of one write and half of the next; cut to size.
void loadText(const SharedText& setting, wchar_t* text, int size);

#endif
