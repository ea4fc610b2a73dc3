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

struct MonitorSearch {
    LONG left;   // how many more to pass
    HMONITOR found;
};

static BOOL CALLBACK countMonitor(HMONITOR monitor, HDC, RECT*, LPARAM search)
{
    MonitorSearch* looking = reinterpret_cast<MonitorSearch*>(search);
    if (--looking->left > 0) return TRUE;
    looking->found = monitor;
    return FALSE;
}

HMONITOR numberedMonitor(LONG n)
{
    MonitorSearch search = {n, nullptr};
    if (n >= 1) EnumDisplayMonitors(nullptr, nullptr, countMonitor, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

typedef HRESULT(WINAPI* GetMonitorDpi)(HMONITOR monitor, int kind, UINT* x, UINT* y);

static HMODULE dpiLibrary;     // shcore, once asked for, kept; two threads asking at once only count it twice
static bool dpiLibraryAsked;

UINT monitorDpi(HMONITOR monitor)
{
    if (!dpiLibraryAsked) dpiLibrary = loadSystemLibrary(L"shcore.dll");
    dpiLibraryAsked = true;
    FARPROC found = dpiLibrary ? GetProcAddress(dpiLibrary, "GetDpiForMonitor") : nullptr;
    GetMonitorDpi dpiOf = reinterpret_cast<GetMonitorDpi>(reinterpret_cast<void*>(found));
    UINT x = 0, y = 0;
    if (dpiOf && monitor && SUCCEEDED(dpiOf(monitor, 0, &x, &y)) && y >= 48 && y <= 960) return y;   // 0: effective
    return screenDpi();
}

UINT screenDpi()
{
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi >= 48 && dpi <= 960 ? static_cast<UINT>(dpi) : 96;
}

bool waitAnsweringMessages(HANDLE thread, DWORD timeout)
{
    DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        DWORD left = elapsed < timeout ? timeout - elapsed : 0;
        DWORD result = MsgWaitForMultipleObjects(1, &thread, FALSE, left, QS_SENDMESSAGE);
        if (result == WAIT_OBJECT_0) return true;
        if (result != WAIT_OBJECT_0 + 1 || left == 0) return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}
