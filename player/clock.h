// Time as the plug-in sees it: a clock the test sets, and a count of the pauses the plug-in takes.
#ifndef STANDIN_CLOCK_H
#define STANDIN_CLOCK_H

#include <windows.h>

// From now on the module's GetTickCount answers `now`, and stays there until the test moves it.
bool controlPluginClock(HMODULE plugin, DWORD now);
void setPluginClock(DWORD now);

// Counts the module's SleepEx calls (the watcher's pauses), which go on as before.
bool countPluginPauses(HMODULE plugin);
LONG pluginPausesBegun();

// From now on every such pause (the interval and the settle time alike) lasts a millisecond at most,
// until the plug-in is counted anew: for tests about many balloons, not about their timing.
void shortenPluginPauses();

// Runs the player's message loop until the plug-in has begun `pauses` pauses; false on the safety time-out.
bool runPlayerUntilPauses(LONG pauses, DWORD safetyTimeout = 30000);

#endif
