// Bounded ANSI text helpers: every copy is cut to its destination at a character boundary.
#ifndef PIPWICK_TEXT_H
#define PIPWICK_TEXT_H

// Copies source into destination (destinationSize bytes, terminator included), cut so that no
// double-byte character of the active code page is split. Destination may be source itself.
void copyTextCut(char* destination, int destinationSize, const char* source);

// wsprintfA into a work buffer of its full 1024-byte output limit, then copyTextCut.
void formatTextCut(char* destination, int destinationSize, const char* format, ...);

#endif
