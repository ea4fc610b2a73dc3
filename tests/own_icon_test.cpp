// Balloons when the player shows no notification-area icon (its default): an icon of the plug-in's
// own carries them, for as long as the balloon stays, and never outlives the plug-in. And the balloon
// taken down at "Duration", on whichever icon it stands.
#include "standin.h"
#include "driver.h"
#include "../resources/resource.h"

namespace {

#define COUNT(array) static_cast<int>(sizeof(array) / sizeof((array)[0]))

const char song[] = "12. Some Artist - Some Song - Winamp";
const char songTip[] = " Some Artist - Some Song";
const char nextSong[] = "13. Other Artist - Next Song - Winamp";
const char nextTip[] = " Other Artist - Next Song";
const char lastSong[] = "14. Last Artist - Last Song - Winamp";
const char lastTip[] = " Last Artist - Last Song";
const PollAnswer steadySong[] = {{StatePlaying, song}};
const DWORD clockStart = 50000;

// A player without its icon whose first balloon, the song, is on ours; returns our icon's call.
ShellCall firstBalloonOnOwnIcon(StandInPlayer& player)
{
    hideSimulatedIcon(player.window, playerIconId);
    REQUIRE(controlPluginClock(player.plugin.module, clockStart));
    player.init(steadySong, 1);
    REQUIRE(runPlayerUntilPolls(2));
    REQUIRE(shellCallCount() == 2);
    CHECK(balloons() == std::string("1:!modify#502:") + songTip + " | 1:add#" +
                            std::to_string(shellCall(1).notice.uID) + ":" + songTip);
    return shellCall(1);
}

}  // namespace

TEST_CASE("without the player's icon ours carries the balloon, with the player's image, until its time is up")
{
    struct Row {
        const char* settings;
        bool classIcon;
        DWORD stays;   // "Duration"; with 0, the 10 s that Windows 2000 and XP hold a balloon at least
    };
    const Row rows[] = {
        {"[zoPipwick]\r\nSleep=100\r\nDuration=12000\r\n", true, 12000},
        {"[zoPipwick]\r\nSleep=100\r\nDuration=0\r\n", false, 10000},
        {"[zoPipwick]\r\nSleep=100\r\nDuration=45000\r\n", true, 45000},
        {"[zoPipwick]\r\nSleep=100\r\nDuration=3000\r\n", true, 3000},
    };
    for (const Row& row : rows) {
        CAPTURE(row.settings);
        StandInPlayer player(row.settings, "gen_Pipwick.dll", createPlayerWindow(row.classIcon));
        ShellCall own = firstBalloonOnOwnIcon(player);
        const NOTIFYICONDATAA& notice = own.notice;
        CHECK(notice.uID != playerIconId);
        CHECK(notice.hWnd != player.window);
        CHECK(IsWindow(notice.hWnd));
        CHECK(notice.cbSize == noticeSize);
        CHECK(notice.uFlags == (NIF_ICON | NIF_TIP | NIF_INFO));
        CHECK(notice.uCallbackMessage == 0);
        CHECK(std::string(notice.szInfoTitle) == "Winamp");
        CHECK(notice.dwInfoFlags == (NIIF_INFO | NIIF_NOSOUND));
        const NOTIFYICONDATAA& modify = shellCall(0).notice;
        CHECK(notice.uTimeout == modify.uTimeout);
        CHECK(std::string(notice.szInfo) == modify.szInfo);
        CHECK(std::string(notice.szTip) == "Quillfen (gen_Pipwick.dll)");
        if (row.classIcon) {
            HICON small = reinterpret_cast<HICON>(GetClassLongPtrA(player.window, GCLP_HICONSM));
            CHECK((notice.hIcon == small || notice.hIcon == reinterpret_cast<HICON>(GetClassLongPtrA(player.window, GCLP_HICON))));
        } else {
            CHECK(notice.hIcon == LoadIconA(nullptr, IDI_INFORMATION));
        }

        setPluginClock(clockStart + row.stays - 1);
        REQUIRE(runPlayerUntilPolls(pollsAnswered() + 3));
        CHECK(shellCallCount() == 2);
        CHECK(simulatedIconShown(notice.hWnd, notice.uID));
        setPluginClock(clockStart + row.stays);
        REQUIRE(runPlayerUntilPolls(pollsAnswered() + 2));
        REQUIRE(shellCallCount() == 3);
        CHECK(describeCall(shellCall(2)) == "delete#" + std::to_string(notice.uID));
        CHECK(shellCall(2).notice.hWnd == notice.hWnd);
        CHECK(simulatedIconCount() == 0);
        player.quit();
        CHECK(shellCallCount() == 3);
    }
}

