// Whole files as bytes, for checking exactly what the plug-in wrote.
#ifndef TESTS_FILES_H
#define TESTS_FILES_H

#include <doctest/doctest.h>
#include <windows.h>
#include <shlobj.h>
#include <stdio.h>
#include <string>

inline void writeTextFile(const std::string& path, const std::string& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    REQUIRE(file);
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

inline std::string readTextFile(const std::string& path)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return "<no file>";
    std::string bytes;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    fclose(file);
    return bytes;
}

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
