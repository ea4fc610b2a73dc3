// The player's init and quit.
#include <windows.h>
#include "lifecycle.h"

int pluginInit()
{
    return 0;
}

void pluginQuit()
{
}

void applySettings()
{
}
