// What the player sees when it loads the plug-in: the record, the description and the version resource.
#include <doctest/doctest.h>
#include <windows.h>
#include <string>
#include "host.h"

namespace {

struct ScratchPlugin {
    char folder[MAX_PATH];
    char path[MAX_PATH];
    LoadedPlugin plugin{};
    explicit ScratchPlugin(const char* fileName, HWND hostWindow = nullptr)
    {
        makeScratchFolder("startup", folder, MAX_PATH);
        REQUIRE(copyPluginTo(folder, fileName, path, MAX_PATH));
        REQUIRE(loadPlugin(path, hostWindow, &plugin));
    }
    ~ScratchPlugin() { FreeLibrary(plugin.module); }
};

std::wstring versionText(HMODULE module, WORD language, const wchar_t* name)
{
    HRSRC found = FindResourceExW(module, MAKEINTRESOURCEW(16), MAKEINTRESOURCEW(1), language);
    if (!found) return L"<no version resource in this language>";
    DWORD size = SizeofResource(module, found);
    std::string copy(static_cast<const char*>(LockResource(LoadResource(module, found))), size);
    copy.resize(size * 3);   // VerQueryValue may need room beyond the resource itself
    wchar_t query[128];
    wsprintfW(query, L"\\StringFileInfo\\%04x04b0\\%s", language, name);
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(&copy[0], query, &value, &length)) return L"<missing>";
    return static_cast<wchar_t*>(value);
}

std::string narrow(const std::wstring& text)
{
    char buffer[512];
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, buffer, sizeof buffer, nullptr, nullptr);
    return buffer;
}

}  // namespace

TEST_CASE("the record: interface version, callbacks, and the two fields the player writes")
{
    char folder[MAX_PATH], path[MAX_PATH];
    makeScratchFolder("record", folder, MAX_PATH);
    REQUIRE(copyPluginTo(folder, "gen_Pipwick.dll", path, MAX_PATH));
    HMODULE module = LoadLibraryA(path);
    REQUIRE(module);
    auto get = reinterpret_cast<PluginRecord* (*)()>(
        reinterpret_cast<void*>(GetProcAddress(module, "winampGetGeneralPurposePlugin")));
    REQUIRE(static_cast<bool>(get));
    PluginRecord* record = get();
    CHECK((get() == record));
    CHECK(record->version == 0x10);
    CHECK(record->description != nullptr);
    CHECK(static_cast<bool>(record->init));
    CHECK(static_cast<bool>(record->config));
    CHECK(static_cast<bool>(record->quit));
    CHECK(record->hostWindow == nullptr);
    CHECK(record->moduleInstance == nullptr);
    FreeLibrary(module);
}

TEST_CASE("the description names the module's own file, whatever it is called")
{
    ScratchPlugin original("gen_Pipwick.dll");
    CHECK(std::string(original.plugin.record->description) == "Quillfen (gen_Pipwick.dll)");

    ScratchPlugin renamed("gen_Renamed Copy.dll");
    CHECK(std::string(renamed.plugin.record->description) == "Quillfen (gen_Renamed Copy.dll)");

    // A file name too long for the 128-character description is cut, never overflowing.
    std::string longName = "gen_" + std::string(180, 'x') + ".dll";
    ScratchPlugin longOne(longName.c_str());
    std::string description = longOne.plugin.record->description;
    CHECK(description.size() == 127);
    CHECK(description == ("Quillfen (" + longName).substr(0, 127));
}

TEST_CASE("the version resource: 1.0.1.2, product 1.01, gen_Pipwick.dll, in English and Russian")
{
    ScratchPlugin copy("gen_Pipwick.dll");
    for (WORD language : {WORD(0x409), WORD(0x419)}) {
        CAPTURE(language);
        CHECK(narrow(versionText(copy.plugin.module, language, L"FileVersion")) == "1.0.1.2");
        CHECK(narrow(versionText(copy.plugin.module, language, L"ProductVersion")) == "1.01");
        CHECK(narrow(versionText(copy.plugin.module, language, L"OriginalFilename")) == "gen_Pipwick.dll");
    }
    CHECK(narrow(versionText(copy.plugin.module, 0x419, L"CompanyName")) == "Квиллфен");

    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(copy.path, &ignored);
    REQUIRE(size > 0);
    std::string info(size, '\0');
    REQUIRE(GetFileVersionInfoA(copy.path, 0, size, &info[0]));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    REQUIRE(VerQueryValueA(&info[0], "\\", reinterpret_cast<void**>(&fixed), &length));
    CHECK(fixed->dwFileVersionMS == 0x00010000);
    CHECK(fixed->dwFileVersionLS == 0x00010002);
}

TEST_CASE("ru: the description comes back in code page 1251")
{
    REQUIRE(GetACP() == 1251);
    ScratchPlugin copy("gen_Pipwick.dll");
    // "Квиллфен" in CP1251.
    CHECK(std::string(copy.plugin.record->description) == "\xCA\xE2\xE8\xEB\xEB\xF4\xE5\xED (gen_Pipwick.dll)");
}

TEST_CASE("ja: a file name whose double-byte character ends in a backslash byte is not split")
{
    REQUIRE(GetACP() == 932);
    // 0x83 0x5C is a katakana whose trail byte is "\".
    ScratchPlugin copy("gen_\x83\x5C.dll");
    CHECK(std::string(copy.plugin.record->description) == "Quillfen (gen_\x83\x5C.dll)");
}
