// The player's output time and ratings, from its own messages (WM_USER with an IPC number).
#include <windows.h>
#include "progress.h"
#include "../module/module.h"
#include "../text/text.h"

enum PlayerQuestion : LPARAM { AskVersion = 0, GetOutputTime = 105, SetRating = 639, GetRating = 640 };
enum OutputTime : WPARAM { PositionMs = 0, LengthSeconds = 1 };

static const UINT patience = 150;          // ms a question may wait for the player's thread
static const LRESULT ratingsFrom = 0x5004; // 5.04, the first player with ratings (with its library)

static bool ratingsRefused;                // for the rest of the session; the popup's thread only
static LRESULT playerVersion;              // 0 until the player has answered

static bool askPlayer(WPARAM wParam, LPARAM question, LRESULT* answer)
{
    DWORD_PTR result = 0;
    bool answered = SendMessageTimeoutW(pluginRecord.hostWindow, WM_USER, wParam, question, SMTO_ABORTIFHUNG | SMTO_NORMAL,
                                        patience, &result) != 0;
    *answer = static_cast<LRESULT>(result);
    return answered;
}

bool readPlayTime(LONG* position, LONG* length)
{
    LRESULT at = -1, of = -1;
    if (!askPlayer(PositionMs, GetOutputTime, &at) || static_cast<LONG>(at) < 0) return false;
    if (!askPlayer(LengthSeconds, GetOutputTime, &of)) return false;
    *position = static_cast<LONG>(at);
    *length = static_cast<LONG>(of);
    return true;
}

static void formatTime(wchar_t* text, int size, LONG seconds)
{
    LONG hours = seconds / 3600, minutes = seconds / 60 % 60;
    if (hours) formatTextCut(text, size, L"%ld:%02ld:%02ld", hours, minutes, seconds % 60);
    else formatTextCut(text, size, L"%ld:%02ld", minutes, seconds % 60);
}

void formatPlayTime(wchar_t* line, int size, LONG position, LONG length)
{
    wchar_t played[16], whole[16];
    formatTime(played, sizeof played / sizeof played[0], position / 1000);
    if (length <= 0) return copyTextCut(line, size, played);
    formatTime(whole, sizeof whole / sizeof whole[0], length);
    formatTextCut(line, size, L"%s / %s", played, whole);
}

int readRating()
{
    if (ratingsRefused) return -1;
    if (!playerVersion && !askPlayer(0, AskVersion, &playerVersion)) return -1;
    if (playerVersion < ratingsFrom) {
        ratingsRefused = true;
        return -1;
    }
    LRESULT rating = 0;
    if (!askPlayer(0, GetRating, &rating)) return -1;
    return rating >= 0 && rating <= 5 ? static_cast<int>(rating) : -1;
}

int rateSong(int stars, int current)
{
    if (ratingsRefused) return -1;
    LRESULT ignored = 0, kept = -1;
    askPlayer(static_cast<WPARAM>(stars), SetRating, &ignored);
    if (!askPlayer(0, GetRating, &kept)) return current;
    // A player without its library answers as if it had: what it keeps tells.
    if (kept != stars) ratingsRefused = true;
    return ratingsRefused ? -1 : stars;
}

void drawStar(HDC context, const RECT& box, bool filled, COLORREF colour)
{
    // Its points in a square of 100, clockwise from the top: outer and inner in turn.
    static const POINT unit[10] = {{50, 0}, {61, 35}, {98, 35}, {68, 56}, {79, 91}, {50, 69}, {21, 91}, {32, 56}, {2, 35}, {39, 35}};
    int side = box.right - box.left < box.bottom - box.top ? box.right - box.left : box.bottom - box.top;
    int left = box.left + (box.right - box.left - side) / 2, top = box.top + (box.bottom - box.top - side) / 2;
    POINT points[10];
    for (int i = 0; i < 10; ++i) points[i] = {left + MulDiv(unit[i].x, side - 1, 100), top + MulDiv(unit[i].y, side - 1, 100)};
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HBRUSH brush = filled ? CreateSolidBrush(colour) : nullptr;
    HGDIOBJ oldPen = SelectObject(context, pen);
    HGDIOBJ oldBrush = SelectObject(context, brush ? static_cast<HGDIOBJ>(brush) : GetStockObject(NULL_BRUSH));
    Polygon(context, points, 10);
    SelectObject(context, oldBrush);
    SelectObject(context, oldPen);
    if (brush) DeleteObject(brush);
    DeleteObject(pen);
}
