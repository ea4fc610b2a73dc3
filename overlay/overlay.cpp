// The media overlay through the System Media Transport Controls, all of it resolved at run time so that
// the module still loads on Windows 2000. The controls are agile: the watcher's single-threaded
// apartment calls them directly, and Windows calls the agile button handler on a thread of its own,
// where it only posts the press on.
#include <windows.h>
#include "overlay.h"
#include "interfaces.h"
#include "../buttons/buttons.h"
#include "../system/system.h"

enum PlayState : LONG { Playing = 1, Paused = 3 };

static const DWORD handlerReleaseWait = 1000;   // how long the end waits for Windows to let go of the handler

static HMODULE combase, shcore;
static GetActivationFactory getActivationFactory;
static CreateString createString;
static DeleteString deleteString;
static StreamOverStream streamOverStream;    // shcore's, or null: no thumbnails

static IMediaControls* controls;             // while the overlay is open
static IControlsDisplayUpdater* display;
static IStreamReferenceStatics* streamReferences;   // or null: no thumbnails
static bool thumbnailsTaken;                 // the display answered a thumbnail of none
static EventRegistrationToken buttonToken;
static bool buttonHandlerAdded;
static volatile LONG shownState;             // the play state last polled, for buttons without their window
static volatile LONG handlerReferences;      // those Windows holds on the button handler

// The button handler is static data with a table of its methods: the module runs no constructors,
// so a C++ object with virtual functions would have none to set its table.
struct ButtonHandler;
struct ButtonHandlerMethods {
    HRESULT(STDMETHODCALLTYPE* queryInterface)(ButtonHandler* self, REFIID type, void** object);
    ULONG(STDMETHODCALLTYPE* addRef)(ButtonHandler* self);
    ULONG(STDMETHODCALLTYPE* release)(ButtonHandler* self);
    HRESULT(STDMETHODCALLTYPE* invoke)(ButtonHandler* self, IInspectable* sender, IButtonPressedEventArgs* args);
};
struct ButtonHandler {
    const ButtonHandlerMethods* methods;
};

template <typename Interface>
static void release(Interface*& object)
{
    if (object) object->Release();
    object = nullptr;
}

static bool sameType(REFIID one, REFIID other)
{
    const DWORD* a = reinterpret_cast<const DWORD*>(&one);
    const DWORD* b = reinterpret_cast<const DWORD*>(&other);
    return a[0] == b[0] && a[1] == b[1] && a[2] == b[2] && a[3] == b[3];
}

static ULONG STDMETHODCALLTYPE addHandlerReference(ButtonHandler*)
{
    return static_cast<ULONG>(InterlockedIncrement(&handlerReferences));
}

static ULONG STDMETHODCALLTYPE releaseHandlerReference(ButtonHandler*)
{
    return static_cast<ULONG>(InterlockedDecrement(&handlerReferences));
}

static HRESULT STDMETHODCALLTYPE queryHandler(ButtonHandler* self, REFIID type, void** object)
{
    bool known = sameType(type, iidUnknown) || sameType(type, iidAgileObject) || sameType(type, iidButtonHandler);
    *object = known ? self : nullptr;
    if (!known) return E_NOINTERFACE;
    addHandlerReference(self);
    return S_OK;
}

// Asking the player from Windows' thread could wait on it: the press is posted on.
static HRESULT STDMETHODCALLTYPE buttonPressed(ButtonHandler*, IInspectable*, IButtonPressedEventArgs* args)
{
    int button = -1;
    if (args && SUCCEEDED(args->get_Button(&button))) pressPlayerButton(button, shownState);
    return S_OK;
}

static const ButtonHandlerMethods buttonHandlerMethods = {queryHandler, addHandlerReference, releaseHandlerReference,
                                                          buttonPressed};
static ButtonHandler buttonHandler = {&buttonHandlerMethods};

template <typename Function>
static Function resolved(HMODULE module, const char* name)
{
    FARPROC found = module ? GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(found));
}

static bool activate(const wchar_t* className, REFIID type, void** factory)
{
    HSTRING name = nullptr;
    *factory = nullptr;
    if (FAILED(createString(className, static_cast<UINT32>(lstrlenW(className)), &name))) return false;
    HRESULT result = getActivationFactory(name, type, factory);
    deleteString(name);
    return SUCCEEDED(result) && *factory;   // success with nothing is a failure too, here and below
}

static void unloadLibraries()
{
    if (shcore) FreeLibrary(shcore);
    if (combase) FreeLibrary(combase);
    shcore = combase = nullptr;
}

static bool takeControls(HWND player)
{
    IMediaControlsInterop* interop = nullptr;
    bool taken = activate(L"Windows.Media.SystemMediaTransportControls", iidControlsInterop,
                          reinterpret_cast<void**>(&interop))
              && SUCCEEDED(interop->GetForWindow(player, iidControls, reinterpret_cast<void**>(&controls))) && controls
              && SUCCEEDED(controls->get_DisplayUpdater(&display)) && display;
    release(interop);
    if (taken) return true;
    release(display);
    release(controls);
    return false;
}

