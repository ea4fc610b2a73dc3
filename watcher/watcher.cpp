// The watcher loop: one poll per update interval, a 500 ms settle check for each new song.
#include <windows.h>
#include "watcher.h"
#include "title.h"
#include "balloon.h"
#include "../plugin/module.h"
#include "../plugin/lifecycle.h"
#include "../settings/settings.h"
#include "../resources/resource.h"

enum PlayState : LONG { Stopped = 0, Playing = 1, Paused = 3 };

static const DWORD settleTime = 500;   // a new title must stay this long before its balloon

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

// Alertable, so that a stop request's wake-up call ends the pause at once.
static bool pauseUnlessStopped(DWORD milliseconds)
{
    SleepEx(milliseconds, TRUE);
    return !stopRequested;
}

// A playing cycle; returns whether its state is recorded.
static bool watchPlaying(char* title, int size)
{
    readTitle(title, size);
    if (lstrcmpA(title, lastTitle) == 0) return true;
    lstrcpyA(lastTitle, title);
    if (!extractSongText(title, settings.simple)) return false;
    if (!pauseUnlessStopped(settleTime)) return false;
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
        if (!pauseUnlessStopped(static_cast<DWORD>(settings.sleep))) break;
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
