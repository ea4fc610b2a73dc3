// The song's cover, from Windows Vista on: the picture inside the song's file as the shell shows it,
// else a picture beside the song in its folder, decoded by Windows' own decoders once a song, then
// made what each surface takes: an icon for the balloon or the popup, PNG for the media overlay.
#ifndef PIPWICK_COVER_H
#define PIPWICK_COVER_H

#include <windows.h>
#include <objbase.h>

struct IWICBitmap;

// Looks up what the shell offers; the watcher does this as it starts, with COM initialised.
void prepareCovers();

// The cover of the song file at songPath, decoded and fitted into 256 pixels square, or null: for a
// stream, a song without a cover, a picture that cannot be decoded or is too large, and before Vista.
// Released with releaseSongCover.
IWICBitmap* loadSongCover(const wchar_t* songPath);
void releaseSongCover(IWICBitmap* cover);

// The cover as an icon side pixels square (0: SM_CXICON), its aspect kept, margins transparent, or
// null. The caller destroys it.
HICON songCoverIcon(IWICBitmap* cover, int side = 0);

// The cover as PNG in a new stream in memory at its start, or null. The caller releases it.
IStream* songCoverAsPng(IWICBitmap* cover);

#endif
