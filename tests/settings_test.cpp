// The settings file: defaults, what is read from a hand-edited file, and the exact bytes written.
#include <doctest/doctest.h>
#include <windows.h>
#include <stdio.h>
#include <string>
#include "host.h"
#include "files.h"
#include "../settings/settings.h"

namespace {

// As start-up does in the DLL: the settings path from the module's path, here in a scratch folder.
std::string scratchIni(const char* tag)
{
    char folder[MAX_PATH];
    makeScratchFolder(tag, folder, MAX_PATH);
    wchar_t module[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, (std::string(folder) + "\\gen_Pipwick.dll").c_str(), -1, module, MAX_PATH);
    buildSettingsPath(module);
    return std::string(folder) + "\\plugin.ini";
}

void setAll(LONG active, LONG simple, LONG sleep, LONG duration, LONG sound = 0, LONG background = 0, LONG cover = 1)
{
    settings.mediaControls = settings.balloons = 1;
    settings.popup = settings.popupPlace = settings.popupMonitor = 0;
    settings.active = active;
    settings.simple = simple;
    settings.sleep = sleep;
    settings.duration = duration;
    settings.sound = sound;
    settings.background = background;
    settings.cover = cover;
}

}  // namespace

TEST_CASE("with no settings file: enabled, one-line tips, 500 ms interval, 10 s balloons, quiet, in front too, covers")
{
    scratchIni("nofile");
    setAll(7, 7, 7, 7, 7, 7, 7);
    readSettings();
    CHECK(settings.active == 1);
    CHECK(settings.simple == 1);
    CHECK(settings.sleep == 500);
    CHECK(settings.duration == 10000);
    CHECK(settings.sound == 0);
    CHECK(settings.background == 0);
    CHECK(settings.cover == 1);
    CHECK(settings.popup == 0);
    CHECK(settings.popupPlace == 0);
    CHECK(settings.popupMonitor == 0);
}

TEST_CASE("a hand-edited file: other sections ignored, values used as read, no usable interval means 500")
{
    std::string path = scratchIni("edited");
    writeTextFile(path,
              "[Other]\r\nActive=0\r\nSleep=9\r\n"
              "[zoPipwick]\r\nActive=0\r\nSimple=0\r\nSleep=20\r\nDuration=45000\r\nSound=2\r\nBackground=-1\r\nCover=0\r\n"
              "[zoPipwick2]\r\nSleep=1\r\n");
    readSettings();
    CHECK(settings.active == 0);
    CHECK(settings.simple == 0);
    CHECK(settings.sleep == 20);
    CHECK(settings.duration == 45000);
    CHECK(settings.sound == 2);   // any non-zero value means on
    CHECK(settings.background == -1);
    CHECK(settings.cover == 0);

    const char* const unusableIntervals[] = {"Sleep=0", "Sleep=-40", "Sleep=soon", "Sleep="};
    for (const char* line : unusableIntervals) {
        CAPTURE(line);
        writeTextFile(path, std::string("[zoPipwick]\r\nSimple=abc\r\nDuration=-3\r\n") + line + "\r\n");
        readSettings();
        CHECK(settings.sleep == 500);
        CHECK(settings.simple == 0);
        CHECK(settings.duration == -3);
        CHECK(settings.active == 1);
    }
}

TEST_CASE("the popup's place and monitor: each in its range as read, anything else the default")
{
    std::string path = scratchIni("popup");
    struct Row {
        const char* lines;
        LONG popup, place, monitor;
    };
    const Row rows[] = {
        {"Popup=1\r\nPopupPlace=5\r\nPopupMonitor=3\r\n", 1, 5, 3},
        {"Popup=1\r\nPopupPlace=3\r\nPopupMonitor=99\r\n", 1, 3, 99},   // no such monitor now: chosen at show
        {"PopupPlace=6\r\nPopupMonitor=-1\r\n", 0, 0, 0},
        {"PopupPlace=-1\r\nPopupMonitor=left\r\n", 0, 0, 0},
    };
    for (const Row& row : rows) {
        CAPTURE(row.lines);
        writeTextFile(path, std::string("[zoPipwick]\r\n") + row.lines);
        readSettings();
        CHECK(settings.popup == row.popup);
        CHECK(settings.popupPlace == row.place);
        CHECK(settings.popupMonitor == row.monitor);
    }
}

TEST_CASE("writing: a new file holds the section and every key in its order, nothing else")
{
    std::string path = scratchIni("new");
    setAll(1, 0, 2500, 7000, 1, 0, 0);
    writeSettings();
    CHECK(readTextFile(path) ==
          "[zoPipwick]\r\nActive=1\r\nSimple=0\r\nSleep=2500\r\nDuration=7000\r\nSound=1\r\nBackground=0\r\nCover=0\r\n"
          "TextFormat=\r\nTitleFormat=\r\nMediaControls=1\r\nBalloons=1\r\nPopup=0\r\nPopupPlace=0\r\nPopupMonitor=0\r\n");

    // Rewriting keeps the order, replaces the values in place and leaves other sections alone.
    writeTextFile(path, "[Mine]\r\nkeep=this\r\n[zoPipwick]\r\nDuration=1\r\nActive=1\r\n");
    setAll(0, 1, -5, 30000);
    writeSettings();
    CHECK(readTextFile(path) == "[Mine]\r\nkeep=this\r\n[zoPipwick]\r\nDuration=30000\r\nActive=0\r\nSimple=1\r\nSleep=-5\r\n" +
                                    defaultOptionKeys);
}