// Thumbnails come through shcore's synchronous streams: the asynchronous file route never completes
// in an apartment that does not pump. A runtime may have the controls without a display that takes a
// thumbnail, and shcore's stream functions as stubs that raise (Wine): shcore comes last, only once
// the display and the stream references have answered.
static void prepareThumbnails()
{
    thumbnailsTaken = SUCCEEDED(display->put_Thumbnail(nullptr));
    if (!thumbnailsTaken || !activate(L"Windows.Storage.Streams.RandomAccessStreamReference", iidStreamReferenceStatics,
                                      reinterpret_cast<void**>(&streamReferences)))
        return;
    shcore = loadSystemLibrary(L"shcore.dll");
    streamOverStream = resolved<StreamOverStream>(shcore, "CreateRandomAccessStreamOverStream");
}

static void enableButtons(boolean enabled)
{
    controls->put_IsEnabled(enabled);
    controls->put_IsPlayEnabled(enabled);
    controls->put_IsPauseEnabled(enabled);
    controls->put_IsStopEnabled(enabled);
    controls->put_IsNextEnabled(enabled);
    controls->put_IsPreviousEnabled(enabled);
}

bool openOverlay(HWND player)
{
    if (controls) return true;
    combase = loadSystemLibrary(L"combase.dll");
    getActivationFactory = resolved<GetActivationFactory>(combase, "RoGetActivationFactory");
    createString = resolved<CreateString>(combase, "WindowsCreateString");
    deleteString = resolved<DeleteString>(combase, "WindowsDeleteString");
    if (!getActivationFactory || !createString || !deleteString || !takeControls(player)) {
        unloadLibraries();
        return false;
    }
    prepareThumbnails();
    enableButtons(1);
    buttonHandlerAdded = SUCCEEDED(controls->add_ButtonPressed(reinterpret_cast<IButtonHandler*>(&buttonHandler),
                                                               &buttonToken));
    return true;
}

bool overlayOpen()
{
    return controls != nullptr;
}

// An empty text is the null string.
template <typename Properties>
static void putText(Properties* properties, HRESULT(STDMETHODCALLTYPE Properties::*put)(HSTRING), const wchar_t* text)
{
    HSTRING string = nullptr;
    if (text[0] && FAILED(createString(text, static_cast<UINT32>(lstrlenW(text)), &string))) string = nullptr;
    (properties->*put)(string);
    if (string) deleteString(string);
}

// A reference to the cover for the thumbnail.
static IUnknown* thumbnailOf(IStream* cover)
{
    if (!cover || !streamReferences || !streamOverStream) return nullptr;
    IUnknown* stream = nullptr;
    streamOverStream(cover, 0, iidRandomAccessStream, reinterpret_cast<void**>(&stream));
    IUnknown* reference = nullptr;
    if (stream) streamReferences->CreateFromStream(stream, &reference);
    release(stream);
    return reference;
}

static void showMusicProperties(const SongDetails& song)
{
    IMusicDisplayProperties* music = nullptr;
    if (FAILED(display->get_MusicProperties(&music)) || !music) return;
    putText(music, &IMusicDisplayProperties::put_Title, song.title);
    putText(music, &IMusicDisplayProperties::put_Artist, song.artist);
    putText(music, &IMusicDisplayProperties::put_AlbumArtist, song.albumArtist);
    IMusicDisplayProperties2* more = nullptr;
    if (SUCCEEDED(music->QueryInterface(iidMusicProperties2, reinterpret_cast<void**>(&more))) && more) {
        putText(more, &IMusicDisplayProperties2::put_AlbumTitle, song.album);
        more->put_TrackNumber(song.track);
    }
    release(more);
    release(music);
}

// Nothing of the previous song stays: every field is set, the thumbnail too.
void showSongInOverlay(const SongDetails& song, IStream* cover)
{
    if (!controls) return;
    display->put_Type(PlaybackTypeMusic);
    showMusicProperties(song);
    if (thumbnailsTaken) {
        IUnknown* thumbnail = thumbnailOf(cover);
        display->put_Thumbnail(thumbnail);
        release(thumbnail);
    }
    display->Update();
}

void showStateInOverlay(LONG playState)
{
    InterlockedExchange(&shownState, playState);
    if (!controls) return;
    int status = playState == Playing ? PlaybackPlaying : playState == Paused ? PlaybackPaused : PlaybackStopped;
    controls->put_PlaybackStatus(status);
}

// An invocation that began before the handler was removed still holds it: wait until Windows has
// released every reference before the watcher, and so the module, may end.
static void waitForHandlerReleased()
{
    for (DWORD waited = 0; handlerReferences > 0 && waited < handlerReleaseWait; waited += 10) Sleep(10);
}

void closeOverlay()
{
    if (!controls) return;
    if (buttonHandlerAdded) controls->remove_ButtonPressed(buttonToken);
    buttonHandlerAdded = false;
    display->ClearAll();
    display->Update();
    controls->put_PlaybackStatus(PlaybackClosed);
    controls->put_IsEnabled(0);
    release(streamReferences);
    thumbnailsTaken = false;
    streamOverStream = nullptr;
    release(display);
    release(controls);
    waitForHandlerReleased();
    unloadLibraries();
}

bool buttonHandlerHeld()
{
    return handlerReferences > 0;
}
