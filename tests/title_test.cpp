// Turning the player's title into the balloon's text: which titles are songs, and what the tip says.
#include <doctest/doctest.h>
#include <windows.h>
#include <stdio.h>
#include <string.h>
#include <random>
#include <string>
#include "../module/module.h"
#include "../watcher/title.h"

// The module's data that title extraction reads and writes; start-up fills them in the DLL.
NOTIFYICONDATAA balloonNotice;
char tipFormat[128];
NOTIFYICONDATAW wideBalloonNotice;
wchar_t wideTipFormat[128];

namespace {

const char englishFormat[] = "Artist: %s\r\nTitle: %s";
const char russianFormat[] = "\xC8\xF1\xEF\xEE\xEB\xED\xE8\xF2\xE5\xEB\xFC: %s\r\n\xCD\xE0\xE7\xE2\xE0\xED\xE8\xE5: %s";
const unsigned char sentinel = 0xCD;
const char rejected[] = "<rejected>";

// Runs extraction on a 512-byte copy of title, as the watcher does, on a notice full of sentinels.
std::string extract(const std::string& title, long simple, const char* format = englishFormat)
{
    lstrcpynA(tipFormat, format, sizeof tipFormat);
    memset(&balloonNotice, sentinel, sizeof balloonNotice);
    char work[512];
    lstrcpynA(work, title.c_str(), sizeof work);
    if (!extractSongText(work, simple)) {
        for (size_t i = 0; i < sizeof balloonNotice.szInfo; ++i)
            REQUIRE_MESSAGE(static_cast<unsigned char>(balloonNotice.szInfo[i]) == sentinel, "rejection touched szInfo");
        return rejected;
    }
    return balloonNotice.szInfo;
}

// Nothing past szInfo, up to the end of the structure, may change.
template <typename Notice>
bool fieldsAfterTipUntouched(const Notice& notice)
{
    const unsigned char* after = reinterpret_cast<const unsigned char*>(notice.szInfo) + sizeof notice.szInfo;
    const unsigned char* end = reinterpret_cast<const unsigned char*>(&notice) + sizeof notice;
    for (; after < end; ++after)
        if (*after != sentinel) return false;
    return true;
}

bool fieldsAfterTipUntouched() { return fieldsAfterTipUntouched(balloonNotice); }

// The UTF-16 rules, for titles the code page cannot spell: title and result in UTF-8.
std::string extractWide(const std::string& title, long simple)
{
    MultiByteToWideChar(CP_UTF8, 0, englishFormat, -1, wideTipFormat, 128);
    memset(&wideBalloonNotice, sentinel, sizeof wideBalloonNotice);
    wchar_t work[512];
    REQUIRE(MultiByteToWideChar(CP_UTF8, 0, title.c_str(), -1, work, 512) > 0);
    if (!extractWideSongText(work, simple)) return rejected;
    REQUIRE(fieldsAfterTipUntouched(wideBalloonNotice));
    char tip[1024];
    REQUIRE(WideCharToMultiByte(CP_UTF8, 0, wideBalloonNotice.szInfo, -1, tip, sizeof tip, nullptr, nullptr) > 0);
    return tip;
}

struct Case {
    const char* title;
    long simple;
    const char* expected;
};

void checkTable(const Case* cases, size_t count, const char* format = englishFormat)
{
    for (size_t i = 0; i < count; ++i) {
        CAPTURE(cases[i].title);
        CAPTURE(cases[i].simple);
        CHECK(extract(cases[i].title, cases[i].simple, format) == cases[i].expected);
    }
}

}  // namespace

