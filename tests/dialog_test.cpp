// The options dialog, driven from a helper thread as a user would, in English and Russian; checked
// through what it shows, the settings file's bytes, the watcher and the notice.
#include "standin.h"
#include "driver.h"
#include <commctrl.h>
#include <vector>
#include "../resources/resource.h"

namespace {

#define COUNT(array) static_cast<int>(sizeof(array) / sizeof((array)[0]))

// What the user could not read or reach: every text line wider than its control (beside a box's
// check mark), and every mnemonic that two controls share.
std::string clippedTextsAndSharedMnemonics(HWND dialog)
{
    std::string problems;
    std::wstring mnemonics;
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        wchar_t text[256] = L"", className[16] = L"";
        GetWindowTextW(control, text, 256);
        GetClassNameW(control, className, 16);
        LONG kind = GetWindowLongW(control, GWL_STYLE) & 0xF;
        bool button = lstrcmpiW(className, L"Button") == 0;
        if (!button && lstrcmpiW(className, L"Static") != 0) continue;
        bool box = button && kind != BS_PUSHBUTTON && kind != BS_DEFPUSHBUTTON && kind != BS_GROUPBOX;
        RECT client;
        GetClientRect(control, &client);
        HDC dc = GetDC(control);
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
        std::wstring line;
        for (const wchar_t* at = text;; ++at) {
            if (*at == L'&' && at[1]) {
                wchar_t letter = static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(CharLowerW(reinterpret_cast<LPWSTR>(at[1]))));
                if (mnemonics.find(letter) != std::wstring::npos) problems += "shared mnemonic: " + utf8(text) + "\n";
                mnemonics += letter;
            } else if (*at && *at != L'\r' && *at != L'\n') {
                line += *at;
            } else {
                SIZE size = {};
                GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
                if (size.cx > client.right - (box ? GetSystemMetrics(SM_CXMENUCHECK) + 4 : 0))
                    problems += "clipped: " + utf8(line.c_str()) + "\n";
                line.clear();
                if (!*at) break;
            }
        }
        ReleaseDC(control, dc);
    }
    return problems;
}

struct DialogView {
    std::string caption;
    bool enabled, simple, lines, custom, textFormatEditable, sound, background, cover, mediaControls, balloons;
    std::string textFormat, titleFormat;   // UTF-8
    std::string durationText, intervalText;
    int duration, interval;
    std::string unreadable;   // clipped texts and shared mnemonics
};

DialogView readDialog(HWND dialog)
{
    DialogView view;
    view.caption = windowText(dialog);
    view.enabled = IsDlgButtonChecked(dialog, IDC_ENABLED) == BST_CHECKED;
    view.simple = IsDlgButtonChecked(dialog, IDC_FORMAT_SIMPLE) == BST_CHECKED;
    view.lines = IsDlgButtonChecked(dialog, IDC_FORMAT_LINES) == BST_CHECKED;
    view.custom = IsDlgButtonChecked(dialog, IDC_FORMAT_CUSTOM) == BST_CHECKED;
    view.textFormatEditable = IsWindowEnabled(GetDlgItem(dialog, IDC_TEXT_FORMAT)) != FALSE;
    wchar_t text[256] = L"";
    GetDlgItemTextW(dialog, IDC_TEXT_FORMAT, text, 256);
    view.textFormat = utf8(text);
    GetDlgItemTextW(dialog, IDC_TITLE_FORMAT, text, 256);
    view.titleFormat = utf8(text);
    view.sound = IsDlgButtonChecked(dialog, IDC_SOUND) == BST_CHECKED;
    view.background = IsDlgButtonChecked(dialog, IDC_BACKGROUND) == BST_CHECKED;
    view.cover = IsDlgButtonChecked(dialog, IDC_COVER) == BST_CHECKED;
    view.mediaControls = IsDlgButtonChecked(dialog, IDC_MEDIA_CONTROLS) == BST_CHECKED;
    view.balloons = IsDlgButtonChecked(dialog, IDC_BALLOONS) == BST_CHECKED;
    view.durationText = windowText(GetDlgItem(dialog, IDC_DURATION_EDIT));
    view.intervalText = windowText(GetDlgItem(dialog, IDC_INTERVAL_EDIT));
    view.duration = LOWORD(SendDlgItemMessageA(dialog, IDC_DURATION_SPIN, UDM_GETPOS, 0, 0));
    view.interval = LOWORD(SendDlgItemMessageA(dialog, IDC_INTERVAL_SPIN, UDM_GETPOS, 0, 0));
    view.unreadable = clippedTextsAndSharedMnemonics(dialog);
    return view;
}

