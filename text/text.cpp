// Bounded text helpers.
#include <windows.h>
#include <stdarg.h>
#include "text.h"

static int characterLength(const char* at)
{
    // A lead byte at the very end is left alone as one byte rather than pairing it with the terminator.
    if (IsDBCSLeadByte(static_cast<BYTE>(at[0])) && at[1]) return 2;
    return 1;
}

static int characterLength(const wchar_t* at)
{
    bool high = at[0] >= 0xD800 && at[0] <= 0xDBFF;
    bool lowNext = at[1] >= 0xDC00 && at[1] <= 0xDFFF;
    return high && lowNext ? 2 : 1;
}

template <typename Char>
static void copyCut(Char* destination, int destinationSize, const Char* source)
{
    if (destinationSize <= 0) return;
    int kept = 0;
    while (source[kept]) {
        int length = characterLength(source + kept);
        if (kept + length > destinationSize - 1) break;
        kept += length;
    }
    for (int i = 0; i < kept; ++i) destination[i] = source[i];
    destination[kept] = 0;
}

void copyTextCut(char* destination, int destinationSize, const char* source)
{
    copyCut(destination, destinationSize, source);
}

void copyTextCut(wchar_t* destination, int destinationSize, const wchar_t* source)
{
    copyCut(destination, destinationSize, source);
}

void formatTextCut(char* destination, int destinationSize, const char* format, ...)
{
    char work[1025];   // wvsprintfA never writes more than 1024 characters
    va_list arguments;
    va_start(arguments, format);
    wvsprintfA(work, format, arguments);
    va_end(arguments);
    work[1024] = '\0';
    copyTextCut(destination, destinationSize, work);
}

void formatTextCut(wchar_t* destination, int destinationSize, const wchar_t* format, ...)
{
    wchar_t work[1025];
    va_list arguments;
    va_start(arguments, format);
    wvsprintfW(work, format, arguments);
    va_end(arguments);
    work[1024] = L'\0';
    copyTextCut(destination, destinationSize, work);
}

void widenText(wchar_t* destination, int destinationSize, const char* source)
{
    if (!MultiByteToWideChar(CP_ACP, 0, source, -1, destination, destinationSize)) destination[0] = L'\0';
}

// A code page that takes no flags (UTF-8 as the system's ANSI code page) fails here, and so goes wide.
bool narrowWithoutLoss(const wchar_t* text, char* destination, int destinationSize)
{
    BOOL lost = FALSE;
    int written = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, destination, destinationSize,
                                      nullptr, &lost);
    return written > 0 && !lost;
}

bool isSongFile(const wchar_t* path)
{
    wchar_t letter = static_cast<wchar_t>(path[0] | 0x20);
    if (letter >= L'a' && letter <= L'z' && path[1] == L':' && path[2] == L'\\') return true;
    return path[0] == L'\\' && path[1] == L'\\' && path[2] != L'.' && path[2] != L'?' && path[2] != L'\0';
}

const wchar_t* fileNameOf(const wchar_t* path)
{
    const wchar_t* name = path;
    for (const wchar_t* at = path; *at; ++at)
        if (*at == L'\\') name = at + 1;
    return name;
}
