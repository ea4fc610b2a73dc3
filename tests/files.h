// Whole files as bytes, for checking exactly what the plug-in wrote.
#ifndef TESTS_FILES_H
#define TESTS_FILES_H

#include <doctest/doctest.h>
#include <windows.h>
#include <shlobj.h>
#include <stdio.h>
#include <algorithm>
#include <string>

// The keys after "Duration" at their defaults, as every write appends them to a section without them.
const std::string defaultOptionKeys =
    "Sound=0\r\nBackground=0\r\nCover=1\r\nTextFormat=\r\nTitleFormat=\r\nMediaControls=1\r\nBalloons=1\r\n"
    "Popup=0\r\nPopupPlace=0\r\nPopupMonitor=0\r\n";

inline std::string utf8(const wchar_t* text)
{
    char bytes[1024] = "";
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
    return bytes;
}

inline std::wstring widePath(const std::string& path)
{
    wchar_t wide[MAX_PATH] = L"";
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    return wide;
}

// A new folder in the temporary folder, named "pipwick-<name>-<tick>": a name outside the code page
// can be given, as only a UTF-16 path can name it.
inline std::wstring scratchFolderNamed(const wchar_t* name)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"pipwick-" + name + L"-" + std::to_wstring(GetCurrentProcessId()) +
                          L"-" + std::to_wstring(GetTickCount());
    REQUIRE(CreateDirectoryW(folder.c_str(), nullptr));
    return folder;
}

// A new folder whose path is exactly `length` characters long, for paths near or past MAX_PATH.
inline std::wstring folderOfLength(size_t length)
{
    std::wstring folder = scratchFolderNamed(L"deep");
    REQUIRE(folder.size() + 2 <= length);
    while (folder.size() < length) {
        size_t left = length - folder.size() - 1, piece = std::min<size_t>(60, left);
        if (left - piece == 1) --piece;   // no room would be left for a last name
        folder += L"\\" + std::wstring(piece, L'd');
        REQUIRE(CreateDirectoryW(folder.c_str(), nullptr));
    }
    REQUIRE(folder.size() == length);
    return folder;
}

// Paths in UTF-16, so that folders outside the code page can be named.
inline void writeTextFile(const std::wstring& path, const std::string& bytes)
{
    FILE* file = _wfopen(path.c_str(), L"wb");
    REQUIRE(file);
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

inline void writeTextFile(const std::string& path, const std::string& bytes) { writeTextFile(widePath(path), bytes); }

inline std::string readTextFile(const std::wstring& path)
{
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return "<no file>";
    std::string bytes;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    fclose(file);
    return bytes;
}

inline std::string readTextFile(const std::string& path) { return readTextFile(widePath(path)); }

// The application-data folder redirected to `folder` for the object's life; the old value comes back
// after, and tools/test.sh removes a redirect that a crash left behind (its folder's name starts
// "pipwick-").
struct AppDataRedirect {
    HKEY key = nullptr;
    wchar_t old[MAX_PATH];
    DWORD oldType = 0, oldSize = sizeof old;
    bool hadOld = false;
    explicit AppDataRedirect(const wchar_t* folder)
    {
        REQUIRE(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                              0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) == ERROR_SUCCESS);
        hadOld = RegQueryValueExW(key, L"AppData", nullptr, &oldType, reinterpret_cast<BYTE*>(old), &oldSize) == ERROR_SUCCESS;
        DWORD size = static_cast<DWORD>((lstrlenW(folder) + 1) * sizeof(wchar_t));
        RegSetValueExW(key, L"AppData", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(folder), size);
    }
    ~AppDataRedirect()
    {
        if (hadOld) RegSetValueExW(key, L"AppData", 0, oldType, reinterpret_cast<const BYTE*>(old), oldSize);
        else RegDeleteValueW(key, L"AppData");
        RegCloseKey(key);
    }
};

// A folder named like the file: the profile functions then fail to write it (under Wine as root a
// read-only attribute would not stop them).
inline void blockWrites(const std::string& path) { REQUIRE(CreateDirectoryA(path.c_str(), nullptr)); }

// The per-user settings file, "<application data>\Pipwick\plugin.ini". It lies in the Wine prefix
// that every test shares, so the tests that make it run alone, and remove it before and after.
struct UserSettingsFile {
    std::string folder, path;
    UserSettingsFile()
    {
        char appData[MAX_PATH] = "";
        REQUIRE(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, appData) == S_OK);
        folder = std::string(appData) + "\\Pipwick";
        path = folder + "\\plugin.ini";
        remove();
    }
    ~UserSettingsFile() { remove(); }
    void remove()
    {
        DeleteFileA(path.c_str());
        RemoveDirectoryA(path.c_str());   // the folder that stood in for it
        RemoveDirectoryA(folder.c_str());
    }
    void blockWrites()
    {
        CreateDirectoryA(folder.c_str(), nullptr);
        ::blockWrites(path);
    }
};

#endif
