// The watcher loop: one poll per update interval, a 500 ms settle check for each new song.
#include <windows.h>
#include "watcher.h"
#include "title.h"
#include "balloon.h"
#include "../module/module.h"
#include "../resources/resource.h"
#include "../settings/settings.h"

enum PlayState : LONG { Stopped = 0, Playing = 1, Paused = 3 };

static const DWORD settleTime = 500;   // a new title must stay this long before its balloon

volatile LONG stopRequested;
static char lastTitle[512];   // the last title taken in while playing; empty after stop or pause
static LONG lastState;        // the play state of the last recorded cycle

static LONG queryPlayState()
{
    return static_cast<LONG>(SendMessageA(pluginRecord.hostWindow, WM_USER, 0, 104));
}

static void readTitle(char* title, int size)
{
    title[0] = '\0';
    GetWindowTextA(pluginRecord.hostWindow, title, size);
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
// the poll that follows uses the new values at once.
static bool pauseBeforePoll()
{
    SleepEx(static_cast<DWORD>(settings.sleep), TRUE);
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

// A playing cycle; returns whether its state is recorded.
static bool watchPlaying(char* title, int size)
{
    readTitle(title, size);
    if (lstrcmpA(title, lastTitle) == 0) return true;
    lstrcpyA(lastTitle, title);
    if (!extractSongText(title, settings.simple)) return false;
    if (!settle()) return false;
    readTitle(title, size);
    if (lstrcmpA(title, lastTitle) != 0) return false;
    showBalloon();
    return true;
}

static void watchNotPlaying(LONG state)
{
    if (state == lastState) return;
    lastTitle[0] = '\0';   // the same song shows again when playback resumes
    LoadStringA(pluginRecord.moduleInstance, state == Paused ? IDS_PAUSED : IDS_STOPPED,
                balloonNotice.szInfo, sizeof balloonNotice.szInfo);
    showBalloon();
}

DWORD watcherMain()
{
    char title[512];
    lastTitle[0] = '\0';
    lastState = Stopped;
    while (!stopRequested) {
        if (!pauseBeforePoll()) break;
        removeExpiredOwnIcon();
        LONG state = queryPlayState();
        bool recorded = true;
        if (state == Playing) recorded = watchPlaying(title, sizeof title);
        else watchNotPlaying(state);
        if (recorded) lastState = state;
    }
    dropOwnIcon();
    return 0;
}
