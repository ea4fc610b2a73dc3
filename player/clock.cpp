// The plug-in's clock and pause count, through its imports.
#include <windows.h>
#include "clock.h"
#include "imports.h"
#include "window.h"

static volatile DWORD clockNow;
static volatile LONG pausesBegun;
static volatile bool pausesShortened;
static HANDLE pauseBegun = CreateEventA(nullptr, FALSE, FALSE, nullptr);   // set at each pause

static DWORD WINAPI settableTickCount()
{
    return clockNow;
}

static DWORD WINAPI countedSleepEx(DWORD milliseconds, BOOL alertable)
{
    InterlockedIncrement(&pausesBegun);
    SetEvent(pauseBegun);
    return SleepEx(pausesShortened && milliseconds > 1 ? 1 : milliseconds, alertable);
}

bool controlPluginClock(HMODULE plugin, DWORD now)
{
    clockNow = now;
    return patchImport(plugin, "KERNEL32.dll", "GetTickCount", reinterpret_cast<const void*>(&settableTickCount));
}

void setPluginClock(DWORD now) { clockNow = now; }

bool countPluginPauses(HMODULE plugin)
{
    pausesBegun = 0;
    pausesShortened = false;
    return patchImport(plugin, "KERNEL32.dll", "SleepEx", reinterpret_cast<const void*>(&countedSleepEx));
}

LONG pluginPausesBegun() { return pausesBegun; }
void shortenPluginPauses() { pausesShortened = true; }

bool runPlayerUntilPauses(LONG pauses, DWORD safetyTimeout)
{
    DWORD start = GetTickCount();
    while (pausesBegun < pauses) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= safetyTimeout) return false;
        MsgWaitForMultipleObjects(1, &pauseBegun, FALSE, safetyTimeout - elapsed, QS_ALLINPUT);
        dispatchPlayerMessages();
    }
    return true;
}
