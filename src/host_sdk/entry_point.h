// Looking up an exported function by name into a typed pointer (null when the module lacks it).
#pragma once

#include <windows.h>

template <typename Function> inline Function lookup_entry_point(HMODULE module, const char* name) {
    // Through void*: GetProcAddress's FARPROC has no parameters, and every caller knows the real signature.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
