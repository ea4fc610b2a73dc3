// Windows' media controls (the System Media Transport Controls) of the stand-in's own, which Wine
// lacks: handed out through the plug-in's GetProcAddress in place of combase's RoGetActivationFactory
// and shcore's two stream functions. Declared here from the platform's documentation, not from the
// plug-in's header, so that a wrong identifier or slot there fails a test. They answer only the
// interface identifiers they implement, and record every activation, identifier asked for, property
// set, Update() and button handler as a line of text.
#ifndef STANDIN_CONTROLS_H
#define STANDIN_CONTROLS_H

#include <windows.h>
#include <unknwn.h>

enum class MediaControls {
    System,            // the real system answers (Wine 8: "class not registered"; Wine 10 has its own)
    StandIn,           // the stand-in's controls
    ActivationFails,   // every activation recorded and refused, as Windows before 8 would; the default
    Wine10,            // as Wine 10's: a display that refuses thumbnails (E_NOTIMPL) and shcore's stream
                       // functions stubs that raise; here with the stream references too
    NullControls,      // success with nothing: GetForWindow,
    NullDisplay,       // get_DisplayUpdater,
    NullMusic,         // get_MusicProperties
};
void answerMediaControls(MediaControls controls);

// The function the stand-in answers for name, or null (the system's then).
FARPROC mediaControlsFunction(const char* name);

// Everything recorded since the last clear, a line each ("Update: title=... | artist=..."), and the
// lines that say what the plug-in got wrong ("FAULT: ...").
const char* mediaControlsLog();
void clearMediaControlsLog();
void observeMediaControls(void (*observer)(const char* line));   // on the caller's thread

// The stand-in's objects that someone (the plug-in, or another stand-in object) still holds.
LONG mediaControlObjectsAlive();

// Presses a button (0 play, 1 pause, 2 stop, 6 next, 7 previous) as Windows does: the registered
// handler is invoked on a thread of its own, which has ended when this returns. False when no
// handler is registered.
bool pressMediaButton(int button);

// A reference on the registered handler, as an invocation still under way would hold past its
// removal; null when none is registered. The caller releases it.
IUnknown* holdButtonHandler();

#endif
