// Deciding whether the player's title names a song, and composing the balloon's text from it.
#ifndef PIPWICK_TITLE_H
#define PIPWICK_TITLE_H

bool isStreamStatusTitle(const char* title);

// Writes the tip text into balloonNotice.szInfo and returns true, or returns false and leaves it
// alone. Cuts title in place.
bool extractSongText(char* title, long simple);

#endif
