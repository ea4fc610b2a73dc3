// The benchmark: what the plug-in costs the player while it runs. Prints figures and ratios.
#include <windows.h>
#include <objbase.h>
#include <stdarg.h>
#include <stdlib.h>
#include <stdio.h>
#include <string.h>
#include "host.h"
#include "pictures.h"
#include "answers.h"
#include "controls.h"
#include "recorder.h"
#include "imports.h"
#include "tags.h"
#include "threads.h"
#include "window.h"

namespace {

LARGE_INTEGER frequency;

double milliseconds(LONGLONG ticks) { return 1000.0 * ticks / frequency.QuadPart; }

// A figure taken under emulation (i386 through QEMU: tools/root.sh) is not comparable with a native one.
bool emulated;

void figure(const char* format, ...)
{
    char line[512];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    printf(emulated ? "%s [emulated i386: not comparable with native figures]\n" : "%s\n", line);
}

struct Bench {
    char folder[MAX_PATH];
    char dllPath[MAX_PATH];
    HWND window;
    LoadedPlugin plugin;
    ThreadList before;

    Bench(const char* settings)
    {
        makeScratchFolder("bench", folder, MAX_PATH);
        copyPluginTo(folder, "gen_Pipwick.dll", dllPath, MAX_PATH);
        char ini[MAX_PATH];
        snprintf(ini, MAX_PATH, "%s\\plugin.ini", folder);
        FILE* file = fopen(ini, "wb");
        fputs(settings, file);
        fclose(file);
        window = createPlayerWindow();
        loadPlugin(dllPath, window, &plugin);
        recordShellCalls(plugin.module);
        clearShellCalls();
        useTray(Tray::Simulated);   // with the player's icon: the figures are the plug-in's, not a shell's
        showSimulatedIcon(window, playerIconId);
        listProcessThreads(&before);
    }
    ~Bench()
    {
        FreeLibrary(plugin.module);
        DestroyWindow(window);
    }
};

const char steadyTitle[] = "12. Some Artist - Some Song - Winamp";

// The bare cost: the two calls each poll must make, from a thread of its own.
// (Wine reports no CPU time for a thread that has ended: the thread measures itself.)
struct BareArguments { HWND window; int polls; DWORD pause; ULONGLONG cpu; };

DWORD WINAPI barePolls(LPVOID argument)
{
    BareArguments* bare = static_cast<BareArguments*>(argument);
    wchar_t title[512];
    ULONGLONG start = threadCpuTime(GetCurrentThread());
    for (int i = 0; i < bare->polls; ++i) {
        if (bare->pause) SleepEx(bare->pause, TRUE);
        SendMessageA(bare->window, WM_USER, 0, 104);
        GetWindowTextW(bare->window, title, 512);
    }
    bare->cpu = threadCpuTime(GetCurrentThread()) - start;
    return 0;
}

double bareCpuPerPoll(HWND window, int polls, DWORD pause)
{
    BareArguments arguments = {window, polls, pause, 0};
    const PollAnswer steady[] = {{StatePlaying, steadyTitle}};
    scriptPolls(steady, 1);
    HANDLE bare = CreateThread(nullptr, 0, barePolls, &arguments, 0, nullptr);
    while (MsgWaitForMultipleObjects(1, &bare, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) dispatchPlayerMessages();
    CloseHandle(bare);
    return arguments.cpu / 10.0 / polls;
}

void measureCpuPerPoll()
{
    const int polls = 10000;
    Bench bench("[zoPipwick]\r\nSleep=1\r\n");
    const PollAnswer steady[] = {{StatePlaying, steadyTitle}};
    scriptPolls(steady, 1);
    bench.plugin.record->init();
    HANDLE watcher = OpenThread(THREAD_QUERY_INFORMATION, FALSE, firstNewThread(bench.before));
    runPlayerUntilPolls(100);
    ULONGLONG startCpu = threadCpuTime(watcher);
    LONG startPolls = pollsAnswered();
    runPlayerUntilPolls(startPolls + polls);
    double watcherCpu = (threadCpuTime(watcher) - startCpu) / 10.0 / (pollsAnswered() - startPolls);
    bench.plugin.record->quit();
    CloseHandle(watcher);

    double bareCpu = bareCpuPerPoll(bench.window, polls, 0);
    double bareWithPause = bareCpuPerPoll(bench.window, polls, 1);
    figure("CPU per poll (steady song, 1 ms interval, %d polls): watcher %.1f us; bare query + title read %.1f us,"
           " ratio %.2f (aim <= 1.5); bare with the same 1 ms alertable pause %.1f us, ratio %.2f",
           polls, watcherCpu, bareCpu, watcherCpu / bareCpu, bareWithPause, watcherCpu / bareWithPause);
}

void measureBalloonLatency(int interval)
{
    // New songs at even polls; odd polls repeat the title, so each song's previous poll ends at its query.
    static char titles[24][64];
    PollAnswer script[24];
    for (int i = 0; i < 24; ++i) {
        snprintf(titles[i], sizeof titles[i], "%d. Artist %d - Song %d - Winamp", i, i, i);
        script[i] = {StatePlaying, titles[i % 2 == 0 ? i : i - 1], nullptr};
    }
    char settings[64];
    snprintf(settings, sizeof settings, "[zoPipwick]\r\nSleep=%d\r\n", interval);
    Bench bench(settings);
    scriptPolls(script, 24);
    bench.plugin.record->init();
    runPlayerUntilPolls(25);
    bench.plugin.record->quit();

    double total = 0, worst = 0;
    int count = 0;
    for (LONG i = 0; i < shellCallCount(); ++i) {
        const ShellCall& call = shellCall(i);
        LARGE_INTEGER changed;
        if (call.poll < 3 || !pollAnsweredAt(call.poll - 1, &changed)) continue;
        double beyond = milliseconds(call.when.QuadPart - changed.QuadPart) - interval - 500;
        total += beyond;
        worst = beyond > worst ? beyond : worst;
        ++count;
    }
    figure("song change to balloon, minus the %d ms interval and the 500 ms settle: mean %.2f ms, worst %.2f ms over %d songs (aim < 20 ms)",
           interval, count ? total / count : 0.0, worst, count);
}

struct DueToSent { double total, worst; int count; } dueToSent;

// A balloon is due once the settle's second title read has found the title unchanged: the last thing
// the player is asked before the balloon (but the song's file, with covers on).
void timeDueToSent(const ShellCall& call)
{
    double took = milliseconds(call.when.QuadPart - latestTitleReadAt().QuadPart);
    dueToSent.total += took;
    dueToSent.worst = took > dueToSent.worst ? took : dueToSent.worst;
    ++dueToSent.count;
}

// Ten songs of one file in a folder, each a new title.
const char* songFileIn(const char* folder)
{
    static char file[MAX_PATH * 3];
    snprintf(file, sizeof file, "%s\\song.mp3", folder);
    return file;
}

const PollAnswer* tenSongsOf(const char* file)
{
    static char titles[10][64];
    static PollAnswer script[10];
    for (int i = 0; i < 10; ++i) {
        snprintf(titles[i], sizeof titles[i], "%d. Artist %d - Song %d - Winamp", i, i, i);
        script[i] = {StatePlaying, titles[i], nullptr, file};
    }
    return script;
}

// side 0: covers off. Pictures wider than 4096 are the one-bit PNGs of a decompression bomb, refused.
// formats: "TextFormat" and "TitleFormat" lines, answered from the song's tags.
void measureCoverTime(UINT side, const char* what, const char* formats = "")
{
    char scratch[MAX_PATH];
    makeScratchFolder("cover", scratch, MAX_PATH);
    wchar_t picture[MAX_PATH + 16];
    wsprintfW(picture, L"%hs\\%s", scratch, side > 4096 ? L"cover.png" : L"cover.jpg");
    if (side) writePicture(picture, side, side, 0x336699, side > 4096);
    const char* file = songFileIn(scratch);
    const PollAnswer* script = tenSongsOf(file);
    char settings[256];
    snprintf(settings, sizeof settings, "[zoPipwick]\r\nSleep=100\r\n%s%s", side ? "" : "Cover=0\r\n", formats);
    const SongTags tags[] = {{file, "artist=Some Artist\ntitle=Some Song\nalbum=Some Album"}};
    answerSongTags(tags, 1);
    Bench bench(settings);
    dueToSent = {};
    observeShellCalls(timeDueToSent);
    scriptPolls(script, 10);
    bench.plugin.record->init();
    runPlayerUntilPolls(11);
    bench.plugin.record->quit();
    observeShellCalls(nullptr);
    answerSongTags(nullptr, 0);
    figure("balloon due to sent (settle's title read to shell call), %s: mean %.2f ms, worst %.2f ms over %d songs",
           what, dueToSent.count ? dueToSent.total / dueToSent.count : 0.0, dueToSent.worst, dueToSent.count);
}

// A popup is on screen once its window has painted: the first paint after each song's settle.
DueToSent dueToShown;
LARGE_INTEGER timedRead;

BOOL WINAPI timedEndPaint(HWND window, const PAINTSTRUCT* paint)
{
    BOOL ended = EndPaint(window, paint);
    LARGE_INTEGER read = latestTitleReadAt(), now;
    QueryPerformanceCounter(&now);
    if (read.QuadPart == timedRead.QuadPart) return ended;
    timedRead = read;
    double took = milliseconds(now.QuadPart - read.QuadPart);
    dueToShown.total += took;
    dueToShown.worst = took > dueToShown.worst ? took : dueToShown.worst;
    ++dueToShown.count;
    return ended;
}

void measurePopupTime()
{
    char scratch[MAX_PATH];
    makeScratchFolder("popup", scratch, MAX_PATH);
    wchar_t picture[MAX_PATH + 16];
    wsprintfW(picture, L"%hs\\cover.jpg", scratch);
    writePicture(picture, 1000, 1000, 0x336699);
    const PollAnswer* script = tenSongsOf(songFileIn(scratch));
    Bench bench("[zoPipwick]\r\nSleep=100\r\nPopup=1\r\n");
    patchImport(bench.plugin.module, "USER32.dll", "EndPaint", reinterpret_cast<const void*>(&timedEndPaint));
    dueToShown = {};
    timedRead = {};
    scriptPolls(script, 10);
    bench.plugin.record->init();
    runPlayerUntilPolls(11);
    bench.plugin.record->quit();
    figure("popup due to on screen (settle's title read to its first paint), a 1000 x 1000 JPEG beside each song: "
           "mean %.2f ms, worst %.2f ms over %d songs (aim < 30 ms)",
           dueToShown.count ? dueToShown.total / dueToShown.count : 0.0, dueToShown.worst, dueToShown.count);
}

struct DueToUpdate { double total, worst; int count; } dueToUpdate;

void timeOverlayUpdate(const char* line)
{
    if (strncmp(line, "Update: type 1", 14) != 0) return;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    double took = milliseconds(now.QuadPart - latestTitleReadAt().QuadPart);
    dueToUpdate.total += took;
    dueToUpdate.worst = took > dueToUpdate.worst ? took : dueToUpdate.worst;
    ++dueToUpdate.count;
}

// One song in Windows' media overlay, through the stand-in's controls: its file, five tags, the
// cover as the thumbnail and Update(), from the settle's title read; balloons off.
void measureOverlayUpdate(int embeddedSide, const char* what)
{
    char scratch[MAX_PATH];
    makeScratchFolder("overlay", scratch, MAX_PATH);
    wchar_t picture[MAX_PATH + 16];
    wsprintfW(picture, L"%hs\\cover.jpg", scratch);
    writePicture(picture, 1000, 1000, 0x336699);
    const char* file = songFileIn(scratch);
    const PollAnswer* script = tenSongsOf(file);
    const SongTags tags[] = {{file, "title=Some Song\nartist=Some Artist\nalbumartist=Some Artist\nalbum=Some Album\ntrack=4"}};
    answerSongTags(tags, 1);
    Bench bench("[zoPipwick]\r\nSleep=100\r\nBalloons=0\r\n");
    answerForPlugin(bench.plugin.module);
    answerMediaControls(MediaControls::StandIn);
    answerWindowsVersion(10);   // the overlay exists from Windows 10 on
    answerEmbeddedPicture(embeddedSide, 0x336699);
    dueToUpdate = {};
    observeMediaControls(timeOverlayUpdate);
    scriptPolls(script, 10);
    bench.plugin.record->init();
    runPlayerUntilPolls(11);
    bench.plugin.record->quit();
    observeMediaControls(nullptr);
    answerSongTags(nullptr, 0);
    figure("one song in the media overlay (its file, five tags, the thumbnail, Update()), %s: mean %.2f ms, worst %.2f ms over %d songs",
           what, dueToUpdate.count ? dueToUpdate.total / dueToUpdate.count : 0.0, dueToUpdate.worst, dueToUpdate.count);
}

void measureQuit(int interval)
{
    double took[5];
    const int rounds = sizeof took / sizeof took[0];
    for (int round = 0; round < rounds; ++round) {
        char settings[64];
        snprintf(settings, sizeof settings, "[zoPipwick]\r\nSleep=%d\r\n", interval);
        Bench bench(settings);
        const PollAnswer steady[] = {{StatePlaying, steadyTitle}};
        scriptPolls(steady, 1);
        bench.plugin.record->init();
        runPlayerFor(interval < 1000 ? interval + 700 : 300);   // mid-pause, after a song's settle
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        bench.plugin.record->quit();
        QueryPerformanceCounter(&end);
        took[round] = milliseconds(end.QuadPart - start.QuadPart);
    }
    qsort(took, rounds, sizeof took[0], [](const void* one, const void* other) {
        double a = *static_cast<const double*>(one), b = *static_cast<const double*>(other);
        return a < b ? -1 : a > b ? 1 : 0;
    });
    figure("quit returns with a %d ms interval: median %.2f ms, worst %.2f ms over %d runs (aim < 50 ms)", interval,
           took[rounds / 2], took[rounds - 1], rounds);
}

struct Usage { DWORD handles; unsigned long privateKiB, residentKiB; };

// Wine answers neither GetProcessHandleCount nor the private-bytes counter, so handles are counted by
// probing every handle value, and memory is read from the Linux process that Wine runs in.
DWORD countHandles()
{
    DWORD count = 0, flags;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4)
        count += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != FALSE;
    return count;
}

unsigned long statusKiB(const char* field)
{
    FILE* status = fopen("Z:\\proc\\self\\status", "r");
    if (!status) return 0;
    char line[256];
    unsigned long value = 0;
    size_t length = strlen(field);
    while (fgets(line, sizeof line, status))
        if (strncmp(line, field, length) == 0) value = strtoul(line + length, nullptr, 10);
    fclose(status);
    return value;
}

// Message-only windows of this process: the plug-in's own icon has one while it is shown.
int messageOnlyWindows()
{
    int count = 0;
    for (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
         window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr)) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        count += process == GetCurrentProcessId();
    }
    return count;
}