void pressKey(HWND dialog, int control, WPARAM key) { SendDlgItemMessageA(dialog, control, WM_KEYDOWN, key, 0); }
void closeFromCaption(HWND dialog) { SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }

DialogView viewAndEnd(StandInPlayer& player, int button)
{
    DialogView view{};
    configure(player, [&](HWND dialog) { view = readDialog(dialog); click(dialog, button); });
    return view;
}

const PollAnswer steadySong[] = {{StatePlaying, "1. Some Artist - Some Song - Winamp"}};

}  // namespace

TEST_CASE("the dialog shows the settings in memory, every text whole; OK saves every key in its order")
{
    StandInPlayer player("[zoPipwick]\r\nActive=1\r\nSimple=0\r\nSleep=1500\r\nDuration=10500\r\n");
    player.init(steadySong, 1);
    DialogView view = viewAndEnd(player, IDOK);
    CHECK(view.caption == "Pipwick Options");
    CHECK(view.unreadable == "");
    CHECK(view.enabled);
    CHECK(!view.simple);
    CHECK(view.lines);
    CHECK(view.duration == 10);
    CHECK(view.durationText == "10");
    CHECK(view.interval == 1500);
    CHECK(view.intervalText == "1,500");
    CHECK(readTextFile(player.settingsPath()) ==
          "[zoPipwick]\r\nActive=1\r\nSimple=0\r\nSleep=1500\r\nDuration=10000\r\n" + defaultOptionKeys);
    player.quit();
}

TEST_CASE("arrows step the interval by 100 ms and the duration by one second; OK stores what is shown")
{
    StandInPlayer player("[zoPipwick]\r\nSleep=500\r\n");
    player.init(steadySong, 1);
    DialogView after{};
    configure(player, [&](HWND dialog) {
        pressKey(dialog, IDC_INTERVAL_EDIT, VK_UP);
        pressKey(dialog, IDC_INTERVAL_EDIT, VK_UP);
        pressKey(dialog, IDC_INTERVAL_EDIT, VK_UP);
        pressKey(dialog, IDC_INTERVAL_EDIT, VK_DOWN);
        pressKey(dialog, IDC_DURATION_EDIT, VK_UP);
        click(dialog, IDC_FORMAT_LINES);
        after = readDialog(dialog);
        click(dialog, IDOK);
    });
    CHECK(after.interval == 700);
    CHECK(after.duration == 11);
    CHECK(after.lines);
    CHECK(readTextFile(player.settingsPath()) ==
          "[zoPipwick]\r\nSleep=700\r\nActive=1\r\nSimple=0\r\nDuration=11000\r\n" + defaultOptionKeys);
    player.quit();
}

TEST_CASE("values from the file outside the dialog's bounds show as the nearest end, and OK stores that")
{
    struct Row {
        const char* file;
        int interval, duration;
        const char* saved;
    };
    const Row rows[] = {
        {"[zoPipwick]\r\nSleep=20\r\nDuration=99000\r\n", 100, 30,
         "[zoPipwick]\r\nSleep=100\r\nDuration=30000\r\nActive=1\r\nSimple=1\r\n"},
        {"[zoPipwick]\r\nSleep=40000\r\nDuration=40000000\r\n", 30000, 30,
         "[zoPipwick]\r\nSleep=30000\r\nDuration=30000\r\nActive=1\r\nSimple=1\r\n"},
        {"[zoPipwick]\r\nSleep=70000\r\nDuration=-5000\r\n", 30000, 0,
         "[zoPipwick]\r\nSleep=30000\r\nDuration=0\r\nActive=1\r\nSimple=1\r\n"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.file);
        StandInPlayer player(row.file);
        player.init(steadySong, 1);
        DialogView view = viewAndEnd(player, IDOK);
        CHECK(view.interval == row.interval);
        CHECK(view.duration == row.duration);
        CHECK(readTextFile(player.settingsPath()) == row.saved + defaultOptionKeys);
        player.quit();
    }
}

