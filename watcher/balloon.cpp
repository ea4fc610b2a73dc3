// The balloon on the player's icon, or on our own icon when the player shows none (its tray icon is
// off by default). Our icon belongs to a message-only window of the watcher thread, so it can be
// removed even after the player's window is gone, and nothing reaches the player's window procedure.
// Every notice, ANSI or UTF-16, gets all but its text from composeNotice.
#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>
#include "balloon.h"
#include "../module/module.h"
#include "../settings/settings.h"
#include "../system/system.h"
#include "../text/text.h"

typedef HRESULT(WINAPI* QueryNotificationState)(QUERY_USER_NOTIFICATION_STATE* state);
typedef HRESULT(CALLBACK* GetDllVersion)(DLLVERSIONINFO* version);

static const UINT playerIconId = 502;
static const UINT ownIconId = 1;             // on our own window: apart from the player's 502 by owner too
static const DWORD shortestBalloon = 10000;  // Windows 2000 and XP hold a balloon at least this long

static QueryNotificationState queryUserState;   // the shell's, from Vista on; null before
static bool shellKnowsQuiet;                     // the shell takes NIIF_NOSOUND (6.0, XP, and later)
static bool ownIconOnly;                         // Windows 10 on: every balloon on our icon, which goes with it

static HWND ownIconWindow;    // owner of our icon, made when first needed
static bool ownIconShown;
static bool takeDownDue;      // the latest balloon shown is to be taken down at its time
static DWORD balloonShownAt;  // GetTickCount when it was shown
static DWORD balloonStays;    // how long it stays
static HICON balloonPicture;  // its picture, or null: alive while the balloon may be shown

static BOOL notifyShell(DWORD message, NOTIFYICONDATAA* notice) { return Shell_NotifyIconA(message, notice); }
static BOOL notifyShell(DWORD message, NOTIFYICONDATAW* notice) { return Shell_NotifyIconW(message, notice); }

static DWORD textOnlySize(const NOTIFYICONDATAA&) { return balloonNoticeSize; }
static DWORD textOnlySize(const NOTIFYICONDATAW&) { return wideBalloonNoticeSize; }

