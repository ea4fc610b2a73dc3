// The popup of the plug-in's own, in place of the balloon: what it is and says, where it goes on
// which monitor, what its clicks and buttons do, when it does not show, and that quit takes it away.
#include "standin.h"
#include <commctrl.h>
#include <oleacc.h>
#include <vector>

namespace {

const char song[] = "12. Some Artist - Some Song - Winamp";
const char nextSong[] = "13. Other Artist - Other Song - Winamp";
const char popupSettings[] = "[zoPipwick]\r\nSleep=100\r\nPopup=1\r\n";

// Tests run side by side on one display: only this process's popups count.
bool ofThisProcess(HWND window)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId();
}

HWND findPopup()
{
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, L"Pipwick popup", nullptr));)
        if (ofThisProcess(window)) return window;
    return nullptr;
}

std::string textOf(HWND window)
{
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, 512);
    return utf8(text);
}

// The named children that show: the buttons, the time, the stars.
std::string childTexts(HWND window)
{
    std::string all;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child) && !textOf(child).empty()) all += textOf(child) + "|";
    return all;
}

const std::string unrated = "Rate 1 star|Rate 2 stars|Rate 3 stars|Rate 4 stars|Rate 5 stars|";

HWND childOf(HWND popup, const wchar_t* className)
{
    return FindWindowExW(popup, nullptr, className, nullptr);
}

// The time as shown, and how full its bar is (of 1000), or -1 where none shows.
std::string timeShown(HWND popup)
{
    HWND line = childOf(popup, L"Static");
    return line && (GetWindowLongW(line, GWL_STYLE) & WS_VISIBLE) ? textOf(line) : "(none)";
}

int barFill(HWND popup)
{
    HWND bar = childOf(popup, L"msctls_progress32");
    return bar && IsWindowVisible(bar) ? static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0)) : -1;
}

int popupsOfThisProcess()
{
    int count = 0;
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, L"Pipwick popup", nullptr));) count += ofThisProcess(window);
    return count;
}