TEST_CASE("OK wakes a watcher in an hour-long pause: the next poll follows at once, at the new interval")
{
    StandInPlayer player("[zoPipwick]\r\nSleep=3600000\r\n");
    player.init(steadySong, 1);
    REQUIRE(runPlayerUntilPauses(1));   // the watcher has begun its hour
    DialogView view{};
    configure(player, [&](HWND dialog) {
        view = readDialog(dialog);
        SetDlgItemTextA(dialog, IDC_INTERVAL_EDIT, "100");
        click(dialog, IDOK);
    });
    CHECK(view.intervalText == "30,000");
    CHECK(pollsAnswered() == 0);
    REQUIRE(runPlayerUntilPolls(3, 10000));
    player.quit();
    CHECK(readTextFile(player.settingsPath()).find("Sleep=100\r\n") != std::string::npos);
}

TEST_CASE("Cancel and the caption's close button change nothing: memory, file and watcher")
{
    const char file[] = "[zoPipwick]\r\nActive=1\r\nSimple=1\r\nSleep=100\r\nDuration=4000\r\n";
    StandInPlayer player(file);
    player.init(steadySong, 1);
    REQUIRE(runPlayerUntilPolls(2));
    DWORD watcher = firstNewThread(player.threadsBefore);

    auto changeEverything = [](HWND dialog) {
        click(dialog, IDC_ENABLED);
        click(dialog, IDC_FORMAT_LINES);
        pressKey(dialog, IDC_INTERVAL_EDIT, VK_UP);
        pressKey(dialog, IDC_DURATION_EDIT, VK_DOWN);
    };
    configure(player, [&](HWND dialog) { changeEverything(dialog); click(dialog, IDCANCEL); });
    configure(player, [&](HWND dialog) { changeEverything(dialog); closeFromCaption(dialog); });

    CHECK(readTextFile(player.settingsPath()) == file);
    CHECK(firstNewThread(player.threadsBefore) == watcher);
    DialogView view = viewAndEnd(player, IDCANCEL);   // memory as it was
    CHECK(view.enabled);
    CHECK(view.simple);
    CHECK(view.interval == 100);
    CHECK(view.duration == 4);
    LONG polls = pollsAnswered();
    REQUIRE(runPlayerUntilPolls(polls + 2));   // the watcher goes on
    player.quit();
}

TEST_CASE("OK with nothing changed still writes every key and re-applies the duration")
{
    StandInPlayer player("[zoPipwick]\r\nSleep=100\r\nDuration=10500\r\n");
    const PollAnswer paused[] = {{StatePaused, "Winamp"}};
    player.init(paused, 1);
    REQUIRE(runPlayerUntilPolls(2));
    viewAndEnd(player, IDOK);
    CHECK(readTextFile(player.settingsPath()) ==
          "[zoPipwick]\r\nSleep=100\r\nDuration=10000\r\nActive=1\r\nSimple=1\r\n" + defaultOptionKeys);
    const PollAnswer stopped[] = {{StateStopped, "Winamp"}};
    scriptPolls(stopped, 1);   // the player stops only after OK
    REQUIRE(runPlayerUntilPolls(2));
    player.quit();
    REQUIRE(shellCallCount() == 2);
    CHECK(std::string(shellCall(0).notice.szInfo) == "Playback paused.");
    CHECK(shellCall(0).notice.uTimeout == 10500);
    CHECK(std::string(shellCall(1).notice.szInfo) == "Playback stopped.");
    CHECK(shellCall(1).notice.uTimeout == 10000);
}

