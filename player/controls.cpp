// The stand-in's media controls: objects with tables of their own, filled by slot number as the
// platform's ABI numbers them; a slot the plug-in has no business calling records a fault.
#include <windows.h>
#include <objbase.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>
#include <string.h>
#include <utility>
#include "controls.h"

namespace {

typedef struct HSTRING__* HSTRING;
typedef void* Slot;
const int slotCount = 40;

struct Fake {
    Slot* table;
    volatile LONG references;
    const char* kind;
    char holds[300];   // a stream's or a reference's picture: "file cover.jpg", "png 256x256"
    Fake* held;        // a reference's stream; the display's thumbnail
    GUID type;         // the interface it answers besides IUnknown, IInspectable and IAgileObject
};

struct KnownType {
    const char* name;
    const wchar_t* iid;
    GUID value;
};
KnownType knownTypes[] = {
    {"IUnknown", L"{00000000-0000-0000-C000-000000000046}", {}},
    {"IInspectable", L"{AF86E2E0-B12D-4C6A-9C5A-D7AA65101E90}", {}},
    {"IAgileObject", L"{94EA2B94-E9CC-49E0-C0FF-EE64CA8F5B90}", {}},
    {"ISystemMediaTransportControlsInterop", L"{DDB0472D-C911-4A1F-86D9-DC3D71A95F5A}", {}},
    {"ISystemMediaTransportControls", L"{99FA3FF4-1742-42A6-902E-087D41F965EC}", {}},
    {"ISystemMediaTransportControlsDisplayUpdater", L"{8ABBC53E-FA55-4ECF-AD8E-C984E5DD1550}", {}},
    {"IMusicDisplayProperties", L"{6BBF0C59-D0A0-4D26-92A0-F978E1D18E7B}", {}},
    {"IMusicDisplayProperties2", L"{00368462-97D3-44B9-B00F-008AFCEFAF18}", {}},
    {"ButtonPressedHandler", L"{0557E996-7B23-5BAE-AA81-EA0D671143A4}", {}},
    {"IRandomAccessStreamReferenceStatics", L"{857309DC-3FBF-4E7D-986F-EF3B1A07A964}", {}},
    {"IRandomAccessStream", L"{905A0FE1-BC53-11DF-8C49-001E4FC686DA}", {}},
    {"IRandomAccessStreamReference", L"{33EE3134-1DD6-4E3A-8067-D1C162E8642B}", {}},
    {"ButtonPressedEventArgs", L"{B7F47116-A56F-4DC8-9E11-92031F4A87C2}", {}},
};
enum Type { Unknown, Inspectable, Agile, Interop, Controls, Display, Music, Music2, Handler, Statics, Stream, Reference, Arguments };

const GUID& typeOf(Type type)
{
    static bool parsed;
    if (!parsed) {
        for (KnownType& known : knownTypes) IIDFromString(known.iid, &known.value);
        parsed = true;
    }
    return knownTypes[type].value;
}

void nameOf(REFIID type, char* name, int size)
{
    typeOf(Unknown);
    for (const KnownType& known : knownTypes)
        if (IsEqualGUID(type, known.value)) return (void)lstrcpynA(name, known.name, size);
    wchar_t text[40];
    StringFromGUID2(type, text, 40);
    WideCharToMultiByte(CP_UTF8, 0, text, -1, name, size, nullptr, nullptr);
}

volatile MediaControls mode = MediaControls::System;
// The watcher and the button threads record at once.
struct Lock {
    CRITICAL_SECTION section;
    Lock() { InitializeCriticalSection(&section); }
} recordLock;
CRITICAL_SECTION& lock = recordLock.section;
char recorded[1024 * 1024];
size_t recordedLength;
void (*observer)(const char* line);
volatile LONG alive;

Slot interopTable[slotCount], controlsTable[slotCount], displayTable[slotCount], musicTable[slotCount],
    music2Table[slotCount], staticsTable[slotCount], plainTable[slotCount], argumentsTable[slotCount];
Fake interop, controls, display, music, music2, statics;
Fake pool[64];   // streams, references and button arguments

struct Shown {
    char title[800], artist[800], albumArtist[800], album[800];
    UINT track;
    int type;
} shown;
IUnknown* handler;
INT64 handlerToken;

void record(const char* format, ...)
{
    char line[2048];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    EnterCriticalSection(&lock);
    size_t length = strlen(line);
    if (recordedLength + length + 2 < sizeof recorded) {
        memcpy(recorded + recordedLength, line, length);
        recordedLength += length;
        recorded[recordedLength++] = '\n';
        recorded[recordedLength] = '\0';
    }
    LeaveCriticalSection(&lock);
    if (observer) observer(line);
}

void text(HSTRING string, char* out, int size)
{
    typedef const wchar_t*(WINAPI * RawBuffer)(HSTRING, UINT32*);
    static RawBuffer rawBuffer = reinterpret_cast<RawBuffer>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"combase.dll"), "WindowsGetStringRawBuffer")));
    UINT32 length = 0;
    const wchar_t* units = string && rawBuffer ? rawBuffer(string, &length) : L"";
    out[0] = '\0';
    if (length) out[WideCharToMultiByte(CP_UTF8, 0, units, static_cast<int>(length), out, size - 1, nullptr, nullptr)] = '\0';
}

