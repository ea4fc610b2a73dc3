// The player's view of the threads in its process: which ones a plug-in started, and their CPU time.
#ifndef STANDIN_THREADS_H
#define STANDIN_THREADS_H

#include <windows.h>

struct ThreadList {
    DWORD ids[256];
    int count;
};

void listProcessThreads(ThreadList* list);

// Threads alive now that were not in `before`.
int countNewThreads(const ThreadList& before);
DWORD firstNewThread(const ThreadList& before);

// User plus kernel time of a thread, in 100 ns units.
ULONGLONG threadCpuTime(HANDLE thread);

#endif