TEST_CASE("on the player's icon the balloon is taken down at \"Duration\", unless a newer one came first")
{
    struct Row {
        const char* settings;
        std::string expected;
    };
    const std::string both = std::string("1:") + songTip + " | 3:" + nextTip;
    const Row rows[] = {
        {"[zoPipwick]\r\nSleep=100\r\nDuration=7000\r\n", both + " | 6:down#502"},
        {"[zoPipwick]\r\nSleep=100\r\nDuration=20000\r\n", both},   // quit comes first: nothing then
        {"[zoPipwick]\r\nSleep=100\r\nDuration=0\r\n", both},        // left to Windows
    };
    const PollAnswer script[] = {{StatePlaying, song}, {StatePlaying, song}, {StatePlaying, nextSong}};
    for (const Row& row : rows) {
        CAPTURE(row.settings);
        StandInPlayer player(row.settings);
        REQUIRE(controlPluginClock(player.plugin.module, clockStart));
        player.init(script, COUNT(script));
        REQUIRE(runPlayerUntilPolls(2));
        setPluginClock(clockStart + 5000);   // the next song's balloon replaces the first
        REQUIRE(runPlayerUntilPolls(4));
        setPluginClock(clockStart + 7000);   // the first one's time: it is no longer shown
        REQUIRE(runPlayerUntilPolls(6));
        CHECK(shellCallCount() == 2);
        setPluginClock(clockStart + 12000);  // the next one's
        REQUIRE(runPlayerUntilPolls(8));
        player.quit();
        CHECK(balloons() == row.expected);
        if (shellCallCount() == 3) {
            const NOTIFYICONDATAA& down = shellCall(2).notice;
            CHECK(down.hWnd == player.window);
            CHECK(down.uFlags == NIF_INFO);
            CHECK(down.cbSize == noticeSize);
        }
    }
}

TEST_CASE("our icon carries a title the code page cannot spell in the wide notice")
{
    StandInPlayer player("[zoPipwick]\r\nSleep=100\r\n");
    const PollAnswer kino[] = {{StatePlaying, "1. Кино - Группа крови - Winamp"}};
    hideSimulatedIcon(player.window, playerIconId);
    player.init(kino, 1);
    REQUIRE(runPlayerUntilPolls(2));
    player.quit();
    REQUIRE(shellCallCount() == 3);
    const std::string tip = "W: Кино - Группа крови";
    const NOTIFYICONDATAW& own = shellCall(1).wideNotice;
    CHECK(describeCall(shellCall(0)) == "!modify#502:" + tip);
    CHECK(describeCall(shellCall(1)) == "add#" + std::to_string(own.uID) + ":" + tip);
    CHECK(describeCall(shellCall(2)) == "delete#" + std::to_string(own.uID));   // at quit
    CHECK(own.cbSize == wideNoticeSize);
    CHECK(own.hWnd != player.window);
    CHECK(own.uFlags == (NIF_ICON | NIF_TIP | NIF_INFO));
    CHECK(own.hIcon != nullptr);
    CHECK(own.uCallbackMessage == 0);
    CHECK(utf8(own.szTip) == "Quillfen (gen_Pipwick.dll)");
    CHECK(utf8(own.szInfoTitle) == "Winamp");
    CHECK(own.dwInfoFlags == (NIIF_INFO | NIIF_NOSOUND));
    CHECK(!shellCall(2).wide);   // removing needs no text
}

