// The plug-in in the stand-in player: which balloons appear when, the notice passed to the shell,
// and the watcher's life from init to quit.
#include "standin.h"
#include <string.h>
#include <vector>

namespace {

const char song[] = "12. Some Artist - Some Song - Winamp";
const char songTip[] = " Some Artist - Some Song";
const char nextSong[] = "13. Other Artist - Next Song - Winamp";
const char nextTip[] = " Other Artist - Next Song";
const PollAnswer steadySong[] = {{StatePlaying, song}};
const char kino[] = "1. Кино - Группа крови - Winamp";
#define COUNT(array) static_cast<int>(sizeof(array) / sizeof((array)[0]))

}  // namespace

TEST_CASE("at the first poll: a stopped player raises nothing, a paused one the paused text, a playing one the song")
{
    const PollAnswer stopped[] = {{StateStopped, "Winamp"}};
    CHECK(balloonsFor(stopped, COUNT(stopped)) == "");
    const PollAnswer paused[] = {{StatePaused, "Winamp"}};
    CHECK(balloonsFor(paused, COUNT(paused)) == "1:Playback paused.");
    const PollAnswer playing[] = {{StatePlaying, song}};
    CHECK(balloonsFor(playing, COUNT(playing)) == std::string("1:") + songTip);
}

TEST_CASE("pause and resume of the same song shows the song, the paused text and the song again")
{
    const PollAnswer script[] = {{StatePlaying, song}, {StatePlaying, song}, {StatePaused, song},
                                 {StatePlaying, song}, {StatePlaying, nextSong}};
    CHECK(balloonsFor(script, COUNT(script)) ==
          std::string("1:") + songTip + " | 3:Playback paused. | 4:" + songTip + " | 5:" + nextTip);
}

TEST_CASE("a title that changes within the settle time raises nothing until one stays put")
{
    const PollAnswer script[] = {{StatePlaying, song, nextSong}, {StatePlaying, nextSong, song},
                                 {StatePlaying, song}, {StatePlaying, song}};
    CHECK(balloonsFor(script, COUNT(script)) == std::string("3:") + songTip);
    // Each new title is read twice (first read and settle re-read); a known one once.
    CHECK(titleReads() == 2 + 2 + 2 + 1 + 1);
}

TEST_CASE("stop and pause: stopped twice raises nothing, paused then stopped raises both texts")
{
    const PollAnswer script[] = {{StateStopped, "Winamp"}, {StateStopped, "Winamp"}, {StatePaused, "Winamp"},
                                 {StatePaused, "Winamp"}, {StateStopped, "Winamp"}, {StateStopped, "Winamp"},
                                 {StatePlaying, song}, {StateStopped, "Winamp"}};
    CHECK(balloonsFor(script, COUNT(script)) ==
          std::string("3:Playback paused. | 5:Playback stopped. | 7:") + songTip + " | 8:Playback stopped.");
    CHECK(titleReads() == 2);   // the title is read only while playing
}

TEST_CASE("unknown play-state answers count as stopped, and a change between two of them raises it again")
{
    const PollAnswer script[] = {{StatePlaying, song}, {7, song}, {9, song}, {9, song}, {StateStopped, song},
                                 {2, song}};
    CHECK(balloonsFor(script, COUNT(script)) ==
          std::string("1:") + songTip + " | 2:Playback stopped. | 3:Playback stopped. | 5:Playback stopped. | 6:Playback stopped.");
}

TEST_CASE("a title that names no song raises nothing and leaves the state unrecorded")
{
    const PollAnswer notASong[] = {{StateStopped, "Winamp"}, {StatePlaying, "Winamp"}, {StateStopped, "Winamp"}};
    CHECK(balloonsFor(notASong, COUNT(notASong)) == "");

    // A stream that connects and buffers between songs: the song shows again after the status titles.
    const PollAnswer stream[] = {{StatePlaying, "[Connecting] 1. Radio - Winamp"}, {StatePlaying, song},
                                 {StatePlaying, "[Buffer: 40%] 12. Some Artist - Some Song - Winamp"},
                                 {StatePlaying, song}, {StatePlaying, "1. Radio [HTTP/1.1 503] - Winamp"},
                                 {StatePaused, song}};
    CHECK(balloonsFor(stream, COUNT(stream)) ==
          std::string("2:") + songTip + " | 4:" + songTip + " | 6:Playback paused.");
}