TEST_CASE("song titles in the one-line format keep the blank after the track number's dot")
{
    const Case cases[] = {
        {"12. Some Artist - Some Song - Winamp", 1, " Some Artist - Some Song"},
        {"3. Some Song - Winamp", 1, " Some Song"},
        {"7.No Blank - Song - Winamp", 1, "No Blank - Song"},
        {"1. - Winamp", 1, ""},
        {"1. A - B - Winamp - Winamp", 1, " A - B"},
        {"Dept. Of Sound - Song - Winamp", 1, " Of Sound - Song"},
        {"1. 3.5 Inch Floppy - Disk - Winamp", 1, " 3.5 Inch Floppy - Disk"},
        {"2. Tab\tand \xE9t\xE9 - Winamp", 1, " Tab\tand \xE9t\xE9"},
    };
    checkTable(cases, sizeof cases / sizeof cases[0]);
}

TEST_CASE("the two-line format splits at the first separator and keeps both carried-over blanks")
{
    const Case cases[] = {
        {"12. Some Artist - Some Song - Winamp", 0, "Artist:  Some Artist\r\nTitle:  Some Song"},
        {"3. Some Song - Winamp", 0, " Some Song"},
        {"4. A - B - C - Winamp", 0, "Artist:  A\r\nTitle:  B - C"},
        {"5.Artist - Title - Winamp", 0, "Artist: Artist\r\nTitle:  Title"},
        {"6.  -  - Winamp", 0, "Artist:  \r\nTitle:  "},
        {"Dept. Of Sound - Song - Winamp", 0, "Artist:  Of Sound\r\nTitle:  Song"},
    };
    checkTable(cases, sizeof cases / sizeof cases[0]);
}

TEST_CASE("the Russian two-line format in code page 1251")
{
    const Case cases[] = {
        {"12. \xCA\xE8\xED\xEE - \xC3\xF0\xF3\xEF\xEF\xE0 \xEA\xF0\xEE\xE2\xE8 - Winamp", 0,
         "\xC8\xF1\xEF\xEE\xEB\xED\xE8\xF2\xE5\xEB\xFC:  \xCA\xE8\xED\xEE\r\n\xCD\xE0\xE7\xE2\xE0\xED\xE8\xE5:  \xC3\xF0\xF3\xEF\xEF\xE0 \xEA\xF0\xEE\xE2\xE8"},
        {"12. \xCA\xE8\xED\xEE - \xC3\xF0\xF3\xEF\xEF\xE0 \xEA\xF0\xEE\xE2\xE8 - Winamp", 1,
         " \xCA\xE8\xED\xEE - \xC3\xF0\xF3\xEF\xEF\xE0 \xEA\xF0\xEE\xE2\xE8"},
    };
    checkTable(cases, sizeof cases / sizeof cases[0], russianFormat);
}

TEST_CASE("titles outside the code page: the same rules in UTF-16, never cut inside a surrogate pair")
{
    const Case cases[] = {
        {"1. Кино - Группа крови - Winamp", 1,
         " Кино - Группа крови"},
        {"1. Кино - Группа крови - Winamp", 0,
         "Artist:  Кино\r\nTitle:  Группа крови"},
        {"2. 坂本九 - 上を向いて - Winamp", 1, " 坂本九 - 上を向いて"},
        {"2. 坂本九 - 上を向いて - Winamp", 0, "Artist:  坂本九\r\nTitle:  上を向いて"},
        {"3. 😀 - %s%n - Winamp", 0, "Artist:  😀\r\nTitle:  %s%n"},
        {"[Buffer: 5%] 3. Кино - Winamp", 1, rejected},
        {"Кино - Winamp", 1, rejected},
        {"4. Кино - winamp", 1, rejected},
    };
    for (const Case& row : cases) {
        CAPTURE(row.title);
        CHECK(extractWide(row.title, row.simple) == row.expected);
    }

    // An emoji whose first half would be the 255th unit is left out whole; one that ends there stays.
    const std::string emoji = "😀";
    CHECK(extractWide("1. " + std::string(253, 'a') + emoji + "b - Winamp", 1) == " " + std::string(253, 'a'));
    CHECK(extractWide("1. " + std::string(252, 'a') + emoji + "b - Winamp", 1) == " " + std::string(252, 'a') + emoji);
    const std::string lines = "Artist:  A\r\nTitle:  ";
    const std::string pad(254 - lines.size(), 't');
    CHECK(extractWide("1. A - " + pad + emoji + " - Winamp", 0) == lines + pad);
}

