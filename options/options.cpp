// The options dialog.
#include <windows.h>
#include "options.h"

void pluginConfig()
{
}
