// The popup window and its thread. Topmost, never active, no taskbar button; one at most, refilled in
// place for each new song; it fades where the system animates. Sizes follow the monitor's DPI; a
// monitor that is gone gives way to the primary one, so the popup is never off-screen. Only quit ends
// its thread, whenever quit comes; closed from outside, it hides until the next song.
#include <windows.h>
#include <commctrl.h>
#include "popup.h"
#include "accessible.h"
#include "progress.h"
#include "../buttons/buttons.h"
#include "../module/module.h"
#include "../resources/resource.h"
#include "../settings/settings.h"
#include "../system/system.h"
#include "../text/text.h"

typedef BOOL(WINAPI* PlaySoundFunction)(const wchar_t* sound, HMODULE module, DWORD flags);

enum PlayState : LONG { Playing = 1, Paused = 3 };
enum PopupLife : LONG { NotStarted, Running, Ended };
enum ChildId : int { PreviousId = 1, PlayPauseId, NextId, FirstStarId = 11, TimeLineId = 20, TimeBarId };
static const int starCount = 5;

static const wchar_t windowClass[] = L"Pipwick popup";
static const UINT showContent = WM_APP;        // lParam: the Content to show
static const UINT_PTR hideTimer = 1, fadeTimer = 2, pointerTimer = 3, progressTimer = 4;
static const DWORD progressStep = 500;        // how often the time is asked for while the popup is up
static const int barSteps = 1000;
static const DWORD pointerCheck = 100;        // how often a pointer over the popup is looked for
static const DWORD fadeTime = 150, fadeStep = 15;   // in and out within 200 ms
static const DWORD shortestStay = 5000;        // "Duration" 0 or less
static const DWORD startWait = 2000;           // how long a first popup waits for its thread
static const DWORD endWait = 2000;             // how long quit waits for it
// The metrics' size before Vista's iPaddedBorderWidth: every Windows takes it, and Windows 2000 and XP
// refuse a larger one.
static const UINT windows2000Metrics = FIELD_OFFSET(NONCLIENTMETRICSW, iPaddedBorderWidth);
static_assert(windows2000Metrics == 500, "five fonts and nine sizes, as Windows 2000 reads them");
static_assert(sizeof(void*) != 4 || sizeof(MONITORINFO) == 40, "the monitor information the system fills");
static const int coverSideAt96 = 64, marginAt96 = 10, gapAt96 = 8, buttonHeightAt96 = 24, buttonWidthAt96 = 84;
static const int barHeightAt96 = 4, barGapAt96 = 3;
static const int largestCoverSide = 256;       // the cover's own size: a larger icon of it is refused

struct Content {
    wchar_t heading[64];
    wchar_t text[256];
    LONG state;
    HICON cover;
};

static volatile LONG life;             // a PopupLife
static volatile LONG starting;         // 1 while the watcher starts the thread: quit lets it finish
static HANDLE popupThread;             // while it runs
static HWND volatile popupWindow;      // made by that thread
static HANDLE volatile windowReady;    // set once the thread has its window, or has given up
static HANDLE volatile endRequested;   // set by quit: the thread ends, whether or not its window is known

// Only the popup's thread touches these.
static Content shown;
static HWND buttons[3];
static HWND stars[starCount];          // named for screen readers: "Rate 3 stars", "Rated 3 stars"
static HWND timeLine, timeBar;         // "1:23 / 4:05", and the bar beneath it
static bool songShown;                 // playing or paused: its time and its rating belong
static LONG playedLength;              // the song's length in seconds as last answered, 0 or less unknown
static bool timeKnown;                 // the player has told the time since the song came
static int rating = -1;                // the stars shown, or -1 for none
static HWND owner;                     // hidden
static HFONT textFont, headingFont;
static int coverSide, margin, gap, buttonWidth, buttonHeight;
static int textBottom;                 // where the text must end, above the buttons
static bool pointerInside;
static int fading;                     // 1 in, -1 out, 0 not
static DWORD fadeStart;                // GetTickCount when it began

