// The stand-in player's window: answers the play-state query and title reads from a script.
#include <windows.h>
#include <shellapi.h>
#include "window.h"
#include "hotkeys.h"
#include "tags.h"
#include <string.h>

static const PollAnswer* pollScript;      // per-poll answers, or null
static int pollScriptLength;
static const TimelineEvent* timeline;     // answers by the clock, or null
static int timelineLength;
static DWORD timelineStart;
static volatile LONG pollCount;           // play-state queries answered
static volatile LONG titleReadCount;
static volatile LONG fileRequestCount;
static wchar_t fileAnswer[1024];          // the player's own buffer for its file-name answer
static LONG readsThisPoll;
static LARGE_INTEGER pollTimes[16384];   // when each early poll was answered
static LARGE_INTEGER titleReadTime;       // when the latest title read was answered
static HANDLE dialogShown;                // set when a new dialog is activated on the player's thread
static volatile HWND shownDialog;         // the newest such dialog
static HHOOK dialogHook;
static int shownState;
static int stateInPlayer = -1;            // set by the user in the player since the script began, or -1
static const char* shownTitle = "";
static HWND shownWindow;                  // the newest player window
static char commandsReceived[512];        // the WM_COMMAND identifiers received, each followed by a blank
static LONG outputPosition, outputLength; // in ms, for a script
static volatile LONG outputQuestions;
static LRESULT playerVersion = 0x5066;
static bool hasLibrary = true;
static int rating;
static volatile LPARAM heldAt = -1;       // the message the player hangs at, or -1
static HANDLE playerHeld = CreateEventA(nullptr, TRUE, FALSE, nullptr);
static HANDLE playerReleased = CreateEventA(nullptr, TRUE, FALSE, nullptr);

static void notePlayerCommand(WORD command)
{
    size_t used = strlen(commandsReceived);
    if (used + 8 < sizeof commandsReceived) wsprintfA(commandsReceived + used, "%u ", command);
}

static const PollAnswer* answerForPoll(LONG poll)
{
    if (!pollScript || pollScriptLength == 0) return nullptr;
    if (poll <= pollScriptLength) return &pollScript[poll - 1];
    return &pollScript[pollScriptLength - 1];
}

static const TimelineEvent* eventNow()
{
    const TimelineEvent* current = nullptr;
    DWORD elapsed = timelineElapsed();
    for (int i = 0; i < timelineLength && timeline[i].at <= elapsed; ++i) current = &timeline[i];
    return current;
}

static LRESULT answerPlayState()
{
    // Asked on the player's own thread, it is no poll: the state as the player shows it now.
    if (!InSendMessage()) return stateInPlayer >= 0 ? stateInPlayer : shownState;
    LONG poll = InterlockedIncrement(&pollCount);
    if (poll < 16384) QueryPerformanceCounter(&pollTimes[poll]);
    readsThisPoll = 0;
    if (const PollAnswer* answer = answerForPoll(poll)) shownState = answer->state;
    else if (const TimelineEvent* event = eventNow()) shownState = event->state;
    return shownState;
}

static const char* titleForRead()
{
    LONG poll = pollCount;
    if (const PollAnswer* answer = answerForPoll(poll)) {
        bool pastScript = poll > pollScriptLength;
        bool settleRead = readsThisPoll++ > 0;
        const char* settle = answer->settleTitle ? answer->settleTitle : answer->title;
        return (pastScript || settleRead) ? settle : answer->title;
    }
    if (const TimelineEvent* event = eventNow()) return event->title ? event->title : "Winamp";
    return "Winamp";
}

// Scripts are UTF-8; the window is a Unicode window like the player's, so titles go out as UTF-16.
struct WideTitle {
    wchar_t text[1024];
    explicit WideTitle(const char* title) : text{} { MultiByteToWideChar(CP_UTF8, 0, title, -1, text, 1024); }
};

static LRESULT answerGetText(WPARAM size, LPARAM buffer)
{
    InterlockedIncrement(&titleReadCount);
    QueryPerformanceCounter(&titleReadTime);
    shownTitle = titleForRead();
    wchar_t* out = reinterpret_cast<wchar_t*>(buffer);
    if (size == 0) return 0;
    lstrcpynW(out, WideTitle(shownTitle).text, static_cast<int>(size));
    return lstrlenW(out);
}

// The playlist position is the script's index: each answer or event stands for one entry.
static LRESULT answerPosition()
{
    LONG poll = pollCount;
    if (answerForPoll(poll)) return (poll <= pollScriptLength ? poll : pollScriptLength) - 1;
    if (const TimelineEvent* event = eventNow()) return event - timeline;
    return 0;
}

