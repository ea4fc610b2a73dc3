// How far the song has played and its rating, as the popup shows them: asked of the player from the
// popup's own thread, each question bounded, so that a player that does not answer leaves the popup
// as it was and never holds it up.
#ifndef PIPWICK_POPUP_PROGRESS_H
#define PIPWICK_POPUP_PROGRESS_H

#include <windows.h>

// The position in ms and the length in seconds (0 or less: unknown, as for a stream); false when the
// player did not answer, or knows no position.
bool readPlayTime(LONG* position, LONG* length);

// "1:23 / 4:05", "1:02:03 / 1:10:00", or the elapsed time alone where the length is unknown.
void formatPlayTime(wchar_t* line, int size, LONG position, LONG length);

// The current song's rating, 0 (none) to 5, or -1 where there are no stars: a player older than
// 5.04, one that did not answer, or one that once did not keep a rating it was given (for the rest of
// the session).
int readRating();

// Gives the current song that many stars and answers what the player then reads back, as readRating;
// current where it did not answer.
int rateSong(int stars, int current);

// A five-pointed star filling box, solid or in outline.
void drawStar(HDC context, const RECT& box, bool filled, COLORREF colour);

#endif
