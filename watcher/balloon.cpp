// The balloon on the player's icon, or on our own icon when the player shows none (its tray icon is
// off by default). Our icon belongs to a message-only window of the watcher thread, so it can be
// removed even after the player's window is gone, and nothing reaches the player's window procedure.
#include <windows.h>
#include <shellapi.h>
#include "balloon.h"
#include "../module/module.h"
#include "../text/text.h"

static const UINT ownIconId = 1;             // on our own window: apart from the player's 502 by owner too
static const DWORD shortestBalloon = 10000;  // the shell holds a balloon at least this long...
static const DWORD longestBalloon = 30000;   // ...and at most this long, whatever it was asked for

static HWND ownIconWindow;   // owner of our icon, made when first needed
static bool ownIconShown;
static DWORD ownIconSince;   // GetTickCount when its latest balloon was shown
static DWORD ownBalloonTime; // how long the shell keeps that balloon

static BOOL notifyShell(DWORD message, NOTIFYICONDATAA* notice) { return Shell_NotifyIconA(message, notice); }
static BOOL notifyShell(DWORD message, NOTIFYICONDATAW* notice) { return Shell_NotifyIconW(message, notice); }

static void copyDescription(NOTIFYICONDATAA& notice)
{
    copyTextCut(notice.szTip, sizeof notice.szTip, descriptionText);
}

static void copyDescription(NOTIFYICONDATAW& notice)
{
    widenText(notice.szTip, sizeof notice.szTip / sizeof notice.szTip[0], descriptionText);
}

static HICON playerIconImage()
{
    HWND player = pluginRecord.hostWindow;
    HICON icon = reinterpret_cast<HICON>(GetClassLongPtrA(player, GCLP_HICONSM));
    if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrA(player, GCLP_HICON));
    return icon ? icon : LoadIconA(nullptr, MAKEINTRESOURCEA(32516));   // IDI_INFORMATION
}

static DWORD balloonTime(DWORD requested)
{
    if (requested < shortestBalloon) return shortestBalloon;
    return requested > longestBalloon ? longestBalloon : requested;
}

// The notice is a copy: the same title, text, duration and information icon, on our icon.
template <typename Notice>
static void showOnOwnIcon(Notice notice)
{
    if (!ownIconWindow)
        ownIconWindow = CreateWindowExA(0, "STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!ownIconWindow) return;
    notice.hWnd = ownIconWindow;
    notice.uID = ownIconId;
    notice.uFlags = NIF_ICON | NIF_TIP | NIF_INFO;   // no NIF_MESSAGE: the icon sends nobody anything
    notice.hIcon = playerIconImage();
    copyDescription(notice);
    // After a shell restart our icon is gone and the modify fails: it is added again.
    bool shown = ownIconShown && notifyShell(NIM_MODIFY, &notice);
    if (!shown) shown = notifyShell(NIM_ADD, &notice) != FALSE;
    ownIconShown = shown;
    ownIconSince = GetTickCount();
    ownBalloonTime = balloonTime(notice.uTimeout);
}

static void removeOwnIcon()
{
    if (!ownIconShown) return;
    NOTIFYICONDATAA notice = {};
    notice.cbSize = balloonNoticeSize;
    notice.hWnd = ownIconWindow;
    notice.uID = ownIconId;
    Shell_NotifyIconA(NIM_DELETE, &notice);
    ownIconShown = false;
}

template <typename Notice>
static void show(Notice& notice)
{
    // At a normal exit the player destroys its window before quit, and a poll in between reads
    // "stopped": no balloon for that.
    if (!IsWindow(pluginRecord.hostWindow)) return;
    if (notifyShell(NIM_MODIFY, &notice)) {
        removeOwnIcon();
        return;
    }
    showOnOwnIcon(notice);
}

void showBalloon()
{
    show(balloonNotice);
}

void showWideBalloon()
{
    wideBalloonNotice.hWnd = balloonNotice.hWnd;
    wideBalloonNotice.uTimeout = balloonNotice.uTimeout;
    show(wideBalloonNotice);
}

DWORD ownIconTimeLeft()
{
    if (!ownIconShown) return INFINITE;
    DWORD shown = GetTickCount() - ownIconSince;
    return shown < ownBalloonTime ? ownBalloonTime - shown : 0;
}

void removeExpiredOwnIcon()
{
    if (ownIconTimeLeft() == 0) removeOwnIcon();
}

void dropOwnIcon()
{
    removeOwnIcon();
    if (ownIconWindow) DestroyWindow(ownIconWindow);
    ownIconWindow = nullptr;
}