TEST_CASE("the sound, background, cover, media-controls and balloons boxes: shown, saved, and used by the next balloon")
{
    StandInPlayer player("[zoPipwick]\r\nSleep=100\r\nSound=1\r\n");
    answerForegroundWindow(player.window);
    const PollAnswer paused[] = {{StatePaused, "Winamp"}};
    player.init(paused, 1);
    REQUIRE(runPlayerUntilPolls(2));
    DialogView view{};
    configure(player, [&](HWND dialog) {
        view = readDialog(dialog);
        click(dialog, IDC_SOUND);
        click(dialog, IDC_BACKGROUND);
        click(dialog, IDC_COVER);
        click(dialog, IDC_MEDIA_CONTROLS);
        click(dialog, IDOK);
    });
    CHECK(view.sound);
    CHECK(!view.background);
    CHECK(view.cover);
    CHECK(view.mediaControls);
    CHECK(view.balloons);
    CHECK(readTextFile(player.settingsPath()) ==
          "[zoPipwick]\r\nSleep=100\r\nSound=0\r\nActive=1\r\nSimple=1\r\nDuration=10000\r\nBackground=1\r\nCover=0\r\n"
          "TextFormat=\r\nTitleFormat=\r\nMediaControls=0\r\nBalloons=1\r\nPopup=0\r\nPopupPlace=0\r\nPopupMonitor=0\r\n");
    const PollAnswer stopped[] = {{StateStopped, "Winamp"}};
    scriptPolls(stopped, 1);   // the player in front: no balloon
    REQUIRE(runPlayerUntilPolls(2));
    answerForegroundWindow(nullptr);
    scriptPolls(steadySong, 1);
    REQUIRE(runPlayerUntilPolls(2));
    configure(player, [](HWND dialog) { click(dialog, IDC_BALLOONS); click(dialog, IDOK); });
    CHECK(readTextFile(player.settingsPath()).find("Balloons=0") != std::string::npos);
    scriptPolls(paused, 1);   // no balloon at all now
    REQUIRE(runPlayerUntilPolls(2));
    player.quit();
    REQUIRE(shellCallCount() == 2);
    CHECK(describeCall(shellCall(0)) == "Playback paused.");
    CHECK(shellCall(0).notice.dwInfoFlags == NIIF_INFO);
    CHECK(describeCall(shellCall(1)) == " Some Artist - Some Song");
    CHECK(shellCall(1).notice.dwInfoFlags == (NIIF_INFO | NIIF_NOSOUND));
}

TEST_CASE("\"Custom\" is chosen exactly while \"TextFormat\" is set; OK saves both boxes in any script, Cancel nothing")
{
    const char file[] = "[zoPipwick]\r\nSimple=0\r\nSleep=100\r\nTextFormat=%title%\r\nTitleFormat=%artist%\r\n";
    StandInPlayer player(file);
    player.init(steadySong, 1);
    DialogView shown{}, chosen{};
    configure(player, [&](HWND dialog) {
        shown = readDialog(dialog);
        click(dialog, IDC_FORMAT_SIMPLE);
        SetDlgItemTextW(dialog, IDC_TITLE_FORMAT, L"Сейчас: %title%");
        click(dialog, IDCANCEL);
    });
    CHECK(shown.custom);
    CHECK(!shown.lines);
    CHECK(shown.textFormatEditable);
    CHECK(shown.textFormat == "%title%");
    CHECK(shown.titleFormat == "%artist%");
    CHECK(readTextFile(player.settingsPath()) == file);

    // Another choice empties the text; the title goes in whatever the choice.
    configure(player, [&](HWND dialog) {
        click(dialog, IDC_FORMAT_LINES);
        chosen = readDialog(dialog);
        SetDlgItemTextW(dialog, IDC_TITLE_FORMAT, L"Сейчас: %title%");
        click(dialog, IDOK);
    });
    CHECK(!chosen.textFormatEditable);
    const std::string russian = "\\u0421\\u0435\\u0439\\u0447\\u0430\\u0441: %title%";
    CHECK(readTextFile(player.settingsPath()) == "[zoPipwick]\r\nSimple=0\r\nSleep=100\r\nTextFormat=\r\nTitleFormat=" +
                                                     russian + "\r\nActive=1\r\nDuration=10000\r\nSound=0\r\nBackground=0\r\nCover=1\r\n"
                                                     "MediaControls=1\r\nBalloons=1\r\nPopup=0\r\nPopupPlace=0\r\nPopupMonitor=0\r\n");

    // "Custom" leaves "Simple" as it was; both texts come back after the player restarts.
    configure(player, [&](HWND dialog) {
        click(dialog, IDC_FORMAT_CUSTOM);
        SetDlgItemTextW(dialog, IDC_TEXT_FORMAT, L"%title% ♪");
        click(dialog, IDOK);
    });
    player.reload();
    player.init(steadySong, 1);
    shown = viewAndEnd(player, IDCANCEL);
    CHECK(shown.custom);
    CHECK(shown.textFormat == "%title% ♪");
    CHECK(shown.titleFormat == "Сейчас: %title%");
    CHECK(readTextFile(player.settingsPath()).find("Simple=0\r\nSleep=100\r\nTextFormat=%title% \\u266A\r\n") != std::string::npos);
    player.quit();
}

