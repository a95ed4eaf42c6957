// Output lines and code page conversions of the host program.
#include <cstdio>

#include "host_session.h"

static void write_line(FILE* stream, const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream); // a crash later still leaves every line printed so far
}

void print_line(const std::string& line) {
    write_line(stdout, line);
}
void print_error(const std::string& line) {
    write_line(stderr, line);
}

std::wstring utf8_to_wide(const std::string& text) {
    if (text.empty())
        return {};
    int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string wide_to_utf8(const std::wstring& text) {
    if (text.empty())
        return {};
    int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                     nullptr, nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length, nullptr,
                        nullptr);
    return out;
}

int utf8_to_cp932(const std::string& text, std::string& out, std::string& error) {
    out.clear();
    if (text.empty())
        return 1;
    int wide_length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                          static_cast<int>(text.size()), nullptr, 0);
    if (wide_length <= 0) {
        error = "the text is not valid UTF-8";
        return 0;
    }
    std::wstring wide(static_cast<size_t>(wide_length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), wide_length);
    BOOL lossy = FALSE;
    int length =
        WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), wide_length, nullptr, 0, nullptr, &lossy);
    if (length <= 0 || lossy) {
        error = "the text has a character that code page 932 lacks";
        return 0;
    }
    out.assign(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), wide_length, out.data(), length, nullptr,
                        nullptr);
    return 1;
}

std::string cp932_to_utf8(const char* bytes, int length) {
    // Character by character, so that one bad byte shows where it is instead of spoiling the whole line.
    std::string out;
    int i = 0;
    while (i < length) {
        unsigned char lead = static_cast<unsigned char>(bytes[i]);
        int width = ((lead >= 0x81 && lead <= 0x9F) || lead >= 0xE0) && i + 1 < length ? 2 : 1;
        wchar_t wide[2];
        int wide_length =
            lead < 0x80 ? 0 : MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes + i, width, wide, 2);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
        } else if (wide_length > 0) {
            out += wide_to_utf8(std::wstring(wide, static_cast<size_t>(wide_length)));
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%02X>", lead);
            out += hex;
            width = 1;
        }
        i += width;
    }
    return out;
}