static int scaled(int size, UINT dpi)
{
    return MulDiv(size, static_cast<int>(dpi), 96);
}

// The monitor the user chose, while it is there; else the primary.
static HMONITOR chosenMonitor()
{
    LONG number = settings.popupMonitor;
    HMONITOR monitor = number > 0 ? numberedMonitor(number) : MonitorFromWindow(pluginRecord.hostWindow, MONITOR_DEFAULTTONULL);
    if (!monitor) monitor = MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    return monitor;
}

static RECT workAreaOf(HMONITOR monitor)
{
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (monitor && GetMonitorInfoW(monitor, &info)) return info.rcWork;
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

static int coverSideAt(UINT dpi)
{
    int side = scaled(coverSideAt96, dpi);
    return side < largestCoverSide ? side : largestCoverSide;
}

int popupCoverSide()
{
    return coverSideAt(monitorDpi(chosenMonitor()));
}

// The system's message font at the monitor's DPI, and its bold form for the heading.
static void makeFonts(UINT dpi)
{
    if (textFont) DeleteObject(textFont);
    if (headingFont) DeleteObject(headingFont);
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = windows2000Metrics;
    LOGFONTW font = {};
    font.lfHeight = -12;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpyW(font.lfFaceName, L"MS Shell Dlg 2");
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) font = metrics.lfMessageFont;
    font.lfCharSet = DEFAULT_CHARSET;   // any script, through the system's font linking
    font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(screenDpi()));
    textFont = CreateFontIndirectW(&font);
    font.lfWeight = FW_BOLD;
    headingFont = CreateFontIndirectW(&font);
}

// The text's lines, a line feed apart (a carriage return before it is passed over).
static int nextLine(const wchar_t* text, int from, int* length)
{
    int end = from;
    while (text[end] && text[end] != L'\n') ++end;
    *length = end - from;
    if (*length > 0 && text[end - 1] == L'\r') --*length;
    return text[end] ? end + 1 : -1;
}