TEST_CASE("formats in any script go into the file in ASCII and come back whole; an ASCII one stands as it is")
{
    std::string path = scratchIni("formats");
    struct Row {
        const wchar_t* format;
        const char* stored;
    };
    const Row rows[] = {
        {L"%artist% - %title%[ (%album%)]", "%artist% - %title%[ (%album%)]"},
        {L"$if(%album%,%album%: ,)%title% by \\%artist%", "$if(%album%,%album%: ,)%title% by \\%artist%"},
        {L"Сейчас: %title%", "\\u0421\\u0435\\u0439\\u0447\\u0430\\u0441: %title%"},
        {L"%title% ♪", "%title% \\u266A"},
        {L"😀 %title%", "\\uD83D\\uDE00 %title%"},
        {L"'%title%'", "\\u0027%title%\\u0027"},          // the profile functions strip quotes...
        {L" %title% ", "\\u0020%title%\\u0020"},          // ...and blanks at either end
        {L"C:\\u0041\\b", "C:\\u005Cu0041\\b"},           // a backslash that would read as an escape
        {L"", ""},
    };
    for (const Row& row : rows) {
        CAPTURE(row.stored);
        setAll(1, 1, 500, 10000);
        storeText(&settings.textFormat, row.format);
        storeText(&settings.titleFormat, row.format);
        REQUIRE(writeSettings());
        CHECK(readTextFile(path) == std::string("[zoPipwick]\r\nActive=1\r\nSimple=1\r\nSleep=500\r\nDuration=10000\r\n"
                                                "Sound=0\r\nBackground=0\r\nCover=1\r\nTextFormat=") +
                                        row.stored + "\r\nTitleFormat=" + row.stored + "\r\nMediaControls=1\r\nBalloons=1\r\nPopup=0\r\nPopupPlace=0\r\nPopupMonitor=0\r\n");
        storeText(&settings.textFormat, L"x");
        storeText(&settings.titleFormat, L"x");
        readSettings();
        wchar_t text[256], title[256];
        loadText(settings.textFormat, text, 256);
        loadText(settings.titleFormat, title, 256);
        CHECK(utf8(text) == utf8(row.format));
        CHECK(utf8(title) == utf8(row.format));
    }
}

TEST_CASE("user: with no path beside the module the per-user file is written and read, and nothing else")
{
    UserSettingsFile user;
    buildSettingsPath(L"gen_Pipwick.dll");   // no folder in the module's path
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    std::string stray = std::string(windows) + "\\plugin.ini";
    DeleteFileA(stray.c_str());
    DeleteFileA("plugin.ini");

    readSettings();
    CHECK(settings.active == 1);
    CHECK(settings.sleep == 500);
    setAll(0, 0, 100, 0);
    CHECK(writeSettings());
    CHECK(readTextFile(user.path) == "[zoPipwick]\r\nActive=0\r\nSimple=0\r\nSleep=100\r\nDuration=0\r\n" + defaultOptionKeys);
    CHECK(readTextFile(stray) == "<no file>");
    CHECK(readTextFile("plugin.ini") == "<no file>");
    setAll(7, 7, 7, 7);
    readSettings();
    CHECK(settings.active == 0);
    CHECK(settings.sleep == 100);

    user.remove();
    user.blockWrites();
    CHECK(!writeSettings());
    CHECK(utf8(settingsFileInUse()) == user.path);

    // With no per-user folder either, the message can still name the file.
    buildSettingsPath(L"gen_Pipwick.dll");
    AppDataRedirect nowhere(L"C:\\pipwick-no such folder");
    readSettings();
    CHECK(!writeSettings());
    CHECK(utf8(settingsFileInUse()) == "plugin.ini");
}

TEST_CASE("a Plugins folder named outside the code page keeps its settings beside the module")
{
    REQUIRE(GetACP() == 1252);
    std::wstring folder = scratchFolderNamed(L"Плагины");
    buildSettingsPath((folder + L"\\gen_Pipwick.dll").c_str());
    std::wstring path = folder + L"\\plugin.ini";
    writeTextFile(path, "[zoPipwick]\r\nSimple=0\r\nSleep=700\r\n");
    readSettings();
    CHECK(settings.simple == 0);
    CHECK(settings.sleep == 700);
    storeSetting(&settings.duration, 12000);
    CHECK(writeSettings());
    CHECK(readTextFile(path) == "[zoPipwick]\r\nSimple=0\r\nSleep=700\r\nActive=1\r\nDuration=12000\r\n" + defaultOptionKeys);
}

TEST_CASE("user: a per-user folder named outside the code page is found, and its file is plain ANSI text")
{
    REQUIRE(GetACP() == 1252);
    std::wstring appData = scratchFolderNamed(L"Профиль");
    buildSettingsPath(L"gen_Pipwick.dll");
    std::wstring path = appData + L"\\Pipwick\\plugin.ini";
    {
        AppDataRedirect redirect(appData.c_str());
        readSettings();
        setAll(1, 0, 900, 3000);
        CHECK(writeSettings());
        CHECK(readTextFile(path) == "[zoPipwick]\r\nActive=1\r\nSimple=0\r\nSleep=900\r\nDuration=3000\r\n" + defaultOptionKeys);
        setAll(7, 7, 7, 7);
        readSettings();
        CHECK(settings.sleep == 900);
    }
    DeleteFileW(path.c_str());
    RemoveDirectoryW((appData + L"\\Pipwick").c_str());
}
