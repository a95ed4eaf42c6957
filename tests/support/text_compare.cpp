#include "text_compare.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>

static std::string convert(const std::string& bytes, UINT from, UINT to) {
    if (bytes.empty())
        return {};
    int wide_length =
        MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (wide_length <= 0)
        return {};
    std::wstring wide(static_cast<size_t>(wide_length), L'\0');
    MultiByteToWideChar(from, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), wide_length);
    int length = WideCharToMultiByte(to, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(to, 0, wide.data(), wide_length, out.data(), length, nullptr, nullptr);
    return out;
}
static bool convertible(const std::string& bytes, UINT from) {
    return bytes.empty() || MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, bytes.data(),
                                                static_cast<int>(bytes.size()), nullptr, 0) > 0;
}
#else
#include <iconv.h>

static std::string convert_iconv(const std::string& bytes, const char* from, const char* to, bool& ok) {
    ok = true;
    iconv_t cd = iconv_open(to, from);
    std::string out(bytes.size() * 4 + 4, '\0');
    char* in_pointer = const_cast<char*>(bytes.data());
    size_t in_left = bytes.size();
    char* out_pointer = out.data();
    size_t out_left = out.size();
    if (iconv(cd, &in_pointer, &in_left, &out_pointer, &out_left) == static_cast<size_t>(-1))
        ok = false;
    iconv_close(cd);
    out.resize(out.size() - out_left);
    return out;
}
#endif

std::string cp932_to_utf8(const std::string& bytes) {
    // Convert character by character so that an invalid byte shows where it is.
    std::string out;
    size_t i = 0;
    while (i < bytes.size()) {
        unsigned char lead = static_cast<unsigned char>(bytes[i]);
        size_t width = ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) ? 2 : 1;
        if (i + width > bytes.size())
            width = 1;
        std::string piece = bytes.substr(i, width);
        bool ok;
#ifdef _WIN32
        ok = convertible(piece, 932);
        std::string converted = ok ? convert(piece, 932, CP_UTF8) : std::string();
#else
        std::string converted = convert_iconv(piece, "CP932", "UTF-8", ok);
#endif
        if (lead < 0x80) {
            out += static_cast<char>(lead);
        } else if (ok && !converted.empty()) {
            out += converted;
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

std::string utf8_to_cp932(const std::string& text) {
#ifdef _WIN32
    return convert(text, CP_UTF8, 932);
#else
    bool ok;
    return convert_iconv(text, "UTF-8", "CP932", ok);
#endif
}

std::string visible(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c < 0x20) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else
            out += static_cast<char>(c);
    }
    return out;
}