static SIZE measured(HDC context, HFONT font, const wchar_t* text, int length)
{
    SelectObject(context, font);
    RECT box = {0, 0, 0, 0};
    DrawTextW(context, length ? text : L" ", length ? length : 1, &box, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    return {box.right - box.left, box.bottom - box.top};
}

// Width and height of the heading and the text's lines, each line at most maxWidth wide.
static SIZE textBlock(HDC context, int maxWidth)
{
    SIZE block = measured(context, headingFont, shown.heading, lstrlenW(shown.heading));
    for (int at = 0, length; at >= 0;) {
        int line = at;
        at = nextLine(shown.text, line, &length);
        SIZE size = measured(context, textFont, shown.text + line, length);
        if (size.cx > block.cx) block.cx = size.cx;
        block.cy += size.cy;
    }
    if (block.cx > maxWidth) block.cx = maxWidth;
    return block;
}

static int placedOnAxis(int start, int end, int size, int where)   // where: 0 start, 1 centre, 2 end
{
    int at = where == 0 ? start + margin : where == 1 ? start + (end - start - size) / 2 : end - margin - size;
    if (at + size > end) at = end - size;
    return at < start ? start : at;
}

static int measuredLineHeight(HDC context)
{
    return measured(context, textFont, L"0", 1).cy;
}

// Under the text, where a song is shown: the time with the stars after it, and the bar beneath.
static bool timeRowShown() { return songShown && timeKnown; }
static bool barShown() { return timeRowShown() && playedLength > 0; }
static bool starsShown() { return songShown && rating >= 0; }

static int showIf(HWND child, bool shown)
{
    ShowWindow(child, shown ? SW_SHOWNA : SW_HIDE);
    return shown;
}

// The time row's height: the line, and the bar beneath it where there is one.
static int timeRowHeight(HDC context, UINT dpi)
{
    if (!timeRowShown()) return 0;
    int line = measuredLineHeight(context);
    return barShown() ? line + scaled(barGapAt96, dpi) + scaled(barHeightAt96, dpi) : line;
}

// The time row's children, at top in the text's column from left, width wide (fits: there is room
// for it).
static void placeTimeRow(HDC context, int left, int top, int width, UINT dpi, bool fits)
{
    bool row = showIf(timeLine, fits && timeRowShown());
    bool bar = showIf(timeBar, fits && barShown());
    bool starred = starsShown();
    for (int i = 0; i < starCount; ++i) showIf(stars[i], row && starred);
    if (!row) return;
    int line = measuredLineHeight(context), starsLeft = left + width - (starred ? starCount * line : 0);
    SendMessageW(timeLine, WM_SETFONT, reinterpret_cast<WPARAM>(textFont), FALSE);
    MoveWindow(timeLine, left, top, starsLeft - left, line, TRUE);
    for (int i = 0; i < starCount; ++i) MoveWindow(stars[i], starsLeft + i * line, top, line, line, TRUE);
    int barHeight = scaled(barHeightAt96, dpi);
    if (bar) MoveWindow(timeBar, left, top + timeRowHeight(context, dpi) - barHeight, width, barHeight, TRUE);
}


static int timeRowWidth(HDC context)
{
    if (!timeRowShown()) return 0;
    SIZE time = measured(context, textFont, L"0:00:00 / 0:00:00", 17);
    return time.cx + (starsShown() ? gap + starCount * measuredLineHeight(context) : 0);
}

// Size and place for what is shown now, on the chosen monitor; never outside its work area, nor wider
// than a third of it: on a narrow one the buttons narrow, on a low one the text is cut above them.
static void placePopup(HWND window)
{
    HMONITOR monitor = chosenMonitor();
    UINT dpi = monitorDpi(monitor);
    RECT work = workAreaOf(monitor);
    makeFonts(dpi);
    margin = scaled(marginAt96, dpi);
    gap = scaled(gapAt96, dpi);
    buttonHeight = scaled(buttonHeightAt96, dpi);
    int widest = (work.right - work.left) / 3;
    int buttonsRoom = (widest - 2 * margin - 2 * gap) / 3;
    buttonWidth = scaled(buttonWidthAt96, dpi);
    if (buttonWidth > buttonsRoom) buttonWidth = buttonsRoom > 1 ? buttonsRoom : 1;
    HDC context = GetDC(window);
    int rowHeight = timeRowHeight(context, dpi), rowWidth = timeRowWidth(context);
    int besideButtons = 2 * margin + gap + buttonHeight;
    int room = work.bottom - work.top - besideButtons;   // for the text, its time row and the cover
    if (room < 1) room = 1;
    bool rowFits = rowHeight < room;   // else the text alone
    if (!rowFits) rowHeight = rowWidth = 0;
    coverSide = shown.cover ? coverSideAt(dpi) : 0;
    if (coverSide > room) coverSide = room;
    int besideText = 2 * margin + (coverSide ? coverSide + gap : 0);
    SIZE block = textBlock(context, widest - besideText > 1 ? widest - besideText : 1);
    if (block.cx < rowWidth) block.cx = rowWidth;
    int textRoom = room - rowHeight > 1 ? room - rowHeight : 1;
    if (block.cy > textRoom) block.cy = textRoom;
    textBottom = margin + block.cy;
    int width = besideText + block.cx;
    int buttonsWidth = 3 * buttonWidth + 2 * gap + 2 * margin;
    if (width < buttonsWidth) width = buttonsWidth;
    int column = block.cy + rowHeight;
    int height = besideButtons + (column > coverSide ? column : coverSide);
    LONG place = settings.popupPlace;
    static const int across[popupPlaces] = {2, 1, 0, 0, 1, 2}, down[popupPlaces] = {2, 2, 2, 0, 0, 0};
    int x = placedOnAxis(work.left, work.right, width, across[place]);
    int y = placedOnAxis(work.top, work.bottom, height, down[place]);
    SetWindowPos(window, HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    int left = besideText - margin;
    placeTimeRow(context, left, textBottom, width - left - margin, dpi, rowFits);
    ReleaseDC(window, context);
    for (int i = 0; i < 3; ++i) {
        SendMessageW(buttons[i], WM_SETFONT, reinterpret_cast<WPARAM>(textFont), FALSE);
        MoveWindow(buttons[i], margin + i * (buttonWidth + gap), height - margin - buttonHeight, buttonWidth, buttonHeight, TRUE);
    }
}

static void paintPopup(HWND window)
{
    PAINTSTRUCT paint;
    HDC context = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    FillRect(context, &client, GetSysColorBrush(COLOR_INFOBK));
    FrameRect(context, &client, GetSysColorBrush(COLOR_WINDOWFRAME));
    if (shown.cover) DrawIconEx(context, margin, margin, shown.cover, coverSide, coverSide, 0, nullptr, DI_NORMAL);
    SetBkMode(context, TRANSPARENT);
    SetTextColor(context, GetSysColor(COLOR_INFOTEXT));
    const UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
    int left = margin + (coverSide ? coverSide + gap : 0);
    RECT line = {left, margin, client.right - margin, margin};
    line.bottom = line.top + measured(context, headingFont, shown.heading, lstrlenW(shown.heading)).cy;
    DrawTextW(context, shown.heading, -1, &line, format);
    for (int at = 0, length; at >= 0 && line.bottom < textBottom;) {
        int start = at;
        at = nextLine(shown.text, start, &length);
        line.top = line.bottom;
        line.bottom = line.top + measured(context, textFont, shown.text + start, length).cy;
        if (line.bottom > textBottom) line.bottom = textBottom;
        DrawTextW(context, shown.text + start, length, &line, format);
    }
    EndPaint(window, &paint);
}

static void playNotificationSound()
{
    static HMODULE winmm;
    if (!winmm) winmm = loadSystemLibrary(L"winmm.dll");
    FARPROC found = winmm ? GetProcAddress(winmm, "PlaySoundW") : nullptr;
    PlaySoundFunction play = reinterpret_cast<PlaySoundFunction>(reinterpret_cast<void*>(found));
    const DWORD flags = 0x10000 | 0x1 | 0x2;   // SND_ALIAS | SND_ASYNC | SND_NODEFAULT
    if (play && !play(L"Notification.Default", nullptr, flags)) play(L"SystemAsterisk", nullptr, flags);
}

static DWORD stayTime()
{
    LONG duration = settings.duration;
    return duration > 0 ? static_cast<DWORD>(duration) : shortestStay;
}

static void stopFade(HWND window);

static void hidePopup(HWND window)
{
    KillTimer(window, hideTimer);
    KillTimer(window, pointerTimer);
    KillTimer(window, progressTimer);
    pointerInside = false;
    ShowWindow(window, SW_HIDE);
    stopFade(window);   // once hidden: a faded-out popup must not flash whole
}

// The popup fades where the system animates its own windows (before Vista: where its tooltips fade).
static bool systemAnimates()
{
    BOOL on = FALSE, fades = FALSE;
    if (SystemParametersInfoW(SPI_GETCLIENTAREAANIMATION, 0, &on, 0)) return on != FALSE;
    bool tooltipsAnimate = SystemParametersInfoW(SPI_GETTOOLTIPANIMATION, 0, &on, 0) && on;
    return tooltipsAnimate && SystemParametersInfoW(SPI_GETTOOLTIPFADE, 0, &fades, 0) && fades;
}

static void setOpacity(HWND window, BYTE alpha)
{
    SetLayeredWindowAttributes(window, 0, alpha, LWA_ALPHA);
}

static void startFade(HWND window, int direction)
{
    fading = direction;
    fadeStart = GetTickCount();
    SetTimer(window, fadeTimer, fadeStep, nullptr);
}

static void stopFade(HWND window)
{
    fading = 0;
    KillTimer(window, fadeTimer);
    setOpacity(window, 255);
}

// Opacity from the time the fade has run, so that a late timer never slows it down.
static void fadeOnward(HWND window)
{
    DWORD elapsed = GetTickCount() - fadeStart;
    if (elapsed >= fadeTime) {
        if (fading < 0) hidePopup(window);
        else stopFade(window);
        return;
    }
    BYTE part = static_cast<BYTE>(255 * elapsed / fadeTime);
    setOpacity(window, fading > 0 ? part : static_cast<BYTE>(255 - part));
}

static void watchPointer(HWND window);
static void progressOnward(HWND window);

static void timeUp(HWND window, UINT_PTR timer)
{
    if (timer == fadeTimer) {
        fadeOnward(window);
        return;
    }
    if (timer == pointerTimer) {
        watchPointer(window);
        return;
    }
    if (timer == progressTimer) {
        progressOnward(window);
        return;
    }
    KillTimer(window, hideTimer);
    if (systemAnimates()) startFade(window, -1);
    else hidePopup(window);
}

// The stars' names say what a press does, and which one the rating is.
static void nameStars()
{
    for (int i = 0; i < starCount; ++i) {
        wchar_t name[48] = L"";
        LoadStringW(pluginRecord.moduleInstance, (i + 1 == rating ? IDS_RATED_FIRST : IDS_RATE_FIRST) + i, name, 48);
        SetWindowTextW(stars[i], name);
        InvalidateRect(stars[i], nullptr, FALSE);
    }
}

// How far the song has played, as the player answers now; one that does not answer leaves the row
// as it was. True when the row's shape changed (the time or the bar came).
static bool refreshTime()
{
    LONG position = 0, length = 0;
    if (!songShown || !readPlayTime(&position, &length)) return false;
    bool row = timeRowShown(), bar = barShown();
    timeKnown = true;
    playedLength = length;
    wchar_t line[32], before[32] = L"";
    formatPlayTime(line, sizeof line / sizeof line[0], position, length);
    GetWindowTextW(timeLine, before, sizeof before / sizeof before[0]);
    if (lstrcmpW(line, before) != 0) {   // unchanged, it is not drawn again
        SetWindowTextW(timeLine, line);
        setAccessibleValue(line);   // read when asked, never announced
    }
    LONG seconds = position / 1000;
    int fill = length <= 0 ? 0 : seconds >= length ? barSteps : MulDiv(seconds, barSteps, length);
    SendMessageW(timeBar, PBM_SETPOS, static_cast<WPARAM>(fill), 0);
    return row != timeRowShown() || bar != barShown();
}

// A song's popup asks for its time about twice a second while it is up, and for nothing while hidden.
static void progressOnward(HWND window)
{
    if (!IsWindowVisible(window)) {
        KillTimer(window, progressTimer);
        return;
    }
    if (refreshTime()) placePopup(window);
}

// The time and the rating of what is shown now, asked before it is placed.
static void takeSongDetails(HWND window)
{
    songShown = shown.state == Playing || shown.state == Paused;
    timeKnown = false;
    playedLength = 0;
    SetWindowTextW(timeLine, L"");
    setAccessibleValue(L"");
    rating = songShown ? readRating() : -1;
    nameStars();
    refreshTime();
    if (songShown) SetTimer(window, progressTimer, progressStep, nullptr);
    else KillTimer(window, progressTimer);
}

// A click on a star rates the song that many; on the star that is its rating already, clears it. The
// stars then show what the player answers.
static void rateWithStar(HWND window, int stars)
{
    bool had = starsShown();
    rating = rateSong(stars == rating ? 0 : stars, rating);
    nameStars();
    if (had != starsShown()) placePopup(window);
}

static void drawStarButton(const DRAWITEMSTRUCT* item)
{
    FillRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_INFOBK));
    RECT box = {item->rcItem.left + 1, item->rcItem.top + 1, item->rcItem.right - 1, item->rcItem.bottom - 1};
    drawStar(item->hDC, box, static_cast<int>(item->CtlID) - FirstStarId < rating, GetSysColor(COLOR_INFOTEXT));
}

