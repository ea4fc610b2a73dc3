// Windows' media overlay (Windows 10 on): the playing song, its state and cover in the system's media
// controls (beside the volume flyout, on the lock screen, in quick settings), and their buttons and
// the keyboard's media keys sent to the player as its own commands. Called on the watcher thread only.
#ifndef PIPWICK_OVERLAY_H
#define PIPWICK_OVERLAY_H

#include <windows.h>
#include <objbase.h>

struct SongDetails {
    wchar_t title[256];
    wchar_t artist[256];
    wchar_t albumArtist[256];
    wchar_t album[256];
    UINT track;   // 0 for none
};

// Takes the controls of the player's main window, a top-level window of this process. False where
// Windows has none (before Windows 10, or Wine), and then nothing else happens.
bool openOverlay(HWND player);
bool overlayOpen();

// Every field, the empty ones too, and the cover (PNG, read from its start) as the thumbnail: none for
// null, and none where the display takes no thumbnail.
void showSongInOverlay(const SongDetails& song, IStream* cover);

// The player's play state as the watcher sees it (1 playing, 3 paused, anything else stopped); the
// buttons act on it only where no window of ours on the player's thread can ask the player.
void showStateInOverlay(LONG playState);

// Removes the button handler, clears the overlay, lets go of the controls, and returns once Windows
// holds the handler no more (or after a bound), so that nothing of Windows' calls into the module
// after the watcher ends.
void closeOverlay();

// Windows still holds the button handler, code of this module, after closeOverlay's bound: the
// module must then stay loaded for good.
bool buttonHandlerHeld();

#endif
