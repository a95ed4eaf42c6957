// The one tablet context the plug-in keeps, and what it knows about its packets.
#pragma once

#include "tablet/packet_layout.h"
#include "wintab/wintab_types.h"

struct TabletState {
    HCTX context;
    int is_open;
    int mouse_mode;
    char* handler_name;
    unsigned char* packet_buffer;
    int32_t buffer_capacity;
    PacketLayout layout;
};
extern TabletState tablet_state;

void close_context();
