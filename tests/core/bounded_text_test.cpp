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
        {128.0 / 255.0, 5, "0.50196"},
        {-256.0 / 511.0, 5, "-0.50098"},
        {1.0, 5, "1.00000"},
        {0.0, 5, "0.00000"},
        {3599 / 10.0, 1, "359.9"},
        {905 / 10.0, 1, "90.5"},
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

// put_ratio must write what put_fixed writes for the double quotient, byte for byte, including the quotients
// that lie exactly halfway between two outputs, where the double's own rounding decides.
TEST(BoundedText, RatioWritesTheRoundedDoubleQuotient) {
    struct Case {
        int32_t word;
        uint32_t divisor;
        int digits;
        const char* expected;
    } cases[] = {
        {128, 255, 5, "0.50196"},
        {-256, 511, 5, "-0.50098"},
        {0, 7, 5, "0.00000"},
        {-1, 300000, 5, "-0.00000"},
        {49, 200000, 5, "0.00024"},
        {-49, 200000, 5, "-0.00024"},
        {1, 200000, 5, "0.00001"},
        {3599, 10, 1, "359.9"},
        {-5, 10, 1, "-0.5"},
        {-2147483647 - 1, 1, 5, "-2147483648.00000"},
        {2147483647, 4294967295u, 5, "0.50000"},
        {2147483647, 3, 0, "715827882"},
    };
    char out[number_field_size];
    for (const Case& c : cases) {
        char* end = put_ratio(out, out + sizeof out, c.word, c.divisor, c.digits);
        ASSERT_NE(nullptr, end);
        EXPECT_EQ(std::string(c.expected), std::string(out, end)) << c.word << "/" << c.divisor;
    }
    EXPECT_EQ(nullptr, put_ratio(out, out + sizeof out, 1, 0, 5));
    EXPECT_EQ(nullptr, put_ratio(out, out + 7, -1, 3, 5)); // "-0.33333" is 8 bytes

    char reference[number_field_size];
    uint64_t state = 88172645463325252u;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    for (int i = 0; i < 200000; ++i) {
        uint64_t bits = next();
        // Mostly small divisors and words, as tablets report them, and some of every size.
        uint32_t divisor =
            (i % 4 == 0) ? static_cast<uint32_t>(bits >> 32) : static_cast<uint32_t>(bits % 70000) + 1;
        int32_t word =
            (i % 3 == 0) ? static_cast<int32_t>(bits) : static_cast<int32_t>(bits % 140001) - 70000;
        if (divisor == 0)
            continue;
        int digits = (i % 5 == 0) ? 1 : 5;
        char* end = put_ratio(out, out + sizeof out, word, divisor, digits);
        char* reference_end = put_fixed(reference, reference + sizeof reference,
                                        static_cast<double>(word) / static_cast<double>(divisor), digits);
        ASSERT_NE(nullptr, end);
        ASSERT_EQ(std::string(reference, reference_end), std::string(out, end)) << word << "/" << divisor;
    }
}
