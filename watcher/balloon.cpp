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

static HICON playerIconImage()
{
    HWND player = pluginRecord.hostWindow;
    HICON icon = reinterpret_cast<HICON>(GetClassLongA(player, GCL_HICONSM));
    if (!icon) icon = reinterpret_cast<HICON>(GetClassLongA(player, GCL_HICON));
    return icon ? icon : LoadIconA(nullptr, MAKEINTRESOURCEA(32516));   // IDI_INFORMATION
}

static DWORD balloonTime(DWORD requested)
{
    if (requested < shortestBalloon) return shortestBalloon;
    return requested > longestBalloon ? longestBalloon : requested;
}

static void showOnOwnIcon()
{
    if (!ownIconWindow)
        ownIconWindow = CreateWindowExA(0, "STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!ownIconWindow) return;
    NOTIFYICONDATAA notice = balloonNotice;   // the same title, text, duration and information icon
    notice.hWnd = ownIconWindow;
    notice.uID = ownIconId;
    notice.uFlags = NIF_ICON | NIF_TIP | NIF_INFO;   // no NIF_MESSAGE: the icon sends nobody anything
    notice.hIcon = playerIconImage();
    copyTextCut(notice.szTip, sizeof notice.szTip, descriptionText);
    // After a shell restart our icon is gone and the modify fails: it is added again.
    bool shown = ownIconShown && Shell_NotifyIconA(NIM_MODIFY, &notice);
    if (!shown) shown = Shell_NotifyIconA(NIM_ADD, &notice) != FALSE;
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

void showBalloon()
{
    // At a normal exit the player destroys its window before quit, and a poll in between reads
    // "stopped": no balloon for that.
    if (!IsWindow(pluginRecord.hostWindow)) return;
    if (Shell_NotifyIconA(NIM_MODIFY, &balloonNotice)) {
        removeOwnIcon();
        return;
    }
    showOnOwnIcon();
}

void removeExpiredOwnIcon()
{
    if (ownIconShown && GetTickCount() - ownIconSince >= ownBalloonTime) removeOwnIcon();
}

void dropOwnIcon()
{
    removeOwnIcon();
    if (ownIconWindow) DestroyWindow(ownIconWindow);
    ownIconWindow = nullptr;
}
