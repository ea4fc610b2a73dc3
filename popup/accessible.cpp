// The popup's accessible object: the role of an alert and a name of its own, every other question
// handed to the system's standard object for its client (location, state, its buttons). NVDA speaks
// an alert event whose object has that role and a name, from a topmost window of any program. The
// object is static; clients reach it through COM's marshalling, and are cut off when the window goes.
#include <windows.h>
#include <oleacc.h>
#include "accessible.h"
#include "../system/system.h"
#include "../text/text.h"

typedef HRESULT(WINAPI* CreateStandardObject)(HWND window, LONG object, REFIID type, void** standard);
typedef LRESULT(WINAPI* ResultFromObject)(REFIID type, WPARAM wParam, LPUNKNOWN object);
typedef BSTR(WINAPI* AllocateText)(const OLECHAR* text);

static HMODULE oleacc, oleaut;            // loaded at the first alert, kept until the window goes
static ResultFromObject resultFromObject;
static AllocateText allocateText;
static IAccessible* standard;             // the system's object for the popup's client
static bool comStarted;                   // this thread's apartment is ours to end
static bool unavailable;                  // tried, and Windows lacks what it takes
static wchar_t spokenName[400];           // the heading and the text in one line
static wchar_t valueText[64];

template <typename Function>
static Function resolved(HMODULE library, const char* name)
{
    FARPROC found = library ? GetProcAddress(library, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(found));
}

static bool isSelf(const VARIANT& child)
{
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

static HRESULT textAnswer(const wchar_t* text, BSTR* answer)
{
    *answer = allocateText ? allocateText(text) : nullptr;
    return *answer ? S_OK : E_OUTOFMEMORY;
}

struct PopupAccessible : IAccessible {
    // IUnknown: one static object, never freed.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID type, void** object) override
    {
        *object = nullptr;
        if (InlineIsEqualGUID(type, __uuidof(IUnknown)) || InlineIsEqualGUID(type, __uuidof(IDispatch))
            || InlineIsEqualGUID(type, __uuidof(IAccessible))) {
            *object = static_cast<IAccessible*>(this);
            return S_OK;
        }
        // The children's enumeration and the window behind it are the standard object's.
        return standard ? standard->QueryInterface(type, object) : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return standard->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override
    {
        return standard->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID type, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override
    {
        return standard->GetIDsOfNames(type, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID type, LCID locale, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                     EXCEPINFO* exception, UINT* wrong) override
    {
        return standard->Invoke(id, type, locale, flags, parameters, result, exception, wrong);
    }

    // What is the popup's own: its role, its name and its value.
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        if (!isSelf(child)) return standard->get_accRole(child, role);
        role->vt = VT_I4;
        role->lVal = ROLE_SYSTEM_ALERT;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        return isSelf(child) ? textAnswer(spokenName, name) : standard->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        if (!isSelf(child) || !valueText[0]) return standard->get_accValue(child, value);
        return textAnswer(valueText, value);
    }

    // The rest is the standard object's.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return standard->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override { return standard->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override { return standard->get_accChild(child, object); }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override { return standard->get_accDescription(child, text); }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override { return standard->get_accState(child, state); }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override { return standard->get_accHelp(child, help); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override
    {
        return standard->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override
    {
        return standard->get_accKeyboardShortcut(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return standard->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override { return standard->get_accSelection(children); }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        return standard->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override { return standard->accSelect(flags, child); }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override
    {
        return standard->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override
    {
        return standard->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override { return standard->accHitTest(x, y, child); }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { return standard->accDoDefaultAction(child); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override { return standard->put_accName(child, name); }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override { return standard->put_accValue(child, value); }
};
static PopupAccessible popupAccessible;

bool screenReaderRuns()
{
    BOOL running = FALSE;
    return SystemParametersInfoW(SPI_GETSCREENREADER, 0, &running, 0) && running;
}

// Once for the window: an apartment for the marshalling, oleacc and the standard object. Windows 2000
// with Active Accessibility and every Windows since have them.
static bool prepareAccessible(HWND window)
{
    if (standard) return true;
    if (unavailable) return false;
    unavailable = true;
    comStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    oleacc = loadSystemLibrary(L"oleacc.dll");
    oleaut = loadSystemLibrary(L"oleaut32.dll");
    CreateStandardObject create = resolved<CreateStandardObject>(oleacc, "CreateStdAccessibleObject");
    resultFromObject = resolved<ResultFromObject>(oleacc, "LresultFromObject");
    allocateText = resolved<AllocateText>(oleaut, "SysAllocString");
    if (!create || !resultFromObject || !allocateText) return false;
    IAccessible* object = nullptr;
    if (FAILED(create(window, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&object))) || !object) return false;
    standard = object;
    unavailable = false;
    return true;
}

bool announceAlert(HWND window, const wchar_t* spoken)
{
    if (!prepareAccessible(window)) return false;
    copyTextCut(spokenName, sizeof spokenName / sizeof spokenName[0], spoken);
    NotifyWinEvent(EVENT_SYSTEM_ALERT, window, OBJID_CLIENT, CHILDID_SELF);
    return true;
}

void setAccessibleValue(const wchar_t* value)
{
    copyTextCut(valueText, sizeof valueText / sizeof valueText[0], value);
}

LRESULT accessibleObjectFor(WPARAM wParam, LPARAM lParam, bool* answered)
{
    // lParam is sign-extended on 64-bit Windows: its low 32 bits name the object.
    *answered = standard && static_cast<LONG>(static_cast<DWORD>(lParam)) == OBJID_CLIENT;
    return *answered ? resultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(&popupAccessible)) : 0;
}

void forgetAccessible()
{
    if (standard) {
        CoDisconnectObject(static_cast<IAccessible*>(&popupAccessible), 0);
        standard->Release();
    }
    standard = nullptr;
    resultFromObject = nullptr;
    allocateText = nullptr;
    if (oleacc) FreeLibrary(oleacc);
    if (oleaut) FreeLibrary(oleaut);
    oleacc = oleaut = nullptr;
    if (comStarted) CoUninitialize();
    comStarted = unavailable = false;
    spokenName[0] = valueText[0] = L'\0';
}
