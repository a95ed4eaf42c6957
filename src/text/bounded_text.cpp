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
