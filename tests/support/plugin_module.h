// The plug-in DLL from the build's bin folder, loaded as the host loads it, with the entry points the host
// calls.
#pragma once

#include <windows.h>

#include "host_sdk/entry_point.h"

using PluginInit_t = int(WINAPI*)(HMODULE);
using ImportKumoFunction_t = void(WINAPI*)();
using PluginFin_t = void(WINAPI*)();

// Loads bin/kumo_wintab.dll (from the folders set at the time of the call) and binds its three entry points.
// An entry point the DLL lacks stays null, and so do all three when the load fails.
inline HMODULE load_plugin(PluginInit_t& init, ImportKumoFunction_t& import_functions, PluginFin_t& fin) {
    HMODULE plugin = LoadLibraryA(KUMO_BIN_DIR "/kumo_wintab.dll");
    init = nullptr;
    import_functions = nullptr;
    fin = nullptr;
    if (plugin != nullptr) {
        init = lookup_entry_point<PluginInit_t>(plugin, "PluginInit");
        import_functions = lookup_entry_point<ImportKumoFunction_t>(plugin, "ImportKumoFunction");
        fin = lookup_entry_point<PluginFin_t>(plugin, "PluginFin");
    }
    return plugin;
}
