// Title extraction: stream tags, the track number's dot, the player's suffix and the artist separator.
#include <windows.h>
#include <mbstring.h>
#include "title.h"
#include "../module/module.h"
#include "../text/text.h"

static const char* const streamStatusTags[] = { "[Buffer:", "[Connecting]", "[HTTP/1." };
static const char playerSuffix[] = " - Winamp";
static const char artistSeparator[] = " - ";

static char* findCharacter(char* text, char character)
{
    return reinterpret_cast<char*>(_mbschr(reinterpret_cast<unsigned char*>(text),
                                           static_cast<unsigned char>(character)));
}

static bool startsWith(const char* text, const char* prefix)
{
    while (*prefix && *text == *prefix) ++text, ++prefix;
    return *prefix == '\0';
}

// Steps by characters of the active code page, so a match never starts on a trail byte (Wine's
// _mbsstr compares bytes; Windows' steps by characters). Every needle here is single-byte text,
// and a single-byte byte is never a lead byte, so the rest compares safely byte by byte.
static char* findText(char* text, const char* needle)
{
    for (char* at = findCharacter(text, needle[0]); at; at = findCharacter(at + 1, needle[0])) {
        if (startsWith(at, needle)) return at;
    }
    return nullptr;
}

bool isStreamStatusTitle(const char* title)
{
    for (const char* tag : streamStatusTags) {
        if (findText(const_cast<char*>(title), tag)) return true;
    }
    return false;
}

bool extractSongText(char* title, long simple)
{
    if (isStreamStatusTitle(title)) return false;
    char* dot = findCharacter(title, '.');
    if (!dot) return false;
    char* song = dot + 1;   // keeps the blank after the dot
    char* suffix = findText(song, playerSuffix);
    if (!suffix) return false;
    *suffix = '\0';

    char* separator = simple ? nullptr : findText(song, artistSeparator);
    if (!separator) {
        copyTextCut(balloonNotice.szInfo, sizeof balloonNotice.szInfo, song);
        return true;
    }
    *separator = '\0';
    // The title keeps the separator's trailing blank, as the artist keeps the one after the dot.
    formatTextCut(balloonNotice.szInfo, sizeof balloonNotice.szInfo, tipFormat, song, separator + 2);
    return true;
}
