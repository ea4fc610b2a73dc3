// The song's cover for its balloon, from Windows Vista on: the picture inside the song's file as the
// shell shows it, else a picture beside the song in its folder, decoded by Windows' own decoders.
#ifndef PIPWICK_COVER_H
#define PIPWICK_COVER_H

#include <windows.h>
#include <objbase.h>

// Looks up what the shell offers; the watcher does this as it starts, with COM initialised.
void prepareCovers();

// An icon of SM_CXICON by SM_CYICON (or side square) with the cover of the song file at songPath, or null: for a
// stream, a song without a cover, a picture that cannot be decoded, and on Windows before Vista.
// The caller destroys it.
HICON loadSongCover(const wchar_t* songPath, int side = 0);

// The same cover for Windows' media overlay, with the same bounds: the picture inside the file, PNG
// in a new stream in memory at its start (the caller releases it), or null; else the path of the
// picture beside the song (MAX_PATH units), false for none.
IStream* embeddedCoverAsPng(const wchar_t* songPath);
bool coverBesideSong(const wchar_t* songPath, wchar_t* picture);

#endif
