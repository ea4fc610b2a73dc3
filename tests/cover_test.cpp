// The song's cover in its balloon: from the shell's picture of the file or from a picture beside it,
// carried as the balloon's own icon in Vista's notice; a stream, a broken picture or an older Windows
// leave the notice exactly as without covers.
#include "standin.h"
#include <shobjidl.h>
#include "pictures.h"

namespace {

#define COUNT(array) static_cast<int>(sizeof(array) / sizeof((array)[0]))

const char song[] = "12. Some Artist - Some Song - Winamp";

// Blue is 300 by 200, green a square; the broken ones start as the blue JPEG. The bombs are small PNGs
// that declare 30,000 by 30,000 pixels, and 8,193 by 8,193 (which Wine would decode, in a third of a
// second).
enum Picture { NoPicture, Blue3x2Jpeg, GreenSquarePng, GreenSquareJpeg, ZeroBytes, Truncated, Corrupt, OverSixteenMiB,
               Bomb, JustTooLarge };

void writeSongPicture(const std::wstring& path, Picture picture)
{
    if (picture == NoPicture) return;
    if (picture == Bomb || picture == JustTooLarge) {
        UINT side = picture == Bomb ? 30000 : 8193;
        REQUIRE(::writePicture(path.c_str(), side, side, 0, true));
        return;
    }
    bool green = picture == GreenSquarePng || picture == GreenSquareJpeg;
    REQUIRE(::writePicture(path.c_str(), green ? 200 : 300, 200, green ? 0x00FF00 : 0x0000FF, picture == GreenSquarePng));
    std::string bytes = readTextFile(path);
    if (picture == ZeroBytes) bytes.clear();
    if (picture == Truncated) bytes.resize(64);                                  // a download cut short
    if (picture == Corrupt) bytes = "\xFF\xD8\xFF\xE0" + std::string(4000, '\x5A');   // a JPEG in name only
    if (picture == OverSixteenMiB) bytes.resize(16 * 1024 * 1024 + 1, '\0');     // still decodable
    writeTextFile(path, bytes);
}

// The colour a pixel mostly is: JPEG moves the values a little.
std::string colourOf(DWORD pixel)
{
    int red = (pixel >> 16) & 0xFF, green = (pixel >> 8) & 0xFF, blue = pixel & 0xFF;
    if (blue > 200 && red < 60 && green < 60) return "blue";
    if (green > 200 && red < 60 && blue < 60) return "green";
    if (red > 200 && green < 60 && blue < 60) return "red";
    return "other";
}

// NearMaxPath: the song's folder leaves room for "cover.png" beside it, not for "cover.jpeg".
enum SongFile { InFolder, Stream, LongerThanAPath, NoFileName, NearMaxPath };

}  // namespace