static LRESULT colourTimeLine(HDC context)
{
    SetTextColor(context, GetSysColor(COLOR_INFOTEXT));
    SetBkColor(context, GetSysColor(COLOR_INFOBK));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_INFOBK));
}

// Each line's blanks at either end go: the one-line format starts with one.
static int appendTrimmed(wchar_t* line, int used, int size, const wchar_t* text, int length)
{
    while (length > 0 && text[0] == L' ') ++text, --length;
    while (length > 0 && text[length - 1] == L' ') --length;
    if (length == 0) return used;
    static const wchar_t separator[] = L", ";
    for (int i = 0; used && separator[i] && used < size - 1; ++i) line[used++] = separator[i];
    for (int i = 0; i < length && used < size - 1; ++i) line[used++] = text[i];
    line[used] = L'\0';
    return used;
}

// What a listener hears, in one line: the heading, then each line of the text ("Artist: ..., Title: ...").
static void announcePopup(HWND window)
{
    wchar_t spoken[sizeof shown.heading / sizeof shown.heading[0] + 2 * (sizeof shown.text / sizeof shown.text[0])];
    const int size = sizeof spoken / sizeof spoken[0];
    spoken[0] = L'\0';
    int used = appendTrimmed(spoken, 0, size, shown.heading, lstrlenW(shown.heading));
    for (int at = 0, length; at >= 0;) {
        int line = at;
        at = nextLine(shown.text, line, &length);
        used = appendTrimmed(spoken, used, size, shown.text + line, length);
    }
    announceAlert(window, spoken);
}