static const char* fileAt(WPARAM position)
{
    if (pollScript) return position < static_cast<WPARAM>(pollScriptLength) ? pollScript[position].file : nullptr;
    if (timeline) return position < static_cast<WPARAM>(timelineLength) ? timeline[position].file : nullptr;
    return nullptr;
}

// As the player does: a pointer to its own buffer, refilled at every such request.
static LRESULT answerFileName(WPARAM position)
{
    InterlockedIncrement(&fileRequestCount);
    const char* file = fileAt(position);
    if (!file) return 0;
    fileAnswer[0] = L'\0';
    MultiByteToWideChar(CP_UTF8, 0, file, -1, fileAnswer, 1024);
    return reinterpret_cast<LRESULT>(fileAnswer);
}

static LRESULT answerOutputTime(WPARAM which)
{
    InterlockedIncrement(&outputQuestions);
    const TimelineEvent* event = timeline ? eventNow() : nullptr;
    int state = event ? event->state : shownState;
    LONG position = event ? outputPosition + static_cast<LONG>(timelineElapsed() - event->at) : outputPosition;
    if (event && event->state == StatePaused && event > timeline) position = outputPosition + static_cast<LONG>(event->at - (event - 1)->at);
    LONG length = event ? (event->file && !strstr(event->file, "://") ? 245000 : -1) : outputLength;
    if (which == 0) return state == StateStopped ? -1 : position;
    if (which == 1) return length < 0 ? -1 : length / 1000;
    return which == 2 ? length : -1;
}

static LRESULT answerRating(WPARAM wParam, LPARAM lParam)
{
    if (lParam == 639 && hasLibrary && wParam <= 5) rating = static_cast<int>(wParam);
    return lParam == 640 ? rating : 0;
}

static void hangIfHeld(LPARAM message)
{
    if (message != heldAt) return;
    heldAt = -1;
    SetEvent(playerHeld);
    WaitForSingleObject(playerReleased, 10000);
}

static LRESULT CALLBACK playerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_USER: {
        LRESULT answer = 0;
        hangIfHeld(lParam);
        if (answerHotkeyMessage(wParam, lParam, &answer)) return answer;
        if (lParam == 0) return playerVersion;
        if (lParam == 105) return answerOutputTime(wParam);
        if (lParam == 639 || lParam == 640) return answerRating(wParam, lParam);
        if (lParam == 104) return answerPlayState();
        if (lParam == 125) return answerPosition();
        if (lParam == 214) return answerFileName(wParam);
        if (lParam == 298) return answerFormatRequest(wParam);
        if (lParam == 3026) return answerTagRequest(wParam);
        return 0;
    }
    case WM_GETTEXT:
        return answerGetText(wParam, lParam);
    case WM_COMMAND:
        notePlayerCommand(LOWORD(wParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND createPlayerWindow(bool classIcon, const wchar_t* className)
{
    if (!className) className = classIcon ? L"Winamp v1.x" : L"Winamp v1.x without icon";
    WNDCLASSW registered;
    if (!GetClassInfoW(GetModuleHandleW(nullptr), className, &registered)) {
        WNDCLASSW description = {};
        description.lpfnWndProc = playerWindowProc;
        description.hInstance = GetModuleHandleW(nullptr);
        description.lpszClassName = className;
        description.hIcon = classIcon ? LoadIconW(nullptr, MAKEINTRESOURCEW(32512)) : nullptr;   // IDI_APPLICATION
        description.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));   // IDC_ARROW
        description.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        RegisterClassW(&description);
    }
    setOutputTime(83000, 245000);
    playerVersion = 0x5066;
    hasLibrary = true;
    rating = 0;
    shownWindow = CreateWindowW(className, L"Winamp", WS_OVERLAPPEDWINDOW, 40, 40, 275, 116,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    return shownWindow;
}

// The caption as the player sets it, for the demo's picture; title reads are answered from the script.
static void showTitleInCaption(const char* title)
{
    static const char* captioned;
    if (!shownWindow || title == captioned || !IsWindow(shownWindow)) return;
    captioned = title;
    SetWindowTextW(shownWindow, WideTitle(title).text);
}

void scriptPolls(const PollAnswer* answers, int count)
{
    pollScript = answers;
    pollScriptLength = count;
    stateInPlayer = -1;
    timeline = nullptr;
    pollCount = 0;
    titleReadCount = 0;
    fileRequestCount = 0;
    outputQuestions = 0;
}

void setOutputTime(LONG positionMs, LONG lengthMs)
{
    outputPosition = positionMs;
    outputLength = lengthMs;
}

LONG outputTimeQuestions() { return outputQuestions; }
void answerPlayerVersion(LRESULT version) { playerVersion = version; }
void answerRatings(bool library, int current)
{
    hasLibrary = library;
    rating = current;
}
int playerRating() { return rating; }

void holdPlayerAt(LPARAM message)
{
    ResetEvent(playerHeld);
    ResetEvent(playerReleased);
    heldAt = message;
}

bool waitUntilPlayerHeld(DWORD timeout) { return WaitForSingleObject(playerHeld, timeout) == WAIT_OBJECT_0; }
void releaseHeldPlayer() { SetEvent(playerReleased); }

void scriptTimeline(const TimelineEvent* events, int count)
{
    pollScript = nullptr;
    timeline = events;
    timelineLength = count;
    timelineStart = GetTickCount();
    pollCount = 0;
    titleReadCount = 0;
}

DWORD timelineElapsed()
{
    return GetTickCount() - timelineStart;
}

LONG pollsAnswered() { return pollCount; }

bool pollAnsweredAt(LONG poll, LARGE_INTEGER* when)
{
    if (poll <= 0 || poll >= 16384 || poll > pollCount) return false;
    *when = pollTimes[poll];
    return true;
}
LONG titleReads() { return titleReadCount; }
LARGE_INTEGER latestTitleReadAt() { return titleReadTime; }
LONG fileRequests() { return fileRequestCount; }

void changePlayerState(int state)
{
    stateInPlayer = state;
}

int currentPlayerState()
{
    if (const TimelineEvent* event = timeline ? eventNow() : nullptr) return event->state;
    return shownState;
}

const char* currentPlayerTitle()
{
    if (const TimelineEvent* event = timeline ? eventNow() : nullptr) return event->title ? event->title : "Winamp";
    return shownTitle;
}

void dispatchPlayerMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool runPlayerUntilPolls(LONG polls, DWORD safetyTimeout)
{
    DWORD start = GetTickCount();
    while (pollCount < polls) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= safetyTimeout) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, safetyTimeout - elapsed, QS_ALLINPUT);
        dispatchPlayerMessages();
    }
    return true;
}