HWND button(HWND popup, const char* name)
{
    for (HWND child = GetWindow(popup, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (textOf(child) == name) return child;
    return nullptr;
}

// Runs the player until the condition holds, within 10 s.
template <typename Condition> bool eventually(Condition holds)
{
    for (int i = 0; i < 1000 && !holds(); ++i) runPlayerFor(10);
    return holds();
}

// The popup of a one-answer script once the watcher has shown it.
HWND popupShown(StandInPlayer& player, const PollAnswer* script)
{
    player.init(script, 1);
    REQUIRE(runPlayerUntilPolls(2));
    REQUIRE(findPopup());
    return findPopup();
}

POINT centreOf(HWND window)
{
    RECT box = {};
    GetWindowRect(window, &box);
    return {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
}

int opacity(HWND window)
{
    BYTE alpha = 255;
    DWORD flags = 0;
    GetLayeredWindowAttributes(window, nullptr, &alpha, &flags);
    return flags & LWA_ALPHA ? alpha : 255;
}

}  // namespace

TEST_CASE("the popup: topmost, never active, no taskbar button; the heading and text as its name; one at most; no balloon")
{
    const PollAnswer script[] = {{StatePlaying, song}, {StatePlaying, nextSong}, {StatePaused, nextSong}};
    StandInPlayer player(popupSettings);
    player.init(script, 1);
    REQUIRE(runPlayerUntilPolls(2));
    HWND popup = findPopup();
    REQUIRE(popup);
    CHECK(IsWindowVisible(popup));
    LONG extended = GetWindowLongW(popup, GWL_EXSTYLE);
    CHECK((extended & (WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW)) == (WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW));
    CHECK((extended & WS_EX_APPWINDOW) == 0);
    CHECK(GetForegroundWindow() != popup);
    CHECK(textOf(popup) == "Winamp\n Some Artist - Some Song");
    CHECK(childTexts(popup) == "Previous|Pause|Next|1:23 / 4:05|" + unrated);
    scriptPolls(script + 1, 2);
    REQUIRE(runPlayerUntilPolls(3));
    CHECK(popupsOfThisProcess() == 1);
    CHECK(findPopup() == popup);   // refilled in place
    CHECK(textOf(popup) == "Winamp\nPlayback paused.");
    CHECK(childTexts(popup) == "Previous|Play|Next|1:23 / 4:05|" + unrated);
    SendMessageW(popup, WM_CLOSE, 0, 0);   // as another program may
    CHECK(!IsWindowVisible(popup));
    scriptPolls(script, 1);
    REQUIRE(runPlayerUntilPolls(5));
    CHECK(findPopup() == popup);   // back with the next song
    CHECK(IsWindowVisible(popup));
    player.quit();
    CHECK(balloons() == "");   // no balloon, and no icon of ours
}

TEST_CASE("ru: the popup's buttons and stars by their Russian names")
{
    const PollAnswer script[] = {{StatePlaying, song}};
    StandInPlayer player(popupSettings);
    answerRatings(true, 3);
    CHECK(childTexts(popupShown(player, script)) == "Предыдущая|Пауза|Следующая|1:23 / 4:05|Поставить 1 звезду|Поставить 2 звезды|"
                                     "Оценка: 3 звезды|Поставить 4 звезды|Поставить 5 звёзд|");
    player.quit();
}

TEST_CASE("each place inside the work area of the chosen monitor, and the primary one's when that monitor is gone")
{
    const FakeMonitor monitors[] = {{{0, 0, 1024, 768}, {0, 0, 1024, 728}}, {{1024, -200, 2944, 880}, {1024, -160, 2944, 880}},
                                    {{2944, 0, 3544, 70}, {2944, 0, 3544, 70}}};   // narrower than the buttons, lower than the text
    struct Row {
        int place, monitor;   // as in the settings
        int on;               // the monitor whose work area holds it
        int across, down;     // 0 at the start (left, top), 1 centred, 2 at the end
    };
    const Row rows[] = {
        {0, 2, 1, 2, 2}, {1, 2, 1, 1, 2}, {2, 2, 1, 0, 2}, {3, 2, 1, 0, 0}, {4, 2, 1, 1, 0}, {5, 2, 1, 2, 0},
        {3, 0, 1, 0, 0},   // the player's monitor
        {5, 1, 0, 2, 0},
        {0, 3, 2, 2, 1},   // the buttons narrow to a third, the text is cut to the height
        {0, 4, 0, 2, 2},   // unplugged: the primary
    };
    const PollAnswer script[] = {{StatePlaying, song}};
    for (const Row& row : rows) {
        CAPTURE(row.place);
        CAPTURE(row.monitor);
        char settings[128];
        snprintf(settings, sizeof settings, "%sPopupPlace=%d\r\nPopupMonitor=%d\r\n", popupSettings, row.place, row.monitor);
        StandInPlayer player(settings);
        answerMonitors(monitors, 3, 1);
        player.init(script, 1);
        REQUIRE(runPlayerUntilPolls(2));
        RECT shown = {}, work = monitors[row.on].work;
        REQUIRE(GetWindowRect(findPopup(), &shown));
        player.quit();
        CHECK(shown.left >= work.left);
        CHECK(shown.right <= work.right);
        CHECK(shown.top >= work.top);
        CHECK(shown.bottom <= work.bottom);
        CHECK(shown.right - shown.left <= (work.right - work.left) / 3);
        auto side = [](LONG low, LONG high, LONG start, LONG end) {
            LONG before = low - start, after = end - high;
            return before < after - 2 ? 0 : after < before - 2 ? 2 : 1;
        };
        CHECK(side(shown.left, shown.right, work.left, work.right) == row.across);
        CHECK(side(shown.top, shown.bottom, work.top, work.bottom) == row.down);
    }
}

TEST_CASE("a click brings the player forward, restored, and takes the popup down; a right-click takes it down")
{
    const PollAnswer script[] = {{StatePlaying, song}, {StatePlaying, nextSong}};
    StandInPlayer player(popupSettings);
    ShowWindow(player.window, SW_MINIMIZE);
    player.init(script, 1);
    REQUIRE(runPlayerUntilPolls(2));
    HWND popup = findPopup();
    REQUIRE(popup);
    SendMessageW(popup, WM_RBUTTONUP, 0, 0);
    CHECK(!IsWindowVisible(popup));
    CHECK(IsIconic(player.window));
    scriptPolls(script + 1, 1);
    REQUIRE(runPlayerUntilPolls(2));
    CHECK(IsWindowVisible(popup));
    SendMessageW(popup, WM_LBUTTONUP, 0, 0);
    CHECK(!IsWindowVisible(popup));
    dispatchPlayerMessages();   // the restore was posted, never waited for
    CHECK(!IsIconic(player.window));
    player.quit();
}

TEST_CASE("Wine animates windows: the popup fades in by the module's clock, and fades out after its duration")
{
    BOOL animates = FALSE;
    REQUIRE(SystemParametersInfoW(SPI_GETCLIENTAREAANIMATION, 0, &animates, 0));
    REQUIRE(animates);
    const PollAnswer script[] = {{StatePlaying, song}};
    StandInPlayer player("[zoPipwick]\r\nSleep=100\r\nPopup=1\r\nDuration=1000\r\n");
    DWORD now = GetTickCount();
    REQUIRE(controlPluginClock(player.plugin.module, now));
    player.init(script, 1);
    REQUIRE(runPlayerUntilPolls(2));
    HWND popup = findPopup();
    REQUIRE(popup);
    CHECK(IsWindowVisible(popup));
    CHECK(opacity(popup) == 0);
    setPluginClock(now + 75);
    CHECK(eventually([&] { return opacity(popup) == 127; }));
    setPluginClock(now += 150);
    CHECK(eventually([&] { return opacity(popup) == 255; }));
    CHECK(eventually([&] {
        setPluginClock(now += 10);
        return !IsWindowVisible(popup);
    }));
    player.quit();
}

TEST_CASE("the three buttons send the player's commands for its state at the press")
{
    struct Row {
        const char* name;
        int inPlayer;   // the state the user set in the player since the last poll, or -1
        const char* command;
    };
    const Row rows[] = {{"Previous", -1, "40044 "}, {"Pause", -1, "40046 "}, {"Pause", StatePaused, "40046 "},
                        {"Pause", StateStopped, "40045 "}, {"Next", -1, "40048 "}};
    const PollAnswer script[] = {{StatePlaying, song}};
    StandInPlayer player("[zoPipwick]\r\nSleep=1000\r\nPopup=1\r\nDuration=30000\r\n");
    player.init(script, 1);
    REQUIRE(runPlayerUntilPolls(2));
    HWND popup = findPopup();
    REQUIRE(popup);
    for (const Row& row : rows) {
        CAPTURE(row.name);
        CAPTURE(row.inPlayer);
        changePlayerState(row.inPlayer);
        clearPlayerCommands();
        HWND pressed = button(popup, row.name);
        REQUIRE(pressed);
        SendMessageW(pressed, BM_CLICK, 0, 0);
        dispatchPlayerMessages();
        CHECK(std::string(playerCommands()) == row.command);
    }
    player.quit();
}

TEST_CASE("no popup while the user could not see it, nor with balloons off, nor once the player's window is gone; none left at quit, its class gone")
{
    const PollAnswer script[] = {{StatePlaying, song}};
    {
        StandInPlayer player(popupSettings);
        answerNotificationState(QUNS_BUSY);
        player.init(script, 1);
        REQUIRE(runPlayerUntilPolls(2));
        HWND popup = findPopup();
        CHECK((!popup || !IsWindowVisible(popup)));
        player.quit();
    }
    {
        StandInPlayer player("[zoPipwick]\r\nSleep=100\r\nPopup=1\r\nBalloons=0\r\n");
        player.init(script, 1);
        REQUIRE(runPlayerUntilPolls(2));
        HWND popup = findPopup();
        CHECK((!popup || !IsWindowVisible(popup)));
        player.quit();
    }
    {
        StandInPlayer player(popupSettings);
        player.init(script, 1);
        REQUIRE(runPlayerUntilPolls(2));
        REQUIRE(findPopup());
        DestroyWindow(player.window);   // a normal exit: the window goes first, then quit
        REQUIRE(runPlayerUntilPauses(pluginPausesBegun() + 2));
        CHECK(textOf(findPopup()) == "Winamp\n Some Artist - Some Song");   // no "Playback stopped."
        player.quit();
    }
    StandInPlayer player(popupSettings);
    player.init(script, 1);
    REQUIRE(runPlayerUntilPolls(2));
    REQUIRE(findPopup());
    player.quit();
    CHECK(findPopup() == nullptr);
    WNDCLASSW registered;
    CHECK(!GetClassInfoW(player.plugin.module, L"Pipwick popup", &registered));
    CHECK(balloons() == "");
}

TEST_CASE("it stays while the pointer rests on it or on one of its buttons, and goes its time after the pointer leaves")
{
    const PollAnswer script[] = {{StatePlaying, song}};
    for (const char* over : {"the popup", "Next"}) {
        CAPTURE(over);
        StandInPlayer player("[zoPipwick]\r\nSleep=100\r\nPopup=1\r\nDuration=1000\r\n");
        HWND popup = popupShown(player, script), under = std::string(over) == "Next" ? button(popup, over) : popup;
        POINT at = centreOf(under);
        answerPointer(&at);
        SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));   // as a move there does
        runPlayerFor(2000);
        CHECK(IsWindowVisible(popup));
        at = {-100, -100};
        answerPointer(&at);
        CHECK(eventually([&] { return !IsWindowVisible(popup); }));
        player.quit();
    }
}

