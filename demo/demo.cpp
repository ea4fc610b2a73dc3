// The demo: the stand-in player plays a playlist with the real plug-in loaded, and every balloon the
// plug-in raises is printed with the time and what the player showed at that moment.
//   demo.exe [playlist-file] [--lines] [--no-icon]
// With --no-icon the player shows no notification-area icon of its own (the real player's default).
// A playlist file (UTF-8) has one event a line: seconds from the start, play|pause|stop, and for play the
// window title, e.g. "4.5 play 2. Some Artist - Some Song - Winamp". Lines starting with # are skipped.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "host.h"
#include "recorder.h"
#include "window.h"

namespace {

// Titles are UTF-8, as the player's Unicode window holds them; the first two are outside code page 1252.
const TimelineEvent defaultPlaylist[] = {
    {0, StateStopped, "Winamp"},
    {1000, StatePlaying, "1. Кино - Звезда по имени Солнце - Winamp"},
    {6000, StatePlaying, "2. 坂本九 - 上を向いて歩こう - Winamp"},
    {11000, StatePlaying, "3. The Quillfen Four - Copper Kettle Morning - Winamp"},
    {15000, StatePaused, "3. The Quillfen Four - Copper Kettle Morning - Winamp"},
    {17000, StatePlaying, "3. The Quillfen Four - Copper Kettle Morning - Winamp"},
    {20000, StatePlaying, "[Connecting] 4. Radio Moorhen - Winamp"},
    {21000, StatePlaying, "[Buffer: 45%] 4. Radio Moorhen - Winamp"},
    {22000, StatePlaying, "4. Mossgrove Trio - Evening Signals - Winamp"},
    {26000, StatePlaying, "5. Mossgrove Trio - Skipped Too Soon - Winamp"},
    {26300, StatePlaying, "6. Heron & Reed - The One That Stayed - Winamp"},
    {30500, StateStopped, "Winamp"},
    {33000, StateStopped, "Winamp"},
};

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
        fileEvents[count] = {static_cast<DWORD>(seconds * 1000), state, fileTitles[count]};
        ++count;
    }
    fclose(file);
    return count;
}

void printCall(const ShellCall& call)
{
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
    printf("[%6.2f s] balloon \"%s\" %s  (player %s: %s)\n", timelineElapsed() / 1000.0, text, where,
           stateName(currentPlayerState()), currentPlayerTitle());
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

bool balloonVisible()
{
    bool found = false;
    EnumWindows(findBalloon, reinterpret_cast<LPARAM>(&found));
    return found;
}

}  // namespace

int main(int argc, char** argv)
{
    const TimelineEvent* playlist = defaultPlaylist;
    int length = sizeof defaultPlaylist / sizeof defaultPlaylist[0];
    const char* settings = "[zoPipwick]\r\nSimple=1\r\n";
    bool playerIcon = true;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--lines") == 0) { settings = "[zoPipwick]\r\nSimple=0\r\n"; continue; }
        if (strcmp(argv[i], "--no-icon") == 0) { playerIcon = false; continue; }
        length = readPlaylist(argv[i]);
        playlist = fileEvents;
        if (length <= 0) { fprintf(stderr, "demo: cannot read a playlist from %s\n", argv[i]); return 2; }
    }

    char folder[MAX_PATH], dllPath[MAX_PATH];
    makeScratchFolder("demo", folder, MAX_PATH);
    if (!copyPluginTo(folder, "gen_Pipwick.dll", dllPath, MAX_PATH)) { fprintf(stderr, "demo: no built DLL\n"); return 1; }
    char iniPath[MAX_PATH];
    snprintf(iniPath, MAX_PATH, "%s\\plugin.ini", folder);
    if (FILE* ini = fopen(iniPath, "wb")) { fputs(settings, ini); fclose(ini); }

    HWND window = createPlayerWindow();
    ShowWindow(window, SW_SHOWNOACTIVATE);
    bool tray = playerIcon && addPlayerTrayIcon(window);
    LoadedPlugin plugin;
    if (!loadPlugin(dllPath, window, &plugin)) { fprintf(stderr, "demo: cannot load %s\n", dllPath); return 1; }
    recordShellCalls(plugin.module);
    observeShellCalls(printCall);

    printf("player: loaded \"%s\" (interface 0x%x)\n", plugin.record->description, plugin.record->version);
    printf("player: %s; playlist of %d events, %.1f s\n",
           tray ? "its icon 502 in the notification area" : "no icon of its own in the notification area",
           length, playlist[length - 1].at / 1000.0);
    fflush(stdout);

    scriptTimeline(playlist, length);
    plugin.record->init();
    bool announced = false;
    while (timelineElapsed() < playlist[length - 1].at) {
        runPlayerFor(100);
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