TEST_CASE("the cover: inside the file first, then beside it by name; none from streams, broken pictures, or before Vista")
{
    REQUIRE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    struct Row {
        const char* what;
        const wchar_t* firstName;
        Picture first;
        const wchar_t* secondName;
        Picture second;
        int embedded;   // the shell's picture of the file: its side, 0 for none, or the shell lacking it
        const char* settings;
        SongFile file;
        const char* cover;   // the colour the balloon's picture shows, or null for a plain balloon
    };
    const char cover[] = "[zoPipwick]\r\nSleep=100\r\n";
    const Row rows[] = {
        {"a cover beside the song", L"cover.jpg", Blue3x2Jpeg, nullptr, NoPicture, 0, cover, InFolder, "blue"},
        {"names in their order", L"front.jpg", Blue3x2Jpeg, L"folder.png", GreenSquarePng, 0, cover, InFolder, "green"},
        {"the last name", L"AlbumArtSmall.jpg", GreenSquareJpeg, nullptr, NoPicture, 0, cover, InFolder, "green"},
        {"inside the file wins", L"cover.jpg", Blue3x2Jpeg, nullptr, NoPicture, 64, cover, InFolder, "red"},
        {"Wine's 1x1 picture is none", L"cover.jpg", Blue3x2Jpeg, nullptr, NoPicture, 1, cover, InFolder, "blue"},
        {"no cover", nullptr, NoPicture, nullptr, NoPicture, 0, cover, InFolder, nullptr},
        {"a stream", L"cover.jpg", Blue3x2Jpeg, nullptr, NoPicture, 64, cover, Stream, nullptr},
        {"\"Cover\" 0", L"cover.jpg", Blue3x2Jpeg, nullptr, NoPicture, 64, "[zoPipwick]\r\nSleep=100\r\nCover=0\r\n", InFolder, nullptr},
        {"Windows 2000 and XP", L"cover.jpg", Blue3x2Jpeg, nullptr, NoPicture, shellItemsMissing, cover, InFolder, nullptr},
        {"zero bytes", L"cover.jpg", ZeroBytes, nullptr, NoPicture, 0, cover, InFolder, nullptr},
        {"truncated", L"cover.jpg", Truncated, nullptr, NoPicture, 0, cover, InFolder, nullptr},
        {"corrupt", L"cover.jpg", Corrupt, nullptr, NoPicture, 0, cover, InFolder, nullptr},
        {"a broken one gives way to the next", L"cover.jpg", Corrupt, L"folder.jpg", GreenSquareJpeg, 0, cover, InFolder, "green"},
        {"over 16 MiB", L"cover.jpg", OverSixteenMiB, nullptr, NoPicture, 0, cover, InFolder, nullptr},
        {"a decompression bomb", L"cover.png", Bomb, nullptr, NoPicture, 0, cover, InFolder, nullptr},
        {"one pixel more than a cover may have", L"cover.png", JustTooLarge, nullptr, NoPicture, 0, cover, InFolder, nullptr},
        {"a name too long for the path gives way to a shorter one", L"cover.png", GreenSquarePng, nullptr, NoPicture, 0,
         cover, NearMaxPath, "green"},
        {"a name longer than a path", L"cover.jpg", Blue3x2Jpeg, nullptr, NoPicture, 64, cover, LongerThanAPath, nullptr},
        {"no name from the player", L"cover.jpg", Blue3x2Jpeg, nullptr, NoPicture, 64, cover, NoFileName, nullptr},
    };
    for (const Row& row : rows) {
        std::string what = row.what;
        CAPTURE(what);
        std::wstring folder = row.file == NearMaxPath ? folderOfLength(MAX_PATH - 11) : scratchFolderNamed(L"songs");
        writeTextFile(folder + L"\\song.mp3", "");
        if (row.firstName) writeSongPicture(folder + L"\\" + row.firstName, row.first);
        if (row.secondName) writeSongPicture(folder + L"\\" + row.secondName, row.second);
        std::string files[] = {utf8((folder + L"\\song.mp3").c_str()), "http://radio.example/stream",
                               utf8(folder.c_str()) + "\\" + std::string(300, 'x') + ".mp3"};
        const char* file = row.file == NoFileName ? nullptr : row.file == NearMaxPath ? files[0].c_str() : files[row.file].c_str();
        const PollAnswer script[] = {{StatePlaying, song, nullptr, file}};
        StandInPlayer player(row.settings);
        answerEmbeddedPicture(row.embedded, 0xFF0000);
        player.init(script, 1);
        REQUIRE(runPlayerUntilPolls(3));
        player.quit();

        REQUIRE(shellCallCount() == 1);   // the one song, asked for its file only when its balloon was due
        CHECK(fileRequests() == (strstr(row.settings, "Cover=0") ? 0 : 1));
        const ShellCall& call = shellCall(0);
        CHECK(balloonText(call) == " Some Artist - Some Song");
        if (!row.cover) {   // exactly as without covers
            CHECK(call.notice.cbSize == noticeSize);
            CHECK(call.notice.dwInfoFlags == (NIIF_INFO | NIIF_NOSOUND));
            CHECK(call.notice.hBalloonIcon == nullptr);
            continue;
        }
        CHECK(call.notice.cbSize == sizeof(NOTIFYICONDATAA));   // Vista's
        CHECK(call.notice.dwInfoFlags == (NIIF_USER | NIIF_LARGE_ICON | NIIF_NOSOUND));
        CHECK(call.pictureSize.cx == GetSystemMetrics(SM_CXICON));
        CHECK(call.pictureSize.cy == GetSystemMetrics(SM_CYICON));
        CHECK(colourOf(call.pictureCentre) == row.cover);
        // The 3:2 picture leaves transparent margins; the squares fill the icon.
        CHECK((call.pictureCorner >> 24) == (std::string(row.cover) == "blue" ? 0u : 0xFFu));
        if (row.embedded > 1) CHECK((embeddedPictureFlagsAsked() & SIIGBF_THUMBNAILONLY) != 0);
    }
    CoUninitialize();
}

