// The player's Advanced Title Formatting (IPC_FORMAT_TITLE_EXTENDED) and its extended file
// information (IPC_GET_EXTENDED_FILE_INFOW).
#include <windows.h>
#include "format.h"
#include "../text/text.h"

// The player's waFormatTitleExtended; it calls both functions as plain C functions.
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
static_assert(sizeof(void*) != 4 || sizeof(FormatRequest) == 8 * 4, "the player reads eight 32-bit fields");

// The player's extendedFileInfoStructW.
struct TagRequest {
    const wchar_t* filename;
    const wchar_t* metadata;
    wchar_t* ret;
    size_t retlen;
};
static_assert(sizeof(void*) != 4 || sizeof(TagRequest) == 4 * 4, "the player reads four 32-bit fields");

static const LPARAM formatTitleExtended = 298;
static const LPARAM extendedFileInfo = 3026;
static const int longestResult = 1024;   // the player's titles reach 387 characters
static const int spareUnits = 8;         // for a player that writes its terminator past the length given

// "Not found" for every field: the player then reads each one from the file's tags.
static wchar_t* __cdecl noField(const wchar_t*, void*)
{
    return nullptr;
}

static void __cdecl freeNothing(wchar_t*, void*)
{
}

static bool onlyBlanks(const wchar_t* text)
{
    for (; *text; ++text)
        if (*text > L' ') return false;
    return true;
}

// The player answers 0 whether or not it formatted anything: only the output tells.
bool formatForSong(HWND player, const wchar_t* path, const wchar_t* titleFormat, wchar_t* text, int size)
{
    wchar_t result[longestResult + spareUnits];
    result[0] = L'\0';
    FormatRequest request = {path, 1, titleFormat, nullptr, result, longestResult, noField, freeNothing};
    SendMessageA(player, WM_USER, reinterpret_cast<WPARAM>(&request), formatTitleExtended);
    result[longestResult - 1] = L'\0';
    if (onlyBlanks(result)) return false;
    copyTextCut(text, size, result);
    return true;
}

bool readSongTag(HWND player, const wchar_t* path, const wchar_t* field, wchar_t* text, int size)
{
    wchar_t result[longestResult + spareUnits];
    result[0] = L'\0';
    TagRequest request = {path, field, result, longestResult};
    bool known = SendMessageA(player, WM_USER, reinterpret_cast<WPARAM>(&request), extendedFileInfo) != 0;
    result[longestResult - 1] = L'\0';
    copyTextCut(text, size, known ? result : L"");
    return known && result[0];
}
