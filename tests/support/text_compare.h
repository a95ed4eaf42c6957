// Test helpers for code page 932 texts: failures show readable UTF-8, comparisons stay byte-exact.
#pragma once

#include <string>

// Converts code page 932 bytes to UTF-8. Bytes that are not valid code page 932 show as <XX>, so no difference
// can vanish in the conversion.
std::string cp932_to_utf8(const std::string& bytes);
// Converts UTF-8 text (test sources are UTF-8) to code page 932 bytes.
std::string utf8_to_cp932(const std::string& text);
// Shows control characters visibly (\r, \n, \t, \xNN) for one-line failure output.
std::string visible(const std::string& text);
