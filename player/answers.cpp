// The system's answers to the plug-in, patched into its imports.
#include <windows.h>
#include <shlwapi.h>
#include "answers.h"
#include "imports.h"

static volatile int shellVersion = realAnswer;
static volatile int notificationState = realAnswer;
static volatile bool foregroundAnswered;
static HWND volatile foregroundWindow;

static HRESULT CALLBACK answeredDllGetVersion(DLLVERSIONINFO* version)
{
    if (version->cbSize < sizeof *version) return E_INVALIDARG;
    version->dwMajorVersion = shellVersion;
    version->dwMinorVersion = 0;
    version->dwBuildNumber = 0;
    version->dwPlatformID = DLLVER_PLATFORM_NT;
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
    if (lstrcmpA(name, "DllGetVersion") == 0 && shellVersion != realAnswer) {
        *answer = procedure(&answeredDllGetVersion);
        return true;
    }
    if (lstrcmpA(name, "SHQueryUserNotificationState") == 0 && notificationState != realAnswer) {
        *answer = notificationState == notificationStateMissing ? nullptr : procedure(&answeredNotificationState);
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

static HWND WINAPI answeringGetForegroundWindow()
{
    return foregroundAnswered ? foregroundWindow : GetForegroundWindow();
}

bool answerForPlugin(HMODULE plugin)
{
    shellVersion = realAnswer;
    notificationState = realAnswer;
    foregroundAnswered = false;
    return patchImport(plugin, "KERNEL32.dll", "GetProcAddress", reinterpret_cast<const void*>(&answeringGetProcAddress))
        && patchImport(plugin, "USER32.dll", "GetForegroundWindow", reinterpret_cast<const void*>(&answeringGetForegroundWindow));
}

void answerShellVersion(int major) { shellVersion = major; }
void answerNotificationState(int state) { notificationState = state; }

void answerForegroundWindow(HWND window)
{
    foregroundWindow = window;
    foregroundAnswered = true;
}
