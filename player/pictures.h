// Pictures of one colour for song folders, made with Windows' own encoders (the tests and the
// benchmark bring no picture files of their own).
#ifndef STANDIN_PICTURES_H
#define STANDIN_PICTURES_H

#include <windows.h>

// Writes a width by height JPEG (or PNG) of one colour (0xRRGGBB) to path; needs COM on the thread.
// Wider than 4096 (up to 98,304), it is black, one bit a pixel: a decompression bomb's shape.
bool writePicture(const wchar_t* path, UINT width, UINT height, DWORD colour, bool png = false);

#endif