TEST_CASE("unchecking drops a running watcher, checking starts one; quick toggles never run two")
{
    StandInPlayer player("[zoPipwick]\r\nSleep=100\r\n");
    player.init(steadySong, 1);
    REQUIRE(runPlayerUntilPolls(1));
    DWORD first = firstNewThread(player.threadsBefore);
    REQUIRE(first != 0);

    configure(player, [](HWND dialog) { click(dialog, IDC_ENABLED); click(dialog, IDOK); });
    CHECK(threadEnds(first));
    CHECK(countNewThreads(player.threadsBefore) == 0);
    CHECK(readTextFile(player.settingsPath()).find("Active=0") != std::string::npos);

    configure(player, [](HWND dialog) { click(dialog, IDC_ENABLED); click(dialog, IDOK); });
    CHECK(countNewThreads(player.threadsBefore) == 1);
    LONG polls = pollsAnswered();
    REQUIRE(runPlayerUntilPolls(polls + 2));

    // Off and on again at once, while the watcher is mid-cycle: still exactly one watcher.
    for (int round = 0; round < 3; ++round) {
        configure(player, [](HWND dialog) { click(dialog, IDC_ENABLED); click(dialog, IDOK); });
        configure(player, [](HWND dialog) { click(dialog, IDC_ENABLED); click(dialog, IDOK); });
        CHECK(countNewThreads(player.threadsBefore) == 1);
    }
    polls = pollsAnswered();
    REQUIRE(runPlayerUntilPolls(polls + 3));
    DWORD last = firstNewThread(player.threadsBefore);
    player.quit();
    CHECK(threadEnds(last));
}

namespace {

void chooseLinesAndTwelveSeconds(HWND dialog)
{
    click(dialog, IDC_FORMAT_LINES);
    pressKey(dialog, IDC_DURATION_EDIT, VK_UP);
    pressKey(dialog, IDC_DURATION_EDIT, VK_UP);
    click(dialog, IDOK);
}

}  // namespace

TEST_CASE("user: a folder that cannot be written, or is too deep, keeps the settings per user")
{
    for (bool tooDeep : {false, true}) {
        CAPTURE(tooDeep);
        UserSettingsFile user;
        char scratch[MAX_PATH];
        makeScratchFolder("unwritable", scratch, MAX_PATH);
        std::string folder = tooDeep ? utf8(folderOfLength(251).c_str()) : scratch;   // room for "\\g.dll", not "\\plugin.ini"
        if (!tooDeep) blockWrites(folder + "\\plugin.ini");
        char windows[MAX_PATH], temp[MAX_PATH], current[MAX_PATH];
        GetWindowsDirectoryA(windows, MAX_PATH);
        GetTempPathA(MAX_PATH, temp);
        GetCurrentDirectoryA(MAX_PATH, current);
        const std::string strays[] = {std::string(windows) + "\\plugin.ini", std::string(temp) + "plugin.ini",
                                      std::string(current) + "\\plugin.ini", folder + "\\plugin.ini"};
        for (const std::string& stray : strays) DeleteFileA(stray.c_str());

        StandInPlayer player(nullptr, "g.dll", nullptr, folder.c_str());
        CHECK(std::string(player.plugin.record->description) == "Quillfen (g.dll)");
        player.init(steadySong, 1);
        CHECK(configure(player, chooseLinesAndTwelveSeconds) == "");
        CHECK(readTextFile(user.path) == "[zoPipwick]\r\nActive=1\r\nSimple=0\r\nSleep=500\r\nDuration=12000\r\n" + defaultOptionKeys);
        for (const std::string& stray : strays) {
            CAPTURE(stray);
            CHECK(readTextFile(stray) == "<no file>");
        }

        player.reload();
        player.init(steadySong, 1);
        DialogView view = viewAndEnd(player, IDCANCEL);
        CHECK(view.lines);
        CHECK(view.duration == 12);
        player.quit();
    }
}

