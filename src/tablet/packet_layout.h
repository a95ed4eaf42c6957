// What the open context's packets hold, and how the scaled axes are divided. No Win32 here.
#pragma once

#include <cstdint>

#include "wintab/packet_fields.h"

struct PacketLayout {
    WTPKT packet_mask;
    int32_t packet_size;
    int has_z;
    uint32_t z_max;
    int has_pressure;
    uint32_t pressure_max;
    int has_tangent;
    uint32_t tangent_max;
    int has_orientation;
    int has_twist;
};
