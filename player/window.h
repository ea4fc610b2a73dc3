// The stand-in player's main window: class "Winamp v1.x", with its play state and title from a script.
#ifndef STANDIN_WINDOW_H
#define STANDIN_WINDOW_H

#include <windows.h>

enum : int { StateStopped = 0, StatePlaying = 1, StatePaused = 3 };

const UINT playerIconId = 502;   // the player's own notification-area icon, on its main window

// What the player answers during one poll: the play state, the title at the first read, and the
// title at every later read of the same poll (the settle re-read); null repeats the first. Titles
// are UTF-8, and the window answers in UTF-16 as the player's Unicode window does. file: the playing
// entry's file name (UTF-8), as the player answers it in UTF-16; null for none.
struct PollAnswer {
    int state;
    const char* title;
    const char* settleTitle;
    const char* file;
};

// What the player shows from a moment on, in milliseconds since the timeline started.
struct TimelineEvent {
    DWORD at;
    int state;
    const char* title;
    const char* file;   // as in PollAnswer
};

// The player's main window, a Unicode window; its class carries the player's icon unless classIcon
// is false. className: another name for its class, as the player's /CLASS= switch gives it.
HWND createPlayerWindow(bool classIcon = true, const wchar_t* className = nullptr);

// Per-poll answers for tests: poll n (counted from 1) gets answers[n-1]; polls past the end repeat
// the last answer's state and settle title.
void scriptPolls(const PollAnswer* answers, int count);

// Answers by the clock, for the demo; the timeline starts now.
void scriptTimeline(const TimelineEvent* events, int count);
DWORD timelineElapsed();

// The play-state queries answered so far (one per poll: those sent from another thread), title reads, and file-name requests.
LONG pollsAnswered();
LONG titleReads();
LONG fileRequests();

// When poll n's play-state query was answered (QueryPerformanceCounter), for the first 16384 polls.
bool pollAnsweredAt(LONG poll, LARGE_INTEGER* when);

// When the latest title read was answered (QueryPerformanceCounter).
LARGE_INTEGER latestTitleReadAt();

// The user changes the state in the player itself: polls still answer the script, and a query on the
// player's own thread answers this until the next script.
void changePlayerState(int state);

// The state the player shows right now (timeline) or showed at the last poll (script).
int currentPlayerState();
const char* currentPlayerTitle();

// What the player answers of its output time (105): wParam 0 the position in ms (-1 when stopped),
// 1 the length in seconds, 2 in ms (-1: unknown, as for a stream). Each player window starts at 1:23
// of a 4:05 song; the timeline's songs go on from there at each event (a pause holds the time the
// event before it played), 4:05 long where they have a file and are no stream.
void setOutputTime(LONG positionMs, LONG lengthMs);
LONG outputTimeQuestions();   // answered since the script began

// Its version (0), 0x5066 (5.66) unless told; the current entry's rating (640), which 639 sets, 0 to
// 5, where the player has its media library: without one it keeps none. Each player window starts at 0.
void answerPlayerVersion(LRESULT version);
void answerRatings(bool library, int current = 0);
int playerRating();

// The player's thread hangs at the next WM_USER message with this lParam (as a busy player does),
// until releaseHeldPlayer() or 10 s; waitUntilPlayerHeld from another thread.
void holdPlayerAt(LPARAM message);
bool waitUntilPlayerHeld(DWORD timeout = 10000);
void releaseHeldPlayer();

// Runs the player's message loop until `polls` queries have been answered; false on the safety time-out.
bool runPlayerUntilPolls(LONG polls, DWORD safetyTimeout = 60000);

// The player's commands (WM_COMMAND) received since the last clear: "40048 40046 ".
const char* playerCommands();
void clearPlayerCommands();

// Dispatches every message waiting for the player's thread.
void dispatchPlayerMessages();

// Runs the player's message loop for a while (the demo's timeline).
void runPlayerFor(DWORD milliseconds);

// Dialogs on the player's thread, the plug-in's options and message boxes: call expectPlayerDialog on
// that thread before one opens, then waitForPlayerDialog from another. Each wait returns the next new
// dialog once it is initialised, or null on the time-out or once stopWaiting is set.
void expectPlayerDialog();
HWND waitForPlayerDialog(DWORD safetyTimeout = 30000, HANDLE stopWaiting = nullptr);

// Puts the player's own icon (id 502) in the notification area, where the system has one.
bool addPlayerTrayIcon(HWND window);
void removePlayerTrayIcon(HWND window);

#endif
