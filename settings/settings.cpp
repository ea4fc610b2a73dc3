// The settings in memory and in "plugin.ini", section "zoPipwick".
#include <windows.h>
#include "settings.h"
#include "../plugin/module.h"

Settings settings;

static const char settingsSection[] = "zoPipwick";
static const LONG defaultSleep = 500;

static LONG readSetting(const char* key, LONG fallback)
{
    // No path means no safe place for the file: defaults, rather than the profile API's Windows folder.
    if (!settingsPath[0]) return fallback;
    return static_cast<LONG>(GetPrivateProfileIntA(settingsSection, key, fallback, settingsPath));
}

static void writeSetting(const char* key, LONG value)
{
    char text[16];
    wsprintfA(text, "%d", value);
    WritePrivateProfileStringA(settingsSection, key, text, settingsPath);
}

void storeSetting(volatile LONG* setting, LONG value)
{
    InterlockedExchange(setting, value);
}

void readSettings()
{
    storeSetting(&settings.active, readSetting("Active", 1));
    storeSetting(&settings.simple, readSetting("Simple", 1));
    // An interval of 0 or less would make the watcher spin, or sleep for weeks and hold up quit.
    LONG sleep = readSetting("Sleep", defaultSleep);
    storeSetting(&settings.sleep, sleep > 0 ? sleep : defaultSleep);
    storeSetting(&settings.duration, readSetting("Duration", 10000));
}

void writeSettings()
{
    if (!settingsPath[0]) return;
    writeSetting("Active", settings.active);
    writeSetting("Simple", settings.simple);
    writeSetting("Sleep", settings.sleep);
    writeSetting("Duration", settings.duration);
}