TEST_CASE("a monitor unplugged under the popup: it moves into the primary one's work area; above 384 DPI the cover still shows")
{
    const FakeMonitor two[] = {{{0, 0, 1024, 768}, {0, 0, 1024, 728}}, {{1024, 0, 2944, 1080}, {1024, 0, 2944, 1040}}};
    std::string file = utf8((scratchFolderNamed(L"dpi") + L"\\song.mp3").c_str());
    const PollAnswer script[] = {{StatePlaying, song, nullptr, file.c_str()}};
    StandInPlayer player("[zoPipwick]\r\nSleep=100\r\nPopup=1\r\nPopupMonitor=2\r\nDuration=30000\r\n");
    answerMonitors(two, 2);
    answerMonitorDpi(480);
    answerEmbeddedPicture(300, 0xFF0000);
    HWND popup = popupShown(player, script);
    CHECK(pluginIconsAlive() == 1);   // the cover, held by the popup at 256 pixels
    RECT shown = {};
    GetWindowRect(popup, &shown);
    CHECK(shown.left >= 1024);
    answerMonitors(two, 1);   // the primary one left, at 96 DPI
    answerMonitorDpi(96);
    SendMessageW(popup, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));   // as the system tells every window
    GetWindowRect(popup, &shown);
    CHECK((shown.left >= 0 && shown.right <= 1024 && shown.bottom <= 728));
    player.quit();
}

