#include "tablet/packet_layout.h"

static bool is_answered(int32_t answer) {
    return answer > 0;
}

void choose_packet_layout(PacketLayout& layout, const DeviceAxisAnswers& answers) {
    // Z is a thumb wheel that rests at 0: only a range symmetric about 0 scales into -1..1. The comparison is
    // modulo 2^32, as the driver's words are. Bounds 0 and 0 pass too: the packet then carries Z, and the
    // call text shows it empty rather than divide by 0, so a script sees what the report promised.
    const uint32_t z_min = static_cast<uint32_t>(answers.z.min);
    const uint32_t z_max = static_cast<uint32_t>(answers.z.max);
    layout.has_z = is_answered(answers.z_answer) && answers.z.resolution != 0 && z_max == 0u - z_min;
    if (layout.has_z)
        layout.z_max = z_max;

    layout.has_pressure = is_answered(answers.pressure_answer) && answers.pressure.max != 0;
    if (layout.has_pressure)
        layout.pressure_max = static_cast<uint32_t>(answers.pressure.max);

    layout.has_tangent = is_answered(answers.tangent_answer) && answers.tangent.max != 0;
    if (layout.has_tangent)
        layout.tangent_max = static_cast<uint32_t>(answers.tangent.max);

    if (is_answered(answers.orientation_answer)) {
        layout.has_orientation = answers.azimuth.resolution != 0 && answers.altitude.resolution != 0;
        layout.has_twist =
            answers.twist.resolution != 0 && answers.twist.min == 0 && answers.twist.max == twist_axis_max;
    } else {
        layout.has_orientation = 0;
        layout.has_twist = 0;
    }

    layout.packet_mask = base_packet_mask;
    layout.packet_size = base_packet_size;
    if (layout.has_z) {
        layout.packet_mask |= PK_Z;
        layout.packet_size += packet_word_size;
    }
    if (layout.has_pressure) {
        layout.packet_mask |= PK_NORMAL_PRESSURE;
        layout.packet_size += packet_word_size;
    }
    if (layout.has_tangent) {
        layout.packet_mask |= PK_TANGENT_PRESSURE;
        layout.packet_size += packet_word_size;
    }
    // The orientation record comes whole: it is requested for the twist alone as well.
    if (layout.has_orientation || layout.has_twist) {
        layout.packet_mask |= PK_ORIENTATION;
        layout.packet_size += packet_triple_size;
    }
}