Usage usageNow()
{
    Usage usage = {};
    usage.handles = countHandles();
    usage.privateKiB = statusKiB("RssAnon:");
    usage.residentKiB = statusKiB("VmRSS:");
    return usage;
}

void soak()
{
    const int polls = 10000;
    static char titles[polls][64];
    static PollAnswer script[polls];
    int songs = 0, changed = 0;
    for (int i = 0; i < polls; ++i) {
        const char* settle = nullptr;
        if (i % 48 == 47) {
            snprintf(titles[i], 64, "%d. Soak Artist - Song %d - Winamp", i, i);
            ++songs;
        } else if (i % 200 == 99) {
            snprintf(titles[i], 64, "%d. Restless - Song %d - Winamp", i, i);
            settle = steadyTitle;
            ++changed;
        } else if (i % 2) {
            snprintf(titles[i], 64, "[Buffer: %d%%] %d. Radio - Winamp", i % 100, i);
        } else {
            snprintf(titles[i], 64, "Winamp %d", i);
        }
        script[i] = {StatePlaying, titles[i], settle};
    }
    Bench bench("[zoPipwick]\r\nSleep=1\r\n");
    scriptPolls(script, polls);
    bench.plugin.record->init();
    runPlayerUntilPolls(100);
    Usage before = usageNow();
    int windowsBefore = messageOnlyWindows();
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    // The player's icon comes and goes: in every other stretch the plug-in shows its own.
    for (LONG stretch = 1000; stretch <= polls; stretch += 1000) {
        if (stretch / 1000 % 2) hideSimulatedIcon(bench.window, playerIconId);
        else showSimulatedIcon(bench.window, playerIconId);
        runPlayerUntilPolls(stretch, 600000);
    }
    QueryPerformanceCounter(&end);
    Usage after = usageNow();
    bench.plugin.record->quit();
    DWORD handlesAfterQuit = countHandles();
    int ownIconsLeft = simulatedIconCount() - simulatedIconShown(bench.window, playerIconId);
    figure("soak: %ld polls in %.1f s, %d stable songs, %d changed within the settle, %ld shell calls",
           pollsAnswered(), milliseconds(end.QuadPart - start.QuadPart) / 1000, songs, changed, shellCallCount());
    figure("soak: after quit: icons of the plug-in's own %d, message-only windows %d -> %d, handles %lu",
           ownIconsLeft, windowsBefore, messageOnlyWindows(), handlesAfterQuit);
    figure("soak: handles %lu -> %lu; private (anonymous resident) memory %lu -> %lu KiB; resident %lu -> %lu KiB",
           before.handles, after.handles, before.privateKiB, after.privateKiB, before.residentKiB, after.residentKiB);
}

}  // namespace