TEST_CASE("quit ends the popup's thread even while the thread still makes its window")
{
    const PollAnswer script[] = {{StatePlaying, song}};
    StandInPlayer player(popupSettings);
    holdPlugin(Hold::PopupWindow);
    player.init(script, 1);   // the popup's thread starts with the watcher
    REQUIRE(waitUntilHeld());
    player.quit();
    CHECK(eventually([&] { return countNewThreads(player.threadsBefore) == 0; }));
    CHECK(findPopup() == nullptr);
}

namespace {

std::string alerts;   // "alert name = value|" for each, "role N ..." for another role

// As a screen reader takes an alert: the object from the event, asked at once for its role and name.
void CALLBACK takeAlert(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD)
{
    IAccessible* accessible = nullptr;
    VARIANT which, role;
    VariantInit(&which);
    VariantInit(&role);
    BSTR name = nullptr, value = nullptr;
    if (FAILED(AccessibleObjectFromEvent(window, object, child, &accessible, &which)) || !accessible) return void(alerts += "(none)|");
    accessible->get_accRole(which, &role);
    accessible->get_accName(which, &name);
    accessible->get_accValue(which, &value);
    alerts += (role.vt == VT_I4 && role.lVal == ROLE_SYSTEM_ALERT ? "alert " : "role " + std::to_string(role.lVal) + " ") +
              (name ? utf8(name) : "(no name)") + (value ? " = " + utf8(value) : "") + "|";
    SysFreeString(name);
    SysFreeString(value);
    accessible->Release();
}

// The alerts of this process's popups while the script plays, with a screen reader running or not.
std::string alertsFor(const PollAnswer* script, int count, const char* settings, int screenReader, int userState)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    alerts.clear();
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_SYSTEM_ALERT, EVENT_SYSTEM_ALERT, nullptr, takeAlert, GetCurrentProcessId(), 0,
                                         WINEVENT_OUTOFCONTEXT);
    {
        StandInPlayer player(settings);
        answerScreenReader(screenReader);
        answerNotificationState(userState);
        player.init(script, count);
        REQUIRE(runPlayerUntilPolls(count + 1));
        dispatchPlayerMessages();
        player.quit();
    }
    UnhookWinEvent(hook);
    CoUninitialize();
    return alerts;
}

}  // namespace

