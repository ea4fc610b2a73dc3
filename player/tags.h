// The songs' tags, as the player answers for them inside its process: one field
// (IPC_GET_EXTENDED_FILE_INFOW, 3026), and its title formatting (IPC_FORMAT_TITLE_EXTENDED, 298)
// with each %field% replaced by the file's field, empty where it has none. The player's real
// formatter is its own; the stand-in substitutes fields and nothing more.
#ifndef STANDIN_TAGS_H
#define STANDIN_TAGS_H

#include <windows.h>

struct SongTags {
    const char* file;   // the file name as the playlist gives it (UTF-8)
    const char* tags;   // "field=value" lines (UTF-8), e.g. "artist=Кино\ntitle=Звезда"
};

// From now on the player formats from these; null (the default) is a player that answers 298 without
// touching the output, as one without the message does.
void answerSongTags(const SongTags* songs, int count);

// Formatting requests received, and what was wrong with the first malformed one ("" while none was):
// the file, useExtendedInfo, the output buffer and its length, and the tag function, which the
// stand-in calls once per request and which must answer "not found".
LONG formatRequests();
const char* formatRequestFault();

// The window's answers to 298 and 3026; wParam points to the plug-in's request.
LRESULT answerFormatRequest(WPARAM request);
LRESULT answerTagRequest(WPARAM request);

#endif
