// "Pipwick: show the current song" among the player's Global Hotkeys: the entry the plug-in adds, the
// balloon the key shows again, and nothing of the module after quit. Run as Windows 10, where every
// balloon rides on an icon of ours.
#include "standin.h"
#include "controls.h"
#include "hotkeys.h"

namespace {

#define COUNT(array) static_cast<int>(sizeof(array) / sizeof((array)[0]))

const char song[] = "12. Some Artist - Some Song - Winamp";
const char songTip[] = " Some Artist - Some Song";
const char action[] = "Pipwick_ShowSong";

// The key pressed on the player's thread; returns the shell calls it brought, as balloons() says.
// The media overlay is left alone.
std::string pressAndSee()
{
    LONG before = shellCallCount();
    size_t overlay = strlen(mediaControlsLog());
    REQUIRE(pressHotkey(action));
    REQUIRE(runPlayerUntilPolls(pollsAnswered() + 2));   // the poll the key brings, and the next
    CHECK(strlen(mediaControlsLog()) == overlay);
    std::string seen;
    for (LONG i = before; i < shellCallCount(); ++i) seen += (seen.empty() ? "" : " | ") + describeCall(shellCall(i));
    return seen;
}

}  // namespace

TEST_CASE("the key shows the song again, the player in front and balloons off too, or the paused text; nothing when stopped")
{
    StandInPlayer player("[zoPipwick]\r\nSleep=100\r\nBackground=1\r\nBalloons=0\r\n");
    answerMediaControls(MediaControls::StandIn);
    answerForegroundWindow(player.window);
    answerNotificationState(QUNS_ACCEPTS_NOTIFICATIONS);
    const PollAnswer playing[] = {{StatePlaying, song}};
    player.init(playing, 1);
    REQUIRE(runPlayerUntilPolls(2));
    CHECK(shellCallCount() == 0);
    CHECK(hotkeyEntriesPosted() == 1);
    CHECK(std::string(hotkeyEntryFault()) == "");
    REQUIRE(hotkeyActionName(action));
    CHECK(utf8(hotkeyActionName(action)) == "Pipwick: show the current song");

    std::string own = "#" + std::to_string(1);
    CHECK(pressAndSee() == "add" + own + ":" + songTip);
    CHECK(shellCall(0).notice.dwInfoFlags == (NIIF_INFO | NIIF_NOSOUND));
    CHECK(pressAndSee() == "delete" + own + " | add" + own + ":" + songTip);   // at most one of ours
    const PollAnswer paused[] = {{StatePaused, song}};
    scriptPolls(paused, 1);
    REQUIRE(runPlayerUntilPolls(2));
    CHECK(pressAndSee() == "delete" + own + " | add" + own + ":Playback paused.");
    const PollAnswer stopped[] = {{StateStopped, "Winamp"}};
    scriptPolls(stopped, 1);
    REQUIRE(runPlayerUntilPolls(2));
    CHECK(pressAndSee() == "");

    answerNotificationState(QUNS_BUSY);   // a full-screen program: the user would not see it
    scriptPolls(playing, 1);
    REQUIRE(runPlayerUntilPolls(2));
    CHECK(pressAndSee() == "");
    player.quit();
}

TEST_CASE("a player without Global Hotkeys, or one that numbers nothing, and the key after quit: nothing happens")
{
    for (GlobalHotkeys hotkeys : {GlobalHotkeys::Missing, GlobalHotkeys::NoNumbers}) {
        CAPTURE(static_cast<int>(hotkeys));
        StandInPlayer player(quickSettings);
        answerGlobalHotkeys(hotkeys);
        const PollAnswer playing[] = {{StatePlaying, song}};
        player.init(playing, 1);
        REQUIRE(runPlayerUntilPolls(2));
        CHECK(hotkeyEntriesPosted() == (hotkeys == GlobalHotkeys::Missing ? 1 : 0));
        CHECK(!pressHotkey(action));
        CHECK(shellCallCount() == 1);   // the song's balloon, as ever
        player.quit();
    }

    StandInPlayer player(quickSettings);
    const PollAnswer playing[] = {{StatePlaying, song}};
    player.init(playing, 1);
    REQUIRE(runPlayerUntilPolls(2));
    player.quit();
    WNDCLASSW registered;
    CHECK(!GetClassInfoW(player.plugin.module, L"Pipwick hotkey", &registered));
    FreeLibrary(player.plugin.module);
    player.plugin.module = LoadLibraryA("kernel32.dll");
    CHECK(pressHotkey(action));   // sent to a window that is gone: nothing of the module runs
}

TEST_CASE("ru: the action's name in Russian, passed wide")
{
    StandInPlayer player(quickSettings);
    const PollAnswer stopped[] = {{StateStopped, "Winamp"}};
    player.init(stopped, 1);
    REQUIRE(runPlayerUntilPolls(2));
    REQUIRE(hotkeyActionName(action));
    CHECK(utf8(hotkeyActionName(action)) == "Pipwick: показать текущую песню");
    player.quit();
}
