// The description writer natively, under the sanitizers: for every buffer length nothing is written at or
// past the length, the text kept is whole characters of the description and a NUL. (The exact texts per
// length are checked through the DLL under Wine.)
#include "plugin/plugin_info.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "text_compare.h"

TEST(PluginInfo, EveryLengthStaysInsideTheBufferAndKeepsWholeCharacters) {
    const std::string whole = utf8_to_cp932("wintab プラグイン");
    ASSERT_EQ(17u, whole.size());
    EXPECT_EQ(17, write_plugin_description(nullptr, 100));
    for (uint32_t length = 0; length <= 20; length++) {
        // Exactly `length` bytes on the heap, so that AddressSanitizer sees a write past them.
        char* buffer = new char[length == 0 ? 1 : length];
        std::memset(buffer, 0x5A, length == 0 ? 1 : length);
        EXPECT_EQ(17, write_plugin_description(buffer, length)) << length;
        if (length == 0) {
            EXPECT_EQ(0x5A, buffer[0]) << "length 0 gets nothing";
        } else {
            const void* terminator = std::memchr(buffer, '\0', length);
            ASSERT_NE(nullptr, terminator) << "no NUL within length " << length;
            const std::string kept(buffer, static_cast<const char*>(terminator) - buffer);
            EXPECT_EQ(whole.substr(0, kept.size()), kept) << length;
            // Whole characters only: the Japanese part is double-byte from byte 7 on.
            EXPECT_TRUE(kept.size() <= 7 || (kept.size() - 7) % 2 == 0) << length;
            // And as many as fit: at most one byte of room left unused.
            const size_t room = length - 1 < 17 ? length - 1 : 17;
            EXPECT_LE(room - kept.size(), 1u) << length;
        }
        delete[] buffer;
    }
}
