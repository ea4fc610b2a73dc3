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

// The file is shared with other plug-ins and stays ANSI text: a format goes into it in ASCII, whatever
// the code page. Any other unit is written \uXXXX, and so is a backslash that would read as one; a
// blank or quote at either end too, which the profile functions would strip. An ASCII format stands
// as it is.
static const int storedTextSize = 6 * 256 + 1;

static bool isHexDigit(wchar_t unit)
{
    return (unit >= L'0' && unit <= L'9') || (unit >= L'a' && unit <= L'f') || (unit >= L'A' && unit <= L'F');
}

static bool startsEscape(const wchar_t* at)
{
    if (at[0] != L'\\' || at[1] != L'u') return false;
    for (int i = 2; i < 6; ++i)
        if (!isHexDigit(at[i])) return false;
    return true;
}

static void encodeText(const wchar_t* text, wchar_t* stored)
{
    int length = lstrlenW(text), out = 0;
    for (int i = 0; i < length; ++i) {
        wchar_t unit = text[i];
        bool atEnd = i == 0 || i == length - 1;
        bool stripped = atEnd && (unit == L' ' || unit == L'"' || unit == L'\'');
        if (unit >= L' ' && unit < 0x7F && !stripped && !startsEscape(text + i)) {
            stored[out++] = unit;
            continue;
        }
        wsprintfW(stored + out, L"\\u%04X", unit);
        out += 6;
    }
    stored[out] = L'\0';
}

static void decodeText(const wchar_t* stored, wchar_t* text, int size)
{
    int out = 0;
    for (const wchar_t* at = stored; *at && out < size - 1; ++out) {
        if (!startsEscape(at)) {
            text[out] = *at++;
            continue;
        }
        wchar_t digits[5] = {at[2], at[3], at[4], at[5], L'\0'};
        int value = 0;
        for (wchar_t* digit = digits; *digit; ++digit)
            value = value * 16 + (*digit <= L'9' ? *digit - L'0' : (*digit | 0x20) - L'a' + 10);
        text[out] = static_cast<wchar_t>(value);
        at += 6;
    }
    text[out] = L'\0';
}

static bool writeText(const wchar_t* path, const wchar_t* key, const SharedText& setting)
{
    wchar_t stored[storedTextSize];
    encodeText(setting.text, stored);
    return WritePrivateProfileStringW(settingsSection, key, stored, path) != FALSE;
}

static void readText(const wchar_t* key, SharedText* setting)
{
    wchar_t stored[storedTextSize] = L"", text[sizeof setting->text / sizeof setting->text[0]];
    if (settingsFile[0]) GetPrivateProfileStringW(settingsSection, key, L"", stored, storedTextSize, settingsFile);
    decodeText(stored, text, sizeof text / sizeof text[0]);
    storeText(setting, text);
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
    written &= writeText(path, L"TextFormat", settings.textFormat);
    written &= writeText(path, L"TitleFormat", settings.titleFormat);
    written &= writeSetting(path, L"MediaControls", settings.mediaControls);
    written &= writeSetting(path, L"Balloons", settings.balloons);
    written &= writeSetting(path, L"Popup", settings.popup);
    written &= writeSetting(path, L"PopupPlace", settings.popupPlace);
    written &= writeSetting(path, L"PopupMonitor", settings.popupMonitor);
    return written;
}

void storeSetting(volatile LONG* setting, LONG value)
{
    InterlockedExchange(setting, value);
}

// A sequence lock: one writer, the window thread; a reader that overlapped a write copies again.
void storeText(SharedText* setting, const wchar_t* text)
{
    InterlockedIncrement(&setting->version);
    copyTextCut(setting->text, sizeof setting->text / sizeof setting->text[0], text);
    InterlockedIncrement(&setting->version);
}

void loadText(const SharedText& setting, wchar_t* text, int size)
{
    for (;;) {
        LONG before = setting.version;
        MemoryBarrier();
        const int units = sizeof setting.text / sizeof setting.text[0];
        int i = 0;
        for (; i < units - 1 && i < size - 1 && setting.text[i]; ++i) text[i] = setting.text[i];
        if (i > 0 && i == size - 1 && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF) --i;   // no half pair
        text[i] = L'\0';
        MemoryBarrier();
        if (!(before & 1) && setting.version == before) return;
        Sleep(0);
    }
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
    readText(L"TextFormat", &settings.textFormat);
    readText(L"TitleFormat", &settings.titleFormat);
    storeSetting(&settings.mediaControls, readSetting(L"MediaControls", 1));
    storeSetting(&settings.balloons, readSetting(L"Balloons", 1));
    storeSetting(&settings.popup, readSetting(L"Popup", 0));
    // A value outside its range, from a hand-edited file, reads as the default.
    LONG place = readSetting(L"PopupPlace", BottomRight);
    storeSetting(&settings.popupPlace, place >= 0 && place < popupPlaces ? place : BottomRight);
    LONG monitor = readSetting(L"PopupMonitor", 0);
    storeSetting(&settings.popupMonitor, monitor >= 0 ? monitor : 0);
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