TEST_CASE("with a screen reader each popup speaks once, an alert named in one line; without one, or unseen, none")
{
    const PollAnswer script[] = {{StatePlaying, song}, {StatePlaying, nextSong}, {StatePaused, nextSong}, {StateStopped, ""}};
    struct Row {
        int screenReader, userState;
        const char* alerts;
    };
    const Row rows[] = {
        {1, realAnswer, "alert Winamp, Some Artist - Some Song = 1:23 / 4:05|alert Winamp, Other Artist - Other Song = 1:23 / 4:05|"
                        "alert Winamp, Playback paused. = 1:23 / 4:05|alert Winamp, Playback stopped.|"},   // the time its value
        {0, realAnswer, ""},
        {1, QUNS_BUSY, ""},   // a full-screen program: no popup, so no word either
    };
    for (const Row& row : rows) {
        CAPTURE(row.screenReader);
        CAPTURE(row.userState);
        CHECK(alertsFor(script, 4, popupSettings, row.screenReader, row.userState) == row.alerts);
    }
}

TEST_CASE("ru: the two-line format in Russian, the song in Japanese outside the code page, read as one line")
{
    const PollAnswer script[] = {{StatePlaying, "12. 坂本九 - 上を向いて歩こう - Winamp"}};
    CHECK(alertsFor(script, 1, "[zoPipwick]\r\nSleep=100\r\nPopup=1\r\nSimple=0\r\n", 1, realAnswer)
          == "alert Winamp, Исполнитель:  坂本九, Название:  上を向いて歩こう = 1:23 / 4:05|");
}

TEST_CASE("how far the song has played: the time under the text, the bar beneath it where the length is known")
{
    struct Row {
        int state;
        LONG position, length;   // ms, as the player answers them
        const char* time;
        int fill;                // of 1000, -1 for no bar
    };
    const Row rows[] = {{StatePlaying, 0, 245000, "0:00 / 4:05", 0},           {StatePlaying, 59000, 245000, "0:59 / 4:05", 241},
                        {StatePlaying, 120000, 240000, "2:00 / 4:00", 500},    {StatePlaying, 3723000, 4200000, "1:02:03 / 1:10:00", 886},
                        {StatePlaying, 83000, -1, "1:23", -1},                 // a stream
                        {StatePaused, 83000, 245000, "1:23 / 4:05", 339},      {StateStopped, -1, 245000, "(none)", -1}};
    for (const Row& row : rows) {
        CAPTURE(row.time);
        const PollAnswer script[] = {{row.state, row.state == StatePlaying ? song : "Winamp"}};
        StandInPlayer player(popupSettings);
        setOutputTime(row.position, row.length);
        HWND popup = popupShown(player, script);
        CHECK(timeShown(popup) == row.time);
        CHECK(barFill(popup) == row.fill);
        player.quit();
    }
}

