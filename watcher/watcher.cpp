// The watcher loop: one poll per update interval, a 500 ms settle check for each new song.
#include <windows.h>
#include <objbase.h>
#include "watcher.h"
#include "title.h"
#include "balloon.h"
#include "../cover/cover.h"
#include "../format/format.h"
#include "../overlay/overlay.h"
#include "../popup/popup.h"
#include "../module/module.h"
#include "../resources/resource.h"
#include "../settings/settings.h"
#include "../system/system.h"
#include "../text/text.h"

enum PlayState : LONG { Stopped = 0, Playing = 1, Paused = 3 };

static const DWORD settleTime = 500;   // a new title must stay this long before its balloon

volatile LONG stopRequested;
static wchar_t lastTitle[512];   // the last title taken in while playing; empty after stop or pause
static LONG lastState;           // the play state of the last recorded cycle
static bool wideText;            // the balloon's text stands in wideBalloonNotice, not balloonNotice
static volatile LONG showAgain;  // 1: the user asked to see the balloon of what plays again

static LONG queryPlayState()
{
    return static_cast<LONG>(SendMessageA(pluginRecord.hostWindow, WM_USER, 0, 104));
}

// The player's window is a Unicode window: read as ANSI its title would lose what the code page
// cannot spell.
static void readTitle(wchar_t* title, int size)
{
    title[0] = L'\0';
    GetWindowTextW(pluginRecord.hostWindow, title, size);
}

// The playing entry's file name. The player answers with a buffer of its own that the next such call,
// from anyone, refills: copied at once, bounded, and never kept. A name that does not fit is none.
static bool readPlayingFile(wchar_t* path, int size)
{
    HWND player = pluginRecord.hostWindow;
    WPARAM position = static_cast<WPARAM>(SendMessageA(player, WM_USER, 0, 125));
    const wchar_t* name = reinterpret_cast<const wchar_t*>(SendMessageA(player, WM_USER, position, 214));
    if (!name) return false;
    int length = 0;
    while (length < size && name[length]) path[length] = name[length], ++length;
    if (length == size) return false;
    path[length] = L'\0';
    return true;
}

// Unit by unit: the system's string comparison calls some different titles equal.
static bool sameText(const wchar_t* one, const wchar_t* other)
{
    while (*one && *one == *other) ++one, ++other;
    return *one == *other;
}

// Being queued is all it does: it ends the watcher's alertable wait.
static VOID CALLBACK wakeUp(ULONG_PTR)
{
}

void wakeWatcher(HANDLE watcher)
{
    QueueUserAPC(wakeUp, watcher, 0);
}

void showSongAgain(HANDLE watcher)
{
    InterlockedExchange(&showAgain, 1);
    wakeWatcher(watcher);
}