// The window text is what screen readers read: the heading, a line feed, the text.
static void takeContent(HWND window, const Content* content)
{
    if (shown.cover && shown.cover != content->cover) DestroyIcon(shown.cover);
    shown = *content;
    takeSongDetails(window);   // first: whoever reads the new name finds the new time
    wchar_t spoken[sizeof shown.heading / sizeof shown.heading[0] + 1 + sizeof shown.text / sizeof shown.text[0]];
    lstrcpyW(spoken, shown.heading);
    lstrcatW(spoken, L"\n");
    lstrcatW(spoken, shown.text);
    SetWindowTextW(window, spoken);
    wchar_t name[32] = L"";
    LoadStringW(pluginRecord.moduleInstance, shown.state == Playing ? IDS_BUTTON_PAUSE : IDS_BUTTON_PLAY, name, 32);
    SetWindowTextW(buttons[1], name);
    bool appearing = !IsWindowVisible(window) && systemAnimates();
    if (appearing) setOpacity(window, 0);
    else stopFade(window);   // also one fading out: the new song shows whole
    placePopup(window);
    if (appearing) startFade(window, 1);
    InvalidateRect(window, nullptr, TRUE);
    if (!pointerInside) SetTimer(window, hideTimer, stayTime(), nullptr);
    if (settings.sound) playNotificationSound();
    if (screenReaderRuns()) announcePopup(window);
}