// Resolved at run time, so that the module still loads where the shell lacks them.
template <typename Function>
static Function shellFunction(const char* name)
{
    FARPROC found = GetProcAddress(GetModuleHandleW(L"shell32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(found));
}

// From Windows 10 on every balloon becomes a notification, kept in the notification centre until the
// icon it came from is deleted: on the player's icon they would pile up all evening.
void prepareBalloons()
{
    ownIconOnly = windowsMajorVersion() >= 10;
    queryUserState = shellFunction<QueryNotificationState>("SHQueryUserNotificationState");
    GetDllVersion version = shellFunction<GetDllVersion>("DllGetVersion");
    DLLVERSIONINFO info = {};
    info.cbSize = sizeof info;
    shellKnowsQuiet = version && SUCCEEDED(version(&info)) && info.dwMajorVersion >= 6;
}

// Windows queues a balloon the user cannot see and shows it when the user is back, long after its
// song. Where the shell cannot tell, the balloon shows as it always did.
static bool userSeesBalloons()
{
    QUERY_USER_NOTIFICATION_STATE state;
    if (!queryUserState || FAILED(queryUserState(&state))) return true;
    return state == QUNS_ACCEPTS_NOTIFICATIONS;
}

// The plug-in runs in the player's process: any window of it in front is the player's (its main
// window, the playlist, our options dialog).
static bool playerInFront()
{
    HWND front = GetForegroundWindow();
    if (!front) return false;
    DWORD process = 0;
    GetWindowThreadProcessId(front, &process);
    return process == GetCurrentProcessId();
}

bool balloonWelcomeNow(bool asked)
{
    if (!asked && settings.background && playerInFront()) return false;
    return userSeesBalloons();
}

// Every field but the texts, the same for both forms. Without a picture the notice keeps the layout
// Windows 2000 takes; a picture of its own needs Vista's.
template <typename Notice>
static void composeNotice(Notice& notice, HICON picture)
{
    notice.cbSize = picture ? sizeof notice : textOnlySize(notice);
    notice.hWnd = pluginRecord.hostWindow;
    notice.uID = playerIconId;
    notice.uFlags = NIF_INFO;
    notice.uTimeout = static_cast<UINT>(settings.duration);
    DWORD icon = picture ? NIIF_USER | NIIF_LARGE_ICON : NIIF_INFO;
    // From Windows 8 on every balloon is a notification, and each would sound.
    notice.dwInfoFlags = icon | (!settings.sound && shellKnowsQuiet ? NIIF_NOSOUND : 0);
    notice.hBalloonIcon = picture;
}

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

static void removeOwnIcon();

// The notice is a copy: the same title, text, duration and flags, on our icon. From Windows 10 on the
// icon is new for each balloon: the one before goes first, and its notification with it.
template <typename Notice>
static bool showOnOwnIcon(Notice notice)
{
    if (ownIconOnly) removeOwnIcon();
    if (!ownIconWindow)
        ownIconWindow = CreateWindowExA(0, "STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!ownIconWindow) return false;
    notice.hWnd = ownIconWindow;
    notice.uID = ownIconId;
    notice.uFlags = NIF_ICON | NIF_TIP | NIF_INFO;   // no NIF_MESSAGE: the icon sends nobody anything
    notice.hIcon = playerIconImage();
    copyDescription(notice);
    // After a shell restart our icon is gone and the modify fails: it is added again.
    bool shown = ownIconShown && notifyShell(NIM_MODIFY, &notice);
    if (!shown) shown = notifyShell(NIM_ADD, &notice) != FALSE;
    ownIconShown = shown;
    return shown;
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

static void destroyPicture(HICON* picture)
{
    if (*picture) DestroyIcon(*picture);
    *picture = nullptr;
}

// "Duration" 0 leaves the balloon to Windows; our icon then stays as long as any Windows holds one.
static void scheduleTakeDown(bool onOwnIcon)
{
    LONG duration = settings.duration;
    takeDownDue = duration > 0 || onOwnIcon;
    balloonShownAt = GetTickCount();
    balloonStays = duration > 0 ? static_cast<DWORD>(duration) : shortestBalloon;
}

// A picture lives as long as the balloon that shows it: the one replaced goes once the new one is up.
template <typename Notice>
static void show(Notice& notice, HICON picture)
{
    composeNotice(notice, picture);
    bool onPlayerIcon = !ownIconOnly && notifyShell(NIM_MODIFY, &notice) != FALSE;
    if (onPlayerIcon) removeOwnIcon();
    else if (!showOnOwnIcon(notice)) {
        destroyPicture(&picture);
        return;
    }
    destroyPicture(&balloonPicture);
    balloonPicture = picture;
    scheduleTakeDown(!onPlayerIcon);
}

void showBalloon(bool wide, HICON picture)
{
    if (wide) show(wideBalloonNotice, picture);
    else show(balloonNotice, picture);
}

DWORD balloonTimeLeft()
{
    if (!takeDownDue) return INFINITE;
    DWORD shown = GetTickCount() - balloonShownAt;
    return shown < balloonStays ? balloonStays - shown : 0;
}

// The documented way to take a balloon down: the same icon, an empty text. Our icon takes its
// balloon along as it goes.
void takeDownExpiredBalloon()
{
    if (balloonTimeLeft() != 0) return;
    takeDownDue = false;
    if (ownIconShown) {
        removeOwnIcon();
    } else if (IsWindow(pluginRecord.hostWindow)) {
        NOTIFYICONDATAA notice = {};
        composeNotice(notice, nullptr);
        notifyShell(NIM_MODIFY, &notice);
    }
    destroyPicture(&balloonPicture);
}

void endBalloons()
{
    takeDownDue = false;
    removeOwnIcon();
    if (ownIconWindow) DestroyWindow(ownIconWindow);
    ownIconWindow = nullptr;
    destroyPicture(&balloonPicture);
}