// The pause before a poll. Alertable: a stop request ends it, and so does a confirmed dialog, so that
// the poll that follows uses the new values at once. A balloon whose time is up is taken down within
// the pause, without a poll of its own.
static bool pauseBeforePoll()
{
    DWORD left = static_cast<DWORD>(settings.sleep);
    // A pause may end a little early: the take-down goes by the clock, and the pause goes on until it has.
    for (DWORD balloonLeft = balloonTimeLeft(); balloonLeft < left; balloonLeft = balloonTimeLeft()) {
        if (SleepEx(balloonLeft, TRUE) == WAIT_IO_COMPLETION) return !stopRequested;
        takeDownExpiredBalloon();
        left -= balloonLeft;
    }
    SleepEx(left, TRUE);
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

// A title the code page can spell whole in the ANSI buffer keeps the ANSI path byte for byte. Any
// other goes in UTF-16: one outside the code page, one whose double-byte form would lose its suffix
// to the cut, and any title in the two-line format when the code page cannot spell that format.
static bool composeSongText(wchar_t* title)
{
    LONG simple = settings.simple;
    char ansiTitle[512];  // as an ANSI read of the title gives it: at most 511 bytes
    wideText = !narrowWithoutLoss(title, ansiTitle, sizeof ansiTitle) || (!simple && !tipFormat[0]);
    if (wideText) return extractWideSongText(title, simple);
    return extractSongText(ansiTitle, simple);
}

static void composeStateText(UINT text)
{
    LoadStringW(pluginRecord.moduleInstance, text, wideBalloonNotice.szInfo,
                sizeof wideBalloonNotice.szInfo / sizeof wideBalloonNotice.szInfo[0]);
    wideText = !narrowWithoutLoss(wideBalloonNotice.szInfo, balloonNotice.szInfo, sizeof balloonNotice.szInfo);
}

// The title line of a wide notice: the user's own, or string 2.
static void composeTitle(const wchar_t* own)
{
    copyTextCut(wideBalloonNotice.szInfoTitle, sizeof wideBalloonNotice.szInfoTitle / sizeof wideBalloonNotice.szInfoTitle[0],
                own ? own : wideBalloonTitle);
}

// The user's own words from the song file's tags, each in place of today's where the player formatted
// something. They are UTF-16, and so the whole notice goes wide, the text from the title too.
static void composeOwnWords(const wchar_t* path, const wchar_t* textFormat, const wchar_t* titleFormat)
{
    HWND player = pluginRecord.hostWindow;
    wchar_t title[sizeof wideBalloonNotice.szInfoTitle / sizeof wideBalloonNotice.szInfoTitle[0]];
    wchar_t text[sizeof wideBalloonNotice.szInfo / sizeof wideBalloonNotice.szInfo[0]];
    bool ownTitle = titleFormat[0] && formatForSong(player, path, titleFormat, title, sizeof title / sizeof title[0]);
    bool ownText = textFormat[0] && formatForSong(player, path, textFormat, text, sizeof text / sizeof text[0]);
    if (!ownTitle && !ownText) return;
    if (!wideText) widenText(wideBalloonNotice.szInfo, sizeof text / sizeof text[0], balloonNotice.szInfo);
    wideText = true;
    if (ownText) lstrcpyW(wideBalloonNotice.szInfo, text);
    if (ownTitle) composeTitle(title);
}

// The playing entry's file, asked for only after the settle, so that it is the titled song's; at most
// once a song, and only when something wants it. Streams have none. Its cover too: found and decoded
// once, whichever surfaces show it, and let go when the song has been announced.
struct PlayingFile {
    wchar_t path[MAX_PATH];
    bool asked, isSong, coverAsked;
    IWICBitmap* cover;
};

static const wchar_t* playingSongFile(PlayingFile* file)
{
    if (!file->asked) file->isSong = readPlayingFile(file->path, MAX_PATH) && isSongFile(file->path);
    file->asked = true;
    return file->isSong ? file->path : nullptr;
}

static IWICBitmap* playingSongCover(PlayingFile* file)
{
    if (!settings.cover) return nullptr;
    const wchar_t* path = file->coverAsked ? nullptr : playingSongFile(file);
    if (path) file->cover = loadSongCover(path);
    file->coverAsked = true;
    return file->cover;
}

static void forgetSong(PlayingFile* file)
{
    releaseSongCover(file->cover);
    file->cover = nullptr;
}

static UINT trackNumberOf(const wchar_t* text)
{
    UINT number = 0;
    for (; *text >= L'0' && *text <= L'9' && number < 100000; ++text) number = number * 10 + (*text - L'0');
    return number;   // "3/12" is the third
}

// From the file's tags; without any title or artist there (a stream, or a player that knows none),
// those two from the window title, as the two-line format splits it.
static void readSongDetails(const wchar_t* file, SongDetails* song)
{
    HWND player = pluginRecord.hostWindow;
    const int size = sizeof song->title / sizeof song->title[0];
    bool tagged = false;
    if (file) {
        tagged |= readSongTag(player, file, L"title", song->title, size);
        tagged |= readSongTag(player, file, L"artist", song->artist, size);
        readSongTag(player, file, L"albumartist", song->albumArtist, size);
        readSongTag(player, file, L"album", song->album, size);
        wchar_t track[16];
        if (readSongTag(player, file, L"track", track, sizeof track / sizeof track[0])) song->track = trackNumberOf(track);
    }
    wchar_t title[sizeof lastTitle / sizeof lastTitle[0]];
    wchar_t *artist, *name;
    lstrcpyW(title, lastTitle);
    if (tagged || !splitSongTitle(title, &artist, &name)) return;
    copyTextCut(song->artist, size, artist);
    copyTextCut(song->title, size, name);
}

// The overlay follows every song, whether or not a balloon shows.
static void showSongInOverlayNow(PlayingFile* file)
{
    if (!overlayOpen()) return;
    SongDetails song = {};
    const wchar_t* path = playingSongFile(file);
    readSongDetails(path, &song);
    IStream* cover = songCoverAsPng(playingSongCover(file));
    showSongInOverlay(song, cover);
    if (cover) cover->Release();
    showStateInOverlay(Playing);
}

// The balloon, or the popup where the user chose it: the same heading and text, under the same rules.
// At a normal exit the player destroys its window before quit, and a poll in between reads
// "stopped": nothing for that.
static void announce(HICON picture, LONG state)
{
    if (!IsWindow(pluginRecord.hostWindow)) {
        if (picture) DestroyIcon(picture);
        return;
    }
    if (!settings.popup) {
        showBalloon(wideText, picture);
        return;
    }
    wchar_t text[sizeof wideBalloonNotice.szInfo / sizeof wideBalloonNotice.szInfo[0]];
    if (wideText) lstrcpyW(text, wideBalloonNotice.szInfo);
    else widenText(text, sizeof text / sizeof text[0], balloonNotice.szInfo);
    showPopup(wideBalloonNotice.szInfoTitle, text, state, picture);
}

// Its words and its cover come from the song's file, when they are wanted.
static void showSongBalloon(PlayingFile* file)
{
    wchar_t textFormat[sizeof settings.textFormat.text / sizeof settings.textFormat.text[0]];
    wchar_t titleFormat[sizeof textFormat / sizeof textFormat[0]];
    loadText(settings.textFormat, textFormat, sizeof textFormat / sizeof textFormat[0]);
    loadText(settings.titleFormat, titleFormat, sizeof titleFormat / sizeof titleFormat[0]);
    bool cover = settings.cover != 0;
    const wchar_t* path = cover || textFormat[0] || titleFormat[0] ? playingSongFile(file) : nullptr;
    if (path) composeOwnWords(path, textFormat, titleFormat);
    HICON picture = path && cover ? songCoverIcon(playingSongCover(file), settings.popup ? popupCoverSide() : 0) : nullptr;
    // The player's formatting, or a cover read from a slow share, may outlast quit's wait: no balloon
    // after quit.
    if (stopRequested) {
        if (picture) DestroyIcon(picture);
        return;
    }
    announce(picture, Playing);
}

// A balloon the user cannot see now would be shown long after its song: the change counts as handled
// all the same, and the next one raises the next balloon. file: the song's, null for a state's.
// asked: the user asked for it, with balloons off or the player in front too.
static void showComposedBalloon(PlayingFile* file, LONG state, bool asked = false)
{
    if ((!settings.balloons && !asked) || !balloonWelcomeNow(asked)) return;
    composeTitle(nullptr);
    if (file) showSongBalloon(file);
    else announce(nullptr, state);
}

// The balloon of the song that plays on: recomposed from its title, as nothing else may have been
// composed since; no settle, and the overlay is left alone.
static void showPlayingSongAgain(wchar_t* title)
{
    if (!composeSongText(title)) return;
    PlayingFile file = {};
    showComposedBalloon(&file, Playing, true);
    forgetSong(&file);
}

// A playing cycle; returns whether its state is recorded. again: the user asked to see the song.
static bool watchPlaying(wchar_t* title, int size, bool again)
{
    readTitle(title, size);
    if (sameText(title, lastTitle)) {
        if (again) showPlayingSongAgain(title);
        return true;
    }
    lstrcpyW(lastTitle, title);
    if (!composeSongText(title)) return false;
    if (!settle()) return false;
    readTitle(title, size);
    if (!sameText(title, lastTitle)) return false;
    PlayingFile file = {};
    showSongInOverlayNow(&file);
    showComposedBalloon(&file, Playing);
    forgetSong(&file);
    return true;
}

static void watchNotPlaying(LONG state, bool again)
{
    if (state == lastState) {
        if (!again || state != Paused) return;
        composeStateText(IDS_PAUSED);
        showComposedBalloon(nullptr, Paused, true);
        return;
    }
    lastTitle[0] = L'\0';   // the same song shows again when playback resumes
    showStateInOverlay(state);
    composeStateText(state == Paused ? IDS_PAUSED : IDS_STOPPED);
    showComposedBalloon(nullptr, state);
}

// "MediaControls" as it stands now: the controls are taken as the watcher starts, and at the first
// poll after the dialog turned them on, when they also get what is playing. A failure leaves them off
// for the rest of this watcher's run.
static bool overlayTried;

static void followOverlaySetting()
{
    if (!settings.mediaControls) {
        closeOverlay();
        overlayTried = false;
        return;
    }
    if (overlayTried) return;
    overlayTried = true;
    // The controls came with Windows 10: before it there is nothing to load.
    if (windowsMajorVersion() < 10 || !openOverlay(pluginRecord.hostWindow)) return;
    PlayingFile file = {};
    if (lastState == Playing && lastTitle[0]) showSongInOverlayNow(&file);
    else if (lastState == Paused) showStateInOverlay(Paused);
    forgetSong(&file);
}

DWORD watcherMain()
{
    wchar_t title[512];
    lastTitle[0] = L'\0';
    lastState = Stopped;
    // Covers come through COM: the shell's picture of a file, and the imaging decoders.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    prepareBalloons();
    prepareCovers();
    if (settings.popup) preparePopups();
    overlayTried = false;
    followOverlaySetting();
    while (!stopRequested) {
        if (!pauseBeforePoll()) break;
        takeDownExpiredBalloon();
        followOverlaySetting();
        bool again = InterlockedExchange(&showAgain, 0) != 0;
        LONG state = queryPlayState();
        bool recorded = true;
        if (state == Playing) recorded = watchPlaying(title, sizeof title / sizeof title[0], again);
        else watchNotPlaying(state, again);
        if (recorded) lastState = state;
    }
    // Closing the overlay may wait a second for Windows, and quit waits one interval: our icon first.
    endBalloons();
    closeOverlay();
    if (SUCCEEDED(com)) CoUninitialize();
    return buttonHandlerHeld() ? 1 : 0;
}
