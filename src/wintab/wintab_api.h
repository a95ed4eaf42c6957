// The Wintab driver module, loaded on first use, and the availability check every tablet command begins with.
#pragma once

#include "host_sdk/host_api.h"
#include "wintab/wintab_types.h"

struct WintabApi {
    HMODULE driver_module;
    WTOpenA_t WTOpenA;
    WTInfoA_t WTInfoA;
    WTClose_t WTClose;
    WTPacketsGet_t WTPacketsGet;
    WTPacket_t WTPacket;
    WTOverlap_t WTOverlap;
    WTQueueSizeSet_t WTQueueSizeSet;
    WTEnable_t WTEnable;
    WTQueueSizeGet_t WTQueueSizeGet;
};
extern WintabApi wintab_api;

// Designates one entry-point field of WintabApi for require_wintab; read after any loading the check does.
enum class WintabEntry {
    none,
    WTOpenA,
    WTInfoA,
    WTClose,
    WTPacketsGet,
    WTPacket,
    WTOverlap,
    WTQueueSizeSet,
    WTEnable,
    WTQueueSizeGet,
};

int load_wintab();
void unload_wintab();
// 1 when the driver (and the designated entry point) is usable; else 0 after storing a message in `result`.
int require_wintab(HostValue result, WintabEntry entry);