TEST_CASE("one cover icon alive at a time over 200 songs, in either form, and none once taken down or quit")
{
    std::wstring folder = scratchFolderNamed(L"songs");
    REQUIRE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    writeSongPicture(folder + L"\\cover.jpg", Blue3x2Jpeg);
    CoUninitialize();
    std::string file = utf8((folder + L"\\song.mp3").c_str());
    static char titles[200][64];
    static PollAnswer script[200];
    for (int i = 0; i < 200; ++i) {
        snprintf(titles[i], sizeof titles[i], i % 2 ? "%d. Кино - Song %d - Winamp" : "%d. Artist - Song %d - Winamp", i, i);
        script[i] = {StatePlaying, titles[i], nullptr, file.c_str()};
    }
    StandInPlayer player("[zoPipwick]\r\nSleep=100\r\nDuration=5000\r\n");
    shortenPluginPauses();
    answerEmbeddedPicture(0);
    observeShellCalls([](const ShellCall&) { CHECK(pluginIconsAlive() <= 2); });   // the new one, then the old goes
    player.init(script, COUNT(script));
    REQUIRE(runPlayerUntilPolls(COUNT(script) + 1));
    observeShellCalls(nullptr);
    CHECK(shellCallCount() == 200);
    CHECK(pluginIconsMade() == 200);
    CHECK(pluginIconsAlive() == 1);
    REQUIRE(controlPluginClock(player.plugin.module, GetTickCount() + 5000));   // its time is up
    REQUIRE(runPlayerUntilPolls(pollsAnswered() + 2));
    CHECK(describeCall(shellCall(shellCallCount() - 1)) == "down#502");
    CHECK(pluginIconsAlive() == 0);

    scriptPolls(script, 1);   // one more cover, and quit while it shows
    REQUIRE(runPlayerUntilPolls(2));
    CHECK(pluginIconsAlive() == 1);
    player.quit();
    CHECK(pluginIconsAlive() == 0);
}

TEST_CASE("a cover read from a slow share holds up neither quit nor the unload, and no balloon follows quit")
{
    std::wstring folder = scratchFolderNamed(L"share");
    std::string file = utf8((folder + L"\\song.mp3").c_str());
    const PollAnswer script[] = {{StatePlaying, song, nullptr, file.c_str()}};
    HANDLE slowShare = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    {
        StandInPlayer player(quickSettings);
        answerEmbeddedPicture(64, 0xFF0000);
        delayEmbeddedPicture(slowShare);
        player.init(script, 1);
        DWORD watcher = firstNewThread(player.threadsBefore);
        while (fileRequests() == 0) runPlayerFor(10);   // the balloon is due: its cover is being read
        player.quit();   // waits one interval at most, then leaves the watcher to end by itself
        FreeLibrary(player.plugin.module);
        CHECK(GetModuleHandleA(player.dllPath) != nullptr);   // the watcher's own reference
        player.plugin.module = LoadLibraryA("kernel32.dll");
        SetEvent(slowShare);
        CHECK(threadEnds(watcher));
        CHECK(GetModuleHandleA(player.dllPath) == nullptr);
        CHECK(shellCallCount() == 0);
        CHECK(pluginIconsAlive() == 0);
    }
    CloseHandle(slowShare);
}