TEST_CASE("titles that name no song are rejected and leave the tip as it was")
{
    const Case cases[] = {
        {"Winamp", 1, rejected},
        {"Winamp 5.666 Build 3516", 1, rejected},
        {"1. Artist - Song", 1, rejected},
        {"1. Artist - Song - winamp", 1, rejected},
        {"", 0, rejected},
        {"[Buffer: 50%] 1. Artist - Song - Winamp", 1, rejected},
        {"1. Artist - Song [Buffer: 3%] - Winamp", 0, rejected},
        {"[Connecting] 1. Radio - Winamp", 1, rejected},
        {"1. Radio - Winamp [HTTP/1.1 404 Not Found]", 1, rejected},
        {"1. [HTTP/1.0 200 OK] - Winamp", 0, rejected},
    };
    checkTable(cases, sizeof cases / sizeof cases[0]);

    // The tags are case-sensitive and must be complete.
    CHECK(extract("1. [buffer: 5%] - Winamp", 1) == " [buffer: 5%]");
    CHECK(extract("1. [Buffer 5%] - Winamp", 1) == " [Buffer 5%]");
    CHECK(extract("1. [Connecting - Winamp", 1) == " [Connecting");
    CHECK(extract("1. [HTTP/2 200] - Winamp", 1) == " [HTTP/2 200]");
}

TEST_CASE("stream titles are hostile: format sequences stay text, long titles are cut to 255")
{
    CHECK(extract("1. %s%n%d - %x%s%% - Winamp", 0) == "Artist:  %s%n%d\r\nTitle:  %x%s%%");
    CHECK(extract("1. %s%n%d - %x%s%% - Winamp", 1) == " %s%n%d - %x%s%%");
    CHECK(fieldsAfterTipUntouched());

    // 511-byte titles: the suffix beyond the buffer or inside it, with and without a separator.
    std::string noSeparator = "1. " + std::string(499, 'a') + " - Winamp";
    REQUIRE(noSeparator.size() == 511);
    CHECK(extract(noSeparator, 1) == " " + std::string(254, 'a'));
    CHECK(fieldsAfterTipUntouched());
    CHECK(extract(noSeparator, 0) == " " + std::string(254, 'a'));

    std::string separated = "1. " + std::string(240, 'A') + " - " + std::string(256, 'T') + " - Winamp";
    REQUIRE(separated.size() == 511);
    std::string expected = "Artist:  " + std::string(240, 'A') + "\r\nTitle:  " + std::string(256, 'T');
    CHECK(extract(separated, 0) == expected.substr(0, 255));
    CHECK(fieldsAfterTipUntouched());

    std::string percents = "1. ";
    while (percents.size() < 500) percents += "%s";
    percents += " - Winamp";
    CHECK(extract(percents, 1) == percents.substr(2, 255));
    CHECK(fieldsAfterTipUntouched());

    // Longer than the watcher's buffer: the suffix is cut off, so no song.
    CHECK(extract("1. " + std::string(505, 'x') + " - Winamp", 1) == rejected);
}