TEST_CASE("user: the per-user file, once it holds the section, is read and written instead of the one beside")
{
    struct Row {
        const char* userFile;
        bool wins;
    };
    const Row rows[] = {{"[zoPipwick]\r\nSimple=0\r\nDuration=7000\r\n", true}, {"[Other]\r\nSimple=0\r\n", false}};
    const char besideFile[] = "[zoPipwick]\r\nSimple=1\r\nDuration=4000\r\n";
    for (const Row& row : rows) {
        CAPTURE(row.userFile);
        UserSettingsFile user;
        CreateDirectoryA(user.folder.c_str(), nullptr);
        writeTextFile(user.path, row.userFile);
        StandInPlayer player(besideFile);
        player.init(steadySong, 1);
        DialogView view{};
        configure(player, [&](HWND dialog) {
            view = readDialog(dialog);
            pressKey(dialog, IDC_DURATION_EDIT, VK_UP);
            click(dialog, IDOK);
        });
        player.quit();
        CHECK(view.lines == row.wins);
        CHECK(view.duration == (row.wins ? 7 : 4));
        const char* saved = row.wins ? "[zoPipwick]\r\nSimple=0\r\nDuration=8000\r\nActive=1\r\nSleep=500\r\n"
                                     : "[zoPipwick]\r\nSimple=1\r\nDuration=5000\r\nActive=1\r\nSleep=500\r\n";
        CHECK(readTextFile(row.wins ? user.path : player.settingsPath()) == saved + defaultOptionKeys);
        CHECK(readTextFile(row.wins ? player.settingsPath() : user.path) == (row.wins ? besideFile : row.userFile));
    }
}

namespace {

// Neither file can be written: returns the message that OK brings, after checking that the settings
// apply all the same (the next balloon in the two-line format, for 12 s).
std::string messageWhenNothingCanBeSaved(std::string* userPath)
{
    UserSettingsFile user;
    user.blockWrites();
    *userPath = user.path;
    StandInPlayer player(nullptr);
    blockWrites(player.settingsPath());
    const PollAnswer paused[] = {{StatePaused, "Winamp"}};
    player.init(paused, 1);
    REQUIRE(runPlayerUntilPolls(2));
    std::string message = configure(player, chooseLinesAndTwelveSeconds);
    const PollAnswer song[] = {{StatePlaying, "1. Some Artist - Some Song - Winamp"}};
    scriptPolls(song, 1);
    REQUIRE(runPlayerUntilPolls(2));
    player.quit();
    REQUIRE(shellCallCount() == 2);
    CHECK(shellCall(1).notice.uTimeout == 12000);
    CHECK(std::string(shellCall(1).notice.szInfo).find("\r\n") != std::string::npos);
    return message;
}

}  // namespace

TEST_CASE("user: when no file can be written OK says so, naming the file, and the settings still apply")
{
    std::string userPath;
    std::string message = messageWhenNothingCanBeSaved(&userPath);
    CHECK(message == "The settings could not be saved to\r\n" + userPath + "\r\n\r\nThey apply until Winamp closes.");
}

TEST_CASE("user-ru: the message in Russian, in code page 1251")
{
    REQUIRE(GetACP() == 1251);
    std::string userPath;
    std::string message = messageWhenNothingCanBeSaved(&userPath);
    // "Не удалось сохранить параметры в файл", the path, "Они действуют до закрытия Winamp."
    CHECK(message == "\xCD\xE5 \xF3\xE4\xE0\xEB\xEE\xF1\xFC \xF1\xEE\xF5\xF0\xE0\xED\xE8\xF2\xFC "
                     "\xEF\xE0\xF0\xE0\xEC\xE5\xF2\xF0\xFB \xE2 \xF4\xE0\xE9\xEB\r\n" + userPath +
                     "\r\n\r\n\xCE\xED\xE8 \xE4\xE5\xE9\xF1\xF2\xE2\xF3\xFE\xF2 \xE4\xEE "
                     "\xE7\xE0\xEA\xF0\xFB\xF2\xE8\xFF Winamp.");
}

