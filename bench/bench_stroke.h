// A stroke of varying pen values for the benchmarks, and its packets in the driver's layout. No Win32 here:
// the native and the Wine benchmark draw the same values.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "wintab/packet_fields.h"

struct StrokeValues {
    uint32_t cursor;
    uint32_t buttons;
    int32_t x, y, z, pressure, tangent, azimuth, altitude, twist;
};

inline constexpr int stroke_length = 1024;
inline constexpr uint32_t bench_axis_max = 1023; // z, pressure and tangent pressure of the benchmark tablet

// A rising then falling ramp from 0 to `top` over 2 * top steps.
constexpr int32_t ramp(int32_t step, int32_t top) {
    const int32_t phase = step % (2 * top);
    return phase <= top ? phase : 2 * top - phase;
}

// Sample i: every value changes from packet to packet, over the whole range a real pen gives (hovering with
// pressure 0, z of either sign, the eraser's altitude below zero), so that numbers of every length occur.
constexpr StrokeValues stroke_values(int i) {
    StrokeValues v{};
    v.cursor = static_cast<uint32_t>((i / 256) % 3);
    v.x = 2000 + ramp(i * 97, 40000);
    v.y = 1500 + ramp(i * 61, 25000);
    v.pressure = i % 200 < 30 ? 0 : ramp(i * 13, 1023);
    v.buttons = v.pressure > 0 ? 1u : 0u;
    v.z = ramp(i * 29, 2046) - 1023;
    v.tangent = ramp(i * 7, 1023);
    v.azimuth = (i * 37) % 3600;
    v.altitude = 150 + ramp(i * 5, 750);
    if (v.cursor == 1)
        v.altitude = -v.altitude;
    v.twist = (i * 53) % 3600;
    return v;
}

// The packet for `mask` as a driver lays it out (fields in bit order, little-endian words); the leading
// fields and rotation are zero. Returns the bytes written.
inline int write_packet(unsigned char* out, WTPKT mask, const StrokeValues& v) {
    static_assert(std::endian::native == std::endian::little);
    const uint32_t words[] = {0,
                              0,
                              0,
                              0,
                              0,
                              v.cursor,
                              v.buttons,
                              static_cast<uint32_t>(v.x),
                              static_cast<uint32_t>(v.y),
                              static_cast<uint32_t>(v.z),
                              static_cast<uint32_t>(v.pressure),
                              static_cast<uint32_t>(v.tangent)};
    int written = 0;
    for (int bit = 0; bit < 12; ++bit) {
        if (mask & (1u << bit)) {
            std::memcpy(out + written, &words[bit], packet_word_size);
            written += packet_word_size;
        }
    }
    if (mask & PK_ORIENTATION) {
        const int32_t triple[] = {v.azimuth, v.altitude, v.twist};
        std::memcpy(out + written, triple, packet_triple_size);
        written += packet_triple_size;
    }
    if (mask & PK_ROTATION) {
        std::memset(out + written, 0, packet_triple_size);
        written += packet_triple_size;
    }
    return written;
}
