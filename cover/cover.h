// The song's cover for its balloon, from Windows Vista on: the picture inside the song's file as the
// shell shows it, else a picture beside the song in its folder, decoded by Windows' own decoders.
#ifndef PIPWICK_COVER_H
#define PIPWICK_COVER_H

#include <windows.h>

// Looks up what the shell offers; the watcher does this as it starts, with COM initialised.
void prepareCovers();

// An icon of SM_CXICON by SM_CYICON with the cover of the song file at songPath, or null: for a
// stream, a song without a cover, a picture that cannot be decoded, and on Windows before Vista.
// The caller destroys it.
HICON loadSongCover(const wchar_t* songPath);

#endif
