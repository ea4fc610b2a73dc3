// What the player tells of a song file's tags, inside its process: the user's own words for the
// balloon, formatted with the player's own title formatting (the syntax of its Titles preferences),
// and single fields for the media overlay. Each is a message to the player's window thread, which may
// read the tags from disk meanwhile.
#ifndef PIPWICK_FORMAT_H
#define PIPWICK_FORMAT_H

#include <windows.h>

// Asks the player's main window to format titleFormat for the song file at path. True with the result in
// text, cut to size units at a character boundary; false when it gave nothing but blanks, or nothing
// at all (a player without the message leaves the output untouched).
bool formatForSong(HWND player, const wchar_t* path, const wchar_t* titleFormat, wchar_t* text, int size);

// One field of the file's tags as the player's input plug-ins read it ("title", "artist",
// "albumartist", "album", "track"): true with it in text, cut the same way; false when the player
// knows none.
bool readSongTag(HWND player, const wchar_t* path, const wchar_t* field, wchar_t* text, int size);

#endif
