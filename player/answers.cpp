// The system's answers to the plug-in, patched into its imports.
#include <windows.h>
#include <shlwapi.h>
#include <shobjidl.h>
#include "answers.h"
#include "imports.h"
#include "controls.h"
#include "hotkeys.h"

static volatile int shellVersion = realAnswer;
static volatile int notificationState = realAnswer;
static volatile bool foregroundAnswered;
static HWND volatile foregroundWindow;
static volatile int embeddedSide = realAnswer;
static volatile DWORD embeddedColour;
static volatile DWORD embeddedFlags;
static volatile LONG embeddedAsked;
static HANDLE volatile embeddedDelay;
static volatile LONG iconsMade, iconsDestroyed;
static volatile int screenReader = realAnswer;
static POINT answeredPointer;
static volatile bool pointerAnswered;
static volatile int monitorDpiAnswer = realAnswer;
static volatile Hold held = Hold::Nothing;
static DWORD playerThread;                                         // the thread that armed the hold
static HANDLE holdBegun = CreateEventA(nullptr, TRUE, FALSE, nullptr);
static HANDLE holdReleased = CreateEventA(nullptr, TRUE, FALSE, nullptr);

// The shell's image factory for a song file, answering with the test's picture.
struct AnsweredImages : IShellItemImageFactory {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID type, void** object) override
    {
        *object = IsEqualIID(type, IID_IUnknown) || IsEqualIID(type, IID_IShellItemImageFactory) ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetImage(SIZE, SIIGBF flags, HBITMAP* picture) override
    {
        embeddedFlags = flags;
        InterlockedIncrement(&embeddedAsked);
        *picture = nullptr;
        if (embeddedDelay) WaitForSingleObject(embeddedDelay, INFINITE);
        if (embeddedSide <= 0) return E_FAIL;   // as Windows does for a file without a thumbnail
        BITMAPINFO format = {};
        format.bmiHeader = {sizeof format.bmiHeader, embeddedSide, -embeddedSide, 1, 32, BI_RGB};
        void* bits = nullptr;
        *picture = CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!*picture) return E_OUTOFMEMORY;
        for (int i = 0; i < embeddedSide * embeddedSide; ++i) static_cast<DWORD*>(bits)[i] = embeddedColour;
        return S_OK;
    }
};
static AnsweredImages answeredImages;

static HRESULT WINAPI answeredShellItem(PCWSTR, IBindCtx*, REFIID type, void** item)
{
    return answeredImages.QueryInterface(type, item);
}

static HICON WINAPI countedCreateIconIndirect(ICONINFO* parts)
{
    HICON icon = CreateIconIndirect(parts);
    if (icon) InterlockedIncrement(&iconsMade);
    return icon;
}

static BOOL WINAPI countedDestroyIcon(HICON icon)
{
    BOOL destroyed = DestroyIcon(icon);
    if (destroyed) InterlockedIncrement(&iconsDestroyed);
    return destroyed;
}

static HRESULT CALLBACK answeredDllGetVersion(DLLVERSIONINFO* version)
{
    if (version->cbSize < sizeof *version) return E_INVALIDARG;
    version->dwMajorVersion = shellVersion;
    version->dwMinorVersion = 0;
    version->dwBuildNumber = 0;
    version->dwPlatformID = DLLVER_PLATFORM_NT;
    return S_OK;
}

static volatile int windowsMajor = realAnswer;

static LONG WINAPI answeredRealVersion(OSVERSIONINFOW* version)
{
    version->dwMajorVersion = static_cast<DWORD>(windowsMajor);
    version->dwMinorVersion = 0;
    version->dwBuildNumber = windowsMajor >= 10 ? 19045 : 7601;
    return 0;
}

static HRESULT WINAPI answeredMonitorDpi(HMONITOR, int, UINT* x, UINT* y)
{
    *x = *y = static_cast<UINT>(monitorDpiAnswer);
    return S_OK;
}

static HRESULT WINAPI answeredNotificationState(int* state)
{
    if (notificationState == notificationStateFails) return E_FAIL;
    *state = notificationState;
    return S_OK;
}

template <typename Function>
static FARPROC procedure(Function function)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(function));
}

