// The settings in memory and in "plugin.ini", section "zoPipwick": beside the module, or per user
// where the module's folder cannot be written (Program Files, for a standard user).
#include <windows.h>
#include <shlobj.h>
#include "settings.h"
#include "../module/module.h"

Settings settings;

static const char settingsSection[] = "zoPipwick";
static const char userSettingsFolderName[] = "\\Pipwick";
static const char userSettingsFileName[] = "\\plugin.ini";
static const LONG defaultSleep = 500;

static char userSettingsFolder[MAX_PATH];   // "<application data>\Pipwick", or empty
static char userSettingsPath[MAX_PATH];     // that folder's "plugin.ini", or empty
static const char* settingsFile = "";       // the file read and written: one of the two paths, or empty

static void findUserSettings()
{
    char folder[MAX_PATH] = "";
    userSettingsFolder[0] = userSettingsPath[0] = '\0';
    if (SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK) return;
    int length = lstrlenA(folder);
    if (length == 0 || length + lstrlenA(userSettingsFolderName) + lstrlenA(userSettingsFileName) >= MAX_PATH) return;
    lstrcpyA(userSettingsFolder, folder);
    lstrcatA(userSettingsFolder, userSettingsFolderName);
    lstrcpyA(userSettingsPath, userSettingsFolder);
    lstrcatA(userSettingsPath, userSettingsFileName);
}

static bool holdsSettings(const char* path)
{
    char keys[16];
    return path[0] && GetPrivateProfileStringA(settingsSection, nullptr, "", keys, sizeof keys, path) > 0;
}

// The per-user file wins once it holds settings; otherwise the one beside the module, when there is one.
static void chooseSettingsFile()
{
    findUserSettings();
    bool userFirst = holdsSettings(userSettingsPath) || !settingsPath[0];
    settingsFile = userFirst ? userSettingsPath : settingsPath;
}

static LONG readSetting(const char* key, LONG fallback)
{
    // No path means no safe place for the file: defaults, rather than the profile API's Windows folder.
    if (!settingsFile[0]) return fallback;
    return static_cast<LONG>(GetPrivateProfileIntA(settingsSection, key, fallback, settingsFile));
}

static bool writeSetting(const char* path, const char* key, LONG value)
{
    char text[16];
    wsprintfA(text, "%d", value);
    return WritePrivateProfileStringA(settingsSection, key, text, path) != FALSE;
}

static bool writeAllSettings(const char* path)
{
    if (!path[0]) return false;
    bool written = writeSetting(path, "Active", settings.active);
    written &= writeSetting(path, "Simple", settings.simple);
    written &= writeSetting(path, "Sleep", settings.sleep);
    written &= writeSetting(path, "Duration", settings.duration);
    return written;
}

void storeSetting(volatile LONG* setting, LONG value)
{
    InterlockedExchange(setting, value);
}

void readSettings()
{
    chooseSettingsFile();
    storeSetting(&settings.active, readSetting("Active", 1));
    storeSetting(&settings.simple, readSetting("Simple", 1));
    // An interval of 0 or less would make the watcher spin, or sleep for weeks and hold up quit.
    LONG sleep = readSetting("Sleep", defaultSleep);
    storeSetting(&settings.sleep, sleep > 0 ? sleep : defaultSleep);
    storeSetting(&settings.duration, readSetting("Duration", 10000));
}

// From now on the per-user file is the one in use, and the one named if it cannot be written either.
static bool writeUserSettings()
{
    if (!userSettingsPath[0]) return false;
    CreateDirectoryA(userSettingsFolder, nullptr);
    settingsFile = userSettingsPath;
    return writeAllSettings(userSettingsPath);
}

bool writeSettings()
{
    if (settingsFile == settingsPath && writeAllSettings(settingsPath)) return true;
    return writeUserSettings();
}

const char* settingsFileInUse()
{
    return settingsFile;
}
