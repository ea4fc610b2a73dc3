// Loads the plug-in the way the player does: LoadLibrary, the export, the record's fields, init.
#ifndef STANDIN_HOST_H
#define STANDIN_HOST_H

#include <windows.h>

// The player's view of the plug-in record.
struct PluginRecord {
    int version;
    char* description;
    int (*init)();
    void (*config)();
    void (*quit)();
    HWND hostWindow;
    HINSTANCE moduleInstance;
};

struct LoadedPlugin {
    HMODULE module;
    PluginRecord* record;
};

// Loads the DLL and fetches its record; writes hostWindow and moduleInstance. Does not call init.
bool loadPlugin(const char* dllPath, HWND hostWindow, LoadedPlugin* plugin);
bool loadPlugin(const wchar_t* dllPath, HWND hostWindow, LoadedPlugin* plugin);   // any folder's name

// The built DLL: beside the running program's folder (build/gen_Pipwick.dll), or set by PIPWICK_DLL.
void builtPluginPath(char* path, int size);

// A fresh folder under the temporary folder, for one copy of the plug-in and its settings file.
void makeScratchFolder(const char* tag, char* folder, int size);

// Copies the built DLL into folder under fileName and returns its full path in dllPath.
bool copyPluginTo(const char* folder, const char* fileName, char* dllPath, int size);

#endif
