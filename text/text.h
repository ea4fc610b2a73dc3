// Bounded text helpers: every copy is cut to its destination at a character boundary, ANSI text at a
// double-byte character of the active code page, UTF-16 text at a surrogate pair.
#ifndef PIPWICK_TEXT_H
#define PIPWICK_TEXT_H

// Copies source into destination (destinationSize characters, terminator included), cut so that no
// character is split. Destination may be source itself.
void copyTextCut(char* destination, int destinationSize, const char* source);
void copyTextCut(wchar_t* destination, int destinationSize, const wchar_t* source);

// wsprintf into a work buffer of its full 1024-character output limit, then copyTextCut.
void formatTextCut(char* destination, int destinationSize, const char* format, ...);
void formatTextCut(wchar_t* destination, int destinationSize, const wchar_t* format, ...);

// ANSI text in UTF-16, for a wide call (destinationSize characters; empty when it does not fit).
void widenText(wchar_t* destination, int destinationSize, const char* source);

// The text in the active code page, with no look-alike letters; false when a character would be lost
// or the result does not fit (the code page cannot carry it as it stands).
bool narrowWithoutLoss(const wchar_t* text, char* destination, int destinationSize);

// Whether the player's entry is a file on a drive or a share: a stream's URL is not, and device and
// long-path prefixes (\\.\, \\?\) are left alone.
bool isSongFile(const wchar_t* path);

// Where the file name starts: after the path's last backslash, or the whole path when it has none.
const wchar_t* fileNameOf(const wchar_t* path);

#endif
