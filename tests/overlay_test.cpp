// Windows' media overlay fed from the watcher, through the stand-in's controls: what each song shows,
// the playback status, the buttons reaching the player as its commands, and the take-down at quit.
#include "standin.h"
#include <vector>
#include "controls.h"
#include "pictures.h"
#include "tags.h"

namespace {

#define COUNT(array) static_cast<int>(sizeof(array) / sizeof((array)[0]))

const char song[] = "12. Some Artist - Some Song - Winamp";
const char kino[] = "3. Кино - Группа крови - Winamp";

// The recorded lines that start with prefix ("" for all), and every fault.
std::vector<std::string> recordedLines(const char* prefix)
{
    std::vector<std::string> lines;
    std::string all = mediaControlsLog();
    for (size_t at = 0, end; (end = all.find('\n', at)) != std::string::npos; at = end + 1)
        if (all.compare(at, strlen(prefix), prefix) == 0) lines.push_back(all.substr(at, end - at));
    return lines;
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string all;
    for (const std::string& line : lines) all += line + "\n";
    return all;
}

// A song folder with a cover beside the song, and that song's tags.
struct SongFolder {
    std::wstring folder = scratchFolderNamed(L"overlay");
    std::string file = utf8((folder + L"\\song.mp3").c_str());
    std::string untagged = utf8((folder + L"\\untagged.mp3").c_str());
    SongTags tags[1] = {{file.c_str(), "title=Звезда по имени Солнце\nartist=Кино\nalbumartist=Кино\nalbum=Группа крови\ntrack=3/12"}};
    SongFolder()
    {
        REQUIRE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        REQUIRE(writePicture((folder + L"\\cover.jpg").c_str(), 300, 300, 0x0000FF));
        CoUninitialize();
        answerSongTags(tags, 1);
    }
    ~SongFolder() { answerSongTags(nullptr, 0); }
};

// The plug-in with the stand-in's controls; returns the shell calls as balloons() gives them.
std::string playWithControls(const PollAnswer* script, int count, const char* settings, MediaControls controls = MediaControls::StandIn)
{
    StandInPlayer player(settings);
    answerMediaControls(controls);
    answerEmbeddedPicture(0);
    clearMediaControlsLog();
    player.init(script, count);
    REQUIRE(runPlayerUntilPolls(count + 1));
    player.quit();
    CHECK(joined(recordedLines("FAULT")) == "");
    CHECK(mediaControlObjectsAlive() == 0);
    return balloons();
}

// Whether this Wine has media controls of its own, asked as the plug-in asks.
bool systemHasMediaControls()
{
    typedef HRESULT(WINAPI * CreateString)(const wchar_t*, UINT32, void**);
    typedef HRESULT(WINAPI * GetFactory)(void*, REFIID, void**);
    HMODULE combase = LoadLibraryW(L"combase.dll");
    auto create = reinterpret_cast<CreateString>(reinterpret_cast<void*>(GetProcAddress(combase, "WindowsCreateString")));
    auto factoryOf = reinterpret_cast<GetFactory>(reinterpret_cast<void*>(GetProcAddress(combase, "RoGetActivationFactory")));
    const wchar_t name[] = L"Windows.Media.SystemMediaTransportControls";
    const IID interop = {0xddb0472d, 0xc911, 0x4a1f, {0x86, 0xd9, 0xdc, 0x3d, 0x71, 0xa9, 0x5f, 0x5a}};
    void* string = nullptr;
    IUnknown* factory = nullptr;
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);   // as the watcher's thread is
    bool present = create && factoryOf && SUCCEEDED(create(name, COUNT(name) - 1, &string)) &&
                   SUCCEEDED(factoryOf(string, interop, reinterpret_cast<void**>(&factory))) && factory;
    if (factory) factory->Release();
    if (SUCCEEDED(com)) CoUninitialize();
    return present;
}

const char tagged[] = "Update: type 1 | title Звезда по имени Солнце | artist Кино | album artist Кино | album Группа крови | track 3";

}  // namespace