TEST_CASE("with a long interval our icon goes when its balloon's time is up, within the pause and without a poll")
{
    StandInPlayer player("[zoPipwick]\r\nSleep=100\r\n");
    ShellCall own = firstBalloonOnOwnIcon(player);
    setPluginClock(clockStart + 9800);   // 200 ms left: more than a 100 ms pause
    configure(player, [](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_INTERVAL_EDIT, "30000");
        click(dialog, IDOK);
    });
    // The polls that OK brings are done, and the 30 s pause has begun.
    REQUIRE(runPlayerUntilPauses(pluginPausesBegun() + 3, 10000));
    LONG polls = pollsAnswered();
    setPluginClock(clockStart + 10000);
    for (int pauses = 0; shellCallCount() < 3 && pauses < 4; ++pauses)
        REQUIRE(runPlayerUntilPauses(pluginPausesBegun() + 1, 10000));
    REQUIRE(shellCallCount() == 3);
    CHECK(describeCall(shellCall(2)) == "delete#" + std::to_string(own.notice.uID));
    CHECK(shellCall(2).poll == polls);
    CHECK(!runPlayerUntilPolls(polls + 1, 500));   // the rest of the 30 s pause goes on
    player.quit();
}

TEST_CASE("our icon is added again after a shell restart, and goes when the player's icon is back")
{
    StandInPlayer player("[zoPipwick]\r\nSleep=100\r\n");
    const PollAnswer script[] = {{StatePlaying, song}, {StatePlaying, song}, {StatePlaying, nextSong},
                                 {StatePlaying, nextSong}, {StatePlaying, lastSong}, {StatePlaying, lastSong}};
    hideSimulatedIcon(player.window, playerIconId);
    player.init(script, COUNT(script));
    REQUIRE(runPlayerUntilPolls(2));
    std::string own = "#" + std::to_string(shellCall(1).notice.uID);
    restartSimulatedShell();
    REQUIRE(runPlayerUntilPolls(4));
    showSimulatedIcon(player.window, playerIconId);
    REQUIRE(runPlayerUntilPolls(7));
    player.quit();
    CHECK(balloons() == std::string("1:!modify#502:") + songTip + " | 1:add" + own + ":" + songTip +
                            " | 3:!modify#502:" + nextTip + " | 3:!modify" + own + ":" + nextTip +
                            " | 3:add" + own + ":" + nextTip + " | 5:" + lastTip + " | 5:delete" + own);
    CHECK(simulatedIconCount() == 1);   // the player's own
}

TEST_CASE("quit, a drop from the dialog, and quit after the player's window is gone leave no icon of ours")
{
    enum Ending { Quit, DropFromDialog, WindowGoneThenQuit };
    for (Ending ending : {Quit, DropFromDialog, WindowGoneThenQuit}) {
        CAPTURE(ending);
        StandInPlayer player("[zoPipwick]\r\nSleep=100\r\n");
        ShellCall own = firstBalloonOnOwnIcon(player);
        DWORD watcher = firstNewThread(player.threadsBefore);
        if (ending == DropFromDialog) {
            configure(player, [](HWND dialog) { click(dialog, IDC_ENABLED); click(dialog, IDOK); });
            CHECK(threadEnds(watcher));
        }
        if (ending == WindowGoneThenQuit) {
            DestroyWindow(player.window);   // a normal exit: the window goes first, then quit
            REQUIRE(runPlayerUntilPauses(pluginPausesBegun() + 2));
        }
        player.quit();
        CHECK(threadEnds(watcher));
        CHECK(simulatedIconCount() == 0);
        CHECK(!IsWindow(own.notice.hWnd));
        CHECK(describeCall(shellCall(shellCallCount() - 1)) == "delete#" + std::to_string(own.notice.uID));
    }
}

TEST_CASE("a player that closes its window while the watcher runs gets no stopped balloon and no icon")
{
    StandInPlayer player("[zoPipwick]\r\nSleep=100\r\n");
    player.init(steadySong, 1);
    REQUIRE(runPlayerUntilPolls(2));
    hideSimulatedIcon(player.window, playerIconId);   // the player removes its icon as it exits...
    DestroyWindow(player.window);                     // ...and then its window; polls now read "stopped"
    REQUIRE(runPlayerUntilPauses(pluginPausesBegun() + 2));
    player.quit();
    CHECK(balloons() == std::string("1:") + songTip);
    CHECK(simulatedIconCount() == 0);
}

