// Patching one imported function of the plug-in module, the way the stand-in observes its system calls.
#ifndef STANDIN_IMPORTS_H
#define STANDIN_IMPORTS_H

#include <windows.h>

// Points the module's import of dllName!function at replacement; false if it has no such import.
bool patchImport(HMODULE module, const char* dllName, const char* function, const void* replacement);

#endif
