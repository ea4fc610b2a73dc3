// The shell-call recorder: an import-table patch on the plug-in module.
#include <windows.h>
#include <shellapi.h>
#include <string.h>
#include "recorder.h"
#include "window.h"

static ShellCall calls[maxShellCalls];
static volatile LONG callCount;
static void (*callObserver)(const ShellCall& call);

static BOOL WINAPI recordingShellNotifyIcon(DWORD message, PNOTIFYICONDATAA notice)
{
    LONG index = InterlockedIncrement(&callCount) - 1;
    ShellCall scratch;
    ShellCall& call = index < maxShellCalls ? calls[index] : scratch;
    call.message = message;
    call.poll = pollsAnswered();
    QueryPerformanceCounter(&call.when);
    memset(&call.notice, 0, sizeof call.notice);
    DWORD size = notice->cbSize < sizeof call.notice ? notice->cbSize : sizeof call.notice;
    memcpy(&call.notice, notice, size);
    call.result = Shell_NotifyIconA(message, notice);
    if (callObserver) callObserver(call);
    return call.result;
}

static void* importSlot(HMODULE module, const char* dllName, const char* function)
{
    BYTE* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
    IMAGE_DATA_DIRECTORY directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!directory.VirtualAddress) return nullptr;
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); entry->Name; ++entry) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + entry->Name), dllName) != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA32*>(base + entry->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA32*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (names->u1.Ordinal & IMAGE_ORDINAL_FLAG32) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (lstrcmpA(reinterpret_cast<char*>(byName->Name), function) == 0) return &slots->u1.Function;
        }
    }
    return nullptr;
}

bool recordShellCalls(HMODULE plugin)
{
    void* slot = importSlot(plugin, "SHELL32.dll", "Shell_NotifyIconA");
    if (!slot) return false;
    DWORD oldProtection;
    VirtualProtect(slot, sizeof(DWORD), PAGE_READWRITE, &oldProtection);
    *static_cast<DWORD*>(slot) = reinterpret_cast<DWORD>(&recordingShellNotifyIcon);
    VirtualProtect(slot, sizeof(DWORD), oldProtection, &oldProtection);
    return true;
}

LONG shellCallCount() { return callCount; }
const ShellCall& shellCall(LONG index) { return calls[index < maxShellCalls ? index : maxShellCalls - 1]; }
void clearShellCalls() { callCount = 0; }
void observeShellCalls(void (*observer)(const ShellCall& call)) { callObserver = observer; }