TEST_CASE("ja: double-byte titles: a trail byte never matches, and a cut never splits a character")
{
    REQUIRE(GetACP() == 932);
    // 0x83 0x5B is a katakana whose trail byte is "[": "[Buffer:" must not be found there.
    CHECK(extract("1. \x83[Buffer: 50%] - Winamp", 1) == " \x83[Buffer: 50%]");
    CHECK(extract("1. \x83[Connecting] - Winamp", 0) == " \x83[Connecting]");
    CHECK(extract("1. \x83[HTTP/1.1] - Winamp", 1) == " \x83[HTTP/1.1]");
    CHECK(extract("1. \x83[Buffer: x [Buffer: 5%] - Winamp", 1) == rejected);
    CHECK(extract("1. \x83\x5C - \x83\x5C - Winamp", 0) == "Artist:  \x83\x5C\r\nTitle:  \x83\x5C");

    // Two blanks, then double-byte characters: 255 bytes would end half-way through one.
    std::string song = "  ";
    while (song.size() < 400) song += "\x83\x5C";
    std::string tip = extract("1." + song + " - Winamp", 1);
    CHECK(tip.size() == 254);
    CHECK(tip == song.substr(0, 254));
    CHECK(fieldsAfterTipUntouched());

    std::string artist = "  ";
    while (artist.size() < 300) artist += "\x88\x9F";
    tip = extract("1." + artist + " - B - Winamp", 0);
    CHECK(tip.size() == 254);
    CHECK(tip == ("Artist: " + artist).substr(0, 254));
}

namespace {

// Titles from fragments that matter to extraction and raw bytes (double-byte leads and trails among
// them), up to the watcher's 511 bytes; half are shaped like songs, so both outcomes are exercised.
std::string randomTitle(std::mt19937& random)
{
    static const char* const fragments[] = {
        ".", " - ", " - ", "%s", "%n", "%d", "%", "\x83[", "\x83\\", "\x81", "\x9F", "\xE0", " ", "Artist", "\r\n",
    };
    static const char* const tags[] = {"[Buffer:", "[Connecting]", "[HTTP/1.", " - Winamp"};
    const int fragmentCount = sizeof fragments / sizeof fragments[0];
    std::uniform_int_distribution<int> pick(0, 2 * fragmentCount + 1);
    std::uniform_int_distribution<int> byte(1, 255);
    std::uniform_int_distribution<int> length(0, 520);
    std::uniform_int_distribution<int> percent(0, 99);
    std::string title = percent(random) < 50 ? std::to_string(percent(random)) + "." : "";
    size_t target = length(random);
    while (title.size() < target) {
        int which = pick(random);
        if (which < fragmentCount) title += fragments[which];
        else if (which == 2 * fragmentCount + 1 && percent(random) < 5) title += tags[percent(random) % 4];
        else title += static_cast<char>(byte(random));
    }
    if (percent(random) < 60) title += " - Winamp";
    return title.substr(0, 511);
}

void checkRandomTitles(unsigned seed, int count)
{
    printf("randomized titles: seed %u, %d titles, code page %u\n", seed, count, GetACP());
    std::mt19937 random(seed);
    int accepted = 0;
    for (int i = 0; i < count; ++i) {
        std::string title = randomTitle(random);
        long simple = i & 1;
        char work[512 + 16];
        memset(work, sentinel, sizeof work);
        lstrcpynA(work, title.c_str(), 512);
        memset(&balloonNotice, sentinel, sizeof balloonNotice);
        lstrcpynA(tipFormat, i % 4 < 2 ? englishFormat : russianFormat, sizeof tipFormat);
        bool song = extractSongText(work, simple);
        const void* terminator = memchr(balloonNotice.szInfo, '\0', sizeof balloonNotice.szInfo);
        bool ok = fieldsAfterTipUntouched()
               && memchr(work, '\0', 512) != nullptr
               && static_cast<unsigned char>(work[512]) == sentinel
               && (!song || terminator != nullptr);
        if (!ok) {
            CAPTURE(title);
            CAPTURE(i);
            FAIL("tip overflowed or was left unterminated");
        }
        accepted += song;
    }
    printf("randomized titles: %d accepted as songs, %d rejected\n", accepted, count - accepted);
    CHECK(accepted > count / 10);
}

}  // namespace

TEST_CASE("randomized titles fit, stay terminated and touch nothing beyond the tip")
{
    checkRandomTitles(20261207, 100000);
}

TEST_CASE("ja: randomized double-byte titles")
{
    checkRandomTitles(932, 100000);
}
