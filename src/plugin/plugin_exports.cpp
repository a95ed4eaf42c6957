#include "plugin/plugin_exports.h"

#include <cstdlib>

#include "events/window_hook.h"
#include "host_sdk/host_api.h"
#include "plugin/command_table.h"
#include "plugin/plugin_info.h"
#include "tablet/tablet_state.h"
#include "wintab/wintab_api.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}

int WINAPI PluginVersion() {
    return 2;
}

int WINAPI PluginRequire() {
    return 2;
}

int WINAPI PluginInfo(char* buffer, DWORD length) {
    return write_plugin_description(buffer, length);
}

int WINAPI PluginInit(HMODULE host_runtime) {
    bind_host_api(host_runtime);
    return load_subclass_api();
}

void WINAPI ImportKumoFunction() {
    // Before PluginInit (or with a host lacking the entry) there is nowhere to register: nothing happens.
    if (!host_api.kumo_addFunction)
        return;
    for (const CommandRow& row : command_table)
        host_api.kumo_addFunction(row.name, row.argument_template, row.handler, 0);
}

void WINAPI PluginFin() {
    // Callable in any state: each step tests what it releases. The hook goes before comctl32, which it may
    // need.
    if (wintab_api.WTClose)
        close_context();
    if (window_hook.subclassed || window_hook.saved_window_proc)
        remove_hook();
    if (tablet_state.handler_name) {
        std::free(tablet_state.handler_name);
        tablet_state.handler_name = nullptr;
    }
    if (tablet_state.packet_buffer) {
        std::free(tablet_state.packet_buffer);
        tablet_state.packet_buffer = nullptr;
    }
    // No capacity without its buffer: an opening after a new PluginInit must allocate afresh.
    tablet_state.buffer_capacity = 0;
    unload_wintab();
    unload_subclass_api();
}
