// A stand-in player with a fresh copy of the plug-in loaded, its shell calls recorded.
#ifndef TESTS_STANDIN_H
#define TESTS_STANDIN_H

#include <doctest/doctest.h>
#include <windows.h>
#include <stdio.h>
#include <string>
#include "answers.h"
#include "clock.h"
#include "host.h"
#include "recorder.h"
#include "threads.h"
#include "window.h"
#include "files.h"

// The balloon layouts Windows 2000 takes: 488 and 936 bytes in the player's 32-bit process. (The
// 64-bit build that runs the tests where 32-bit programs cannot has larger ones.)
const DWORD noticeSize = NOTIFYICONDATAA_V2_SIZE;
const DWORD wideNoticeSize = NOTIFYICONDATAW_V2_SIZE;
static_assert(sizeof(void*) != 4 || (noticeSize == 488 && wideNoticeSize == 936), "the balloon layouts");

// Settings file of most tests: a short interval keeps them quick.
const char quickSettings[] = "[zoPipwick]\r\nSleep=100\r\n";

// The version Wine reports to this program, as the plug-in reads it.
inline DWORD windowsMajorVersion()
{
    typedef LONG(WINAPI * GetVersion)(OSVERSIONINFOW*);
    OSVERSIONINFOW info = {sizeof info};
    reinterpret_cast<GetVersion>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")))(&info);
    return info.dwMajorVersion;
}

// Waits, answering the player's messages, until a thread ends.
inline bool threadEnds(DWORD threadId)
{
    HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, threadId);
    if (!thread) return true;
    DWORD result;
    while ((result = MsgWaitForMultipleObjects(1, &thread, FALSE, 30000, QS_ALLINPUT)) == WAIT_OBJECT_0 + 1)
        dispatchPlayerMessages();
    CloseHandle(thread);
    return result == WAIT_OBJECT_0;
}

struct StandInPlayer {
    char folder[MAX_PATH];
    char dllPath[MAX_PATH];
    HWND window = nullptr;
    LoadedPlugin plugin{};
    ThreadList threadsBefore{};
    bool running = false;

    // settingsFile null: no plugin.ini. window: the player's window, or null to create one here.
    // The notification area is simulated, with the player's icon shown.
    // inFolder: where to put the copy of the plug-in, or null for a new scratch folder.
    explicit StandInPlayer(const char* settingsFile, const char* fileName = "gen_Pipwick.dll", HWND playerWindow = nullptr,
                           const char* inFolder = nullptr)
    {
        if (inFolder) lstrcpynA(folder, inFolder, MAX_PATH);
        else makeScratchFolder("player", folder, MAX_PATH);
        REQUIRE(copyPluginTo(folder, fileName, dllPath, MAX_PATH));
        if (settingsFile) writeTextFile(settingsPath(), settingsFile);
        window = playerWindow ? playerWindow : createPlayerWindow();
        REQUIRE(loadPlugin(dllPath, window, &plugin));
        REQUIRE(recordShellCalls(plugin.module));
        REQUIRE(countPluginPauses(plugin.module));
        REQUIRE(answerForPlugin(plugin.module));
        clearShellCalls();
        useTray(Tray::Simulated);
        showSimulatedIcon(window, playerIconId);
        listProcessThreads(&threadsBefore);
    }

    std::string settingsPath() const { return std::string(folder) + "\\plugin.ini"; }

    void init(const PollAnswer* answers, int count)
    {
        scriptPolls(answers, count);
        CHECK(plugin.record->init() == 0);
        running = true;
    }

    void quit()
    {
        plugin.record->quit();
        running = false;
    }

    // The player closes and starts again: quit, the watcher ends, the module is unloaded and loaded
    // afresh from the same file, to read its settings anew at the next init.
    void reload()
    {
        DWORD watcher = firstNewThread(threadsBefore);
        if (running) quit();
        if (watcher) REQUIRE(threadEnds(watcher));
        FreeLibrary(plugin.module);
        REQUIRE(GetModuleHandleA(dllPath) == nullptr);
        REQUIRE(loadPlugin(dllPath, window, &plugin));
        REQUIRE(recordShellCalls(plugin.module));
        REQUIRE(countPluginPauses(plugin.module));
        REQUIRE(answerForPlugin(plugin.module));
        clearShellCalls();
    }

    ~StandInPlayer()
    {
        if (running) plugin.record->quit();
        FreeLibrary(plugin.module);
        DestroyWindow(window);
    }
};

// A balloon's text: as passed to Shell_NotifyIconA, or "W:" and the UTF-16 text in UTF-8.
inline std::string balloonText(const ShellCall& call)
{
    return call.wide ? "W:" + utf8(call.wideNotice.szInfo) : std::string(call.notice.szInfo);
}

// One shell call: "text" for a balloon on the player's icon, the common case; otherwise the
// message and icon id, "!" first when the shell refused it, and the text of a balloon; "down#id"
// for a balloon taken down (an empty text).
inline std::string describeCall(const ShellCall& call)
{
    bool balloon = (call.notice.uFlags & NIF_INFO) != 0;
    if (balloon && balloonText(call).empty()) return (call.result ? "down#" : "!down#") + std::to_string(call.notice.uID);
    if (call.message == NIM_MODIFY && call.notice.uID == playerIconId && call.result) return balloonText(call);
    const char* verb = call.message == NIM_ADD ? "add" : call.message == NIM_MODIFY ? "modify" : "delete";
    std::string text = std::string(call.result ? "" : "!") + verb + "#" + std::to_string(call.notice.uID);
    return balloon ? text + ":" + balloonText(call) : text;
}

// The shell calls so far, "poll:call" joined by " | ".
inline std::string balloons()
{
    std::string all;
    for (LONG i = 0; i < shellCallCount(); ++i) {
        const ShellCall& call = shellCall(i);
        if (!all.empty()) all += " | ";
        all += std::to_string(call.poll) + ":" + describeCall(call);
    }
    return all;
}

// Plays the script until every poll in it has had its effect (the next poll has begun), then quits.
inline std::string balloonsFor(const PollAnswer* answers, int count, const char* settingsFile = quickSettings)
{
    StandInPlayer player(settingsFile);
    player.init(answers, count);
    REQUIRE(runPlayerUntilPolls(count + 1));
    player.quit();
    return balloons();
}

#endif
