// The popup of the plug-in's own, in place of the balloon: what it is and says, where it goes on
// which monitor, what its clicks and buttons do, when it does not show, and that quit takes it away.
#include "standin.h"
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

std::string childTexts(HWND window)
{
    std::string all;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) all += textOf(child) + "|";
    return all;
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

// Every thread the plug-in has started ends, without anyone's help but the player's messages.
bool pluginThreadsEnd(const ThreadList& before)
{
    ThreadList now;
    listProcessThreads(&now);
    for (int i = 0; i < now.count; ++i) {
        bool old = false;
        for (int j = 0; j < before.count; ++j) old |= before.ids[j] == now.ids[i];
        if (!old && !threadEnds(now.ids[i])) return false;
    }
    return true;
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
    CHECK(childTexts(popup) == "Previous|Pause|Next|");
    scriptPolls(script + 1, 2);
    REQUIRE(runPlayerUntilPolls(3));
    CHECK(popupsOfThisProcess() == 1);
    CHECK(findPopup() == popup);   // refilled in place
    CHECK(textOf(popup) == "Winamp\nPlayback paused.");
    CHECK(childTexts(popup) == "Previous|Play|Next|");
    SendMessageW(popup, WM_CLOSE, 0, 0);   // as another program may
    CHECK(!IsWindowVisible(popup));
    scriptPolls(script, 1);
    REQUIRE(runPlayerUntilPolls(5));
    CHECK(findPopup() == popup);   // back with the next song
    CHECK(IsWindowVisible(popup));
    player.quit();
    CHECK(balloons() == "");   // no balloon, and no icon of ours
}

TEST_CASE("ru: the popup's buttons by their Russian names")
{
    const PollAnswer script[] = {{StatePlaying, song}};
    StandInPlayer player(popupSettings);
    player.init(script, 1);
    REQUIRE(runPlayerUntilPolls(2));
    REQUIRE(findPopup());
    CHECK(childTexts(findPopup()) == "Предыдущая|Пауза|Следующая|");
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
        player.init(script, 1);
        REQUIRE(runPlayerUntilPolls(2));
        HWND popup = findPopup();
        REQUIRE(popup);
        HWND under = std::string(over) == "Next" ? button(popup, over) : popup;
        REQUIRE(under);
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

TEST_CASE("a monitor unplugged under the popup: it moves into the work area of the primary one")
{
    const FakeMonitor two[] = {{{0, 0, 1024, 768}, {0, 0, 1024, 728}}, {{1024, 0, 2944, 1080}, {1024, 0, 2944, 1040}}};
    const PollAnswer script[] = {{StatePlaying, song}};
    StandInPlayer player("[zoPipwick]\r\nSleep=100\r\nPopup=1\r\nPopupMonitor=2\r\nDuration=30000\r\n");
    answerMonitors(two, 2);
    player.init(script, 1);
    REQUIRE(runPlayerUntilPolls(2));
    HWND popup = findPopup();
    REQUIRE(popup);
    RECT shown = {};
    GetWindowRect(popup, &shown);
    CHECK(shown.left >= 1024);
    answerMonitors(two, 1);
    SendMessageW(popup, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));   // as the system tells every window
    GetWindowRect(popup, &shown);
    CHECK(shown.left >= 0);
    CHECK(shown.right <= 1024);
    CHECK(shown.bottom <= 728);
    player.quit();
}

TEST_CASE("above 384 DPI the cover still shows, its icon 256 pixels at most")
{
    std::string file = utf8((scratchFolderNamed(L"dpi") + L"\\song.mp3").c_str());
    const PollAnswer script[] = {{StatePlaying, song, nullptr, file.c_str()}};
    StandInPlayer player(popupSettings);
    answerMonitorDpi(480);
    answerEmbeddedPicture(300, 0xFF0000);
    player.init(script, 1);
    REQUIRE(runPlayerUntilPolls(2));
    REQUIRE(findPopup());
    CHECK(pluginIconsAlive() == 1);   // held by the popup
    player.quit();
}

TEST_CASE("quit ends the popup's thread whenever it comes: while its window is made, or its thread")
{
    const PollAnswer script[] = {{StatePlaying, song}};
    for (Hold where : {Hold::PopupWindow, Hold::ThreadOffPlayer}) {
        CAPTURE(static_cast<int>(where));
        StandInPlayer player(popupSettings);
        holdPlugin(where);
        player.init(script, 1);   // the popup's thread starts with the watcher
        REQUIRE(waitUntilHeld());
        player.quit();
        CHECK(pluginThreadsEnd(player.threadsBefore));
        CHECK(findPopup() == nullptr);
    }
}

namespace {

struct Alert {
    LONG role;
    std::string name;
};
std::vector<Alert> alerts;

// As a screen reader takes an alert: the object from the event, asked at once for its role and name.
void CALLBACK takeAlert(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD)
{
    IAccessible* accessible = nullptr;
    VARIANT which;
    VariantInit(&which);
    Alert alert = {0, "(no object)"};
    if (SUCCEEDED(AccessibleObjectFromEvent(window, object, child, &accessible, &which)) && accessible) {
        VARIANT role;
        VariantInit(&role);
        BSTR name = nullptr;
        if (SUCCEEDED(accessible->get_accRole(which, &role)) && role.vt == VT_I4) alert.role = role.lVal;
        alert.name = SUCCEEDED(accessible->get_accName(which, &name)) && name ? utf8(name) : "(no name)";
        SysFreeString(name);
        accessible->Release();
    }
    alerts.push_back(alert);
}

// The alerts of this process's popups while the script plays, with a screen reader running or not.
std::vector<Alert> alertsFor(const PollAnswer* script, int count, const char* settings, int screenReader, int userState)
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

std::string describe(const std::vector<Alert>& taken)
{
    std::string all;
    for (const Alert& alert : taken) all += (alert.role == ROLE_SYSTEM_ALERT ? "alert " : "role " + std::to_string(alert.role) + " ") + alert.name + "|";
    return all;
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
        {1, realAnswer, "alert Winamp, Some Artist - Some Song|alert Winamp, Other Artist - Other Song|"
                        "alert Winamp, Playback paused.|alert Winamp, Playback stopped.|"},
        {0, realAnswer, ""},
        {1, QUNS_BUSY, ""},   // a full-screen program: no popup, so no word either
    };
    for (const Row& row : rows) {
        CAPTURE(row.screenReader);
        CAPTURE(row.userState);
        CHECK(describe(alertsFor(script, 4, popupSettings, row.screenReader, row.userState)) == row.alerts);
    }
}

TEST_CASE("ru: the two-line format in Russian, the song in Japanese outside the code page, read as one line")
{
    const PollAnswer script[] = {{StatePlaying, "12. 坂本九 - 上を向いて歩こう - Winamp"}};
    CHECK(describe(alertsFor(script, 1, "[zoPipwick]\r\nSleep=100\r\nPopup=1\r\nSimple=0\r\n", 1, realAnswer))
          == "alert Winamp, Исполнитель:  坂本九, Название:  上を向いて歩こう|");
}
