// The player's configure callback: the dialog edits, this saves and applies.
#include <windows.h>
#include "config.h"
#include "lifecycle.h"
#include "../module/module.h"
#include "../options/options.h"
#include "../resources/resource.h"
#include "../settings/settings.h"
#include "../text/text.h"

// The settings apply all the same, until the player closes. In UTF-16, so that a path outside the
// code page is named as it is.
static void reportUnsavedSettings()
{
    wchar_t format[256] = L"";
    LoadStringW(pluginRecord.moduleInstance, IDS_SAVE_FAILED, format, sizeof format / sizeof format[0]);
    wchar_t message[256 + MAX_PATH];
    formatTextCut(message, sizeof message / sizeof message[0], format, settingsFileInUse());
    wchar_t caption[sizeof descriptionText];
    widenText(caption, sizeof caption / sizeof caption[0], descriptionText);
    MessageBoxW(pluginRecord.hostWindow, message, caption, MB_OK | MB_ICONWARNING);
}

void pluginConfig()
{
    if (!editSettingsInDialog()) return;
    bool saved = writeSettings();
    applySettings();
    if (!saved) reportUnsavedSettings();
}
