// Module start-up, the exported entry, and the exported CPipwick.
#include <windows.h>
#include "config.h"
#include "lifecycle.h"
#include "../module/module.h"
#include "../resources/resource.h"
#include "../settings/settings.h"
#include "../text/text.h"

// The path is kept in UTF-16, whole: a folder named outside the code page, or one deeper than
// MAX_PATH, still works.
static void moduleStartup(HINSTANCE instance)
{
    DWORD length = GetModuleFileNameW(instance, modulePath, longestPath);
    if (length >= longestPath) length = 0;   // a cut path names neither the file nor its folder
    modulePath[length] = L'\0';

    // The player reads the description as ANSI text.
    char fileName[2 * MAX_PATH] = "";
    if (!WideCharToMultiByte(CP_ACP, 0, fileNameOf(modulePath), -1, fileName, sizeof fileName, nullptr, nullptr))
        fileName[0] = '\0';
    char description[128] = "";
    LoadStringA(instance, IDS_DESCRIPTION, description, sizeof description);
    formatTextCut(descriptionText, sizeof descriptionText, description, fileName);

    buildSettingsPath(modulePath);

    LoadStringA(instance, IDS_BALLOON_TITLE, balloonTitle, sizeof balloonTitle);
    // The display language may be one the code page cannot spell (Russian under a Western code page):
    // the format is then used only in UTF-16.
    LoadStringW(instance, IDS_TIP_FORMAT, wideTipFormat, sizeof wideTipFormat / sizeof wideTipFormat[0]);
    if (!narrowWithoutLoss(wideTipFormat, tipFormat, sizeof tipFormat)) tipFormat[0] = '\0';

    // The rest of each notice is composed as the balloon is shown.
    copyTextCut(balloonNotice.szInfoTitle, sizeof balloonNotice.szInfoTitle, balloonTitle);
    LoadStringW(instance, IDS_BALLOON_TITLE, wideBalloonTitle, sizeof wideBalloonTitle / sizeof wideBalloonTitle[0]);

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