static void bringPlayerForward(HWND window)
{
    HWND player = pluginRecord.hostWindow;
    hidePopup(window);
    if (IsIconic(player)) ShowWindowAsync(player, SW_RESTORE);   // never waits on the player's thread
    SetForegroundWindow(player);
}

// It stays while the pointer rests on it or on one of its buttons, and its full time after the pointer
// leaves. The system asks the popup for the cursor wherever over it the pointer moves, buttons
// included; whether it has left is looked for, since a button's leaving is no message of the popup's.
static bool pointerOver(HWND window)
{
    POINT at;
    RECT box;
    return GetCursorPos(&at) && GetWindowRect(window, &box) && PtInRect(&box, at);
}

static void notePointer(HWND window)
{
    if (pointerInside || !IsWindowVisible(window)) return;
    pointerInside = true;
    KillTimer(window, hideTimer);
    if (fading < 0) stopFade(window);
    SetTimer(window, pointerTimer, pointerCheck, nullptr);
}

static void watchPointer(HWND window)
{
    if (pointerOver(window)) return;
    pointerInside = false;
    KillTimer(window, pointerTimer);
    if (IsWindowVisible(window)) SetTimer(window, hideTimer, stayTime(), nullptr);
}

// A monitor unplugged, or a taskbar moved, while the popup is up: to its place on the monitor that
// applies now.
static void followDisplay(HWND window)
{
    if (IsWindowVisible(window)) placePopup(window);
}