TEST_CASE("the template: the same controls and layout in both languages, but three Russian widths")
{
    char built[MAX_PATH];
    builtPluginPath(built, MAX_PATH);
    HMODULE module = LoadLibraryExA(built, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    REQUIRE(module);
    auto controls = [&](WORD language) {
        std::vector<std::string> rows;
        HRSRC found = FindResourceExA(module, RT_DIALOG, MAKEINTRESOURCEA(IDD_OPTIONS), language);
        REQUIRE(found);
        const WORD* at = static_cast<const WORD*>(LockResource(LoadResource(module, found)));
        const DLGTEMPLATE* header = reinterpret_cast<const DLGTEMPLATE*>(at);
        char row[160];
        snprintf(row, sizeof row, "dialog style %08lx size %d,%d", header->style, header->cx, header->cy);
        rows.push_back(row);
        at = reinterpret_cast<const WORD*>(header + 1);
        auto skipText = [&]() { if (*at == 0xFFFF) { at += 2; return; } while (*at++) {} };
        skipText();   // menu
        skipText();   // class
        skipText();   // caption
        snprintf(row, sizeof row, "font %d", *at++);
        skipText();
        rows.push_back(row + std::string(" ") + "MS Sans Serif");
        for (int i = 0; i < header->cdit; ++i) {
            at = reinterpret_cast<const WORD*>((reinterpret_cast<ULONG_PTR>(at) + 3) & ~ULONG_PTR(3));
            const DLGITEMTEMPLATE* item = reinterpret_cast<const DLGITEMTEMPLATE*>(at);
            at = reinterpret_cast<const WORD*>(item + 1);
            char className[32] = "";
            // A class by atom or by name is the same class to the dialog manager.
            if (*at == 0xFFFF) { lstrcpyA(className, at[1] == 0x80 ? "button" : at[1] == 0x81 ? "edit" : "static"); at += 2; }
            else { WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(at), -1, className, 32, nullptr, nullptr); skipText(); }
            CharLowerA(className);
            skipText();   // text
            at += 1 + *at / 2;   // creation data
            snprintf(row, sizeof row, "%d %s %08lx %d,%d,%d,%d", static_cast<short>(item->id), className,
                     item->style, item->x, item->y, item->cx, item->cy);
            rows.push_back(row);
        }
        return rows;
    };
    std::vector<std::string> english = controls(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    std::vector<std::string> russian = controls(MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT));
    const std::vector<std::string> expected = {
        "dialog style 80c800c0 size 221,303",   // WS_POPUP|WS_CAPTION|WS_SYSMENU|DS_MODALFRAME|DS_SETFONT
        "font 8 MS Sans Serif",
        "1 button 50010001 164,7,50,14",
        "2 button 50010000 164,24,50,14",
        "1000 button 50030003 7,7,64,10",
        "-1 button 50000007 7,24,150,88",
        "1001 button 50020009 14,35,136,10",
        "1002 button 50002409 14,49,136,18",
        "1010 button 50000009 14,70,40,10",    // in the group of the two above
        "1011 edit 50830080 56,68,94,14",      // which it ends
        "-1 static 58000000 56,84,94,8",       // the hint, greyed
        "-1 static 50020000 14,97,40,8",
        "1012 edit 50810080 56,95,94,14",
        "-1 static 50020000 14,133,94,8",
        "-1 static 50020000 14,151,72,8",
        "-1 button 50000007 7,119,150,50",
        "1003 edit 50812082 110,130,40,14",
        "1004 msctls_updown32 50000136 150,130,11,14",
        "1005 edit 50812082 110,148,40,14",
        "1006 msctls_updown32 50000036 150,148,11,14",
        "1007 button 50030003 7,175,207,10",
        "1008 button 50010003 7,188,207,10",
        "1009 button 50010003 7,201,207,10",
        "1013 button 50010003 7,214,207,10",
        "1014 button 50010003 7,227,207,10",
        "1015 button 50010003 7,240,207,10",
        "-1 static 50020000 17,256,40,8",
        "1016 combobox 50210003 60,254,154,90",
        "-1 static 50020000 17,272,40,8",
        "1017 combobox 50210003 60,270,154,90",
        "-1 static 50000001 7,288,207,8",
    };
    auto joined = [](const std::vector<std::string>& rows) {
        std::string all;
        for (const std::string& row : rows) all += row + "\n";
        return all;
    };
    CHECK(joined(english) == joined(expected));
    std::vector<std::string> russianExpected = expected;
    russianExpected[4] = "1000 button 50030003 7,7,45,10";
    russianExpected[13] = "-1 static 50020000 14,133,89,8";
    russianExpected[14] = "-1 static 50020000 14,151,78,8";
    CHECK(joined(russian) == joined(russianExpected));
    FreeLibrary(module);
}