TEST_CASE("with no notification area every call fails, and the watcher goes on until quit")
{
    StandInPlayer player("[zoPipwick]\r\nSleep=100\r\n");
    useTray(Tray::Missing);
    const PollAnswer script[] = {{StatePlaying, song}, {StatePaused, song}, {StatePlaying, nextSong}};
    player.init(script, COUNT(script));
    REQUIRE(runPlayerUntilPolls(6));
    DWORD watcher = firstNewThread(player.threadsBefore);
    player.quit();
    CHECK(threadEnds(watcher));
    std::string own = "#" + std::to_string(shellCall(1).notice.uID);
    CHECK(balloons() == std::string("1:!modify#502:") + songTip + " | 1:!add" + own + ":" + songTip +
                            " | 2:!modify#502:Playback paused. | 2:!add" + own + ":Playback paused." +
                            " | 3:!modify#502:" + nextTip + " | 3:!add" + own + ":" + nextTip);
}

TEST_CASE("win10: each balloon on a new icon of ours, never the player's; gone at its time, before the next, at quit")
{
    REQUIRE(windowsMajorVersion() == 10);
    struct Row {
        const char* settings;
        bool playerIcon;
        DWORD stays;
        bool quitFirst;   // quit while the second balloon still shows
    };
    const Row rows[] = {
        {"[zoPipwick]\r\nSleep=100\r\nDuration=7000\r\n", true, 7000, false},
        {"[zoPipwick]\r\nSleep=100\r\nDuration=0\r\n", true, 10000, false},   // the 10 s our icon always had
        {"[zoPipwick]\r\nSleep=100\r\nDuration=7000\r\n", false, 7000, false},
        {"[zoPipwick]\r\nSleep=100\r\nDuration=20000\r\n", true, 20000, true},
    };
    const PollAnswer script[] = {{StatePlaying, song}, {StatePlaying, song}, {StatePlaying, nextSong}};
    for (const Row& row : rows) {
        CAPTURE(row.settings);
        CAPTURE(row.playerIcon);
        StandInPlayer player(row.settings);
        if (!row.playerIcon) hideSimulatedIcon(player.window, playerIconId);
        REQUIRE(controlPluginClock(player.plugin.module, clockStart));
        player.init(script, COUNT(script));
        REQUIRE(runPlayerUntilPolls(2));
        setPluginClock(clockStart + 5000);
        REQUIRE(runPlayerUntilPolls(5));
        if (!row.quitFirst) {
            setPluginClock(clockStart + 5000 + row.stays);
            REQUIRE(runPlayerUntilPolls(7));
        }
        player.quit();
        REQUIRE(shellCallCount() >= 1);
        std::string own = "#" + std::to_string(shellCall(0).notice.uID);
        CHECK(balloons() == "1:add" + own + ":" + songTip + " | 3:delete" + own + " | 3:add" + own + ":" + nextTip + " | 5:delete" + own);
        CHECK(shellCall(0).notice.uID != playerIconId);
        CHECK(shellCall(0).notice.hWnd != player.window);
        CHECK(simulatedIconCount() == (row.playerIcon ? 1 : 0));
    }
}

TEST_CASE("win10: over 20 songs and their pauses never more than one icon of ours")
{
    REQUIRE(windowsMajorVersion() == 10);
    static char titles[40][64];
    static PollAnswer script[40];
    for (int i = 0; i < 40; ++i) {
        snprintf(titles[i], sizeof titles[i], "%d. Artist - Song %d - Winamp", i / 2, i / 2);
        script[i] = {i % 4 == 3 ? StatePaused : StatePlaying, titles[i]};
    }
    StandInPlayer player("[zoPipwick]\r\nSleep=100\r\n");
    shortenPluginPauses();
    observeShellCalls([](const ShellCall&) { CHECK(simulatedIconCount() <= 2); });
    player.init(script, COUNT(script));
    REQUIRE(runPlayerUntilPolls(COUNT(script) + 1));
    player.quit();
    observeShellCalls(nullptr);
    int added = 0;
    for (LONG i = 0; i < shellCallCount(); ++i) {
        CHECK(shellCall(i).notice.uID != playerIconId);
        added += shellCall(i).message == NIM_ADD;
    }
    CHECK(added == 30);   // 20 songs, 10 pauses
    CHECK(simulatedIconCount() == 1);   // the player's own
}