TEST_CASE("each song in the overlay: from its tags, else from the window title; its cover, and none after it; read once")
{
    SongFolder songs;
    struct Row {
        const char* what;
        const char* file;
        int embedded;   // the shell's picture of the file: its side, or 0 for none
        const char* settings;
        std::string update;   // of the second song, after a tagged one with its cover
        int pictures;         // the shell's picture asked for, of the second song
    };
    const char quick[] = "[zoPipwick]\r\nSleep=100\r\n";
    const Row rows[] = {
        {"the cover beside the song", songs.file.c_str(), 0, quick, std::string(tagged) + " | thumbnail png 256x256", 1},
        {"the cover inside the file", songs.file.c_str(), 64, quick, std::string(tagged) + " | thumbnail png 64x64", 1},
        {"no tags", songs.untagged.c_str(), 0, quick,
         "Update: type 1 | title Some Song | artist Some Artist | album artist  | album  | track 0 | thumbnail png 256x256", 1},
        {"a stream", "http://radio.example/stream", 64, quick,
         "Update: type 1 | title Some Song | artist Some Artist | album artist  | album  | track 0 | thumbnail none", 0},
        {"no file name", nullptr, 0, quick,
         "Update: type 1 | title Some Song | artist Some Artist | album artist  | album  | track 0 | thumbnail none", 0},
        {"covers off", songs.file.c_str(), 64, "[zoPipwick]\r\nSleep=100\r\nCover=0\r\n", std::string(tagged) + " | thumbnail none", 0},
    };
    for (const Row& row : rows) {
        std::string what = row.what;
        CAPTURE(what);
        const PollAnswer script[] = {{StatePlaying, kino, nullptr, songs.file.c_str()}, {StatePlaying, song, nullptr, row.file}};
        StandInPlayer player(row.settings);
        answerMediaControls(MediaControls::StandIn);
        answerEmbeddedPicture(0);
        clearMediaControlsLog();
        player.init(script, 1);
        REQUIRE(runPlayerUntilPolls(2));
        answerEmbeddedPicture(row.embedded);
        scriptPolls(script + 1, 1);
        REQUIRE(runPlayerUntilPolls(2));
        player.quit();
        std::vector<std::string> updates = recordedLines("Update:");
        REQUIRE(updates.size() == 3);   // the two songs, and the clearing at quit
        CHECK(updates[0] == std::string(tagged) + (strstr(row.settings, "Cover=0") ? " | thumbnail none" : " | thumbnail png 256x256"));
        // The overlay and the balloon from one read of each song: its file named once, its cover found once.
        CHECK(fileRequests() == 1);
        CHECK(embeddedPicturesAsked() == row.pictures);
        CHECK(updates[1] == row.update);
        CHECK(updates[2] == "Update: type 0 | title  | artist  | album artist  | album  | track 0 | thumbnail none");
        CHECK(joined(recordedLines("FAULT")) == "");
        CHECK(mediaControlObjectsAlive() == 0);
    }
}

TEST_CASE("the overlay's life: taken as the watcher starts, the status as the watcher sees it, cleared and let go at quit")
{
    const PollAnswer script[] = {{StatePlaying, song}, {StatePaused, song}, {StatePlaying, song}, {StateStopped, "Winamp"}};
    playWithControls(script, COUNT(script), quickSettings);
    CHECK(joined(recordedLines("activate")) ==
          "activate Windows.Media.SystemMediaTransportControls as ISystemMediaTransportControlsInterop\n"
          "activate Windows.Storage.Streams.RandomAccessStreamReference as IRandomAccessStreamReferenceStatics\n");
    CHECK(joined(recordedLines("Is")) == "IsEnabled 1\nIsPlayEnabled 1\nIsPauseEnabled 1\nIsStopEnabled 1\nIsNextEnabled 1\n"
                                         "IsPreviousEnabled 1\nIsEnabled 0\n");
    CHECK(joined(recordedLines("PlaybackStatus")) == "PlaybackStatus 3\nPlaybackStatus 4\nPlaybackStatus 3\nPlaybackStatus 2\nPlaybackStatus 0\n");
    std::vector<std::string> all = recordedLines("");
    REQUIRE(all.size() >= 5);
    CHECK(joined({all.end() - 5, all.end()}) == "remove_ButtonPressed\nClearAll\n"
                                                "Update: type 0 | title  | artist  | album artist  | album  | track 0 | thumbnail none\n"
                                                "PlaybackStatus 0\nIsEnabled 0\n");
    CHECK(!pressMediaButton(6));   // no handler of the module's stays with Windows
}

