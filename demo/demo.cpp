// The demo: the stand-in player plays a playlist with the real plug-in loaded, and every balloon the
// plug-in raises is printed with the time and what the player showed at that moment.
//   demo.exe [playlist-file] [--lines] [--own-words] [--no-icon] [--music folder] [--plugin dll] [--class name]
// --own-words: the balloon's text and title in the user's own words, formatted from the songs' tags
// (ownWords below, as in plugin.ini). With --no-icon the player shows no notification-area icon of its own (the real player's default).
// --music: where the built-in playlist's song files lie, some with a cover beside them.
// --plugin: load that DLL where it lies, with the settings beside it, as the player loads its Plugins
// folder (else a copy of the built one in a scratch folder). --class: the main window's class, as
// the player's /CLASS= switch renames it.
// A playlist file (UTF-8) has one event a line: seconds from the start, play|pause|stop, and for play the
// window title, e.g. "4.5 play 2. Some Artist - Some Song - Winamp". Lines starting with # are skipped.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "host.h"
#include "answers.h"
#include "controls.h"
#include "recorder.h"
#include "tags.h"
#include "window.h"

namespace {

// Titles are UTF-8, as the player's Unicode window holds them; the first two are outside code page 1252.
// Files lie in the --music folder: the first and third songs have a cover beside them, the second none.
const char kino[] = "Kino\\Zvezda po imeni Solntse.mp3";
const char quillfen[] = "The Quillfen Four\\Copper Kettle Morning.mp3";
const TimelineEvent defaultPlaylist[] = {
    {0, StateStopped, "Winamp", nullptr},
    {1000, StatePlaying, "1. Кино - Звезда по имени Солнце - Winamp", kino},
    {6000, StatePlaying, "2. 坂本九 - 上を向いて歩こう - Winamp", "Sakamoto Kyu\\Ue o muite arukou.mp3"},
    {11000, StatePlaying, "3. The Quillfen Four - Copper Kettle Morning - Winamp", quillfen},
    {15000, StatePaused, "3. The Quillfen Four - Copper Kettle Morning - Winamp", quillfen},
    {17000, StatePlaying, "3. The Quillfen Four - Copper Kettle Morning - Winamp", quillfen},
    {20000, StatePlaying, "[Connecting] 4. Radio Moorhen - Winamp", "http://radio.example/moorhen"},
    {21000, StatePlaying, "[Buffer: 45%] 4. Radio Moorhen - Winamp", "http://radio.example/moorhen"},
    {22000, StatePlaying, "4. Mossgrove Trio - Evening Signals - Winamp", "http://radio.example/moorhen"},
    {26000, StatePlaying, "5. Mossgrove Trio - Skipped Too Soon - Winamp", nullptr},
    {26300, StatePlaying, "6. Heron & Reed - The One That Stayed - Winamp", nullptr},
    {30500, StateStopped, "Winamp", nullptr},
    {33000, StateStopped, "Winamp", nullptr},
};
const int defaultLength = sizeof defaultPlaylist / sizeof defaultPlaylist[0];

// The tags of the built-in playlist's song files, by event; the player formats the user's own words
// from them.
const char* const defaultTags[defaultLength] = {
    nullptr,
    "artist=Кино\ntitle=Звезда по имени Солнце\nalbum=Звезда по имени Солнце\nalbumartist=Кино\ntrack=1\nyear=1989",
    "artist=坂本九\ntitle=上を向いて歩こう\nalbum=坂本九 ヒット・パレード\nalbumartist=坂本九\ntrack=3\nyear=1961",
    "artist=The Quillfen Four\ntitle=Copper Kettle Morning\nalbum=Harbour Lights\nalbumartist=The Quillfen Four\ntrack=7\nyear=2026",
};
// As plugin.ini holds them: what the code page cannot spell is written \uXXXX (here an em dash).
const char ownWords[] = "TextFormat=%artist% \\u2014 %album% (%year%)\r\nTitleFormat=%title%\r\n";
SongTags placedTags[defaultLength];
int placedTagCount;
TimelineEvent placedPlaylist[defaultLength];
char placedFiles[defaultLength][MAX_PATH];

TimelineEvent fileEvents[256];
char fileTitles[256][512];

const char* stateName(int state)
{
    switch (state) {
    case StatePlaying: return "playing";
    case StatePaused: return "paused";
    case StateStopped: return "stopped";
    }
    return "unknown";
}

// Reads a playlist file into fileEvents; returns the count, or -1 when it cannot be used.
int readPlaylist(const char* path)
{
    FILE* file = fopen(path, "r");
    if (!file) return -1;
    int count = 0;
    char line[600];
    while (count < 256 && fgets(line, sizeof line, file)) {
        line[strcspn(line, "\r\n")] = '\0';
        if (count == 0 && strncmp(line, "\xEF\xBB\xBF", 3) == 0) memmove(line, line + 3, strlen(line + 3) + 1);
        double seconds;
        char verb[16];
        int used = 0;
        if (line[0] == '#' || sscanf(line, "%lf %15s %n", &seconds, verb, &used) < 2) continue;
        int state = strcmp(verb, "play") == 0 ? StatePlaying : strcmp(verb, "pause") == 0 ? StatePaused : StateStopped;
        lstrcpynA(fileTitles[count], used ? line + used : "", 512);
        if (state == StatePlaying && !fileTitles[count][0]) lstrcpyA(fileTitles[count], "Winamp");
        if (state != StatePlaying && !fileTitles[count][0] && count > 0) lstrcpyA(fileTitles[count], fileTitles[count - 1]);
        fileEvents[count] = {static_cast<DWORD>(seconds * 1000), state, fileTitles[count], nullptr};
        ++count;
    }
    fclose(file);
    return count;
}

// The built-in playlist with its song files in folder (a Windows path); streams keep their address.
const TimelineEvent* placeSongs(const char* folder)
{
    for (int i = 0; i < defaultLength; ++i) {
        placedPlaylist[i] = defaultPlaylist[i];
        const char* file = defaultPlaylist[i].file;
        if (!file || strncmp(file, "http:", 5) == 0) continue;
        snprintf(placedFiles[i], MAX_PATH, "%s\\%s", folder, file);
        placedPlaylist[i].file = placedFiles[i];
        if (i < defaultLength && defaultTags[i]) placedTags[placedTagCount++] = {placedFiles[i], defaultTags[i]};
    }
    return placedPlaylist;
}

// The first balloon picture, as the plug-in hands it to the shell, on white and four times enlarged,
// as a 24-bit BMP at PIPWICK_COVER_PICTURE: Wine 8 draws no picture of a balloon's own.
void saveBalloonPicture(HICON picture)
{
    static bool saved;
    char path[MAX_PATH];
    if (saved || !picture || !GetEnvironmentVariableA("PIPWICK_COVER_PICTURE", path, MAX_PATH)) return;
    saved = true;
    const int side = 4 * GetSystemMetrics(SM_CXICON), tall = 4 * GetSystemMetrics(SM_CYICON);
    BITMAPINFO format = {};
    format.bmiHeader = {sizeof format.bmiHeader, side, tall, 1, 24, BI_RGB};   // bottom-up, as BMP files are
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC canvas = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(canvas, bitmap);
    RECT all = {0, 0, side, tall};
    FillRect(canvas, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(canvas, 0, 0, picture, side, tall, 0, nullptr, DI_NORMAL);
    GdiFlush();
    DWORD rowBytes = (side * 3 + 3) & ~3u;
    BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(sizeof file + sizeof format.bmiHeader + rowBytes * tall), 0, 0,
                             sizeof file + sizeof format.bmiHeader};
    if (FILE* out = fopen(path, "wb")) {
        fwrite(&file, sizeof file, 1, out);
        fwrite(&format.bmiHeader, sizeof format.bmiHeader, 1, out);
        fwrite(bits, rowBytes, tall, out);
        fclose(out);
    }
    SelectObject(canvas, old);
    DeleteObject(bitmap);
    DeleteDC(canvas);
    ReleaseDC(nullptr, screen);
}

void printCall(const ShellCall& call)
{
    saveBalloonPicture(call.notice.hBalloonIcon);
    bool playerIcon = call.notice.uID == playerIconId;
    if (call.message == NIM_DELETE) {
        printf("[%6.2f s] the plug-in's own icon removed%s\n", timelineElapsed() / 1000.0, call.result ? "" : " (it was gone)");
        fflush(stdout);
        return;
    }
    if (!call.result && playerIcon) return;   // the player shows no icon: the plug-in falls back to its own
    if (!call.result && call.message == NIM_MODIFY) return;   // its own icon went with a shell restart: added again
    // Printed in UTF-8, whichever form the plug-in used.
    wchar_t wide[256] = L"";
    if (call.wide) lstrcpynW(wide, call.wideNotice.szInfo, 256);
    else MultiByteToWideChar(CP_ACP, 0, call.notice.szInfo, -1, wide, 256);
    char utf8[800] = "";
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr);
    char text[900];
    int out = 0;
    for (const char* in = utf8; *in && out < 890; ++in) {
        if (*in == '\r') continue;
        if (*in == '\n') { text[out++] = ' '; text[out++] = '/'; text[out++] = ' '; continue; }
        text[out++] = *in;
    }
    text[out] = '\0';
    const char* where = !call.result ? "not shown: no notification area"
                        : playerIcon ? "on the player's icon" : "on the plug-in's own icon";
    if (!*text) {
        printf("[%6.2f s] balloon taken down\n", timelineElapsed() / 1000.0);
        fflush(stdout);
        return;
    }
    char title[256] = "";
    if (call.wide) WideCharToMultiByte(CP_UTF8, 0, call.wideNotice.szInfoTitle, -1, title, sizeof title, nullptr, nullptr);
    else lstrcpynA(title, call.notice.szInfoTitle, sizeof title);
    char titled[300] = "";
    if (lstrcmpA(title, "Winamp") != 0) snprintf(titled, sizeof titled, " titled \"%s\"", title);
    printf("[%6.2f s] balloon \"%s\"%s%s %s  (player %s: %s)\n", timelineElapsed() / 1000.0, text, titled,
           call.notice.hBalloonIcon ? " with its cover" : "", where, stateName(currentPlayerState()), currentPlayerTitle());
    fflush(stdout);
}