TEST_CASE("the notice as passed to the shell, from a renamed copy's own settings file")
{
    StandInPlayer player("[Other]\r\nSimple=1\r\n[zoPipwick]\r\nSimple=0\r\nSleep=100\r\nDuration=7000\r\n",
                         "gen_Moved Elsewhere.dll");
    const PollAnswer script[] = {{StatePlaying, song}, {StatePlaying, kino}, {StateStopped, "Winamp"}};
    player.init(script, COUNT(script));
    REQUIRE(runPlayerUntilPolls(4));
    player.quit();

    REQUIRE(shellCallCount() == 3);
    // The same notice, and for a title the code page cannot spell its wide form (whose fields but the
    // texts the recorder copies into `notice`).
    for (LONG i : {0, 1}) {
        CAPTURE(i);
        const ShellCall& call = shellCall(i);
        CHECK(call.wide == (i == 1));
        CHECK(call.message == NIM_MODIFY);
        CHECK(call.notice.cbSize == (call.wide ? wideNoticeSize : noticeSize));
        CHECK(call.notice.hWnd == player.window);
        CHECK(call.notice.uID == 502);
        CHECK(call.notice.uFlags == NIF_INFO);
        CHECK(call.notice.uTimeout == 7000);
        CHECK(call.notice.dwInfoFlags == (NIIF_INFO | NIIF_NOSOUND));
        CHECK(call.notice.uCallbackMessage == 0);
        CHECK(call.notice.hIcon == nullptr);
        CHECK(call.notice.dwState == 0);
        CHECK(call.notice.dwStateMask == 0);
    }
    CHECK(std::string(shellCall(0).notice.szInfoTitle) == "Winamp");
    CHECK(std::string(shellCall(0).notice.szInfo) == "Artist:  Some Artist\r\nTitle:  Some Song");
    CHECK(shellCall(0).notice.szTip[0] == '\0');
    CHECK(utf8(shellCall(1).wideNotice.szInfoTitle) == "Winamp");
    CHECK(utf8(shellCall(1).wideNotice.szInfo) == "Artist:  Кино\r\nTitle:  Группа крови");
    CHECK(shellCall(1).wideNotice.szTip[0] == L'\0');
    CHECK(std::string(shellCall(2).notice.szInfo) == "Playback stopped.");
}

TEST_CASE("quiet unless \"Sound\" is on: every balloon, on either icon, in either form; Windows 2000's shell as before")
{
    struct Row {
        const char* settings;
        int shellVersion;
        bool playerIcon;
        DWORD flags;
    };
    const Row rows[] = {
        {"[zoPipwick]\r\nSleep=100\r\n", realAnswer, true, NIIF_INFO | NIIF_NOSOUND},
        {"[zoPipwick]\r\nSleep=100\r\nSound=1\r\n", realAnswer, true, NIIF_INFO},
        {"[zoPipwick]\r\nSleep=100\r\n", realAnswer, false, NIIF_INFO | NIIF_NOSOUND},
        {"[zoPipwick]\r\nSleep=100\r\nSound=7\r\n", realAnswer, false, NIIF_INFO},
        {"[zoPipwick]\r\nSleep=100\r\n", 5, true, NIIF_INFO},
        {"[zoPipwick]\r\nSleep=100\r\n", 6, false, NIIF_INFO | NIIF_NOSOUND},
    };
    const PollAnswer script[] = {{StatePlaying, song}, {StatePaused, song}, {StateStopped, "Winamp"},
                                 {StatePlaying, kino}};
    for (const Row& row : rows) {
        CAPTURE(row.settings);
        CAPTURE(row.shellVersion);
        CAPTURE(row.playerIcon);
        StandInPlayer player(row.settings);
        answerShellVersion(row.shellVersion);
        if (!row.playerIcon) hideSimulatedIcon(player.window, playerIconId);
        player.init(script, COUNT(script));
        REQUIRE(runPlayerUntilPolls(COUNT(script) + 1));
        player.quit();
        int balloonsShown = 0;
        for (LONG i = 0; i < shellCallCount(); ++i) {
            const ShellCall& call = shellCall(i);
            if (!(call.notice.uFlags & NIF_INFO)) continue;
            CAPTURE(describeCall(call));
            CHECK(call.notice.dwInfoFlags == row.flags);
            balloonsShown += call.result;
        }
        CHECK(balloonsShown == COUNT(script));
    }
}

