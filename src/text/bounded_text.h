// Bounded text building in fixed buffers, and locale-independent number formatting.
// No Win32 here: this module also builds natively for sanitizer, fuzz and benchmark runs.
#pragma once

#include <cstdint>

// The two static buffers that the plug-in shares between the event call text and the report.
inline constexpr int text_buffer_size = 32768;
inline constexpr int field_buffer_size = 80;
extern char text_buffer[text_buffer_size];
extern char field_buffer[field_buffer_size];

// A text under construction in a caller's buffer. The text is always NUL-terminated; an append that does not
// fit whole appends nothing and sets `overflowed`, so the text never ends in half a character or half a
// number.
struct TextBuilder {
    char* buffer;
    int capacity; // bytes, terminator included
    int length;   // bytes, terminator excluded
    int overflowed;
};

void text_start(TextBuilder& text, char* buffer, int capacity);
// Appends `count` bytes; 1 when they fit (with the terminator), else 0 and the text is unchanged.
int text_append(TextBuilder& text, const char* bytes, int count);
// Appends a NUL-terminated string, read up to `limit` bytes at most.
int text_append_string(TextBuilder& text, const char* string, int limit);

// Appends a string literal; its byte count is fixed at compile time.
template <int N> inline int text_append_literal(TextBuilder& text, const char (&literal)[N]) {
    static_assert(N >= 1);
    return text_append(text, literal, N - 1);
}

// Number writing with std::to_chars into [first, last): no locale, no heap, no terminator. Each returns the
// end of what it wrote, or nullptr when the number does not fit (then the bytes in the range are
// unspecified).
char* put_unsigned(char* first, char* last, uint32_t value);
char* put_signed(char* first, char* last, int32_t value);
// Fixed notation with `digits` places after the point, correctly rounded ("%.5f" of the C runtime, but always
// with a point, never a comma).
char* put_fixed(char* first, char* last, double value, int digits);
// The quotient word / divisor, rounded to a double, in fixed notation with `digits` places (0 to 9): the same
// bytes as put_fixed of that double, but worked out in integers wherever the double's rounding cannot matter,
// which is several times faster. A divisor of 0 divides nothing: nullptr.
char* put_ratio(char* first, char* last, int32_t word, uint32_t divisor, int digits);

// Number formatting with std::to_chars: no locale, no heap. Each writes into `out` (at least
// number_field_size bytes), NUL-terminates, and returns the length.
inline constexpr int number_field_size = 48;
int format_unsigned(char* out, uint32_t value);
int format_signed(char* out, int32_t value);
// Fixed notation as put_fixed; a value too long for the field shows as 0.
int format_fixed(char* out, double value, int digits);