ULONG STDMETHODCALLTYPE addReference(Fake* self)
{
    LONG references = InterlockedIncrement(&self->references);
    if (references == 1) InterlockedIncrement(&alive);
    return references;
}

ULONG STDMETHODCALLTYPE release(Fake* self)
{
    LONG references = InterlockedDecrement(&self->references);
    if (references < 0) record("FAULT: %s released once too often", self->kind);
    if (references != 0) return references;
    InterlockedDecrement(&alive);
    Fake* held = self->held;
    self->held = nullptr;
    if (held) release(held);
    return 0;
}

HRESULT STDMETHODCALLTYPE queryInterface(Fake* self, REFIID type, void** object)
{
    char name[64];
    nameOf(type, name, sizeof name);
    Fake* face = IsEqualGUID(type, typeOf(Unknown)) || IsEqualGUID(type, typeOf(Inspectable)) ||
                 IsEqualGUID(type, typeOf(Agile)) || IsEqualGUID(type, self->type) ? self
                 : self == &music && IsEqualGUID(type, typeOf(Music2)) ? &music2 : nullptr;
    record("QueryInterface %s for %s%s", self->kind, name, face ? "" : " (refused)");
    *object = face;
    if (!face) return E_NOINTERFACE;
    addReference(face);
    return S_OK;
}

template <size_t slot>
HRESULT STDMETHODCALLTYPE unexpected(Fake* self, void*)
{
    record("FAULT: %s slot %u called", self->kind, static_cast<unsigned>(slot));
    return E_NOTIMPL;
}

template <size_t... slots>
void fillUnexpected(Slot* table, std::index_sequence<slots...>)
{
    ((table[slots] = reinterpret_cast<Slot>(&unexpected<slots>)), ...);
}

template <typename Method>
void put(Slot* table, int slot, Method method)
{
    table[slot] = reinterpret_cast<Slot>(method);
}

Fake* newObject(const char* kind, Type type, Slot* table, const char* holds)
{
    for (Fake& object : pool) {
        if (object.references > 0) continue;
        object = {table, 0, kind, "", nullptr, typeOf(type)};
        lstrcpynA(object.holds, holds, sizeof object.holds);
        addReference(&object);
        return &object;
    }
    record("FAULT: more than %d stand-in objects alive", static_cast<int>(sizeof pool / sizeof pool[0]));
    return nullptr;
}

bool topLevelOfThisProcess(HWND window)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return IsWindow(window) && process == GetCurrentProcessId() && GetAncestor(window, GA_ROOT) == window;
}

// What a runtime that answers success with nothing answers.
bool answersNothing(MediaControls where, void** object, const char* what)
{
    if (mode != where) return false;
    *object = nullptr;
    record("%s: success with nothing", what);
    return true;
}