TEST_CASE("a button handler Windows still holds after quit: our icon gone as quit returns, the module kept loaded")
{
    // Quit waits one interval, shorter than the wait for Windows' handler.
    StandInPlayer player("[zoPipwick]\r\nSleep=400\r\n");
    answerMediaControls(MediaControls::StandIn);
    const PollAnswer playing[] = {{StatePlaying, song}};
    player.init(playing, 1);
    REQUIRE(runPlayerUntilPolls(2));
    REQUIRE(simulatedIconCount() == 2);   // the player's, and ours with the song's balloon
    IUnknown* held = holdButtonHandler();
    REQUIRE(held);
    DWORD watcher = firstNewThread(player.threadsBefore);
    player.quit();
    CHECK(simulatedIconCount() == 1);
    REQUIRE(threadEnds(watcher));
    FreeLibrary(player.plugin.module);
    player.plugin.module = LoadLibraryA("kernel32.dll");   // the fixture's own FreeLibrary stays harmless
    CHECK(GetModuleHandleA(player.dllPath) != nullptr);
    held->Release();
}

TEST_CASE("\"MediaControls\" 0, \"Balloons\" 0, and runtimes that fall short: the balloons, and the overlay, as each says")
{
    SongFolder songs;
    const PollAnswer script[] = {{StatePlaying, song, nullptr, songs.untagged.c_str()}, {StatePaused, song}};
    const std::string balloonsWithout = playWithControls(script, COUNT(script), "[zoPipwick]\r\nSleep=100\r\nMediaControls=0\r\n");
    CHECK(balloonsWithout == "1:add#1: Some Artist - Some Song | 2:delete#1 | 2:add#1:Playback paused. | 3:delete#1");
    CHECK(std::string(mediaControlsLog()) == "");   // never activated
    const int coverAt = 0;   // the song's balloon, on our icon (Windows 10)
    CHECK((shellCall(coverAt).notice.dwInfoFlags & NIIF_USER) != 0);

    struct Row {
        const char* what;
        MediaControls controls;
        const char* settings;
        bool balloons;
        const char* log;   // the recorded lines that begin with its first word
    };
    const Row rows[] = {
        {"activation that fails", MediaControls::ActivationFails, quickSettings, true,
         "activate Windows.Media.SystemMediaTransportControls as ISystemMediaTransportControlsInterop (class not registered)\n"},
        {"Balloons 0", MediaControls::StandIn, "[zoPipwick]\r\nSleep=100\r\nBalloons=0\r\n", false,
         "PlaybackStatus 3\nPlaybackStatus 4\nPlaybackStatus 0\n"},
        // Wine 10's: no thumbnail, and shcore's stubs would end the player; the rest as ever.
        {"a display without thumbnails", MediaControls::Wine10, quickSettings, true,
         "Update: type 1 | title Some Song | artist Some Artist | album artist  | album  | track 0 | thumbnail none\n"
         "Update: type 0 | title  | artist  | album artist  | album  | track 0 | thumbnail none\n"},
        {"GetForWindow with nothing", MediaControls::NullControls, quickSettings, true, "GetForWindow: success with nothing\n"},
        {"get_DisplayUpdater with nothing", MediaControls::NullDisplay, quickSettings, true, "get_DisplayUpdater: success with nothing\n"},
        {"get_MusicProperties with nothing", MediaControls::NullMusic, quickSettings, true,
         "get_MusicProperties: success with nothing\n"},
    };
    for (const Row& row : rows) {
        std::string what = row.what;
        CAPTURE(what);
        CHECK(playWithControls(script, COUNT(script), row.settings, row.controls) == (row.balloons ? balloonsWithout : ""));
        if (row.balloons) CHECK((shellCall(coverAt).notice.dwInfoFlags & NIIF_USER) != 0);
        std::string log = row.log;
        CHECK(joined(recordedLines(log.substr(0, log.find(' ')).c_str())) == log);
        // The one question, refused: nothing more of the route was tried.
        if (row.controls == MediaControls::Wine10) CHECK(joined(recordedLines("Thumbnail")) == "Thumbnail none (not implemented)\n");
    }
}

TEST_CASE("the system's own media controls, where this Wine has them: songs, pause, stop and quit as without them")
{
    const PollAnswer script[] = {{StatePlaying, song}, {StatePaused, song}, {StatePlaying, kino}, {StateStopped, "Winamp"}};
    const std::string without = playWithControls(script, COUNT(script), "[zoPipwick]\r\nSleep=100\r\nMediaControls=0\r\n");
    const char* met = systemHasMediaControls() ? "this Wine has media controls of its own (Wine 10 on): the plug-in used them"
                                               : "this Wine has no media controls (Wine 8): the plug-in went on without them";
    MESSAGE(std::string(met));
    CHECK(playWithControls(script, COUNT(script), quickSettings, MediaControls::System) == without);
}

