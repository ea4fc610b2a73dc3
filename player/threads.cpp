// Thread listing through Toolhelp, and thread CPU time.
#include <windows.h>
#include <tlhelp32.h>
#include "threads.h"

void listProcessThreads(ThreadList* list)
{
    list->count = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != GetCurrentProcessId()) continue;
        if (list->count < 256) list->ids[list->count++] = entry.th32ThreadID;
    }
    CloseHandle(snapshot);
}

static bool contains(const ThreadList& list, DWORD id)
{
    for (int i = 0; i < list.count; ++i)
        if (list.ids[i] == id) return true;
    return false;
}

int countNewThreads(const ThreadList& before)
{
    ThreadList now;
    listProcessThreads(&now);
    int added = 0;
    for (int i = 0; i < now.count; ++i) added += !contains(before, now.ids[i]);
    return added;
}

DWORD firstNewThread(const ThreadList& before)
{
    ThreadList now;
    listProcessThreads(&now);
    for (int i = 0; i < now.count; ++i)
        if (!contains(before, now.ids[i])) return now.ids[i];
    return 0;
}

ULONGLONG threadCpuTime(HANDLE thread)
{
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(thread, &created, &exited, &kernel, &user)) return 0;
    ULARGE_INTEGER k, u;
    k.LowPart = kernel.dwLowDateTime; k.HighPart = kernel.dwHighDateTime;
    u.LowPart = user.dwLowDateTime; u.HighPart = user.dwHighDateTime;
    return k.QuadPart + u.QuadPart;
}
