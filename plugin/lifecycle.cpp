// The player's init and quit, and applying confirmed settings. At most one watcher ever runs, and
// the module outlives it: the thread holds its own reference on the module.
#include <windows.h>
#include "lifecycle.h"
#include "../module/module.h"
#include "../buttons/buttons.h"
#include "../hotkey/hotkey.h"
#include "../popup/popup.h"
#include "../settings/settings.h"
#include "../system/system.h"
#include "../watcher/watcher.h"

static HANDLE watcherThread;    // the running watcher, or null
static HANDLE droppedWatcher;   // a watcher told to stop that may still be finishing its cycle

static const DWORD droppedWatcherWait = 2000;   // re-enabling waits this long at most for the old one

static DWORD WINAPI runWatcher(LPVOID module)
{
    // Windows may still hold the media overlay's button handler: its reference is then kept, and the
    // module never unmapped under it.
    if (watcherMain() != 0) ExitThread(0);
    FreeLibraryAndExitThread(static_cast<HMODULE>(module), 0);
    return 0;
}

static void requestStop()
{
    InterlockedExchange(&stopRequested, 1);
    if (watcherThread) wakeWatcher(watcherThread);
    if (droppedWatcher) wakeWatcher(droppedWatcher);
}

static void closeHandleOf(HANDLE* thread)
{
    if (*thread) CloseHandle(*thread);
    *thread = nullptr;
}

// Never two watchers: a dropped one that is still finishing must end before a new one starts.
static bool droppedWatcherEnded()
{
    if (!droppedWatcher) return true;
    if (!waitAnsweringMessages(droppedWatcher, droppedWatcherWait)) return false;
    closeHandleOf(&droppedWatcher);
    return true;
}

// The thread's own reference on the module: loading the module's own path again only counts up, and
// works on every Windows (never called inside the entry point, where loading is not allowed). A
// watcher without one could run on in unmapped code once the player frees the module: without a
// reference there is no watcher, and the next confirmed dialog tries again.
void startWatcher()
{
    HMODULE module = modulePath[0] ? LoadLibraryW(modulePath) : nullptr;
    if (!module) return;
    watcherThread = CreateThread(nullptr, 0, runWatcher, module, 0, nullptr);
    if (!watcherThread) FreeLibrary(module);
}

// The player's Global Hotkeys call it on the player's thread, where the watcher's handle lives.
static void showCurrentSong()
{
    if (watcherThread) showSongAgain(watcherThread);
}

// The window that decides the buttons' commands, only where a surface with buttons is on: the popup,
// or the media overlay, which exists from Windows 10 on. Made on the player's thread, as here.
static void openButtonWindowIfWanted()
{
    bool overlay = settings.mediaControls && windowsMajorVersion() >= 10;
    if (settings.active && (settings.popup || overlay)) openButtonWindow();
}

int pluginInit()
{
    readSettings();
    openButtonWindowIfWanted();
    allowPopups();
    addShowSongHotkey(showCurrentSong);
    if (settings.active) startWatcher();
    else watcherThread = nullptr;
    return 0;
}

// A stop ends the watcher's pause at once, so quit rarely waits; the wait stays bounded by one
// interval, and a watcher still running after it keeps the module loaded until it ends.
void pluginQuit()
{
    removeShowSongHotkey();
    closeButtonWindow();
    requestStop();
    endPopups();   // no window of ours outlives the module
    if (watcherThread) waitAnsweringMessages(watcherThread, static_cast<DWORD>(settings.sleep));
    closeHandleOf(&watcherThread);
    closeHandleOf(&droppedWatcher);
}

void applySettings()
{
    openButtonWindowIfWanted();
    if (settings.active && !watcherThread) {
        if (!droppedWatcherEnded()) return;   // still finishing: the next confirmed dialog tries again
        InterlockedExchange(&stopRequested, 0);
        startWatcher();
        return;
    }
    if (!settings.active && watcherThread) {
        requestStop();
        droppedWatcher = watcherThread;   // none is held here: a watcher starts only after it has ended
        watcherThread = nullptr;
        return;
    }
    // A running watcher may be in a long pause (an hour, from a hand-edited file): it polls at once.
    if (watcherThread) wakeWatcher(watcherThread);
}
