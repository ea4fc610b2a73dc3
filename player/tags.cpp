// Title formatting from a table of tags, checking each request as the player would rely on it.
#include <windows.h>
#include <string.h>
#include "tags.h"

// The player's waFormatTitleExtended.
struct FormatRequest {
    const wchar_t* filename;
    int useExtendedInfo;
    const wchar_t* titleFormat;
    void* context;
    wchar_t* out;
    int outLength;
    wchar_t*(__cdecl* tagFunction)(const wchar_t* tag, void* context);
    void(__cdecl* freeFunction)(wchar_t* tag, void* context);
};

static const SongTags* songs;
static int songCount;
static volatile LONG requestCount;
static char fault[256];

void answerSongTags(const SongTags* table, int count)
{
    songs = table;
    songCount = count;
    requestCount = 0;
    fault[0] = '\0';
}

LONG formatRequests() { return requestCount; }
const char* formatRequestFault() { return fault; }

static void noteFault(const char* what)
{
    if (!fault[0]) lstrcpynA(fault, what, sizeof fault);
}

static const char* tagsOf(const wchar_t* file)
{
    char name[1024] = "";
    WideCharToMultiByte(CP_UTF8, 0, file, -1, name, sizeof name, nullptr, nullptr);
    for (int i = 0; i < songCount; ++i)
        if (strcmp(songs[i].file, name) == 0) return songs[i].tags;
    return nullptr;
}

// The field's value from the "field=value" lines, appended to out (at most room units).
static int appendField(const char* tags, const char* field, size_t fieldLength, wchar_t* out, int room)
{
    for (const char* line = tags; line && *line; line = strchr(line, '\n') ? strchr(line, '\n') + 1 : nullptr) {
        if (strncmp(line, field, fieldLength) != 0 || line[fieldLength] != '=') continue;
        const char* value = line + fieldLength + 1;
        const char* end = strchr(value, '\n');
        int bytes = static_cast<int>(end ? end - value : strlen(value));
        return MultiByteToWideChar(CP_UTF8, 0, value, bytes, out, room);
    }
    return 0;
}

// %field% from the table; every other unit as it stands.
static void substitute(const wchar_t* titleFormat, const char* tags, wchar_t* out, int size)
{
    int written = 0;
    for (const wchar_t* at = titleFormat; *at && written < size - 1;) {
        const wchar_t* close = *at == L'%' ? wcschr(at + 1, L'%') : nullptr;
        if (!close) {
            out[written++] = *at++;
            continue;
        }
        char field[64] = "";
        WideCharToMultiByte(CP_UTF8, 0, at + 1, static_cast<int>(close - at - 1), field, sizeof field - 1, nullptr, nullptr);
        written += appendField(tags, field, strlen(field), out + written, size - 1 - written);
        at = close + 1;
    }
    out[written] = L'\0';
}

LRESULT answerFormatRequest(WPARAM argument)
{
    InterlockedIncrement(&requestCount);
    if (!songs) return 0;
    FormatRequest* request = reinterpret_cast<FormatRequest*>(argument);
    if (!request->filename || !request->filename[0]) noteFault("no file name");
    if (request->useExtendedInfo != 1) noteFault("useExtendedInfo is not 1");
    if (!request->out || request->outLength < 64) noteFault("no output buffer, or one shorter than a title");
    if (!request->titleFormat) noteFault("no format");
    if (!request->tagFunction || !request->freeFunction) noteFault("no tag function, or no free function");
    else if (request->tagFunction(L"artist", request->context) != nullptr) noteFault("the tag function found a field");
    if (fault[0] || !request->out || request->outLength <= 0) return 0;
    const char* tags = tagsOf(request->filename);
    if (!tags) noteFault("a file the player does not play");
    substitute(request->titleFormat, tags ? tags : "", request->out, request->outLength);
    return 0;
}

// The player's extendedFileInfoStructW, answered as the player does: cleared first, non-zero when
// the field is known.
struct TagRequest {
    const wchar_t* filename;
    const wchar_t* metadata;
    wchar_t* ret;
    size_t retlen;
};

LRESULT answerTagRequest(WPARAM argument)
{
    TagRequest* request = reinterpret_cast<TagRequest*>(argument);
    if (!songs || !request->ret || request->retlen == 0 || request->retlen > 65536) return 0;
    request->ret[0] = L'\0';
    const char* tags = request->filename ? tagsOf(request->filename) : nullptr;
    char field[64] = "";
    if (request->metadata) WideCharToMultiByte(CP_UTF8, 0, request->metadata, -1, field, sizeof field, nullptr, nullptr);
    int room = static_cast<int>(request->retlen) - 1;
    int written = tags && field[0] ? appendField(tags, field, strlen(field), request->ret, room) : 0;
    request->ret[written] = L'\0';
    return written > 0;
}
