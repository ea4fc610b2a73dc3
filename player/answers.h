// What Windows tells the plug-in about the shell and the user, answered by the test where it decides:
// through the plug-in's imports of GetProcAddress (functions it resolves at run time) and
// GetForegroundWindow. Until told otherwise the real system answers.
#ifndef STANDIN_ANSWERS_H
#define STANDIN_ANSWERS_H

#include <windows.h>

// Patches the imports and lets the real system answer everything; false if the plug-in lacks one.
bool answerForPlugin(HMODULE plugin);

const int realAnswer = -1;

// The shell's major version, as its DllGetVersion gives it (5 for Windows 2000's, 6 from XP on).
void answerShellVersion(int major);

// SHQueryUserNotificationState: a QUNS_* state, or one of these.
enum : int { notificationStateFails = -2, notificationStateMissing = -3 };
void answerNotificationState(int state);

// The window in front, or null for none.
void answerForegroundWindow(HWND window);

#endif
