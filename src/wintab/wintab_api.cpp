#include "wintab/wintab_api.h"

#include "host_sdk/entry_point.h"
#include "wintab/wintab_texts.h"

WintabApi wintab_api;

// Tried in this order; the second is resolved by the system's library search.
static constexpr const char* driver_file_names[] = {"wintab32.dll", "plug-ins\\wintab32.dll"};

static HMODULE load_driver_module() {
    for (const char* file_name : driver_file_names) {
        HMODULE module = LoadLibraryA(file_name);
        if (module)
            return module;
    }
    return nullptr;
}

int load_wintab() {
    if (wintab_api.driver_module)
        unload_wintab();
    HMODULE module = load_driver_module();
    if (!module)
        return 0;
    wintab_api.driver_module = module;
    wintab_api.WTOpenA = lookup_entry_point<WTOpenA_t>(module, "WTOpenA");
    wintab_api.WTInfoA = lookup_entry_point<WTInfoA_t>(module, "WTInfoA");
    wintab_api.WTClose = lookup_entry_point<WTClose_t>(module, "WTClose");
    wintab_api.WTPacketsGet = lookup_entry_point<WTPacketsGet_t>(module, "WTPacketsGet");
    wintab_api.WTPacket = lookup_entry_point<WTPacket_t>(module, "WTPacket");
    wintab_api.WTOverlap = lookup_entry_point<WTOverlap_t>(module, "WTOverlap");
    wintab_api.WTQueueSizeSet = lookup_entry_point<WTQueueSizeSet_t>(module, "WTQueueSizeSet");
    wintab_api.WTEnable = lookup_entry_point<WTEnable_t>(module, "WTEnable");
    wintab_api.WTQueueSizeGet = lookup_entry_point<WTQueueSizeGet_t>(module, "WTQueueSizeGet");
    if (wintab_api.WTInfoA && wintab_api.WTOpenA && wintab_api.WTClose)
        return 1;
    // Without these three the driver is of no use: it counts as not loadable.
    unload_wintab();
    return 0;
}

void unload_wintab() {
    if (wintab_api.driver_module) {
        FreeLibrary(wintab_api.driver_module);
        // No entry point may outlive its module: PluginFin tests WTClose without looking at the module.
        wintab_api = WintabApi{};
    }
}

static int entry_present(WintabEntry entry) {
    switch (entry) {
    case WintabEntry::none:
        return 1;
    case WintabEntry::WTOpenA:
        return wintab_api.WTOpenA != nullptr;
    case WintabEntry::WTInfoA:
        return wintab_api.WTInfoA != nullptr;
    case WintabEntry::WTClose:
        return wintab_api.WTClose != nullptr;
    case WintabEntry::WTPacketsGet:
        return wintab_api.WTPacketsGet != nullptr;
    case WintabEntry::WTPacket:
        return wintab_api.WTPacket != nullptr;
    case WintabEntry::WTOverlap:
        return wintab_api.WTOverlap != nullptr;
    case WintabEntry::WTQueueSizeSet:
        return wintab_api.WTQueueSizeSet != nullptr;
    case WintabEntry::WTEnable:
        return wintab_api.WTEnable != nullptr;
    case WintabEntry::WTQueueSizeGet:
        return wintab_api.WTQueueSizeGet != nullptr;
    }
    return 0;
}

int require_wintab(HostValue result, WintabEntry entry) {
    // A failed load is not remembered: a driver installed later is picked up by the next command.
    if (!wintab_api.driver_module)
        load_wintab();
    if (!wintab_api.driver_module) {
        set_text_literal(result, wintab_load_failed_text);
        return 0;
    }
    if (!entry_present(entry)) {
        set_text_literal(result, wintab_entry_missing_text);
        return 0;
    }
    return 1;
}
