// The module's requests of Windows itself.
#include <windows.h>
#include "system.h"
#include "../module/module.h"

typedef LONG(WINAPI* GetRealVersion)(OSVERSIONINFOW* version);

DWORD windowsMajorVersion()
{
    FARPROC found = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
    GetRealVersion version = reinterpret_cast<GetRealVersion>(reinterpret_cast<void*>(found));
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    return version && version(&info) == 0 ? info.dwMajorVersion : 0;
}

// LOAD_LIBRARY_SEARCH_SYSTEM32 is missing on Windows 2000, and on 7 without an update: the path is built.
HMODULE loadSystemLibrary(const wchar_t* name)
{
    wchar_t path[MAX_PATH];
    UINT folder = GetSystemDirectoryW(path, MAX_PATH);
    if (folder == 0 || folder + 1 + lstrlenW(name) >= MAX_PATH) return nullptr;
    path[folder] = L'\\';
    lstrcpyW(path + folder + 1, name);
    return LoadLibraryW(path);
}

HWND makeMessageWindow(const wchar_t* className, WNDPROC procedure)
{
    HINSTANCE instance = pluginRecord.moduleInstance;
    WNDCLASSW description = {};
    description.lpfnWndProc = DefWindowProcW;
    description.hInstance = instance;
    description.lpszClassName = className;
    RegisterClassW(&description);   // fails where a class left behind still stands: it serves as well
    HWND window = CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (!window) {
        UnregisterClassW(className, instance);
        return nullptr;
    }
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
    return window;
}

void unmakeMessageWindow(HWND window, const wchar_t* className)
{
    if (!window) return;
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcW));
    DestroyWindow(window);   // fails from another thread: the window is left to its own
    UnregisterClassW(className, pluginRecord.moduleInstance);   // fails while the window stands
}