// Whether the test answers for the named function; *answer is then its address, null where the
// shell is to lack it.
static bool answered(const char* name, FARPROC* answer)
{
    if (FARPROC function = mediaControlsFunction(name)) {
        *answer = function;
        return true;
    }
    if (lstrcmpA(name, "RtlGetVersion") == 0 && windowsMajor != realAnswer) {
        *answer = procedure(&answeredRealVersion);
        return true;
    }
    if (lstrcmpA(name, "GetDpiForMonitor") == 0 && monitorDpiAnswer != realAnswer) {
        *answer = procedure(&answeredMonitorDpi);
        return true;
    }
    if (lstrcmpA(name, "DllGetVersion") == 0 && shellVersion != realAnswer) {
        *answer = procedure(&answeredDllGetVersion);
        return true;
    }
    if (lstrcmpA(name, "SHQueryUserNotificationState") == 0 && notificationState != realAnswer) {
        *answer = notificationState == notificationStateMissing ? nullptr : procedure(&answeredNotificationState);
        return true;
    }
    if (lstrcmpA(name, "SHCreateItemFromParsingName") == 0 && embeddedSide != realAnswer) {
        *answer = embeddedSide == shellItemsMissing ? nullptr : procedure(&answeredShellItem);
        return true;
    }
    return false;
}

static FARPROC WINAPI answeringGetProcAddress(HMODULE module, LPCSTR name)
{
    FARPROC answer;
    // A name, not an ordinal (whose high word is zero).
    if (HIWORD(reinterpret_cast<ULONG_PTR>(name)) && answered(name, &answer)) return answer;
    return GetProcAddress(module, name);
}

static char librariesLoaded[4096];

static HMODULE WINAPI recordingLoadLibraryW(const wchar_t* name)
{
    size_t used = lstrlenA(librariesLoaded);
    int room = static_cast<int>(sizeof librariesLoaded - used - 1);
    int written = room > 1 ? WideCharToMultiByte(CP_UTF8, 0, name, -1, librariesLoaded + used, room, nullptr, nullptr) : 0;
    if (written > 0) lstrcpyA(librariesLoaded + used + written - 1, "\n");
    return LoadLibraryW(name);
}

static const FakeMonitor* volatile fakeMonitors;
static volatile int fakeMonitorCount, fakePlayerMonitor;

static HMONITOR fakeMonitor(int index)
{
    return reinterpret_cast<HMONITOR>(static_cast<INT_PTR>(0x5000 + index));
}

static BOOL WINAPI answeringEnumDisplayMonitors(HDC context, const RECT* clip, MONITORENUMPROC each, LPARAM data)
{
    if (!fakeMonitors) return EnumDisplayMonitors(context, clip, each, data);
    for (int i = 0; i < fakeMonitorCount; ++i) {
        RECT area = fakeMonitors[i].area;
        if (!each(fakeMonitor(i), nullptr, &area, data)) break;
    }
    return TRUE;
}

static BOOL WINAPI answeringGetMonitorInfoW(HMONITOR monitor, MONITORINFO* info)
{
    if (!fakeMonitors) return GetMonitorInfoW(monitor, info);
    INT_PTR index = reinterpret_cast<INT_PTR>(monitor) - 0x5000;
    if (index < 0 || index >= fakeMonitorCount || info->cbSize < sizeof(MONITORINFO)) return FALSE;
    info->rcMonitor = fakeMonitors[index].area;
    info->rcWork = fakeMonitors[index].work;
    info->dwFlags = index == 0 ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
}

static HMONITOR WINAPI answeringMonitorFromWindow(HWND window, DWORD flags)
{
    return fakeMonitors ? fakeMonitor(fakePlayerMonitor) : MonitorFromWindow(window, flags);
}

static HMONITOR WINAPI answeringMonitorFromPoint(POINT point, DWORD flags)
{
    return fakeMonitors ? fakeMonitor(0) : MonitorFromPoint(point, flags);
}

void answerMonitors(const FakeMonitor* monitors, int count, int playerOn)
{
    fakeMonitorCount = count;
    fakePlayerMonitor = playerOn;
    fakeMonitors = monitors;
}

static BOOL WINAPI answeringSystemParametersInfoW(UINT action, UINT number, void* value, UINT flags)
{
    if (action != SPI_GETSCREENREADER || screenReader == realAnswer) return SystemParametersInfoW(action, number, value, flags);
    *static_cast<BOOL*>(value) = screenReader;
    return TRUE;
}

static BOOL WINAPI answeringGetCursorPos(POINT* at)
{
    if (!pointerAnswered) return GetCursorPos(at);
    *at = answeredPointer;
    return TRUE;
}

static void holdHere()
{
    SetEvent(holdBegun);
    WaitForSingleObject(holdReleased, 10000);
}

static HWND WINAPI holdingCreateWindowExW(DWORD extended, const wchar_t* className, const wchar_t* name, DWORD style, int x, int y,
                                          int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* parameter)
{
    bool named = HIWORD(reinterpret_cast<ULONG_PTR>(className)) != 0;
    if (held == Hold::PopupWindow && named && lstrcmpW(className, L"Pipwick popup") == 0) holdHere();
    return CreateWindowExW(extended, className, name, style, x, y, width, height, parent, menu, instance, parameter);
}

