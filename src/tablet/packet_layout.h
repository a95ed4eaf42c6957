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

// The fields of one device axis that the layout choice reads (a Wintab AXIS, without its units).
struct AxisBounds {
    int32_t min;
    int32_t max;
    uint32_t resolution; // 16.16 fixed point; only zero or not matters
};

// What the driver answered for the first device's axes. Each `*_answer` is the query's result read as a
// signed number: above 0 means answered. The orientation query answers azimuth, altitude and twist at once.
struct DeviceAxisAnswers {
    int32_t z_answer;
    AxisBounds z;
    int32_t pressure_answer;
    AxisBounds pressure;
    int32_t tangent_answer;
    AxisBounds tangent;
    int32_t orientation_answer;
    AxisBounds azimuth;
    AxisBounds altitude;
    AxisBounds twist;
};

// The mask and size that every layout starts from: cursor, buttons, x and y.
inline constexpr WTPKT base_packet_mask = PK_CURSOR | PK_BUTTONS | PK_X | PK_Y;
inline constexpr int32_t base_packet_size = 16;
// The twist axis is usable only in tenths of a degree over a whole turn.
inline constexpr int32_t twist_axis_max = 3599;

// Decides every flag of `layout` afresh from the answers and builds the mask and size for them. A maximum is
// written only when its flag is set; an axis whose flag is cleared keeps its older maximum (it means
// nothing).
void choose_packet_layout(PacketLayout& layout, const DeviceAxisAnswers& answers);
