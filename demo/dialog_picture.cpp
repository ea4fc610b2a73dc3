// Opens the plug-in's options dialog in the stand-in player and says where it is on the screen, so
// that tools/dialog-pictures.sh can photograph it; then cancels it.
#include <windows.h>
#include <stdio.h>
#include "host.h"
#include "window.h"

static DWORD WINAPI showDialog(LPVOID)
{
    HWND dialog = waitForPlayerDialog();
    if (!dialog) return 1;
    RECT box;
    GetWindowRect(dialog, &box);
    printf("dialog shown at %ld %ld %ld %ld\n", box.left, box.top, box.right - box.left, box.bottom - box.top);
    fflush(stdout);
    Sleep(2500);   // time for the photograph
    SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return 0;
}

int main()
{
    char folder[MAX_PATH], dllPath[MAX_PATH], ini[MAX_PATH];
    makeScratchFolder("picture", folder, MAX_PATH);
    if (!copyPluginTo(folder, "gen_Pipwick.dll", dllPath, MAX_PATH)) return 1;
    snprintf(ini, MAX_PATH, "%s\\plugin.ini", folder);
    if (FILE* file = fopen(ini, "wb")) { fputs("[zoPipwick]\r\nSimple=1\r\nSleep=1500\r\nDuration=10000\r\n", file); fclose(file); }
    HWND window = createPlayerWindow();
    LoadedPlugin plugin;
    if (!loadPlugin(dllPath, window, &plugin)) return 1;
    const PollAnswer stopped[] = {{StateStopped, "Winamp"}};
    scriptPolls(stopped, 1);
    plugin.record->init();
    expectPlayerDialog();
    HANDLE helper = CreateThread(nullptr, 0, showDialog, nullptr, 0, nullptr);
    plugin.record->config();
    WaitForSingleObject(helper, INFINITE);
    plugin.record->quit();
    FreeLibrary(plugin.module);
    return 0;
}