static void releaseIfQuitWaits()
{
    if (held != Hold::Nothing && GetCurrentThreadId() == playerThread) SetEvent(holdReleased);
}

static DWORD WINAPI releasingMsgWait(DWORD count, const HANDLE* handles, BOOL all, DWORD timeout, DWORD mask)
{
    releaseIfQuitWaits();
    return MsgWaitForMultipleObjects(count, handles, all, timeout, mask);
}

static HWND WINAPI answeringGetForegroundWindow()
{
    return foregroundAnswered ? foregroundWindow : GetForegroundWindow();
}

bool answerForPlugin(HMODULE plugin)
{
    shellVersion = realAnswer;
    windowsMajor = realAnswer;
    notificationState = realAnswer;
    foregroundAnswered = false;
    embeddedSide = realAnswer;
    embeddedDelay = nullptr;
    iconsMade = iconsDestroyed = 0;
    librariesLoaded[0] = '\0';
    fakeMonitors = nullptr;
    screenReader = monitorDpiAnswer = realAnswer;
    pointerAnswered = false;
    holdPlugin(Hold::Nothing);
    // Whatever the Wine: none unless a test hands out its own, or asks for the system's.
    answerMediaControls(MediaControls::ActivationFails);
    answerGlobalHotkeys(GlobalHotkeys::Present);
    return patchImport(plugin, "KERNEL32.dll", "GetProcAddress", reinterpret_cast<const void*>(&answeringGetProcAddress))
        && patchImport(plugin, "KERNEL32.dll", "LoadLibraryW", reinterpret_cast<const void*>(&recordingLoadLibraryW))
        && patchImport(plugin, "USER32.dll", "GetForegroundWindow", reinterpret_cast<const void*>(&answeringGetForegroundWindow))
        && patchImport(plugin, "USER32.dll", "EnumDisplayMonitors", reinterpret_cast<const void*>(&answeringEnumDisplayMonitors))
        && patchImport(plugin, "USER32.dll", "GetMonitorInfoW", reinterpret_cast<const void*>(&answeringGetMonitorInfoW))
        && patchImport(plugin, "USER32.dll", "MonitorFromWindow", reinterpret_cast<const void*>(&answeringMonitorFromWindow))
        && patchImport(plugin, "USER32.dll", "MonitorFromPoint", reinterpret_cast<const void*>(&answeringMonitorFromPoint))
        && patchImport(plugin, "USER32.dll", "CreateIconIndirect", reinterpret_cast<const void*>(&countedCreateIconIndirect))
        && patchImport(plugin, "USER32.dll", "DestroyIcon", reinterpret_cast<const void*>(&countedDestroyIcon))
        && patchImport(plugin, "USER32.dll", "SystemParametersInfoW", reinterpret_cast<const void*>(&answeringSystemParametersInfoW))
        && patchImport(plugin, "USER32.dll", "GetCursorPos", reinterpret_cast<const void*>(&answeringGetCursorPos))
        && patchImport(plugin, "USER32.dll", "CreateWindowExW", reinterpret_cast<const void*>(&holdingCreateWindowExW))
        && patchImport(plugin, "USER32.dll", "MsgWaitForMultipleObjects", reinterpret_cast<const void*>(&releasingMsgWait));
}

void answerShellVersion(int major) { shellVersion = major; }
void answerScreenReader(int running) { screenReader = running; }
void answerMonitorDpi(int dpi) { monitorDpiAnswer = dpi; }

void answerPointer(const POINT* at)
{
    if (at) answeredPointer = *at;
    pointerAnswered = at != nullptr;
}

void holdPlugin(Hold where)
{
    ResetEvent(holdBegun);
    ResetEvent(holdReleased);
    playerThread = GetCurrentThreadId();
    held = where;
}

bool waitUntilHeld(DWORD timeout) { return WaitForSingleObject(holdBegun, timeout) == WAIT_OBJECT_0; }
void answerWindowsVersion(int major) { windowsMajor = major; }
void answerNotificationState(int state) { notificationState = state; }

void answerForegroundWindow(HWND window)
{
    foregroundWindow = window;
    foregroundAnswered = true;
}

void answerEmbeddedPicture(int side, DWORD colour)
{
    embeddedColour = 0xFF000000 | colour;
    embeddedSide = side;
    embeddedAsked = 0;
}

DWORD embeddedPictureFlagsAsked() { return embeddedFlags; }
LONG embeddedPicturesAsked() { return embeddedAsked; }
void delayEmbeddedPicture(HANDLE until) { embeddedDelay = until; }
LONG pluginIconsAlive() { return iconsMade - iconsDestroyed; }
LONG pluginIconsMade() { return iconsMade; }
const char* pluginLibraryLoads() { return librariesLoaded; }
