// The watcher loop: one poll per update interval, a 500 ms settle check for each new song.
#include <windows.h>
#include <objbase.h>
#include "watcher.h"
#include "title.h"
#include "balloon.h"
#include "../cover/cover.h"
#include "../format/format.h"
#include "../module/module.h"
#include "../resources/resource.h"
#include "../settings/settings.h"
#include "../text/text.h"

enum PlayState : LONG { Stopped = 0, Playing = 1, Paused = 3 };

static const DWORD settleTime = 500;   // a new title must stay this long before its balloon

volatile LONG stopRequested;
static wchar_t lastTitle[512];   // the last title taken in while playing; empty after stop or pause
static LONG lastState;           // the play state of the last recorded cycle
static bool wideText;            // the balloon's text stands in wideBalloonNotice, not balloonNotice

static LONG queryPlayState()
{
    return static_cast<LONG>(SendMessageA(pluginRecord.hostWindow, WM_USER, 0, 104));
}

// The player's window is a Unicode window: read as ANSI its title would lose what the code page
// cannot spell.
static void readTitle(wchar_t* title, int size)
{
    title[0] = L'\0';
    GetWindowTextW(pluginRecord.hostWindow, title, size);
}

// The playing entry's file name. The player answers with a buffer of its own that the next such call,
// from anyone, refills: copied at once, bounded, and never kept. A name that does not fit is none.
static bool readPlayingFile(wchar_t* path, int size)
{
    HWND player = pluginRecord.hostWindow;
    WPARAM position = static_cast<WPARAM>(SendMessageA(player, WM_USER, 0, 125));
    const wchar_t* name = reinterpret_cast<const wchar_t*>(SendMessageA(player, WM_USER, position, 214));
    if (!name) return false;
    int length = 0;
    while (length < size && name[length]) path[length] = name[length], ++length;
    if (length == size) return false;
    path[length] = L'\0';
    return true;
}

// Unit by unit: the system's string comparison calls some different titles equal.
static bool sameText(const wchar_t* one, const wchar_t* other)
{
    while (*one && *one == *other) ++one, ++other;
    return *one == *other;
}

// Being queued is all it does: it ends the watcher's alertable wait.
static VOID CALLBACK wakeUp(ULONG_PTR)
{
}

void wakeWatcher(HANDLE watcher)
{
    QueueUserAPC(wakeUp, watcher, 0);
}

// The pause before a poll. Alertable: a stop request ends it, and so does a confirmed dialog, so that
// the poll that follows uses the new values at once. A balloon whose time is up is taken down within
// the pause, without a poll of its own.
static bool pauseBeforePoll()
{
    DWORD left = static_cast<DWORD>(settings.sleep);
    // A pause may end a little early: the take-down goes by the clock, and the pause goes on until it has.
    for (DWORD balloonLeft = balloonTimeLeft(); balloonLeft < left; balloonLeft = balloonTimeLeft()) {
        if (SleepEx(balloonLeft, TRUE) == WAIT_IO_COMPLETION) return !stopRequested;
        takeDownExpiredBalloon();
        left -= balloonLeft;
    }
    SleepEx(left, TRUE);
    return !stopRequested;
}

// A new title must stay put for the whole settle time: only a stop request ends it early.
static bool settle()
{
    DWORD start = GetTickCount();
    DWORD elapsed = 0;
    while (SleepEx(settleTime - elapsed, TRUE) == WAIT_IO_COMPLETION) {
        if (stopRequested) return false;
        elapsed = GetTickCount() - start;
        if (elapsed >= settleTime) break;
    }
    return !stopRequested;
}

// A title the code page can spell whole in the ANSI buffer keeps the ANSI path byte for byte. Any
// other goes in UTF-16: one outside the code page, one whose double-byte form would lose its suffix
// to the cut, and any title in the two-line format when the code page cannot spell that format.
static bool composeSongText(wchar_t* title)
{
    LONG simple = settings.simple;
    char ansiTitle[512];  // as an ANSI read of the title gives it: at most 511 bytes
    wideText = !narrowWithoutLoss(title, ansiTitle, sizeof ansiTitle) || (!simple && !tipFormat[0]);
    if (wideText) return extractWideSongText(title, simple);
    return extractSongText(ansiTitle, simple);
}

static void composeStateText(UINT text)
{
    LoadStringW(pluginRecord.moduleInstance, text, wideBalloonNotice.szInfo,
                sizeof wideBalloonNotice.szInfo / sizeof wideBalloonNotice.szInfo[0]);
    wideText = !narrowWithoutLoss(wideBalloonNotice.szInfo, balloonNotice.szInfo, sizeof balloonNotice.szInfo);
}

