// The shell-call recorder and the simulated notification area.
#include <windows.h>
#include <shellapi.h>
#include <string.h>
#include "recorder.h"
#include "imports.h"
#include "window.h"

static ShellCall calls[maxShellCalls];
static volatile LONG callCount;
static void (*callObserver)(const ShellCall& call);

struct SimulatedIcon {
    HWND window;
    UINT id;
};
static SimulatedIcon icons[32];
static int iconCount;
static volatile Tray tray = Tray::Real;

// The watcher calls the shell while the test looks at the icons.
static struct IconLock {
    CRITICAL_SECTION section;
    IconLock() { InitializeCriticalSection(&section); }
} iconLock;

static void lockIcons() { EnterCriticalSection(&iconLock.section); }
static void unlockIcons() { LeaveCriticalSection(&iconLock.section); }

static int findIcon(HWND window, UINT id)
{
    for (int i = 0; i < iconCount; ++i)
        if (icons[i].window == window && icons[i].id == id) return i;
    return -1;
}

// Both need the lock held.
static bool addIcon(HWND window, UINT id)
{
    if (findIcon(window, id) >= 0 || iconCount == 32) return false;
    icons[iconCount++] = {window, id};
    return true;
}

static bool removeIcon(HWND window, UINT id)
{
    int found = findIcon(window, id);
    if (found < 0) return false;
    icons[found] = icons[--iconCount];
    return true;
}

static BOOL simulatedShell(DWORD message, const NOTIFYICONDATAA* notice)
{
    if (tray == Tray::Missing) return FALSE;
    lockIcons();
    bool result = false;
    if (message == NIM_ADD) result = addIcon(notice->hWnd, notice->uID);
    if (message == NIM_MODIFY) result = findIcon(notice->hWnd, notice->uID) >= 0;
    if (message == NIM_DELETE) result = removeIcon(notice->hWnd, notice->uID);
    unlockIcons();
    return result;
}

// Read at once: the plug-in destroys the picture when the balloon is replaced or taken down.
static void lookAtPicture(HICON picture, ShellCall& call)
{
    static DWORD pixels[256 * 256];
    ICONINFO parts = {};
    if (!picture || !GetIconInfo(picture, &parts)) return;
    BITMAP colour = {};
    GetObjectW(parts.hbmColor, sizeof colour, &colour);
    call.pictureSize = {colour.bmWidth, colour.bmHeight};
    BITMAPINFO format = {};
    format.bmiHeader = {sizeof format.bmiHeader, colour.bmWidth, -colour.bmHeight, 1, 32, BI_RGB};
    HDC screen = GetDC(nullptr);
    bool read = colour.bmWidth * colour.bmHeight <= 256 * 256 &&
                GetDIBits(screen, parts.hbmColor, 0, colour.bmHeight, pixels, &format, DIB_RGB_COLORS) > 0;
    ReleaseDC(nullptr, screen);
    if (read) {
        call.pictureCentre = pixels[colour.bmHeight / 2 * colour.bmWidth + colour.bmWidth / 2];
        call.pictureCorner = pixels[0];
    }
    DeleteObject(parts.hbmColor);
    DeleteObject(parts.hbmMask);
}

static ShellCall& newCall(DWORD message, ShellCall& scratch)
{
    LONG index = InterlockedIncrement(&callCount) - 1;
    ShellCall& call = index < maxShellCalls ? calls[index] : scratch;
    memset(&call, 0, sizeof call);
    call.message = message;
    call.poll = pollsAnswered();
    QueryPerformanceCounter(&call.when);
    return call;
}

static BOOL WINAPI recordingShellNotifyIcon(DWORD message, PNOTIFYICONDATAA notice)
{
    ShellCall scratch;
    ShellCall& call = newCall(message, scratch);
    DWORD size = notice->cbSize < sizeof call.notice ? notice->cbSize : sizeof call.notice;
    memcpy(&call.notice, notice, size);
    lookAtPicture(call.notice.hBalloonIcon, call);
    call.result = tray == Tray::Real ? Shell_NotifyIconA(message, notice) : simulatedShell(message, notice);
    if (callObserver) callObserver(call);
    return call.result;
}

// Every field but the texts, so that checks of window, id, flags and times read one place.
static void copyFieldsOf(const NOTIFYICONDATAW& wide, NOTIFYICONDATAA* notice)
{
    notice->cbSize = wide.cbSize;
    notice->hWnd = wide.hWnd;
    notice->uID = wide.uID;
    notice->uFlags = wide.uFlags;
    notice->uCallbackMessage = wide.uCallbackMessage;
    notice->hIcon = wide.hIcon;
    notice->dwState = wide.dwState;
    notice->dwStateMask = wide.dwStateMask;
    notice->uTimeout = wide.uTimeout;
    notice->dwInfoFlags = wide.dwInfoFlags;
    notice->hBalloonIcon = wide.hBalloonIcon;
}

static BOOL WINAPI recordingShellNotifyIconW(DWORD message, PNOTIFYICONDATAW notice)
{
    ShellCall scratch;
    ShellCall& call = newCall(message, scratch);
    call.wide = true;
    DWORD size = notice->cbSize < sizeof call.wideNotice ? notice->cbSize : sizeof call.wideNotice;
    memcpy(&call.wideNotice, notice, size);
    copyFieldsOf(call.wideNotice, &call.notice);
    lookAtPicture(call.notice.hBalloonIcon, call);
    call.result = tray == Tray::Real ? Shell_NotifyIconW(message, notice) : simulatedShell(message, &call.notice);
    if (callObserver) callObserver(call);
    return call.result;
}

bool recordShellCalls(HMODULE plugin)
{
    return patchImport(plugin, "SHELL32.dll", "Shell_NotifyIconA", reinterpret_cast<const void*>(&recordingShellNotifyIcon))
        && patchImport(plugin, "SHELL32.dll", "Shell_NotifyIconW", reinterpret_cast<const void*>(&recordingShellNotifyIconW));
}

LONG shellCallCount() { return callCount; }
const ShellCall& shellCall(LONG index) { return calls[index < maxShellCalls ? index : maxShellCalls - 1]; }
void clearShellCalls() { callCount = 0; }
void observeShellCalls(void (*observer)(const ShellCall& call)) { callObserver = observer; }

void useTray(Tray kind)
{
    restartSimulatedShell();
    tray = kind;
}

void showSimulatedIcon(HWND window, UINT id)
{
    lockIcons();
    addIcon(window, id);
    unlockIcons();
}

void hideSimulatedIcon(HWND window, UINT id)
{
    lockIcons();
    removeIcon(window, id);
    unlockIcons();
}

bool simulatedIconShown(HWND window, UINT id)
{
    lockIcons();
    bool shown = findIcon(window, id) >= 0;
    unlockIcons();
    return shown;
}

int simulatedIconCount()
{
    lockIcons();
    int count = iconCount;
    unlockIcons();
    return count;
}

void restartSimulatedShell()
{
    lockIcons();
    iconCount = 0;
    unlockIcons();
}
