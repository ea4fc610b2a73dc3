// The settings in memory and in "plugin.ini", section "zoPipwick": beside the module, or per user
// where the module's folder cannot be written (Program Files, for a standard user).
#include <windows.h>
#include <shlobj.h>
#include "settings.h"
#include "../text/text.h"

Settings settings;

static const wchar_t settingsSection[] = L"zoPipwick";
static const wchar_t settingsFileName[] = L"plugin.ini";
static const wchar_t userSettingsFolderName[] = L"\\Pipwick";
static const LONG defaultSleep = 500;

static wchar_t settingsPath[MAX_PATH];         // "<module folder>\plugin.ini", or empty
static wchar_t userSettingsFolder[MAX_PATH];   // "<application data>\Pipwick", or empty
static wchar_t userSettingsPath[MAX_PATH];     // that folder's "plugin.ini", or empty
static const wchar_t* settingsFile = L"";      // the file read and written: one of the two paths, or empty

// Settings go only into the module's own folder: with no folder in the path, or no room for the
// file name after it, the path stays empty and the settings are neither read nor written there.
void buildSettingsPath(const wchar_t* modulePath)
{
    settingsPath[0] = L'\0';
    int folderLength = static_cast<int>(fileNameOf(modulePath) - modulePath);
    if (folderLength == 0 || folderLength + lstrlenW(settingsFileName) >= MAX_PATH) return;
    lstrcpynW(settingsPath, modulePath, folderLength + 1);
    lstrcatW(settingsPath, settingsFileName);
}

static void findUserSettings()
{
    wchar_t folder[MAX_PATH] = L"";
    userSettingsFolder[0] = userSettingsPath[0] = L'\0';
    if (SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK) return;
    int length = lstrlenW(folder);
    if (length == 0 || length + lstrlenW(userSettingsFolderName) + 1 + lstrlenW(settingsFileName) >= MAX_PATH) return;
    lstrcpyW(userSettingsFolder, folder);
    lstrcatW(userSettingsFolder, userSettingsFolderName);
    lstrcpyW(userSettingsPath, userSettingsFolder);
    lstrcatW(userSettingsPath, L"\\");
    lstrcatW(userSettingsPath, settingsFileName);
}

static bool holdsSettings(const wchar_t* path)
{
    wchar_t keys[16];
    return path[0] && GetPrivateProfileStringW(settingsSection, nullptr, L"", keys, 16, path) > 0;
}

// The per-user file wins once it holds settings; otherwise the one beside the module, when there is one.
static void chooseSettingsFile()
{
    findUserSettings();
    bool userFirst = holdsSettings(userSettingsPath) || !settingsPath[0];
    settingsFile = userFirst ? userSettingsPath : settingsPath;
}

static LONG readSetting(const wchar_t* key, LONG fallback)
{
    // No path means no safe place for the file: defaults, rather than the profile API's Windows folder.
    if (!settingsFile[0]) return fallback;
    return static_cast<LONG>(GetPrivateProfileIntW(settingsSection, key, fallback, settingsFile));
}

// The wide profile functions write a new file, or one that is already ANSI, as ANSI text.
static bool writeSetting(const wchar_t* path, const wchar_t* key, LONG value)
{
    wchar_t text[16];
    wsprintfW(text, L"%d", value);
    return WritePrivateProfileStringW(settingsSection, key, text, path) != FALSE;
}

static bool writeAllSettings(const wchar_t* path)
{
    if (!path[0]) return false;
    bool written = writeSetting(path, L"Active", settings.active);
    written &= writeSetting(path, L"Simple", settings.simple);
    written &= writeSetting(path, L"Sleep", settings.sleep);
    written &= writeSetting(path, L"Duration", settings.duration);
    written &= writeSetting(path, L"Sound", settings.sound);
    written &= writeSetting(path, L"Background", settings.background);
    written &= writeSetting(path, L"Cover", settings.cover);
    return written;
}

void storeSetting(volatile LONG* setting, LONG value)
{
    InterlockedExchange(setting, value);
}

void readSettings()
{
    chooseSettingsFile();
    storeSetting(&settings.active, readSetting(L"Active", 1));
    storeSetting(&settings.simple, readSetting(L"Simple", 1));
    // An interval of 0 or less would make the watcher spin, or sleep for weeks and hold up quit.
    LONG sleep = readSetting(L"Sleep", defaultSleep);
    storeSetting(&settings.sleep, sleep > 0 ? sleep : defaultSleep);
    storeSetting(&settings.duration, readSetting(L"Duration", 10000));
    // Quiet by default: from Windows 8 on every balloon is a notification with the system's sound.
    storeSetting(&settings.sound, readSetting(L"Sound", 0));
    storeSetting(&settings.background, readSetting(L"Background", 0));
    storeSetting(&settings.cover, readSetting(L"Cover", 1));
}

// From now on the per-user file is the one in use, and the one named if it cannot be written either.
static bool writeUserSettings()
{
    if (!userSettingsPath[0]) return false;
    CreateDirectoryW(userSettingsFolder, nullptr);
    settingsFile = userSettingsPath;
    return writeAllSettings(userSettingsPath);
}

bool writeSettings()
{
    if (settingsFile == settingsPath && writeAllSettings(settingsPath)) return true;
    return writeUserSettings();
}

const wchar_t* settingsFileInUse()
{
    return settingsFile[0] ? settingsFile : settingsFileName;
}
