// The call text of one packet written the literal way, as the table of arguments describes it: each argument
// through snprintf into a field buffer, then strcat onto the text. The fuzzer checks the plug-in's builder
// against it, and the benchmark measures the plug-in's builder beside it.
#pragma once

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "events/call_text.h"
#include "text/bounded_text.h"
#include "wintab/packet_fields.h"

inline uint32_t reference_word_at(const unsigned char* at) {
    uint32_t word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// Writes the text into `text`, which must hold the name and 13 arguments, and gives its length. An axis with
// a divisor of 0 has no value to give.
inline int reference_call_text(char* text, const char* name, const PacketLayout& layout,
                               const unsigned char* packet) {
    char field[field_buffer_size];
    const WTPKT mask = layout.packet_mask;
    std::strcpy(text, name);
    const unsigned char* read =
        packet + 4 * std::popcount(mask & (PK_CONTEXT | PK_STATUS | PK_TIME | PK_CHANGED | PK_SERIAL_NUMBER));
    const WTPKT whole_fields[] = {PK_CURSOR, PK_BUTTONS, PK_X, PK_Y};
    for (WTPKT bit : whole_fields) {
        if (mask & bit) {
            if (bit == PK_CURSOR || bit == PK_BUTTONS)
                std::snprintf(field, sizeof field, ",%u", reference_word_at(read));
            else
                std::snprintf(field, sizeof field, ",%d", static_cast<int32_t>(reference_word_at(read)));
            std::strcat(text, field);
            read += 4;
        } else {
            std::strcat(text, ",\"\"");
        }
    }
    const struct {
        WTPKT bit;
        int usable;
        uint32_t divisor;
    } axes[] = {{PK_Z, layout.has_z, layout.z_max},
                {PK_NORMAL_PRESSURE, layout.has_pressure, layout.pressure_max},
                {PK_TANGENT_PRESSURE, layout.has_tangent, layout.tangent_max}};
    for (const auto& axis : axes) {
        if ((mask & axis.bit) && axis.usable && axis.divisor != 0) {
            std::snprintf(field, sizeof field, ",%.5lf",
                          static_cast<double>(static_cast<int32_t>(reference_word_at(read))) / axis.divisor);
            std::strcat(text, field);
        } else {
            std::strcat(text, ",\"\"");
        }
        if (mask & axis.bit)
            read += 4;
    }
    if (mask & PK_ORIENTATION) {
        if (layout.has_orientation) {
            std::snprintf(field, sizeof field, ",%d,%d", static_cast<int32_t>(reference_word_at(read)),
                          static_cast<int32_t>(reference_word_at(read + 4)));
            std::strcat(text, field);
        } else {
            std::strcat(text, ",\"\",\"\"");
        }
        if (layout.has_twist) {
            std::snprintf(field, sizeof field, ",%.1lf",
                          static_cast<int32_t>(reference_word_at(read + 8)) / 10.0);
            std::strcat(text, field);
        } else {
            std::strcat(text, ",\"\"");
        }
    } else {
        std::strcat(text, ",\"\",\"\",\"\"");
    }
    std::strcat(text, ",\"\",\"\",\"\")");
    text[std::strlen(name)] = '(';
    return static_cast<int>(std::strlen(text));
}
