// Loading the plug-in as the player does, and scratch copies of it for tests, the demo and the benchmark.
#include <windows.h>
#include <stdio.h>
#include "host.h"

bool loadPlugin(const char* dllPath, HWND hostWindow, LoadedPlugin* plugin)
{
    wchar_t path[MAX_PATH] = L"";
    MultiByteToWideChar(CP_ACP, 0, dllPath, -1, path, MAX_PATH);
    return loadPlugin(path, hostWindow, plugin);
}

bool loadPlugin(const wchar_t* dllPath, HWND hostWindow, LoadedPlugin* plugin)
{
    plugin->module = LoadLibraryW(dllPath);
    plugin->record = nullptr;
    if (!plugin->module) return false;
    typedef PluginRecord* (*GetRecord)();
    GetRecord getRecord = reinterpret_cast<GetRecord>(
        reinterpret_cast<void*>(GetProcAddress(plugin->module, "winampGetGeneralPurposePlugin")));
    if (!getRecord) return false;
    plugin->record = getRecord();
    plugin->record->hostWindow = hostWindow;
    plugin->record->moduleInstance = plugin->module;
    return true;
}

void builtPluginPath(char* path, int size)
{
    if (GetEnvironmentVariableA("PIPWICK_DLL", path, size) > 0) return;
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    char* slash = strrchr(exe, '\\');
    if (slash) *slash = '\0';
    // Programs live in build/<folder>/; the DLL in build/.
    snprintf(path, size, "%s\\..\\gen_Pipwick.dll", exe);
}

void makeScratchFolder(const char* tag, char* folder, int size)
{
    static LONG counter;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    // Wine reuses process ids from run to run: only a folder that did not exist yet is fresh.
    do {
        snprintf(folder, size, "%spipwick-%s-%lu-%lu-%ld", temp, tag, GetCurrentProcessId(), GetTickCount(),
                 InterlockedIncrement(&counter));
    } while (!CreateDirectoryA(folder, nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
}

bool copyPluginTo(const char* folder, const char* fileName, char* dllPath, int size)
{
    char built[MAX_PATH];
    builtPluginPath(built, MAX_PATH);
    snprintf(dllPath, size, "%s\\%s", folder, fileName);
    return CopyFileA(built, dllPath, FALSE) != 0;
}
