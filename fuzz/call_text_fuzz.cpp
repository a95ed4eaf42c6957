// Fuzzes the event call text against the snprintf reference (reference_call_text.h): any mask (bits past
// rotation included), axis flags, divisors, packet bytes, handler-name length up to 40000 bytes and buffer
// capacity. Input: mask (4 bytes), flags (1), z, pressure and tangent divisors (4 each), name length (2),
// capacity (2), then the packet's bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "events/call_text.h"
#include "fuzz_input.h"
#include "reference_call_text.h"
#include "text/bounded_text.h"

namespace {

constexpr int longest_name = 40000;
constexpr int guard_size = 32;
char handler_name[longest_name + 1];
// The name and 13 arguments, none of them as long as a field buffer.
char expected[longest_name + 13 * field_buffer_size];

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "call text: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input{data, size};
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
        const int expected_length = reference_call_text(expected, handler_name, layout, packet);
        if (expected_length + 1 <= capacity) {
            check(length == expected_length, "length of a text that fits");
            check(std::memcmp(out, expected, static_cast<size_t>(expected_length)) == 0,
                  "text as the reference writes it");
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
