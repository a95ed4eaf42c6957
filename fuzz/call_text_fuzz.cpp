// Fuzzes the event call text against a plain reference written with snprintf: any mask (bits past rotation
// included), axis flags, divisors, packet bytes, handler-name length up to 40000 bytes and buffer capacity.
// Input: mask (4 bytes), flags (1), z, pressure and tangent divisors (4 each), name length (2), capacity (2),
// then the packet's bytes.
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "events/call_text.h"
#include "text/bounded_text.h"

namespace {

constexpr int longest_name = 40000;
constexpr int guard_size = 32;
char handler_name[longest_name + 1];

struct Input {
    const uint8_t* data;
    size_t size;
    uint32_t take(int bytes) {
        uint32_t value = 0;
        for (int i = 0; i < bytes && size > 0; ++i, ++data, --size)
            value |= static_cast<uint32_t>(*data) << (8 * i);
        return value;
    }
};

uint32_t word_at(const unsigned char* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

void add_format(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));
void add_format(std::string& text, const char* format, ...) {
    char piece[128];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(piece, sizeof piece, format, arguments);
    va_end(arguments);
    text += piece;
}

void add_scaled(std::string& text, uint32_t word, uint32_t divisor) {
    if (divisor == 0)
        text += ",\"\"";
    else
        add_format(text, ",%.5f",
                   static_cast<double>(static_cast<int32_t>(word)) / static_cast<double>(divisor));
}

// The call text as the table of arguments describes it, one field after another.
std::string reference_text(const char* name, const PacketLayout& layout, const unsigned char* packet) {
    const WTPKT mask = layout.packet_mask;
    const unsigned char* read = packet;
    for (WTPKT bit = PK_CONTEXT; bit <= PK_SERIAL_NUMBER; bit <<= 1)
        if (mask & bit)
            read += 4;
    std::string text = name;
    for (WTPKT bit : {PK_CURSOR, PK_BUTTONS, PK_X, PK_Y}) {
        if (!(mask & bit)) {
            text += ",\"\"";
            continue;
        }
        if (bit == PK_CURSOR || bit == PK_BUTTONS)
            add_format(text, ",%u", word_at(read));
        else
            add_format(text, ",%d", static_cast<int32_t>(word_at(read)));
        read += 4;
    }
    const struct {
        WTPKT bit;
        int usable;
        uint32_t divisor;
    } axes[] = {{PK_Z, layout.has_z, layout.z_max},
                {PK_NORMAL_PRESSURE, layout.has_pressure, layout.pressure_max},
                {PK_TANGENT_PRESSURE, layout.has_tangent, layout.tangent_max}};
    for (const auto& axis : axes) {
        if (!(mask & axis.bit)) {
            text += ",\"\"";
            continue;
        }
        if (axis.usable)
            add_scaled(text, word_at(read), axis.divisor);
        else
            text += ",\"\"";
        read += 4;
    }
    if (mask & PK_ORIENTATION) {
        if (layout.has_orientation)
            add_format(text, ",%d,%d", static_cast<int32_t>(word_at(read)),
                       static_cast<int32_t>(word_at(read + 4)));
        else
            text += ",\"\",\"\"";
        if (layout.has_twist)
            add_format(text, ",%.1f", static_cast<int32_t>(word_at(read + 8)) / 10.0);
        else
            text += ",\"\"";
    } else {
        text += ",\"\",\"\",\"\"";
    }
    text += ",\"\",\"\",\"\")";
    text[std::strlen(name)] = '(';
    return text;
}

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "call text: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input input{data, size};
    PacketLayout layout{};
    layout.packet_mask = input.take(4);
    const uint32_t flags = input.take(1);
    layout.has_z = flags & 1;
    layout.has_pressure = (flags >> 1) & 1;
    layout.has_tangent = (flags >> 2) & 1;
    layout.has_orientation = (flags >> 3) & 1;
    layout.has_twist = (flags >> 4) & 1;
    layout.z_max = input.take(4);
    layout.pressure_max = input.take(4);
    layout.tangent_max = input.take(4);
    layout.packet_size = packet_bytes_for_mask(layout.packet_mask);
    const int name_length = static_cast<int>(input.take(2) % (longest_name + 1));
    const uint32_t capacity_choice = input.take(2);
    // Half the cases the real buffer; otherwise a capacity around the name's end, where fitting is decided.
    const int capacity = (capacity_choice & 1) ? text_buffer_size
                                               : name_length + static_cast<int>((capacity_choice >> 1) % 200);

    std::memset(handler_name, 'n', static_cast<size_t>(name_length));
    handler_name[name_length] = '\0';
    // Exactly as long as the input gives, so that a read past the packet is caught.
    const int32_t packet_bytes = static_cast<int32_t>(input.size);
    unsigned char* packet = new unsigned char[input.size];
    if (input.size)
        std::memcpy(packet, input.data, input.size);
    char* out = new char[static_cast<size_t>(capacity) + guard_size];
    std::memset(out, 'G', static_cast<size_t>(capacity) + guard_size);

    const int length = build_call_text(out, capacity, handler_name, layout, packet, packet_bytes);

    for (int i = 0; i < guard_size; ++i)
        check(out[capacity + i] == 'G', "written past the buffer");
    if (length < 0) {
        check(length == -1, "a failure is -1");
        check(capacity == 0 || out[0] == '\0', "a refused text is empty");
    }
    if (packet_bytes < layout.packet_size) {
        check(length == -1, "a short packet is refused");
    } else {
        const std::string expected = reference_text(handler_name, layout, packet);
        if (static_cast<int>(expected.size()) + 1 <= capacity) {
            check(length == static_cast<int>(expected.size()), "length of a text that fits");
            check(std::memcmp(out, expected.data(), expected.size()) == 0, "text as the reference writes it");
            check(out[length] == '\0', "terminated");
            int commas = 0;
            for (int i = 0; i < length; ++i)
                commas += out[i] == ',';
            check(commas == 12, "13 arguments");
        } else {
            check(length == -1, "a text that does not fit is refused");
        }
    }
    delete[] out;
    delete[] packet;
    return 0;
}