// What Windows' media overlay would show: Wine has none, so the stand-in's controls receive it.
void printMediaControls(const char* line)
{
    static const char* const statuses[] = {"closed", "changing", "stopped", "playing", "paused"};
    int status = -1;
    if (sscanf(line, "PlaybackStatus %d", &status) == 1 && status >= 0 && status <= 4)
        printf("[%6.2f s] media controls: status %s\n", timelineElapsed() / 1000.0, statuses[status]);
    else if (strncmp(line, "Update: ", 8) == 0 || strncmp(line, "FAULT", 5) == 0)
        printf("[%6.2f s] media controls: %s\n", timelineElapsed() / 1000.0, line);
    fflush(stdout);
}

BOOL CALLBACK findBalloon(HWND window, LPARAM found)
{
    char className[64];
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpiA(className, TOOLTIPS_CLASSA) == 0 && IsWindowVisible(window)
        && (GetWindowLongA(window, GWL_STYLE) & TTS_BALLOON)) {
        *reinterpret_cast<bool*>(found) = true;
        return FALSE;
    }
    return TRUE;
}

// Each popup as it shows or changes: its name (heading, line feed, text) and where it stands.
void printPopup()
{
    static wchar_t printed[512];
    HWND popup = FindWindowW(L"Pipwick popup", nullptr);
    wchar_t text[512] = L"";
    if (popup && IsWindowVisible(popup)) GetWindowTextW(popup, text, 512);
    if (lstrcmpW(text, printed) == 0) return;
    lstrcpyW(printed, text);
    if (!text[0]) return;
    RECT place = {};
    GetWindowRect(popup, &place);
    char line[1024];
    WideCharToMultiByte(CP_UTF8, 0, text, -1, line, sizeof line, nullptr, nullptr);
    for (char* at = line; *at; ++at) if (*at == '\n' || *at == '\r') *at = '/';
    char time[64] = "";   // the time under the text, where a song shows
    HWND timeLine = FindWindowExW(popup, nullptr, L"Static", nullptr);
    if (timeLine && IsWindowVisible(timeLine)) {
        wchar_t shown[32] = L"";
        GetWindowTextW(timeLine, shown, 32);
        lstrcpyA(time, " [");
        WideCharToMultiByte(CP_UTF8, 0, shown, -1, time + 2, sizeof time - 3, nullptr, nullptr);
        lstrcatA(time, "]");
    }
    printf("[%6.2f s] popup \"%s\"%s at %ld,%ld %ldx%ld  (player %s: %s)\n", timelineElapsed() / 1000.0, line, time, place.left,
           place.top, place.right - place.left, place.bottom - place.top, stateName(currentPlayerState()), currentPlayerTitle());
    printf("[%6.2f s] popup visible\n", timelineElapsed() / 1000.0);
    fflush(stdout);
}