TEST_CASE("ru: the Russian dialog, in code page 1251, saves like the English one")
{
    REQUIRE(GetACP() == 1251);
    StandInPlayer player("[zoPipwick]\r\nSleep=200\r\n");
    player.init(steadySong, 1);
    std::string enabled, cancel;
    DialogView view{};
    configure(player, [&](HWND dialog) {
        view = readDialog(dialog);
        enabled = windowText(GetDlgItem(dialog, IDC_ENABLED));
        cancel = windowText(GetDlgItem(dialog, IDCANCEL));
        click(dialog, IDC_FORMAT_LINES);
        click(dialog, IDOK);
    });
    CHECK(view.caption == "\xCF\xE0\xF0\xE0\xEC\xE5\xF2\xF0\xFB Pipwick");   // "Параметры Pipwick"
    CHECK(view.unreadable == "");
    CHECK(enabled == "&\xC2\xEA\xEB\xFE\xF7\xE5\xED");                        // "&Включен"
    CHECK(cancel == "\xCE\xF2\xEC\xE5\xED\xE0");                              // "Отмена"
    CHECK(view.interval == 200);
    CHECK(readTextFile(player.settingsPath()) ==
          "[zoPipwick]\r\nSleep=200\r\nActive=1\r\nSimple=0\r\nDuration=10000\r\n" + defaultOptionKeys);
    player.quit();
}

namespace {

// A drop-down list's entries, "|" after each, "*" after the chosen one.
std::string listed(HWND dialog, int box)
{
    HWND list = GetDlgItem(dialog, box);
    LRESULT chosen = SendMessageW(list, CB_GETCURSEL, 0, 0);
    std::string all;
    for (LRESULT i = 0, count = SendMessageW(list, CB_GETCOUNT, 0, 0); i < count; ++i) {
        wchar_t text[128] = L"";
        if (SendMessageW(list, CB_GETLBTEXTLEN, i, 0) < 128) SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        all += utf8(text) + (i == chosen ? "*|" : "|");
    }
    return all;
}

const FakeMonitor twoMonitors[] = {{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}}, {{1920, 0, 3200, 1024}, {1920, 0, 3200, 1024}}};

// The lists as the dialog shows them on two monitors, for the choice the settings file holds.
void popupLists(std::string* places, std::string* monitors, StandInPlayer& player)
{
    answerMonitors(twoMonitors, 2);
    player.init(steadySong, 1);
    REQUIRE(runPlayerUntilPolls(2));
    configure(player, [&](HWND dialog) {
        *places = listed(dialog, IDC_POPUP_PLACE);
        *monitors = listed(dialog, IDC_POPUP_MONITOR);
        click(dialog, IDOK);
    });
}

}  // namespace

TEST_CASE("the popup box and its lists: each place, each monitor with its size and the primary named; the choice saved")
{
    StandInPlayer player("[zoPipwick]\r\nSleep=100\r\nPopupPlace=4\r\nPopupMonitor=7\r\n");
    std::string places, monitors;
    popupLists(&places, &monitors, player);
    CHECK(places == "Bottom right|Bottom centre|Bottom left|Top left|Top centre*|Top right|");
    CHECK(monitors == "The one Winamp is on|1: 1920 × 1080 (primary)|2: 1280 × 1024|");
    // The keys of the hand-made file stand first, as the file had them.
    CHECK(readTextFile(player.settingsPath()).find("PopupPlace=4\r\nPopupMonitor=7\r\n") != std::string::npos);
    CHECK(readTextFile(player.settingsPath()).find("\r\nPopup=0\r\n") != std::string::npos);
    configure(player, [](HWND dialog) {
        click(dialog, IDC_POPUP);
        SendDlgItemMessageW(dialog, IDC_POPUP_PLACE, CB_SETCURSEL, 3, 0);
        SendDlgItemMessageW(dialog, IDC_POPUP_MONITOR, CB_SETCURSEL, 2, 0);
        click(dialog, IDOK);
    });
    CHECK(readTextFile(player.settingsPath()).find("PopupPlace=3\r\nPopupMonitor=2\r\n") != std::string::npos);
    CHECK(readTextFile(player.settingsPath()).find("\r\nPopup=1\r\n") != std::string::npos);
    player.quit();
}

TEST_CASE("ru: the popup's lists in Russian")
{
    StandInPlayer player("[zoPipwick]\r\nSleep=100\r\nPopupMonitor=1\r\n");
    std::string places, monitors;
    popupLists(&places, &monitors, player);
    CHECK(places == "Внизу справа*|Внизу по центру|Внизу слева|Вверху слева|Вверху по центру|Вверху справа|");
    CHECK(monitors == "Тот, где Winamp|1: 1920 × 1080 (основной)*|2: 1280 × 1024|");
    player.quit();
}