namespace {

// While the player hangs, a right-click on the popup, which must take it down within 3 s.
DWORD WINAPI rightClickWhileHeld(LPVOID popup)
{
    HWND window = static_cast<HWND>(popup);
    if (waitUntilPlayerHeld()) PostMessageW(window, WM_RBUTTONUP, 0, 0);
    for (int i = 0; i < 300 && IsWindowVisible(window); ++i) Sleep(10);
    DWORD hidden = !IsWindowVisible(window);
    releaseHeldPlayer();
    return hidden;
}

}  // namespace

TEST_CASE("the time goes on while the popup is up, nothing is asked while it is hidden, and a hung player holds up nothing")
{
    const PollAnswer script[] = {{StatePlaying, song}};
    StandInPlayer player("[zoPipwick]\r\nSleep=100\r\nPopup=1\r\nDuration=30000\r\n");
    HWND popup = popupShown(player, script);
    setOutputTime(90000, 245000);
    CHECK(eventually([&] { return timeShown(popup) == "1:30 / 4:05"; }));
    setOutputTime(95000, 245000);
    holdPlayerAt(105);   // at the next question
    HANDLE prober = CreateThread(nullptr, 0, rightClickWhileHeld, popup, 0, nullptr);
    runPlayerFor(1000);
    DWORD hidden = 0;
    WaitForSingleObject(prober, INFINITE);
    GetExitCodeThread(prober, &hidden);
    CloseHandle(prober);
    CHECK(hidden);
    CHECK(timeShown(popup) == "1:30 / 4:05");   // as it was
    LONG asked = outputTimeQuestions();
    runPlayerFor(1500);
    CHECK(outputTimeQuestions() == asked);
    player.quit();
}

TEST_CASE("the stars: the song's rating, a click rates it, a click on its rating clears it; none where the player keeps none")
{
    struct Row {
        bool library;
        LRESULT version;
        int clicks[2];     // stars clicked, 0 for none
        const char* stars;
        int kept;
    };
    const Row rows[] = {{true, 0x5066, {4, 0}, "Rate 1 star|Rate 2 stars|Rate 3 stars|Rated 4 stars|Rate 5 stars|", 4},
                        {true, 0x5066, {4, 4}, "Rate 1 star|Rate 2 stars|Rate 3 stars|Rate 4 stars|Rate 5 stars|", 0},
                        {false, 0x5066, {4, 0}, "", 0},   // without its library: the rating does not read back
                        {true, 0x5003, {0, 0}, "", 0}};   // older than 5.04
    const PollAnswer script[] = {{StatePlaying, song}};
    for (const Row& row : rows) {
        CAPTURE(row.library);
        CAPTURE(row.version);
        StandInPlayer player(popupSettings);
        answerRatings(row.library);
        answerPlayerVersion(row.version);
        HWND popup = popupShown(player, script);
        for (int star : row.clicks)
            if (star) SendMessageW(GetDlgItem(popup, 10 + star), BM_CLICK, 0, 0);   // the stars are children 11 to 15
        std::string stars;
        for (int id = 11; id <= 15; ++id)
            if (IsWindowVisible(GetDlgItem(popup, id))) stars += textOf(GetDlgItem(popup, id)) + "|";
        CHECK(stars == row.stars);
        CHECK(playerRating() == row.kept);
        player.quit();
    }
}