bool balloonVisible()
{
    bool found = false;
    EnumWindows(findBalloon, reinterpret_cast<LPARAM>(&found));
    return found;
}

}  // namespace

int main(int argc, char** argv)
{
    // Wine 10 passes on no output of a program started through its explorer: the script follows a file.
    if (const char* log = getenv("PIPWICK_DEMO_LOG")) {
        if (freopen(log, "w", stdout)) freopen(log, "a", stderr);
    }
    const TimelineEvent* playlist = defaultPlaylist;
    int length = defaultLength;
    char settings[256] = "[zoPipwick]\r\nSimple=1\r\n";
    bool playerIcon = true;
    const char* pluginInPlace = nullptr;
    wchar_t className[64] = L"";
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--plugin") == 0 && i + 1 < argc) { pluginInPlace = argv[++i]; continue; }
        if (strcmp(argv[i], "--class") == 0 && i + 1 < argc) {
            MultiByteToWideChar(CP_ACP, 0, argv[++i], -1, className, 64);
            continue;
        }
        if (strcmp(argv[i], "--lines") == 0) { lstrcpyA(settings, "[zoPipwick]\r\nSimple=0\r\n"); continue; }
        if (strcmp(argv[i], "--own-words") == 0) { lstrcatA(settings, ownWords); continue; }
        if (strcmp(argv[i], "--no-icon") == 0) { playerIcon = false; continue; }
        if (strcmp(argv[i], "--popup") == 0) { lstrcatA(settings, "Popup=1\r\n"); continue; }
        if (strncmp(argv[i], "--place=", 8) == 0) { snprintf(settings + strlen(settings), 32, "PopupPlace=%d\r\n", atoi(argv[i] + 8)); continue; }
        if (strcmp(argv[i], "--music") == 0 && i + 1 < argc) { playlist = placeSongs(argv[++i]); continue; }
        length = readPlaylist(argv[i]);
        playlist = fileEvents;
        if (length <= 0) { fprintf(stderr, "demo: cannot read a playlist from %s\n", argv[i]); return 2; }
    }

    char folder[MAX_PATH], dllPath[MAX_PATH];
    if (pluginInPlace) {
        lstrcpynA(dllPath, pluginInPlace, MAX_PATH);
    } else {
        makeScratchFolder("demo", folder, MAX_PATH);
        if (!copyPluginTo(folder, "gen_Pipwick.dll", dllPath, MAX_PATH)) { fprintf(stderr, "demo: no built DLL\n"); return 1; }
        char iniPath[MAX_PATH];
        snprintf(iniPath, MAX_PATH, "%s\\plugin.ini", folder);
        if (FILE* ini = fopen(iniPath, "wb")) { fputs(settings, ini); fclose(ini); }
    }

    HWND window = createPlayerWindow(true, className[0] ? className : nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    bool tray = playerIcon && addPlayerTrayIcon(window);
    LoadedPlugin plugin;
    if (!loadPlugin(dllPath, window, &plugin)) { fprintf(stderr, "demo: cannot load %s\n", dllPath); return 1; }
    recordShellCalls(plugin.module);
    observeShellCalls(printCall);
    answerForPlugin(plugin.module);
    answerMediaControls(MediaControls::StandIn);
    answerRatings(true, 4);   // the popup's stars: each song four until the user rates it
    observeMediaControls(printMediaControls);

    printf("player: loaded \"%s\" (interface 0x%x)\n", plugin.record->description, plugin.record->version);
    printf("player: %s; playlist of %d events, %.1f s\n",
           tray ? "its icon 502 in the notification area" : "no icon of its own in the notification area",
           length, playlist[length - 1].at / 1000.0);
    fflush(stdout);

    answerSongTags(placedTags, placedTagCount);
    scriptTimeline(playlist, length);
    plugin.record->init();
    bool announced = false;
    while (timelineElapsed() < playlist[length - 1].at) {
        runPlayerFor(100);
        printPopup();
        if (!announced && shellCallCount() > 0 && balloonVisible()) {
            printf("[%6.2f s] balloon visible\n", timelineElapsed() / 1000.0);
            fflush(stdout);
            announced = true;
        }
    }
    plugin.record->quit();
    printf("player: quit after %ld polls, %ld shell calls\n", pollsAnswered(), shellCallCount());
    FreeLibrary(plugin.module);
    if (tray) removePlayerTrayIcon(window);
    DestroyWindow(window);
    return 0;
}
