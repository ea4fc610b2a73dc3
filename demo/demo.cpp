// The demo: loads the real plug-in as the player does and shows what the player receives.
#include <windows.h>
#include <stdio.h>
#include "host.h"

int main()
{
    char path[MAX_PATH];
    builtPluginPath(path, MAX_PATH);
    LoadedPlugin plugin;
    if (!loadPlugin(path, nullptr, &plugin)) {
        printf("could not load %s\n", path);
        return 1;
    }
    PluginRecord* record = plugin.record;
    printf("loaded %s\n", path);
    printf("record: version 0x%x, description \"%s\"\n", record->version, record->description);
    record->init();
    record->quit();
    FreeLibrary(plugin.module);
    return 0;
}