HRESULT STDMETHODCALLTYPE getForWindow(Fake*, HWND window, REFIID type, void** object)
{
    char name[64];
    nameOf(type, name, sizeof name);
    if (answersNothing(MediaControls::NullControls, object, "GetForWindow")) return S_OK;
    *object = nullptr;
    if (!topLevelOfThisProcess(window)) record("FAULT: GetForWindow for a window that is not a top-level one of this process");
    bool known = IsEqualGUID(type, typeOf(Controls));
    record("GetForWindow as %s%s", name, known ? "" : " (refused)");
    if (!known || !topLevelOfThisProcess(window)) return known ? E_INVALIDARG : E_NOINTERFACE;
    addReference(&controls);
    *object = &controls;
    return S_OK;
}

template <int property>
HRESULT STDMETHODCALLTYPE putSwitch(Fake*, BYTE value)
{
    static const char* const names[] = {"IsEnabled", "IsPlayEnabled", "IsStopEnabled", "IsPauseEnabled", "IsPreviousEnabled", "IsNextEnabled"};
    record("%s %d", names[property], value);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE putStatus(Fake*, int status)
{
    record("PlaybackStatus %d", status);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE getDisplay(Fake*, Fake** object)
{
    if (answersNothing(MediaControls::NullDisplay, reinterpret_cast<void**>(object), "get_DisplayUpdater")) return S_OK;
    addReference(&display);
    *object = &display;
    return S_OK;
}

// Windows asks an agile handler nothing more; a handler that is not agile would be marshalled.
HRESULT STDMETHODCALLTYPE addHandler(Fake*, IUnknown* added, INT64* token)
{
    void* face = nullptr;
    const Type answered[] = {Agile, Handler, Unknown};
    for (Type type : answered) {
        if (FAILED(added->QueryInterface(typeOf(type), &face)) || face != added) record("FAULT: the handler is not %s", knownTypes[type].name);
        else added->Release();
    }
    if (SUCCEEDED(added->QueryInterface(typeOf(Inspectable), &face))) {
        record("FAULT: the handler answers IInspectable");
        added->Release();
    }
    added->AddRef();
    EnterCriticalSection(&lock);
    if (handler) record("FAULT: a second handler");
    handler = added;
    *token = handlerToken = 0x123456789ALL;
    LeaveCriticalSection(&lock);
    record("add_ButtonPressed");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE removeHandler(Fake*, INT64 token)
{
    EnterCriticalSection(&lock);
    IUnknown* removed = token == handlerToken ? handler : nullptr;
    if (removed) handler = nullptr;
    LeaveCriticalSection(&lock);
    record(removed ? "remove_ButtonPressed" : "FAULT: remove_ButtonPressed with a token it was not given");
    if (removed) removed->Release();
    return removed ? S_OK : E_INVALIDARG;
}

HRESULT STDMETHODCALLTYPE putType(Fake*, int type)
{
    shown.type = type;
    record("Type %d", type);
    return S_OK;
}

void setThumbnail(Fake* reference)
{
    if (reference) addReference(reference);
    Fake* old = display.held;
    display.held = reference;
    if (old) release(old);
}

HRESULT STDMETHODCALLTYPE putThumbnail(Fake*, Fake* reference)
{
    if (mode == MediaControls::Wine10) {
        record("Thumbnail %s (not implemented)", reference ? reference->holds : "none");
        return E_NOTIMPL;
    }
    if (reference && lstrcmpA(reference->kind, "stream reference") != 0) record("FAULT: a thumbnail that is no stream reference");
    setThumbnail(reference);
    record("Thumbnail %s", reference ? reference->holds : "none");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE getMusic(Fake*, Fake** object)
{
    if (answersNothing(MediaControls::NullMusic, reinterpret_cast<void**>(object), "get_MusicProperties")) return S_OK;
    addReference(&music);
    *object = &music;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE clearAll(Fake*)
{
    shown = {};
    setThumbnail(nullptr);
    record("ClearAll");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE update(Fake*)
{
    record("Update: type %d | title %s | artist %s | album artist %s | album %s | track %u | thumbnail %s", shown.type,
           shown.title, shown.artist, shown.albumArtist, shown.album, shown.track, display.held ? display.held->holds : "none");
    return S_OK;
}

template <int field>
HRESULT STDMETHODCALLTYPE putText(Fake*, HSTRING value)
{
    char* fields[] = {shown.title, shown.artist, shown.albumArtist, shown.album};
    static const char* const names[] = {"Title", "Artist", "AlbumArtist", "AlbumTitle"};
    text(value, fields[field], sizeof shown.title);
    record("%s %s", names[field], fields[field]);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE putTrack(Fake*, UINT32 track)
{
    shown.track = track;
    record("TrackNumber %u", track);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE createFromStream(Fake*, Fake* stream, Fake** reference)
{
    *reference = nullptr;
    if (!stream || lstrcmpA(stream->kind, "stream") != 0) {
        record("FAULT: CreateFromStream without a random-access stream");
        return E_INVALIDARG;
    }
    *reference = newObject("stream reference", Reference, plainTable, stream->holds);
    if (!*reference) return E_OUTOFMEMORY;
    addReference(stream);
    (*reference)->held = stream;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE getButton(Fake* self, int* button)
{
    *button = atoi(self->holds);
    return S_OK;
}

bool asksRandomAccessStream(REFIID type, void** stream)
{
    *stream = nullptr;
    if (IsEqualGUID(type, typeOf(Stream))) return true;
    record("FAULT: a stream asked for as something else");
    return false;
}

HRESULT WINAPI streamOnFile(const wchar_t* path, DWORD mode, REFIID type, void** stream)
{
    if (!asksRandomAccessStream(type, stream)) return E_NOINTERFACE;
    if (mode != 0) record("FAULT: a cover opened for more than reading");
    const wchar_t* name = wcsrchr(path, L'\\');
    char holds[300] = "file ";
    WideCharToMultiByte(CP_UTF8, 0, name ? name + 1 : path, -1, holds + 5, sizeof holds - 5, nullptr, nullptr);
    *stream = newObject("stream", Stream, plainTable, holds);
    return *stream ? S_OK : E_OUTOFMEMORY;
}

// The picture as the overlay would read it: a PNG whose size its header gives.
HRESULT WINAPI streamOverStream(IStream* source, int, REFIID type, void** stream)
{
    if (!asksRandomAccessStream(type, stream)) return E_NOINTERFACE;
    BYTE header[24] = {};
    ULONG got = 0;
    if (!source || FAILED(source->Read(header, sizeof header, &got)) || got < sizeof header || memcmp(header, "\x89PNG\r\n\x1a\n", 8) != 0) {
        record("FAULT: a stream in memory that does not start with a PNG");
        return E_INVALIDARG;
    }
    auto bigEndian = [&](int at) { return static_cast<unsigned>(header[at] << 24 | header[at + 1] << 16 | header[at + 2] << 8 | header[at + 3]); };
    char holds[64];
    snprintf(holds, sizeof holds, "png %ux%u", bigEndian(16), bigEndian(20));
    *stream = newObject("stream", Stream, plainTable, holds);
    return *stream ? S_OK : E_OUTOFMEMORY;
}

HRESULT WINAPI getActivationFactory(HSTRING className, REFIID type, void** factory)
{
    char name[200], typeName[64];
    text(className, name, sizeof name);
    nameOf(type, typeName, sizeof typeName);
    *factory = nullptr;
    Fake* found = lstrcmpA(name, "Windows.Media.SystemMediaTransportControls") == 0 ? &interop
                  : lstrcmpA(name, "Windows.Storage.Streams.RandomAccessStreamReference") == 0 ? &statics : nullptr;
    bool known = found && mode != MediaControls::System && mode != MediaControls::ActivationFails;
    if (known && !IsEqualGUID(type, found->type)) {
        record("activate %s as %s (refused)", name, typeName);
        return E_NOINTERFACE;
    }
    record("activate %s as %s%s", name, typeName, known ? "" : " (class not registered)");
    if (!known) return REGDB_E_CLASSNOTREG;
    addReference(found);
    *factory = found;
    return S_OK;
}

void makeTable(Slot* table)
{
    fillUnexpected(table, std::make_index_sequence<slotCount>());
    put(table, 0, &queryInterface);
    put(table, 1, &addReference);
    put(table, 2, &release);
}

void makeObjects()
{
    static bool made;
    if (made) return;
    made = true;
    for (Slot* table : {interopTable, controlsTable, displayTable, musicTable, music2Table, staticsTable, plainTable, argumentsTable})
        makeTable(table);
    put(interopTable, 6, &getForWindow);
    put(controlsTable, 7, &putStatus);
    put(controlsTable, 8, &getDisplay);
    put(controlsTable, 11, &putSwitch<0>);
    put(controlsTable, 13, &putSwitch<1>);
    put(controlsTable, 15, &putSwitch<2>);
    put(controlsTable, 17, &putSwitch<3>);
    put(controlsTable, 25, &putSwitch<4>);
    put(controlsTable, 27, &putSwitch<5>);
    put(controlsTable, 32, &addHandler);
    put(controlsTable, 33, &removeHandler);
    put(displayTable, 7, &putType);
    put(displayTable, 11, &putThumbnail);
    put(displayTable, 12, &getMusic);
    put(displayTable, 16, &clearAll);
    put(displayTable, 17, &update);
    put(musicTable, 7, &putText<0>);
    put(musicTable, 9, &putText<2>);
    put(musicTable, 11, &putText<1>);
    put(music2Table, 7, &putText<3>);
    put(music2Table, 9, &putTrack);
    put(staticsTable, 8, &createFromStream);
    put(argumentsTable, 6, &getButton);
    interop = {interopTable, 0, "interop factory", "", nullptr, typeOf(Interop)};
    controls = {controlsTable, 0, "controls", "", nullptr, typeOf(Controls)};
    display = {displayTable, 0, "display updater", "", nullptr, typeOf(Display)};
    music = {musicTable, 0, "music properties", "", nullptr, typeOf(Music)};
    music2 = {music2Table, 0, "music properties 2", "", nullptr, typeOf(Music2)};
    statics = {staticsTable, 0, "stream reference statics", "", nullptr, typeOf(Statics)};
}

struct Press {
    IUnknown* handler;
    int button;
};

DWORD WINAPI invokeHandler(LPVOID argument)
{
    Press* press = static_cast<Press*>(argument);
    char button[16];
    snprintf(button, sizeof button, "%d", press->button);
    Fake* arguments = newObject("button arguments", Arguments, argumentsTable, button);
    typedef HRESULT(STDMETHODCALLTYPE * Invoke)(IUnknown*, Fake*, Fake*);
    Invoke invoke = reinterpret_cast<Invoke>((*reinterpret_cast<Slot**>(press->handler))[3]);
    invoke(press->handler, &controls, arguments);
    if (arguments) release(arguments);
    press->handler->Release();
    return 0;
}

// As Wine's stubs do: an exception nobody may continue from.
HRESULT WINAPI raisingStub()
{
    RaiseException(0x80000100, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    return E_NOTIMPL;
}

}  // namespace

void answerMediaControls(MediaControls controls)
{
    makeObjects();
    mode = controls;
}

FARPROC mediaControlsFunction(const char* name)
{
    if (mode == MediaControls::System) return nullptr;
    auto procedure = [](auto function) { return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(function)); };
    if (lstrcmpA(name, "RoGetActivationFactory") == 0) return procedure(&getActivationFactory);
    if (mode == MediaControls::Wine10 && strncmp(name, "CreateRandomAccessStream", 24) == 0) return procedure(&raisingStub);
    if (lstrcmpA(name, "CreateRandomAccessStreamOnFile") == 0) return procedure(&streamOnFile);
    if (lstrcmpA(name, "CreateRandomAccessStreamOverStream") == 0) return procedure(&streamOverStream);
    return nullptr;
}

const char* mediaControlsLog() { return recorded; }

void clearMediaControlsLog()
{
    EnterCriticalSection(&lock);
    recordedLength = 0;
    recorded[0] = '\0';
    LeaveCriticalSection(&lock);
}

void observeMediaControls(void (*lineObserver)(const char* line)) { observer = lineObserver; }
LONG mediaControlObjectsAlive() { return alive; }

IUnknown* holdButtonHandler()
{
    EnterCriticalSection(&lock);
    IUnknown* held = handler;
    if (held) held->AddRef();
    LeaveCriticalSection(&lock);
    return held;
}

bool pressMediaButton(int button)
{
    EnterCriticalSection(&lock);
    Press press = {handler, button};
    if (handler) handler->AddRef();   // as an event source holds it while it invokes
    LeaveCriticalSection(&lock);
    if (!press.handler) return false;
    HANDLE thread = CreateThread(nullptr, 0, invokeHandler, &press, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return true;
}
