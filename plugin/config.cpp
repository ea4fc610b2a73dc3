// The player's configure callback: the dialog edits, this saves and applies.
#include <windows.h>
#include "config.h"
#include "lifecycle.h"
#include "../module/module.h"
#include "../options/options.h"
#include "../resources/resource.h"
#include "../settings/settings.h"
#include "../text/text.h"

// The settings apply all the same, until the player closes.
static void reportUnsavedSettings()
{
    char format[256] = "";
    LoadStringA(pluginRecord.moduleInstance, IDS_SAVE_FAILED, format, sizeof format);
    char message[256 + MAX_PATH];
    formatTextCut(message, sizeof message, format, settingsFileInUse());
    MessageBoxA(pluginRecord.hostWindow, message, descriptionText, MB_OK | MB_ICONWARNING);
}

void pluginConfig()
{
    if (!editSettingsInDialog()) return;
    bool saved = writeSettings();
    applySettings();
    if (!saved) reportUnsavedSettings();
}