TEST_CASE("a balloon only while the user can see it, and with \"Background\" while no window of the player's is in front")
{
    enum Front { Nothing, PlayerWindow, Playlist, OtherProcess };
    struct Row {
        const char* settings;
        int state;   // QUNS_*, or the shell's function failing or missing
        Front front;
        bool shown;  // at once; what was missed never shows later
    };
    const char background[] = "[zoPipwick]\r\nSleep=100\r\nBackground=1\r\n";
    const int accepts = QUNS_ACCEPTS_NOTIFICATIONS;
    const Row rows[] = {
        {quickSettings, QUNS_NOT_PRESENT, Nothing, false}, {quickSettings, QUNS_BUSY, Nothing, false},
        {quickSettings, QUNS_RUNNING_D3D_FULL_SCREEN, Nothing, false}, {quickSettings, QUNS_PRESENTATION_MODE, Nothing, false},
        {quickSettings, QUNS_QUIET_TIME, Nothing, false}, {quickSettings, QUNS_APP, Nothing, false},
        {quickSettings, accepts, Nothing, true}, {quickSettings, notificationStateFails, Nothing, true},
        {quickSettings, notificationStateMissing, Nothing, true}, {quickSettings, accepts, PlayerWindow, true},
        {background, accepts, PlayerWindow, false}, {background, accepts, Playlist, false},
        {background, accepts, OtherProcess, true}, {background, accepts, Nothing, true},
    };
    const PollAnswer script[] = {{StatePaused, song}, {StatePlaying, song}, {StatePlaying, song},
                                 {StatePlaying, song}, {StatePlaying, nextSong}};
    HWND playlist = CreateWindowExA(0, "STATIC", "Playlist", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    for (const Row& row : rows) {
        CAPTURE(row.settings);
        CAPTURE(row.state);
        CAPTURE(row.front);
        StandInPlayer player(row.settings);
        HWND fronts[] = {nullptr, player.window, playlist, GetDesktopWindow()};   // the desktop's is explorer's
        answerNotificationState(row.state);
        answerForegroundWindow(fronts[row.front]);
        player.init(script, COUNT(script));
        REQUIRE(runPlayerUntilPolls(3));   // the pause and the song have had their turn
        if (row.state > 0) answerNotificationState(accepts);   // the user is back...
        answerForegroundWindow(nullptr);                        // ...and the player behind
        REQUIRE(runPlayerUntilPolls(COUNT(script) + 1));
        player.quit();
        CHECK(balloons() == (row.shown ? std::string("1:Playback paused. | 2:") + songTip + " | " : std::string()) +
                                "5:" + nextTip);
    }
    DestroyWindow(playlist);
}

TEST_CASE("titles outside the code page go wide and whole, and two that differ only there are two songs")
{
    REQUIRE(GetACP() == 1252);
    const char japanese[] = "2. 坂本九 - 上を向いて - Winamp";
    const PollAnswer script[] = {{StatePlaying, kino}, {StatePlaying, japanese},
                                 {StatePlaying, "3. Emoji - 😀 - Winamp"}, {StatePlaying, "3. Emoji - 😁 - Winamp"},
                                 {StatePlaying, "4. Café - Winamp"}};
    CHECK(balloonsFor(script, COUNT(script)) ==
          "1:W: Кино - Группа крови"
          " | 2:W: 坂本九 - 上を向いて | 3:W: Emoji - 😀 | 4:W: Emoji - 😁"
          " | 5: Caf\xE9");
    CHECK(balloonsFor(script, 2, "[zoPipwick]\r\nSimple=0\r\nSleep=100\r\n") ==
          "1:W:Artist:  Кино\r\nTitle:  Группа крови"
          " | 2:W:Artist:  坂本九\r\nTitle:  上を向いて");
}

TEST_CASE("\"Active\"=0 starts no watcher, and quit returns with none")
{
    StandInPlayer player("[zoPipwick]\r\nActive=0\r\nSleep=100\r\n");
    const PollAnswer script[] = {{StatePaused, "Winamp"}};
    player.init(script, COUNT(script));
    CHECK(countNewThreads(player.threadsBefore) == 0);
    player.quit();
    CHECK(pollsAnswered() == 0);
    CHECK(shellCallCount() == 0);
}

TEST_CASE("quit ends the watcher before it returns, even with a 30-second interval")
{
    StandInPlayer player("[zoPipwick]\r\nSleep=30000\r\n");
    const PollAnswer script[] = {{StatePlaying, song}};
    player.init(script, COUNT(script));
    CHECK(countNewThreads(player.threadsBefore) == 1);
    player.quit();   // the watcher is in its first pause: the stop request ends it without a poll
    CHECK(countNewThreads(player.threadsBefore) == 0);
    CHECK(pollsAnswered() == 0);
}

TEST_CASE("quit while the watcher waits for the player's thread, then FreeLibrary at once")
{
    StandInPlayer player("[zoPipwick]\r\nSleep=1000\r\n");   // quit's bound, ample on a loaded machine
    const PollAnswer script[] = {{StatePlaying, song}, {StatePlaying, song}};
    player.init(script, COUNT(script));
    REQUIRE(runPlayerUntilPolls(2));
    // Leave the next message unanswered: the watcher now waits on this thread.
    REQUIRE(MsgWaitForMultipleObjects(0, nullptr, FALSE, 30000, QS_SENDMESSAGE) == WAIT_OBJECT_0);
    player.quit();
    player.running = false;
    CHECK(countNewThreads(player.threadsBefore) == 0);
    FreeLibrary(player.plugin.module);
    player.plugin.module = LoadLibraryA("kernel32.dll");   // the fixture's own FreeLibrary stays harmless
    CHECK(GetModuleHandleA(player.dllPath) == nullptr);
    CHECK(shellCallCount() == 1);
}

namespace {

HANDLE releasePlayer;
HANDLE queryPending;
HWND hungPlayerWindow;

DWORD WINAPI hungPlayerThread(LPVOID ready)
{
    hungPlayerWindow = createPlayerWindow();
    SetEvent(static_cast<HANDLE>(ready));
    // A player busy elsewhere: it notices the watcher's query but answers nothing until released.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_SENDMESSAGE);
    SetEvent(queryPending);
    WaitForSingleObject(releasePlayer, INFINITE);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}

}  // namespace

TEST_CASE("a watcher still waiting on a hung player after quit keeps the module loaded until it ends, even deeper than MAX_PATH")
{
    char built[MAX_PATH];
    builtPluginPath(built, MAX_PATH);
    for (size_t depth : {size_t(0), size_t(300)}) {
        CAPTURE(depth);
        std::wstring folder = depth ? folderOfLength(depth) : scratchFolderNamed(L"player");
        std::wstring dll = folder + L"\\gen_Pipwick.dll";
        REQUIRE(CopyFileW(widePath(built).c_str(), dll.c_str(), FALSE));
        writeTextFile(folder + L"\\plugin.ini", quickSettings);   // too deep for it: the defaults apply
        HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        releasePlayer = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        queryPending = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE playerThread = CreateThread(nullptr, 0, hungPlayerThread, ready, 0, nullptr);
        WaitForSingleObject(ready, INFINITE);

        LoadedPlugin plugin;
        REQUIRE(loadPlugin(dll.c_str(), hungPlayerWindow, &plugin));
        ThreadList before;
        listProcessThreads(&before);
        scriptPolls(steadySong, 1);
        plugin.record->init();
        DWORD watcher = firstNewThread(before);
        REQUIRE(watcher != 0);
        REQUIRE(WaitForSingleObject(queryPending, 30000) == WAIT_OBJECT_0);
        plugin.record->quit();   // waits one interval, then gives up on the stuck watcher
        FreeLibrary(plugin.module);
        CHECK(GetModuleHandleW(dll.c_str()) != nullptr);   // the watcher's own reference
        SetEvent(releasePlayer);
        CHECK(threadEnds(watcher));
        CHECK(GetModuleHandleW(dll.c_str()) == nullptr);

        PostThreadMessageA(GetThreadId(playerThread), WM_QUIT, 0, 0);
        WaitForSingleObject(playerThread, 30000);
        CloseHandle(playerThread);
        CloseHandle(ready);
        CloseHandle(releasePlayer);
        CloseHandle(queryPending);
    }
}

TEST_CASE("codepages: each text in the code page where it spells the whole text, else wide: Russian, Russian under a Western code page, Japanese")
{
    struct Row {
        UINT codePage;
        WORD language;   // of the user interface, which picks the resources
        const char* settings;
        std::vector<PollAnswer> script;
        std::string expected;
    };
    const char lines[] = "[zoPipwick]\r\nSimple=0\r\nSleep=100\r\n";
    const char mötley[] = "2. Mötley Crüe - Kickstart My Heart - Winamp";
    const std::vector<PollAnswer> russianScript = {{StatePlaying, kino}, {StatePlaying, mötley}, {StatePlaying, song},
                                                   {StatePaused, "Winamp"}, {StateStopped, "Winamp"}};
    // 300 characters: more than the ANSI buffer holds in a double-byte code page, suffix and all.
    std::string hiragana;
    for (int i = 0; i < 300; ++i) hiragana += "あ";
    const std::string longTitle = "1. " + hiragana + " - Winamp";
    const std::vector<PollAnswer> japaneseScript = {{StatePlaying, longTitle.c_str()},
                                                    {StatePlaying, "2. 坂本九 - 上を向いて - Winamp"}};
    const Row rows[] = {
        {1251, LANG_RUSSIAN, lines, russianScript,
         "1:\xC8\xF1\xEF\xEE\xEB\xED\xE8\xF2\xE5\xEB\xFC:  \xCA\xE8\xED\xEE\r\n"
         "\xCD\xE0\xE7\xE2\xE0\xED\xE8\xE5:  \xC3\xF0\xF3\xEF\xEF\xE0 \xEA\xF0\xEE\xE2\xE8"
         " | 2:W:Исполнитель:  Mötley Crüe\r\nНазвание:  Kickstart My Heart"
         " | 3:\xC8\xF1\xEF\xEE\xEB\xED\xE8\xF2\xE5\xEB\xFC:  Some Artist\r\n\xCD\xE0\xE7\xE2\xE0\xED\xE8\xE5:  Some Song"
         " | 4:\xC2\xEE\xF1\xEF\xF0\xEE\xE8\xE7\xE2\xE4\xE5\xED\xE8\xE5 \xEF\xF0\xE8\xEE\xF1\xF2\xE0\xED\xEE\xE2\xEB\xE5\xED\xEE."
         " | 5:\xC2\xEE\xF1\xEF\xF0\xEE\xE8\xE7\xE2\xE5\xE4\xE5\xED\xE8\xE5 \xEE\xF1\xF2\xE0\xED\xEE\xE2\xEB\xE5\xED\xEE."},
        // Code page 1252 cannot spell the Russian format: every two-line balloon goes wide, Latin ones too.
        {1252, LANG_RUSSIAN, lines, russianScript,
         "1:W:Исполнитель:  Кино\r\nНазвание:  Группа крови | 2:W:Исполнитель:  Mötley Crüe\r\nНазвание:  Kickstart My Heart"
         " | 3:W:Исполнитель:  Some Artist\r\nНазвание:  Some Song | 4:W:Воспроизвдение приостановлено."
         " | 5:W:Воспроизведение остановлено."},
        {1252, LANG_RUSSIAN, quickSettings, {{StatePlaying, song}, {StatePlaying, mötley}},
         std::string("1:") + songTip + " | 2: M\xF6tley Cr\xFC" "e - Kickstart My Heart"},
        {932, LANG_JAPANESE, quickSettings, japaneseScript,
         "1:W: " + hiragana.substr(0, 254 * 3) + " | 2: \x8D\xE2\x96{\x8B\xE3 - \x8F\xE3\x82\xF0\x8C\xFC\x82\xA2\x82\xC4"},
    };
    int rowsRun = 0;
    for (const Row& row : rows) {
        if (row.codePage != GetACP() || row.language != PRIMARYLANGID(GetUserDefaultUILanguage())) continue;
        CAPTURE(row.settings);
        ++rowsRun;
        CHECK(balloonsFor(row.script.data(), static_cast<int>(row.script.size()), row.settings) == row.expected);
        const ShellCall& first = shellCall(0);
        CHECK((first.wide ? utf8(first.wideNotice.szInfoTitle) : std::string(first.notice.szInfoTitle)) == "Winamp");
    }
    CHECK(rowsRun > 0);
}

namespace {

// The player as it loads a plug-in from a folder of its own (no copy): the first balloon it shows.
std::string firstBalloonFromPluginAt(const std::wstring& dll)
{
    HWND window = createPlayerWindow();
    LoadedPlugin plugin;
    REQUIRE(loadPlugin(dll.c_str(), window, &plugin));
    REQUIRE(recordShellCalls(plugin.module));
    useTray(Tray::Simulated);
    showSimulatedIcon(window, playerIconId);
    clearShellCalls();
    scriptPolls(steadySong, 1);
    plugin.record->init();
    REQUIRE(runPlayerUntilPolls(2));
    plugin.record->quit();
    FreeLibrary(plugin.module);
    DestroyWindow(window);
    return balloons();
}

}  // namespace

TEST_CASE("a Plugins folder named outside the code page: the plug-in reads its settings there")
{
    REQUIRE(GetACP() == 1252);
    std::wstring folder = scratchFolderNamed(L"Плагины");
    char built[MAX_PATH];
    builtPluginPath(built, MAX_PATH);
    REQUIRE(CopyFileW(widePath(built).c_str(), (folder + L"\\gen_Pipwick.dll").c_str(), FALSE));
    writeTextFile(folder + L"\\plugin.ini", "[zoPipwick]\r\nSimple=0\r\nSleep=100\r\n");
    CHECK(firstBalloonFromPluginAt(folder + L"\\gen_Pipwick.dll") == "1:Artist:  Some Artist\r\nTitle:  Some Song");
}

// Run by tests/check-setup.sh after the setup program has installed the plug-in.
TEST_CASE("installed: the plug-in the setup program left in the player's Plugins folder shows a balloon")
{
    char path[MAX_PATH];
    REQUIRE(GetEnvironmentVariableA("PIPWICK_INSTALLED_DLL", path, MAX_PATH) > 0);
    CHECK(firstBalloonFromPluginAt(widePath(path)) == std::string("1:") + songTip);
}
