// Reading profile and stroke texts: errors with line numbers, numbers, whole files, UTF-8 to code page 932.
#include <charconv>
#include <cstring>

#include "wintab_sim/sim_driver.h"

char last_error[error_capacity];

namespace {

// Shown of the offending text in an error, at most.
constexpr int excerpt_length = 40;
constexpr UINT code_page_932 = 932;
constexpr int wide_capacity = name_capacity;

char file_text[file_text_capacity + 1];
wchar_t wide_text[wide_capacity];

void error_append(int& length, const char* bytes, int count) {
    if (count > error_capacity - 1 - length)
        count = error_capacity - 1 - length;
    if (count <= 0)
        return;
    memcpy(last_error + length, bytes, count);
    length += count;
    last_error[length] = 0;
}

void error_append_string(int& length, const char* text) {
    error_append(length, text, int(strlen(text)));
}

} // namespace

void clear_error() {
    last_error[0] = 0;
}

void set_error(int line, const char* what, const char* found, int found_length) {
    int length = 0;
    last_error[0] = 0;
    if (line > 0) {
        char number[16];
        auto result = std::to_chars(number, number + sizeof(number), line);
        error_append_string(length, "line ");
        error_append(length, number, int(result.ptr - number));
        error_append_string(length, ": ");
    }
    error_append_string(length, what);
    if (found == nullptr)
        return;
    // The excerpt keeps printable ASCII and shows every other byte as '?', so the message stays one clean
    // line.
    char excerpt[excerpt_length + 1];
    int count = found_length < excerpt_length ? found_length : excerpt_length;
    for (int i = 0; i < count; ++i) {
        unsigned char byte = static_cast<unsigned char>(found[i]);
        excerpt[i] = byte >= 0x20 && byte < 0x7F ? char(byte) : '?';
    }
    if (count == 0) {
        error_append_string(length, ", found the end of the line");
        return;
    }
    error_append_string(length, ", found '");
    error_append(length, excerpt, count);
    if (found_length > count)
        error_append_string(length, "...");
    error_append_string(length, "'");
}

int read_text_file(const char* path, const char*& text) {
    text = nullptr;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        set_error(0, "cannot open the file", path, int(strlen(path)));
        return 0;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart > file_text_capacity) {
        CloseHandle(file);
        set_error(0, "the file is larger than 2 MiB", path, int(strlen(path)));
        return 0;
    }
    DWORD read = 0;
    BOOL ok = ReadFile(file, file_text, DWORD(size.QuadPart), &read, nullptr);
    CloseHandle(file);
    if (!ok || read != DWORD(size.QuadPart)) {
        set_error(0, "cannot read the file", path, int(strlen(path)));
        return 0;
    }
    file_text[read] = 0;
    text = file_text;
    // A UTF-8 byte order mark is not part of the first line.
    if (read >= 3 && memcmp(file_text, "\xEF\xBB\xBF", 3) == 0)
        text = file_text + 3;
    return 1;
}

const char* skip_blanks(const char* cursor, const char* end) {
    while (cursor < end && (*cursor == ' ' || *cursor == '\t'))
        ++cursor;
    return cursor;
}

int read_number(const char*& cursor, const char* end, int64_t& out) {
    const char* position = cursor;
    int negative = 0;
    if (position < end && *position == '-') {
        negative = 1;
        ++position;
    }
    int base = 10;
    if (end - position >= 2 && position[0] == '0' && (position[1] == 'x' || position[1] == 'X')) {
        base = 16;
        position += 2;
    }
    uint64_t magnitude = 0;
    auto result = std::from_chars(position, end, magnitude, base);
    if (result.ec != std::errc() || result.ptr == position)
        return 0;
    // Only 32-bit values are ever wanted; anything past this bound is out of range for every caller.
    constexpr uint64_t magnitude_bound = uint64_t(1) << 40;
    if (magnitude > magnitude_bound)
        magnitude = magnitude_bound;
    out = negative ? -int64_t(magnitude) : int64_t(magnitude);
    cursor = result.ptr;
    return 1;
}

int utf8_to_cp932(const char* text, int length, char* out, int capacity) {
    if (length == 0) {
        out[0] = 0;
        return 0;
    }
    int wide_length =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, length, wide_text, wide_capacity);
    if (wide_length <= 0)
        return -1;
    BOOL lossy = FALSE;
    int bytes = WideCharToMultiByte(code_page_932, WC_NO_BEST_FIT_CHARS, wide_text, wide_length, out,
                                    capacity - 1, nullptr, &lossy);
    if (bytes <= 0 || lossy)
        return -1;
    out[bytes] = 0;
    return bytes;
}
