// The user's own words for a song's balloon: the player formats them from the song file's tags with
// its own title formatting (the syntax of its Titles preferences), inside its process.
#ifndef PIPWICK_FORMAT_H
#define PIPWICK_FORMAT_H

#include <windows.h>

// Asks the player's main window to format spec for the song file at path. True with the result in
// text, cut to size units at a character boundary; false when it gave nothing but blanks, or nothing
// at all (a player without the message leaves the output untouched). A message to the player's
// window thread, which may read tags from disk meanwhile.
bool formatForSong(HWND player, const wchar_t* path, const wchar_t* spec, wchar_t* text, int size);

#endif