void runPlayerFor(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    for (DWORD elapsed = 0; elapsed < milliseconds; elapsed = GetTickCount() - start) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
        dispatchPlayerMessages();
        if (timeline) showTitleInCaption(currentPlayerTitle());
    }
}

// Activation comes after a dialog's initialisation. (Wine's message boxes send no WM_ENTERIDLE.)
static LRESULT CALLBACK noticeDialogs(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char className[16] = "";
        GetClassNameA(window, className, sizeof className);
        if (lstrcmpA(className, "#32770") == 0 && window != shownDialog) {
            shownDialog = window;
            SetEvent(dialogShown);
        }
    }
    return CallNextHookEx(dialogHook, code, wParam, lParam);
}

void expectPlayerDialog()
{
    if (!dialogShown) dialogShown = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!dialogHook) dialogHook = SetWindowsHookExA(WH_CBT, noticeDialogs, nullptr, GetCurrentThreadId());
    shownDialog = nullptr;
    ResetEvent(dialogShown);
}

HWND waitForPlayerDialog(DWORD safetyTimeout, HANDLE stopWaiting)
{
    HANDLE events[2] = {dialogShown, stopWaiting};
    if (WaitForMultipleObjects(stopWaiting ? 2 : 1, events, FALSE, safetyTimeout) != WAIT_OBJECT_0) return nullptr;
    return shownDialog;
}

static NOTIFYICONDATAA trayIcon(HWND window)
{
    NOTIFYICONDATAA icon = {};
    icon.cbSize = NOTIFYICONDATAA_V2_SIZE;
    icon.hWnd = window;
    icon.uID = playerIconId;
    return icon;
}

bool addPlayerTrayIcon(HWND window)
{
    NOTIFYICONDATAA icon = trayIcon(window);
    icon.uFlags = NIF_ICON | NIF_TIP;
    icon.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    lstrcpynA(icon.szTip, "Winamp", sizeof icon.szTip);
    return Shell_NotifyIconA(NIM_ADD, &icon) != FALSE;
}

void removePlayerTrayIcon(HWND window)
{
    NOTIFYICONDATAA icon = trayIcon(window);
    Shell_NotifyIconA(NIM_DELETE, &icon);
}

const char* playerCommands() { return commandsReceived; }
void clearPlayerCommands() { commandsReceived[0] = '\0'; }
