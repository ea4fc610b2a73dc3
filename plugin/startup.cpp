// Module start-up, the exported entry, and the exported CPipwick.
#include <windows.h>
#include <mbstring.h>
#include "config.h"
#include "lifecycle.h"
#include "../module/module.h"
#include "../resources/resource.h"
#include "../text/text.h"

static const char settingsFileName[] = "plugin.ini";

// Settings go only into the module's own folder: with no folder in the path, or no room for the
// file name after it, the path stays empty and the settings are neither read nor written.
static void buildSettingsPath(char* modulePath, char* fileName)
{
    if (fileName == modulePath) return;
    if ((fileName - modulePath) + static_cast<int>(sizeof settingsFileName) > MAX_PATH) return;
    lstrcpyA(fileName, settingsFileName);
    lstrcpyA(settingsPath, modulePath);
}

static void moduleStartup(HINSTANCE instance)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(instance, path, MAX_PATH);
    if (length >= MAX_PATH) length = 0;   // a cut path names neither the file nor its folder
    path[length] = '\0';
    lstrcpyA(modulePath, path);

    char* fileName = reinterpret_cast<char*>(_mbsrchr(reinterpret_cast<unsigned char*>(path), '\\'));
    fileName = fileName ? fileName + 1 : path;

    char description[128] = "";
    LoadStringA(instance, IDS_DESCRIPTION, description, sizeof description);
    formatTextCut(descriptionText, sizeof descriptionText, description, fileName);

    buildSettingsPath(path, fileName);

    LoadStringA(instance, IDS_BALLOON_TITLE, balloonTitle, sizeof balloonTitle);
    LoadStringA(instance, IDS_TIP_FORMAT, tipFormat, sizeof tipFormat);

    balloonNotice.cbSize = balloonNoticeSize;
    balloonNotice.uID = 502;
    balloonNotice.uFlags = NIF_INFO;
    balloonNotice.dwInfoFlags = NIIF_INFO;
    copyTextCut(balloonNotice.szInfoTitle, sizeof balloonNotice.szInfoTitle, balloonTitle);

    pluginRecord.init = pluginInit;
    pluginRecord.config = pluginConfig;
    pluginRecord.quit = pluginQuit;

    DisableThreadLibraryCalls(instance);
}

// The module links without the C runtime's start-up code: this is its entry point.
extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) moduleStartup(instance);
    return TRUE;
}

extern "C" GeneralPurposePlugin* winampGetGeneralPurposePlugin()
{
    return &pluginRecord;
}

// Exported for compatibility only; nobody calls it.
class CPipwick {
public:
    CPipwick& operator=(const CPipwick& other);
};

CPipwick& CPipwick::operator=(const CPipwick& other)
{
    *reinterpret_cast<char*>(this) = *reinterpret_cast<const char*>(&other);
    return *this;
}