static LRESULT answerObjectRequest(HWND window, WPARAM wParam, LPARAM lParam)
{
    bool answered = false;
    LRESULT object = accessibleObjectFor(wParam, lParam, &answered);
    return answered ? object : DefWindowProcW(window, WM_GETOBJECT, wParam, lParam);
}

static void pressButton(HWND window, int id)
{
    static const int pressed[] = {ButtonPrevious, ButtonPlayPause, ButtonNext};
    if (id >= PreviousId && id <= NextId) pressPlayerButton(pressed[id - PreviousId], shown.state);
    if (id >= FirstStarId && id < FirstStarId + starCount) rateWithStar(window, id - FirstStarId + 1);
}

static LRESULT CALLBACK popupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case showContent: takeContent(window, reinterpret_cast<const Content*>(lParam)); return 1;
    case WM_PAINT: paintPopup(window); return 0;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_SETCURSOR: notePointer(window); break;
    case WM_LBUTTONUP: bringPlayerForward(window); return 0;
    case WM_RBUTTONUP: hidePopup(window); return 0;
    case WM_TIMER: timeUp(window, wParam); return 0;
    case WM_COMMAND: pressButton(window, LOWORD(wParam)); return 0;
    case WM_DRAWITEM: drawStarButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_CTLCOLORSTATIC: return colourTimeLine(reinterpret_cast<HDC>(wParam));
    // Closed from outside it goes as a right-click does; the next song brings it back. Only quit ends it.
    case WM_CLOSE: hidePopup(window); return 0;
    case WM_DISPLAYCHANGE: followDisplay(window); return 0;
    case WM_SETTINGCHANGE: if (wParam == SPI_SETWORKAREA) followDisplay(window); break;
    case WM_GETOBJECT: return answerObjectRequest(window, wParam, lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

static HWND makePopupWindow()
{
    HINSTANCE instance = pluginRecord.moduleInstance;
    WNDCLASSW description = {};
    description.lpfnWndProc = popupProc;
    description.hInstance = instance;
    description.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32649));   // IDC_HAND: a click does something
    description.lpszClassName = windowClass;
    if (!RegisterClassW(&description)) return nullptr;
    // A window owned by a hidden one never has a taskbar button, whatever the shell (Wine's shows one
    // for a tool window of its own).
    owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_LAYERED, windowClass, L"", WS_POPUP,
                                  0, 0, 0, 0, owner, nullptr, instance, nullptr);
    if (!window) {
        if (owner) DestroyWindow(owner);
        owner = nullptr;
        UnregisterClassW(windowClass, instance);
        return nullptr;
    }
    setOpacity(window, 255);   // a layered window shows nothing until it has an opacity
    static const UINT names[] = {IDS_BUTTON_PREVIOUS, IDS_BUTTON_PLAY, IDS_BUTTON_NEXT};
    for (int i = 0; i < 3; ++i) {
        wchar_t name[32] = L"";
        LoadStringW(instance, names[i], name, 32);
        buttons[i] = CreateWindowExW(0, L"BUTTON", name, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 0, 0, window,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(PreviousId + i)), instance, nullptr);
    }
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    timeLine = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0, window,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(TimeLineId)), instance, nullptr);
    timeBar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | PBS_SMOOTH, 0, 0, 0, 0, window,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(TimeBarId)), instance, nullptr);
    SendMessageW(timeBar, PBM_SETRANGE32, 0, barSteps);
    for (int i = 0; i < starCount; ++i)
        stars[i] = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | BS_OWNERDRAW, 0, 0, 0, 0, window,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(FirstStarId + i)), instance, nullptr);
    return window;
}

static void forgetShown()
{
    if (shown.cover) DestroyIcon(shown.cover);
    shown = {};
    pointerInside = false;
    fading = 0;
    if (textFont) DeleteObject(textFont);
    if (headingFont) DeleteObject(headingFont);
    textFont = headingFont = nullptr;
}

