#include "events/call_text.h"

#include <bit>
#include <cstring>

#include "text/bounded_text.h"

namespace {

// The fields before the cursor: present in a packet only to be stepped over.
constexpr WTPKT leading_fields = PK_CONTEXT | PK_STATUS | PK_TIME | PK_CHANGED | PK_SERIAL_NUMBER;
constexpr WTPKT word_fields =
    leading_fields | PK_CURSOR | PK_BUTTONS | PK_X | PK_Y | PK_Z | PK_NORMAL_PRESSURE | PK_TANGENT_PRESSURE;
constexpr WTPKT triple_fields = PK_ORIENTATION | PK_ROTATION;

constexpr char empty_argument[] = ",\"\"";
constexpr char three_empty_arguments[] = ",\"\",\"\",\"\"";

// The call text being written after the handler name. `end` is the last byte of the buffer, kept for the
// terminator; once a piece does not fit, `position` is null and every later piece is ignored.
struct CallWriter {
    char* position;
    char* end;
};

template <int N> inline void put_literal(CallWriter& writer, const char (&literal)[N]) {
    if (writer.position == nullptr || writer.end - writer.position < N - 1) {
        writer.position = nullptr;
        return;
    }
    std::memcpy(writer.position, literal, N - 1);
    writer.position += N - 1;
}

// Starts an argument: its comma. 1 when there is room for it.
inline int put_comma(CallWriter& writer) {
    if (writer.position == nullptr || writer.position == writer.end) {
        writer.position = nullptr;
        return 0;
    }
    *writer.position++ = ',';
    return 1;
}

// Packet words are little-endian, as is every Windows target; the driver's buffer need not be aligned.
static_assert(std::endian::native == std::endian::little);
inline uint32_t read_word(const unsigned char* at) {
    uint32_t word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

inline void put_unsigned_argument(CallWriter& writer, uint32_t value) {
    if (put_comma(writer))
        writer.position = put_unsigned(writer.position, writer.end, value);
}

inline void put_signed_argument(CallWriter& writer, int32_t value) {
    if (put_comma(writer))
        writer.position = put_signed(writer.position, writer.end, value);
}

// A scaled axis: the word as a signed value over the divisor, five places. Without a divisor there is nothing
// to divide by, and the argument is empty rather than infinite.
inline void put_scaled_argument(CallWriter& writer, uint32_t word, uint32_t divisor) {
    if (divisor == 0) {
        put_literal(writer, empty_argument);
        return;
    }
    if (put_comma(writer))
        writer.position = put_ratio(writer.position, writer.end, static_cast<int32_t>(word), divisor, 5);
}

// A word-sized axis that is scaled when usable: its word is consumed whenever its bit is set.
inline void put_axis(CallWriter& writer, const unsigned char*& read, WTPKT mask, WTPKT bit, int usable,
                     uint32_t divisor) {
    if (!(mask & bit)) {
        put_literal(writer, empty_argument);
        return;
    }
    if (usable)
        put_scaled_argument(writer, read_word(read), divisor);
    else
        put_literal(writer, empty_argument);
    read += packet_word_size;
}

} // namespace

int32_t packet_bytes_for_mask(WTPKT mask) {
    return packet_word_size * std::popcount(mask & word_fields) +
           packet_triple_size * std::popcount(mask & triple_fields);
}

int build_call_text(char* out, int capacity, const char* handler_name, const PacketLayout& layout,
                    const unsigned char* packet, int32_t packet_bytes) {
    if (out == nullptr || capacity <= 0)
        return -1;
    out[0] = '\0';
    const WTPKT mask = layout.packet_mask;
    const int32_t needed = packet_bytes_for_mask(mask);
    if (handler_name == nullptr || packet_bytes < needed || (packet == nullptr && needed > 0))
        return -1;

    const void* name_end = std::memchr(handler_name, '\0', static_cast<size_t>(capacity));
    if (name_end == nullptr)
        return -1;
    const int name_length = static_cast<int>(static_cast<const char*>(name_end) - handler_name);
    std::memcpy(out, handler_name, static_cast<size_t>(name_length));

    CallWriter writer{out + name_length, out + capacity - 1};
    const unsigned char* read = packet + packet_word_size * std::popcount(mask & leading_fields);

    if (mask & PK_CURSOR) {
        put_unsigned_argument(writer, read_word(read));
        read += packet_word_size;
    } else {
        put_literal(writer, empty_argument);
    }
    if (mask & PK_BUTTONS) {
        put_unsigned_argument(writer, read_word(read));
        read += packet_word_size;
    } else {
        put_literal(writer, empty_argument);
    }
    if (mask & PK_X) {
        put_signed_argument(writer, static_cast<int32_t>(read_word(read)));
        read += packet_word_size;
    } else {
        put_literal(writer, empty_argument);
    }
    if (mask & PK_Y) {
        put_signed_argument(writer, static_cast<int32_t>(read_word(read)));
        read += packet_word_size;
    } else {
        put_literal(writer, empty_argument);
    }
    put_axis(writer, read, mask, PK_Z, layout.has_z, layout.z_max);
    put_axis(writer, read, mask, PK_NORMAL_PRESSURE, layout.has_pressure, layout.pressure_max);
    put_axis(writer, read, mask, PK_TANGENT_PRESSURE, layout.has_tangent, layout.tangent_max);

    if (mask & PK_ORIENTATION) {
        if (layout.has_orientation) {
            put_signed_argument(writer, static_cast<int32_t>(read_word(read)));
            put_signed_argument(writer, static_cast<int32_t>(read_word(read + packet_word_size)));
        } else {
            put_literal(writer, empty_argument);
            put_literal(writer, empty_argument);
        }
        if (layout.has_twist) {
            int32_t twist = static_cast<int32_t>(read_word(read + 2 * packet_word_size));
            if (put_comma(writer))
                writer.position = put_ratio(writer.position, writer.end, twist, 10, 1);
        } else {
            put_literal(writer, empty_argument);
        }
        read += packet_triple_size;
    } else {
        put_literal(writer, three_empty_arguments);
    }
    // Rotation is never reported; its bytes, last in the packet, need no stepping over here.
    put_literal(writer, three_empty_arguments);
    put_literal(writer, ")");

    if (writer.position == nullptr) {
        out[0] = '\0';
        return -1;
    }
    *writer.position = '\0';
    out[name_length] = '('; // the comma that opened the first argument
    return static_cast<int>(writer.position - out);
}
