#include "text/bounded_text.h"

#include <charconv>
#include <cstring>

char text_buffer[text_buffer_size];
char field_buffer[field_buffer_size];

void text_start(TextBuilder& text, char* buffer, int capacity) {
    text.buffer = buffer;
    text.capacity = capacity;
    text.length = 0;
    text.overflowed = 0;
    if (capacity > 0)
        buffer[0] = '\0';
}

int text_append(TextBuilder& text, const char* bytes, int count) {
    if (count < 0 || text.capacity - text.length - 1 < count) {
        text.overflowed = 1;
        return 0;
    }
    std::memcpy(text.buffer + text.length, bytes, static_cast<size_t>(count));
    text.length += count;
    text.buffer[text.length] = '\0';
    return 1;
}

int text_append_string(TextBuilder& text, const char* string, int limit) {
    const void* end = std::memchr(string, '\0', static_cast<size_t>(limit));
    int count = end ? static_cast<int>(static_cast<const char*>(end) - string) : limit;
    return text_append(text, string, count);
}

static char* put_result(std::to_chars_result result) {
    return result.ec == std::errc() ? result.ptr : nullptr;
}

char* put_unsigned(char* first, char* last, uint32_t value) {
    return put_result(std::to_chars(first, last, value));
}

char* put_signed(char* first, char* last, int32_t value) {
    return put_result(std::to_chars(first, last, value));
}

char* put_fixed(char* first, char* last, double value, int digits) {
    return put_result(std::to_chars(first, last, value, std::chars_format::fixed, digits));
}

char* put_ratio(char* first, char* last, int32_t word, uint32_t divisor, int digits) {
    static constexpr uint64_t powers_of_ten[] = {1,      10,      100,      1000,      10000,
                                                 100000, 1000000, 10000000, 100000000, 1000000000};
    if (divisor == 0 || digits < 0 || digits > 9)
        return nullptr;
    const uint64_t scale = powers_of_ten[digits];
    const uint64_t magnitude = word < 0 ? 0 - static_cast<uint64_t>(static_cast<int64_t>(word)) : word;
    const uint64_t scaled = magnitude * scale; // below 2^31 * 10^9 < 2^63
    uint64_t units = scaled / divisor;
    const uint64_t twice_remainder = 2 * (scaled % divisor);
    // The double quotient lies within scaled * 2^-53 units of the exact one. Only when the exact quotient is
    // that close to halfway between two outputs (with a margin of 2) can the double round the other way.
    const uint64_t from_halfway =
        twice_remainder > divisor ? twice_remainder - divisor : divisor - twice_remainder;
    if (!(static_cast<double>(from_halfway) * 0x1p51 > static_cast<double>(scaled)))
        return put_fixed(first, last, static_cast<double>(word) / static_cast<double>(divisor), digits);
    if (twice_remainder > divisor)
        ++units;

    char* position = first;
    if (word < 0) {
        if (position == last)
            return nullptr;
        *position++ = '-';
    }
    position = put_result(std::to_chars(position, last, units / scale));
    if (position == nullptr || digits == 0)
        return position;
    if (last - position < 1 + digits)
        return nullptr;
    *position++ = '.';
    uint64_t fraction = units % scale;
    for (int place = digits - 1; place >= 0; --place) {
        position[place] = static_cast<char>('0' + fraction % 10);
        fraction /= 10;
    }
    return position + digits;
}

static int finish(char* out, std::to_chars_result result) {
    *result.ptr = '\0';
    return static_cast<int>(result.ptr - out);
}

int format_unsigned(char* out, uint32_t value) {
    return finish(out, std::to_chars(out, out + number_field_size - 1, value));
}

int format_signed(char* out, int32_t value) {
    return finish(out, std::to_chars(out, out + number_field_size - 1, value));
}

int format_fixed(char* out, double value, int digits) {
    auto result = std::to_chars(out, out + number_field_size - 1, value, std::chars_format::fixed, digits);
    if (result.ec != std::errc())
        return finish(out, std::to_chars(out, out + number_field_size - 1, 0));
    return finish(out, result);
}
