#include "text/bounded_text.h"

#include <gtest/gtest.h>
#include <string>

TEST(BoundedText, AppendThatDoesNotFitWholeAppendsNothing) {
    char buffer[8];
    TextBuilder text;
    text_start(text, buffer, sizeof buffer);
    EXPECT_EQ(1, text_append_literal(text, "abcd"));
    EXPECT_EQ(0, text_append_literal(text, "efgh")); // 8 bytes with the terminator: one too many
    EXPECT_EQ(1, text.overflowed);
    EXPECT_EQ(std::string("abcd"), buffer);
    EXPECT_EQ(1, text_append_literal(text, "efg"));
    EXPECT_EQ(std::string("abcdefg"), buffer);
    EXPECT_EQ(7, text.length);
}

TEST(BoundedText, NumbersAreLocaleFreeAndCorrectlyRounded) {
    char out[number_field_size];
    struct Case {
        double value;
        int digits;
        const char* expected;
    } cases[] = {
        {128.0 / 255.0, 5, "0.50196"}, {-256.0 / 511.0, 5, "-0.50098"}, {1.0, 5, "1.00000"},
        {0.0, 5, "0.00000"},           {3599 / 10.0, 1, "359.9"},       {905 / 10.0, 1, "90.5"},
        {-2147483648.0, 5, "-2147483648.00000"},
    };
    for (const Case& c : cases) {
        format_fixed(out, c.value, c.digits);
        EXPECT_EQ(std::string(c.expected), out) << c.value;
    }
    format_unsigned(out, 4294967295u);
    EXPECT_EQ(std::string("4294967295"), out);
    format_signed(out, -2147483647 - 1);
    EXPECT_EQ(std::string("-2147483648"), out);
}
