// The buttons of the module's own surfaces (the media overlay's, the popup's), sent to the player as
// its own commands, each chosen from the player's state at the press: the watcher's last poll may be
// up to "Sleep" old, and Pause toggles.
#ifndef PIPWICK_BUTTONS_H
#define PIPWICK_BUTTONS_H

#include <windows.h>

// As Windows' media controls number them; the popup's one button for both is the module's own.
enum PlayerButton : int { ButtonPlay = 0, ButtonPause = 1, ButtonStop = 2, ButtonNext = 6, ButtonPrevious = 7, ButtonPlayPause = 100 };

// The window on the player's thread that decides at each press; made at init when that runs on the
// player's window thread, as the real player always calls it, and unmade at quit.
void openButtonWindow();
void closeButtonWindow();

// From any thread, never waiting: posted to that window. Without one (init ran on another thread) the
// command is chosen from lastState, the play state as last polled.
void pressPlayerButton(int button, LONG lastState);

#endif
