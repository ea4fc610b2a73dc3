// Deciding whether the player's title names a song, and composing the balloon's text from it: in the
// active code page when it can spell the title, else in UTF-16, by the same rules.
#ifndef PIPWICK_TITLE_H
#define PIPWICK_TITLE_H

bool isStreamStatusTitle(const char* title);
bool isStreamStatusTitle(const wchar_t* title);

// Writes the tip text into balloonNotice.szInfo and returns true, or returns false and leaves it
// alone. Cuts title in place.
bool extractSongText(char* title, long simple);

// The same into wideBalloonNotice.szInfo, composed with wideTipFormat.
bool extractWideSongText(wchar_t* title, long simple);

// The artist and the title as the two-line format splits them, without the blanks it keeps; the
// artist is empty when the song part has no separator. Both point into title, which is cut in place.
// False when the title names no song.
bool splitSongTitle(wchar_t* title, wchar_t** artist, wchar_t** song);

#endif