// Run under Windows 7 and 10 alike.
TEST_CASE("libraries: each the module loads by itself is the system folder's, and before Windows 10 none for the overlay")
{
    wchar_t folder[MAX_PATH];
    REQUIRE(GetSystemDirectoryW(folder, MAX_PATH) > 0);
    std::string system = utf8(folder) + "\\";
    StandInPlayer player(quickSettings);
    answerMediaControls(MediaControls::StandIn);
    const PollAnswer playing[] = {{StatePlaying, song}};
    player.init(playing, 1);
    REQUIRE(runPlayerUntilPolls(2));
    player.quit();
    std::string expected = std::string(player.dllPath) + "\n";   // its own reference, by its full path
    if (windowsMajorVersion() >= 10) expected += system + "combase.dll\n" + system + "shcore.dll\n";
    CHECK(std::string(pluginLibraryLoads()) == expected);
}

TEST_CASE("each button, pressed on a thread of Windows' own, reaches the player as its own command for its state at the press")
{
    struct Row {
        int state;
        int button;
        const char* command;   // "" for none
        int inPlayer = -1;     // the state the user set in the player after the watcher's last poll
    };
    const Row rows[] = {
        {StatePlaying, 0, ""}, {StatePlaying, 1, "40046 "}, {StatePlaying, 2, "40047 "}, {StatePlaying, 6, "40048 "},
        {StatePlaying, 7, "40044 "}, {StatePlaying, 3, ""},
        {StatePaused, 0, "40046 "}, {StatePaused, 1, ""}, {StatePaused, 6, "40048 "},
        {StateStopped, 0, "40045 "}, {StateStopped, 1, ""}, {StateStopped, 7, "40044 "},
        // Paused in the player before the next poll: Pause must not resume, Play must.
        {StatePlaying, 1, "", StatePaused}, {StatePlaying, 0, "40046 ", StatePaused}, {StatePaused, 0, "", StatePlaying},
    };
    StandInPlayer player(quickSettings);
    answerMediaControls(MediaControls::StandIn);
    clearMediaControlsLog();
    const PollAnswer playing[] = {{StatePlaying, song}};
    player.init(playing, 1);
    for (const Row& row : rows) {
        CAPTURE(row.state);
        CAPTURE(row.button);
        const PollAnswer now[] = {{row.state, song}};
        scriptPolls(now, 1);
        REQUIRE(runPlayerUntilPolls(2));   // the watcher has seen the state
        CAPTURE(row.inPlayer);
        if (row.inPlayer >= 0) changePlayerState(row.inPlayer);
        clearPlayerCommands();
        REQUIRE(pressMediaButton(row.button));
        dispatchPlayerMessages();   // the handler posted before it returned
        CHECK(std::string(playerCommands()) == row.command);
    }
    player.quit();
    CHECK(joined(recordedLines("FAULT")) == "");
}

TEST_CASE("200 songs with covers: the stand-in's objects alive stay as many, and none after quit")
{
    SongFolder songs;
    static char titles[200][64];
    static PollAnswer script[200];
    for (int i = 0; i < 200; ++i) {
        snprintf(titles[i], sizeof titles[i], "%d. Artist - Song %d - Winamp", i, i);
        script[i] = {StatePlaying, titles[i], nullptr, i % 2 ? songs.file.c_str() : songs.untagged.c_str()};
    }
    static LONG fewest, most;
    fewest = 1000, most = 0;
    observeMediaControls([](const char* line) {
        if (strncmp(line, "Update: type 1", 14) != 0) return;
        LONG alive = mediaControlObjectsAlive();
        fewest = alive < fewest ? alive : fewest;
        most = alive > most ? alive : most;
    });
    StandInPlayer player(quickSettings);
    answerMediaControls(MediaControls::StandIn);
    clearMediaControlsLog();
    shortenPluginPauses();
    player.init(script, COUNT(script));
    REQUIRE(runPlayerUntilPolls(COUNT(script) + 1));
    player.quit();
    observeMediaControls(nullptr);
    CHECK(recordedLines("Update: type 1").size() == 200);
    CHECK(fewest == most);
    CHECK(mediaControlObjectsAlive() == 0);
    CHECK(joined(recordedLines("FAULT")) == "");
}
