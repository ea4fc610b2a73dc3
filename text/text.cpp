// Bounded ANSI text helpers.
#include <windows.h>
#include <stdarg.h>
#include "text.h"

static int characterLength(const char* at)
{
    // A lead byte at the very end is left alone as one byte rather than pairing it with the terminator.
    if (IsDBCSLeadByte(static_cast<BYTE>(at[0])) && at[1]) return 2;
    return 1;
}

void copyTextCut(char* destination, int destinationSize, const char* source)
{
    if (destinationSize <= 0) return;
    int kept = 0;
    while (source[kept]) {
        int length = characterLength(source + kept);
        if (kept + length > destinationSize - 1) break;
        kept += length;
    }
    for (int i = 0; i < kept; ++i) destination[i] = source[i];
    destination[kept] = '\0';
}

void formatTextCut(char* destination, int destinationSize, const char* format, ...)
{
    char work[1025];   // wvsprintfA never writes more than 1024 bytes
    va_list arguments;
    va_start(arguments, format);
    wvsprintfA(work, format, arguments);
    va_end(arguments);
    work[sizeof work - 1] = '\0';
    copyTextCut(destination, destinationSize, work);
}
