// The balloon in the user's own words: "TextFormat" and "TitleFormat" formatted by the player from the
// song file's tags, and today's text and title wherever the player gives nothing.
#include "standin.h"
#include "tags.h"

namespace {

#define COUNT(array) static_cast<int>(sizeof(array) / sizeof((array)[0]))

const char song[] = "12. Some Artist - Some Song - Winamp";
const char songTip[] = " Some Artist - Some Song";
const char kino[] = "1. Кино - Группа крови - Winamp";

std::string repeated(const char* text, int times)
{
    std::string all;
    for (int i = 0; i < times; ++i) all += text;
    return all;
}

// A balloon's title line, either form.
std::string balloonTitle(const ShellCall& call)
{
    return call.wide ? utf8(call.wideNotice.szInfoTitle) : std::string(call.notice.szInfoTitle);
}

}  // namespace

TEST_CASE("the user's own text and title from the song's tags, today's wherever the player gives nothing")
{
    // A thousand units with a surrogate pair where each cut falls: 255 for the text, 63 for the title.
    const std::string longTitle = repeated("a", 254) + "😀" + repeated("b", 744);
    const std::string longAlbum = repeated("a", 62) + "😀" + repeated("b", 936);
    const std::string longTags = "title=" + longTitle + "\nalbum=" + longAlbum;
    const SongTags tags[] = {
        {"C:\\Music\\Kino\\song.mp3", "artist=Кино\ntitle=Звезда по имени Солнце\nalbum=Группа крови\nyear=1988"},
        {"C:\\Music\\long.mp3", longTags.c_str()},
        {"C:\\Music\\percent.mp3", "artist=%s%n%x\ntitle=Song"},
    };
    struct Row {
        const char* what;
        const char* formats;   // the settings file's lines
        const char* file;      // the playing file, or null for none
        bool playerFormats;    // false: a player that leaves the output untouched
        std::string text, title;
        LONG requests;
    };
    const std::string today = std::string(songTip);
    const Row rows[] = {
        {"text and title", "TextFormat=%artist% - %title% (%album%)\r\nTitleFormat=%title%\r\n", tags[0].file, true,
         "W:Кино - Звезда по имени Солнце (Группа крови)", "Звезда по имени Солнце", 2},
        {"a title that comes out empty", "TextFormat=%title%\r\nTitleFormat=%composer%\r\n", tags[0].file, true,
         "W:Звезда по имени Солнце", "Winamp", 2},
        {"a title of its own over today's text", "TitleFormat=%year%\r\n", tags[0].file, true, "W:" + today, "1988", 1},
        {"a stream", "TextFormat=%title%\r\nTitleFormat=%title%\r\n", "http://radio.example/stream", true, today, "Winamp", 0},
        {"no file name", "TextFormat=%title%\r\nTitleFormat=%title%\r\n", nullptr, true, today, "Winamp", 0},
        {"a player that leaves the output alone", "TextFormat=%title%\r\nTitleFormat=%title%\r\n", tags[0].file, false,
         today, "Winamp", 2},
        {"only blanks", "TextFormat=\\u0020%composer%\\u0020\r\n", tags[0].file, true, today, "Winamp", 1},
        {"cut on a character", "TextFormat=%title%\r\nTitleFormat=%album%\r\n", tags[1].file, true,
         "W:" + repeated("a", 254), repeated("a", 62), 2},
        {"a tag that looks like a format", "TextFormat=%artist% - %title%\r\n", tags[2].file, true, "W:%s%n%x - Song", "Winamp", 1},
        {"a Russian format under the Western code page",
         "TextFormat=\\u0421\\u0435\\u0439\\u0447\\u0430\\u0441: %title%\r\n", tags[0].file, true,
         "W:Сейчас: Звезда по имени Солнце", "Winamp", 1},
        {"both empty: as before", "TextFormat=\r\nTitleFormat=\r\n", tags[0].file, true, today, "Winamp", 0},
    };
    REQUIRE(GetACP() == 1252);
    for (const Row& row : rows) {
        std::string what = row.what;
        CAPTURE(what);
        std::string settings = std::string("[zoPipwick]\r\nSleep=100\r\nCover=0\r\n") + row.formats;
        answerSongTags(row.playerFormats ? tags : nullptr, COUNT(tags));
        // Then a song without a file and a pause: each with today's text and title again.
        const PollAnswer script[] = {{StatePlaying, song, nullptr, row.file}, {StatePlaying, kino}, {StatePaused, kino}};
        CHECK(balloonsFor(script, COUNT(script), settings.c_str()) ==
              "1:" + row.text + " | 2:W: Кино - Группа крови | 3:Playback paused.");
        REQUIRE(shellCallCount() == 3);
        CHECK(balloonTitle(shellCall(0)) == row.title);
        CHECK(balloonTitle(shellCall(1)) == "Winamp");
        CHECK(balloonTitle(shellCall(2)) == "Winamp");
        CHECK(shellCall(0).notice.cbSize == (shellCall(0).wide ? wideNoticeSize : noticeSize));
        CHECK(formatRequests() == row.requests);
        CHECK(std::string(formatRequestFault()) == "");
        // With covers off, the file is asked for only where a format is set.
        CHECK((fileRequests() == 0) == (what == "both empty: as before"));
    }
    answerSongTags(nullptr, 0);
}