// The title line of a wide notice: the user's own, or string 2.
static void composeTitle(const wchar_t* own)
{
    copyTextCut(wideBalloonNotice.szInfoTitle, sizeof wideBalloonNotice.szInfoTitle / sizeof wideBalloonNotice.szInfoTitle[0],
                own ? own : wideBalloonTitle);
}

// The user's own words from the song file's tags, each in place of today's where the player formatted
// something. They are UTF-16, and so the whole notice goes wide, the text from the title too.
static void composeOwnWords(const wchar_t* path, const wchar_t* textFormat, const wchar_t* titleFormat)
{
    HWND player = pluginRecord.hostWindow;
    wchar_t title[sizeof wideBalloonNotice.szInfoTitle / sizeof wideBalloonNotice.szInfoTitle[0]];
    wchar_t text[sizeof wideBalloonNotice.szInfo / sizeof wideBalloonNotice.szInfo[0]];
    bool ownTitle = titleFormat[0] && formatForSong(player, path, titleFormat, title, sizeof title / sizeof title[0]);
    bool ownText = textFormat[0] && formatForSong(player, path, textFormat, text, sizeof text / sizeof text[0]);
    if (!ownTitle && !ownText) return;
    if (!wideText) widenText(wideBalloonNotice.szInfo, sizeof text / sizeof text[0], balloonNotice.szInfo);
    wideText = true;
    if (ownText) lstrcpyW(wideBalloonNotice.szInfo, text);
    if (ownTitle) composeTitle(title);
}

// The song file is asked for only now, after the settle, so that it is the titled song's; and only
// when its words or its cover are wanted. Streams have neither.
static void showSongBalloon()
{
    wchar_t textFormat[sizeof settings.textFormat.text / sizeof settings.textFormat.text[0]];
    wchar_t titleFormat[sizeof textFormat / sizeof textFormat[0]];
    loadText(settings.textFormat, textFormat, sizeof textFormat / sizeof textFormat[0]);
    loadText(settings.titleFormat, titleFormat, sizeof titleFormat / sizeof titleFormat[0]);
    bool cover = settings.cover != 0;
    wchar_t path[MAX_PATH];
    bool songFile = (cover || textFormat[0] || titleFormat[0]) && readPlayingFile(path, MAX_PATH) && isSongFile(path);
    if (songFile) composeOwnWords(path, textFormat, titleFormat);
    HICON picture = songFile && cover ? loadSongCover(path) : nullptr;
    // The player's formatting, or a cover read from a slow share, may outlast quit's wait: no balloon
    // after quit.
    if (stopRequested) {
        if (picture) DestroyIcon(picture);
        return;
    }
    showBalloon(wideText, picture);
}

// A balloon the user cannot see now would be shown long after its song: the change counts as handled
// all the same, and the next one raises the next balloon.
static void showComposedBalloon(bool song)
{
    if (!balloonWelcomeNow()) return;
    composeTitle(nullptr);
    if (song) showSongBalloon();
    else showBalloon(wideText, nullptr);
}

// A playing cycle; returns whether its state is recorded.
static bool watchPlaying(wchar_t* title, int size)
{
    readTitle(title, size);
    if (sameText(title, lastTitle)) return true;
    lstrcpyW(lastTitle, title);
    if (!composeSongText(title)) return false;
    if (!settle()) return false;
    readTitle(title, size);
    if (!sameText(title, lastTitle)) return false;
    showComposedBalloon(true);
    return true;
}

static void watchNotPlaying(LONG state)
{
    if (state == lastState) return;
    lastTitle[0] = L'\0';   // the same song shows again when playback resumes
    composeStateText(state == Paused ? IDS_PAUSED : IDS_STOPPED);
    showComposedBalloon(false);
}

DWORD watcherMain()
{
    wchar_t title[512];
    lastTitle[0] = L'\0';
    lastState = Stopped;
    // Covers come through COM: the shell's picture of a file, and the imaging decoders.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    prepareBalloons();
    prepareCovers();
    while (!stopRequested) {
        if (!pauseBeforePoll()) break;
        takeDownExpiredBalloon();
        LONG state = queryPlayState();
        bool recorded = true;
        if (state == Playing) recorded = watchPlaying(title, sizeof title / sizeof title[0]);
        else watchNotPlaying(state);
        if (recorded) lastState = state;
    }
    endBalloons();
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}
