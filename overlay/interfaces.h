// Windows' media controls (System Media Transport Controls) as their ABI lays them out, declared by
// hand: Debian's MinGW has none of them. Only what the overlay uses is named; every other method
// keeps its slot. Windows 10 on; nothing here is linked, every entry is resolved at run time.
#ifndef PIPWICK_OVERLAY_INTERFACES_H
#define PIPWICK_OVERLAY_INTERFACES_H

#include <windows.h>
#include <objbase.h>
#include <hstring.h>
#include <inspectable.h>
#include <eventtoken.h>

// The values of the enumerations the overlay sets.
enum MediaPlaybackStatus : int { PlaybackClosed = 0, PlaybackStopped = 2, PlaybackPlaying = 3, PlaybackPaused = 4 };
enum MediaPlaybackType : int { PlaybackTypeMusic = 1 };

// As the SDK's windows.media.idl and its interop idl give them.
const IID iidControlsInterop = {0xddb0472d, 0xc911, 0x4a1f, {0x86, 0xd9, 0xdc, 0x3d, 0x71, 0xa9, 0x5f, 0x5a}};
const IID iidControls = {0x99fa3ff4, 0x1742, 0x42a6, {0x90, 0x2e, 0x08, 0x7d, 0x41, 0xf9, 0x65, 0xec}};
const IID iidMusicProperties2 = {0x00368462, 0x97d3, 0x44b9, {0xb0, 0x0f, 0x00, 0x8a, 0xfc, 0xef, 0xaf, 0x18}};
const IID iidButtonHandler = {0x0557e996, 0x7b23, 0x5bae, {0xaa, 0x81, 0xea, 0x0d, 0x67, 0x11, 0x43, 0xa4}};
const IID iidStreamReferenceStatics = {0x857309dc, 0x3fbf, 0x4e7d, {0x98, 0x6f, 0xef, 0x3b, 0x1a, 0x07, 0xa9, 0x64}};
const IID iidRandomAccessStream = {0x905a0fe1, 0xbc53, 0x11df, {0x8c, 0x49, 0x00, 0x1e, 0x4f, 0xc6, 0x86, 0xda}};
const IID iidAgileObject = {0x94ea2b94, 0xe9cc, 0x49e0, {0xc0, 0xff, 0xee, 0x64, 0xca, 0x8f, 0x5b, 0x90}};
// Here too: the library that holds IID_IUnknown brings every other identifier along.
const IID iidUnknown = {0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IMusicDisplayProperties : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Title(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Title(HSTRING value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AlbumArtist(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AlbumArtist(HSTRING value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Artist(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Artist(HSTRING value) = 0;
};

struct IMusicDisplayProperties2 : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_AlbumTitle(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AlbumTitle(HSTRING value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_TrackNumber(UINT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_TrackNumber(UINT32 value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Genres(void** value) = 0;
};

struct IControlsDisplayUpdater : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Type(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Type(int value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AppMediaId(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AppMediaId(HSTRING value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Thumbnail(IUnknown** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Thumbnail(IUnknown* streamReference) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MusicProperties(IMusicDisplayProperties** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_VideoProperties(void** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ImageProperties(void** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE CopyFromFileAsync(int type, void* file, void** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearAll() = 0;
    virtual HRESULT STDMETHODCALLTYPE Update() = 0;
};

struct IButtonPressedEventArgs : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Button(int* value) = 0;
};

// TypedEventHandler<SystemMediaTransportControls, SystemMediaTransportControlsButtonPressedEventArgs>:
// IUnknown's three slots, then Invoke.
struct IButtonHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(IInspectable* sender, IButtonPressedEventArgs* args) = 0;
};

struct IMediaControls : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_PlaybackStatus(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_PlaybackStatus(int value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DisplayUpdater(IControlsDisplayUpdater** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SoundLevel(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsEnabled(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsEnabled(boolean value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsPlayEnabled(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsPlayEnabled(boolean value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsStopEnabled(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsStopEnabled(boolean value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsPauseEnabled(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsPauseEnabled(boolean value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsRecordEnabled(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsRecordEnabled(boolean value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsFastForwardEnabled(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsFastForwardEnabled(boolean value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsRewindEnabled(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsRewindEnabled(boolean value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsPreviousEnabled(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsPreviousEnabled(boolean value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsNextEnabled(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsNextEnabled(boolean value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsChannelUpEnabled(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsChannelUpEnabled(boolean value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsChannelDownEnabled(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsChannelDownEnabled(boolean value) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_ButtonPressed(IButtonHandler* handler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_ButtonPressed(EventRegistrationToken token) = 0;
};

struct IMediaControlsInterop : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE GetForWindow(HWND window, REFIID type, void** controls) = 0;
};

struct IStreamReferenceStatics : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE CreateFromFile(IUnknown* file, IUnknown** reference) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateFromUri(IUnknown* uri, IUnknown** reference) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateFromStream(IUnknown* stream, IUnknown** reference) = 0;
};

// combase.dll and shcore.dll, Windows 8 on.
typedef HRESULT(WINAPI* GetActivationFactory)(HSTRING classId, REFIID type, void** factory);
typedef HRESULT(WINAPI* CreateString)(const wchar_t* text, UINT32 length, HSTRING* string);
typedef HRESULT(WINAPI* DeleteString)(HSTRING string);
typedef HRESULT(WINAPI* StreamOverStream)(IStream* stream, int options, REFIID type, void** randomAccess);

#endif
