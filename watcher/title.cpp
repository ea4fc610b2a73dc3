// Title extraction: stream tags, the track number's dot, the player's suffix and the artist separator.
// One set of rules for both encodings; every tag and separator is plain ASCII.
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

// In UTF-16 an ASCII unit is always a whole character: half of a surrogate pair never matches.
static wchar_t* findCharacter(wchar_t* text, char character)
{
    for (; *text; ++text)
        if (*text == static_cast<wchar_t>(character)) return text;
    return nullptr;
}

template <typename Char>
static bool startsWith(const Char* text, const char* prefix)
{
    while (*prefix && *text == static_cast<Char>(*prefix)) ++text, ++prefix;
    return *prefix == '\0';
}

// Steps by characters of the active code page, so a match never starts on a trail byte (Wine's
// _mbsstr compares bytes; Windows' steps by characters). Every needle here is single-byte text,
// and a single-byte byte is never a lead byte, so the rest compares safely byte by byte.
template <typename Char>
static Char* findText(Char* text, const char* needle)
{
    for (Char* at = findCharacter(text, needle[0]); at; at = findCharacter(at + 1, needle[0])) {
        if (startsWith(at, needle)) return at;
    }
    return nullptr;
}

template <typename Char>
static bool isStatus(const Char* title)
{
    for (const char* tag : streamStatusTags) {
        if (findText(const_cast<Char*>(title), tag)) return true;
    }
    return false;
}

bool isStreamStatusTitle(const char* title) { return isStatus(title); }
bool isStreamStatusTitle(const wchar_t* title) { return isStatus(title); }

// The song part: after the first dot, before the player's suffix (cut there); null for no song.
template <typename Char>
static Char* songPart(Char* title)
{
    if (isStatus(title)) return nullptr;
    Char* dot = findCharacter(title, '.');
    if (!dot) return nullptr;
    Char* song = dot + 1;   // keeps the blank after the dot
    Char* suffix = findText(song, playerSuffix);
    if (!suffix) return nullptr;
    *suffix = 0;
    return song;
}

template <typename Char, int tipSize>
static bool extract(Char* title, long simple, Char (&tip)[tipSize], const Char* format)
{
    Char* song = songPart(title);
    if (!song) return false;

    Char* separator = simple ? nullptr : findText(song, artistSeparator);
    if (!separator) {
        copyTextCut(tip, tipSize, song);
        return true;
    }
    *separator = 0;
    // The title keeps the separator's trailing blank, as the artist keeps the one after the dot.
    formatTextCut(tip, tipSize, format, song, separator + 2);
    return true;
}

bool extractSongText(char* title, long simple)
{
    return extract(title, simple, balloonNotice.szInfo, tipFormat);
}

bool extractWideSongText(wchar_t* title, long simple)
{
    return extract(title, simple, wideBalloonNotice.szInfo, wideTipFormat);
}

static wchar_t* trimmed(wchar_t* text)
{
    while (*text == L' ') ++text;
    int length = lstrlenW(text);
    while (length > 0 && text[length - 1] == L' ') text[--length] = L'\0';
    return text;
}

bool splitSongTitle(wchar_t* title, wchar_t** artist, wchar_t** song)
{
    wchar_t* part = songPart(title);
    if (!part) return false;
    wchar_t* separator = findText(part, artistSeparator);
    if (separator) *separator = L'\0';
    *artist = separator ? trimmed(part) : part + lstrlenW(part);
    *song = trimmed(separator ? separator + 3 : part);
    return true;
}