// Quit's request is an event as well as a message: one made before the window was known ends the
// thread too. A WM_QUIT from outside ends nothing.
static void runUntilEnd()
{
    HANDLE end = endRequested;
    for (;;) {
        DWORD woke = MsgWaitForMultipleObjects(1, &end, FALSE, INFINITE, QS_ALLINPUT);
        if (woke != WAIT_OBJECT_0 + 1) return;   // the request, or a wait that failed
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

// The thread holds its own reference on the module, so that its last instructions run in mapped code.
static DWORD WINAPI runPopups(LPVOID module)
{
    HWND window = makePopupWindow();
    popupWindow = window;
    SetEvent(windowReady);
    if (window) runUntilEnd();
    popupWindow = nullptr;
    forgetAccessible();
    if (window) DestroyWindow(window);
    if (owner) DestroyWindow(owner);
    owner = nullptr;
    if (window) UnregisterClassW(windowClass, pluginRecord.moduleInstance);
    forgetShown();
    FreeLibraryAndExitThread(static_cast<HMODULE>(module), 0);
    return 0;
}

static bool startPopups();

void preparePopups()
{
    if (life != Ended) startPopups();
}

static HANDLE manualEvent(HANDLE volatile* event)
{
    if (!*event) *event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return *event;
}

// On the watcher's thread, the only one that starts popups. While it says it is starting, quit waits;
// quit's Ended, once seen here, stops it: one of the two always sees the other.
static void startPopupThread()
{
    if (!manualEvent(&windowReady) || !manualEvent(&endRequested)) return;
    ResetEvent(windowReady);
    ResetEvent(endRequested);
    HMODULE module = modulePath[0] ? LoadLibraryW(modulePath) : nullptr;
    HANDLE thread = module ? CreateThread(nullptr, 0, runPopups, module, 0, nullptr) : nullptr;
    if (!thread) {
        if (module) FreeLibrary(module);
        return;   // not started: the next song tries again
    }
    popupThread = thread;
    HANDLE ready[] = {windowReady, endRequested};   // quit does not wait for the window
    WaitForMultipleObjects(2, ready, FALSE, startWait);
    InterlockedCompareExchange(&life, Running, NotStarted);
}

static bool startPopups()
{
    if (life == NotStarted) {
        InterlockedExchange(&starting, 1);
        if (life == NotStarted) startPopupThread();
        InterlockedExchange(&starting, 0);
    }
    return life == Running && popupWindow;
}

void showPopup(const wchar_t* heading, const wchar_t* text, LONG playState, HICON cover)
{
    Content content = {};
    copyTextCut(content.heading, sizeof content.heading / sizeof content.heading[0], heading);
    copyTextCut(content.text, sizeof content.text / sizeof content.text[0], text);
    content.state = playState;
    content.cover = cover;
    // The popup's thread answers at once and sends nobody anything: the watcher's wait is short. (A
    // time-out would leave the message to be taken later, with the content gone.)
    HWND window = life != Ended && startPopups() ? popupWindow : nullptr;
    if (!window || !SendMessageW(window, showContent, 0, reinterpret_cast<LPARAM>(&content))) {
        if (cover) DestroyIcon(cover);
    }
}

void allowPopups()
{
    if (life == Ended && !popupThread) InterlockedExchange(&life, NotStarted);
}

static void closeEvent(HANDLE volatile* event)
{
    if (*event) CloseHandle(*event);
    *event = nullptr;
}

// The player's thread waits here for the popup's, which never waits on it; sent messages still go through.
void endPopups()
{
    InterlockedExchange(&life, Ended);
    // A start under way finishes first: it waits on nobody, and for the window only until this asks.
    for (DWORD waited = 0; starting && waited < startWait + endWait; waited += 5) {
        if (HANDLE end = endRequested) SetEvent(end);
        Sleep(5);
    }
    if (starting) return;   // a start that hangs keeps what it uses
    HANDLE thread = popupThread;
    if (thread) {
        SetEvent(endRequested);
        if (!waitAnsweringMessages(thread, endWait)) return;   // still running: it keeps its events
        CloseHandle(thread);
        popupThread = nullptr;
    }
    closeEvent(&windowReady);
    closeEvent(&endRequested);
}