int main(int argc, char** argv)
{
    QueryPerformanceFrequency(&frequency);
    char flag[8] = "";
    emulated = GetEnvironmentVariableA("PIPWICK_EMULATED", flag, sizeof flag) && strcmp(flag, "1") == 0;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);   // the cover picture is made with Windows' encoder
    bool quick = argc > 1 && strcmp(argv[1], "--quick") == 0;
    if (argc > 1 && strcmp(argv[1], "--quit") == 0) {   // quit alone, to set one DLL beside another (PIPWICK_DLL)
        measureQuit(500);
        measureQuit(30000);
        return 0;
    }
    char dll[MAX_PATH];
    builtPluginPath(dll, MAX_PATH);
    WIN32_FILE_ATTRIBUTE_DATA attributes = {};
    GetFileAttributesExA(dll, GetFileExInfoStandard, &attributes);
    printf("DLL size: %lu bytes\n", attributes.nFileSizeLow);
    fflush(stdout);
    measureCpuPerPoll();
    fflush(stdout);
    measureBalloonLatency(100);
    measureBalloonLatency(500);
    fflush(stdout);
    measureCoverTime(0, "covers off");
    measureCoverTime(0, "covers off, the text and title formatted by the player",
                     "TextFormat=%artist% - %title% (%album%)\r\nTitleFormat=%title%\r\n");
    measureCoverTime(1000, "with a 1000 x 1000 JPEG beside each song");
    // Refused by their declared size; Wine's decoder expands the picture before that size can be read.
    measurePopupTime();
    measureCoverTime(8193, "with a refused 8193 x 8193 PNG beside each song");
    measureCoverTime(30000, "with a refused 30000 x 30000 PNG beside each song");
    fflush(stdout);
    measureOverlayUpdate(0, "the cover a 1000 x 1000 JPEG beside the song");
    measureOverlayUpdate(256, "the cover inside the file, made a PNG");
    fflush(stdout);
    measureQuit(500);
    measureQuit(30000);
    fflush(stdout);
    if (!quick) soak();
    return 0;
}
