// Fuzzes the information report with a driver whose every answer comes from the input: unanswered items,
// negative results, numbers, counts up to 10000, axis records, names short and long, names that overrun the
// size they announced, and sizes beyond the receive buffer. Checks that the report stays within its buffer,
// is terminated, and is made of whole lines that each begin with a label and end with CR LF.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>

#include "fuzz_input.h"
#include "report/report.h"
#include "report/report_texts.h"

namespace {

// The most a driver may write for one item unless it announced more for a null output (the report's receive
// buffer).
constexpr int32_t largest_write = 65536;
constexpr int guard_size = 32;

struct FuzzDriver : FuzzInput {
    std::map<std::pair<uint32_t, uint32_t>, int32_t> announced; // the last size given for a null output
};

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "report: %s\n", what);
        std::abort();
    }
}

int32_t fuzz_query(void* context, uint32_t category, uint32_t index, void* output) {
    FuzzDriver& driver = *static_cast<FuzzDriver*>(context);
    unsigned char* out = static_cast<unsigned char*>(output);
    if (out) {
        auto found = driver.announced.find({category, index});
        check(found == driver.announced.end() || found->second <= largest_write,
              "an item larger than the receive buffer was fetched");
    }
    int32_t result = 0;
    switch (driver.take(1) & 7) {
    case 0: // unanswered (also once the input is used up)
        result = 0;
        break;
    case 1: // a failure as a negative result
        result = -static_cast<int32_t>(driver.take(1)) - 1;
        break;
    case 2: { // a count
        uint32_t value = driver.take(2) % 10001;
        if (out)
            std::memcpy(out, &value, sizeof value);
        result = 4;
        break;
    }
    case 3: { // any word, written at the width the input says
        uint32_t value = driver.take(4);
        int width = 1 + static_cast<int>(driver.take(1) % 4);
        if (out)
            std::memcpy(out, &value, static_cast<size_t>(width));
        result = width;
        break;
    }
    case 4: { // axis records
        int bytes = 16 * (1 + static_cast<int>(driver.take(1) % 3));
        for (int i = 0; i < bytes; ++i) {
            unsigned char byte = static_cast<unsigned char>(driver.take(1));
            if (out)
                out[i] = byte;
        }
        result = bytes;
        break;
    }
    case 5: { // a short name, any bytes
        int length = static_cast<int>(driver.take(1));
        for (int i = 0; i < length; ++i) {
            unsigned char byte = static_cast<unsigned char>(driver.take(1));
            if (out)
                out[i] = byte;
        }
        if (out)
            out[length] = '\0';
        result = length + 1;
        break;
    }
    case 6: { // a long name of one byte pair, maybe unterminated, with a size that may not match it
        int32_t length = static_cast<int32_t>(driver.take(3) % (largest_write + 1));
        unsigned char first = static_cast<unsigned char>(driver.take(1));
        unsigned char second = static_cast<unsigned char>(driver.take(1));
        if (out) {
            for (int32_t i = 0; i < length; ++i)
                out[i] = (i & 1) ? second : first;
            if (length < largest_write)
                out[length] = '\0';
        }
        result = static_cast<int32_t>(driver.take(4));
        break;
    }
    case 7: // a size beyond the receive buffer
        result = largest_write + 1 + static_cast<int32_t>(driver.take(2));
        break;
    }
    if (!out)
        driver.announced[{category, index}] = result;
    return result;
}

template <int N> bool starts_with(const char* line, int length, const char (&label)[N]) {
    return length >= N - 1 && std::memcmp(line, label, N - 1) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzDriver driver{{data, size}, {}};
    const uint32_t setup = driver.take(2);
    const int module_loaded = (setup & 3) != 0;
    const int info_available = (setup & 12) != 0;
    // Mostly the real buffer size; sometimes a small one.
    const int capacity = (setup & 0x10) ? static_cast<int>((setup >> 5) % 2048) : text_buffer_size;

    char* buffer = new char[static_cast<size_t>(capacity) + guard_size];
    std::memset(buffer, 'G', static_cast<size_t>(capacity) + guard_size);
    TextBuilder text;
    text_start(text, buffer, capacity);
    ReportDriver report_driver{module_loaded, info_available, fuzz_query, &driver};
    build_report(text, report_driver);

    for (int i = 0; i < guard_size; ++i)
        check(buffer[capacity + i] == 'G', "written past the buffer");
    check(text.length >= 0 && text.length <= (capacity > 0 ? capacity - 1 : 0) && text.length <= 32767,
          "length within the buffer");
    if (capacity > 0) {
        check(buffer[text.length] == '\0', "terminated");
        check(static_cast<int>(std::strlen(buffer)) == text.length, "no NUL inside");
    }
    // Whole lines, each ending with CR LF, each beginning with a first-level label or an ideographic space.
    int start = 0;
    while (start < text.length) {
        const char* end = static_cast<const char*>(std::memchr(buffer + start, '\n', text.length - start));
        check(end != nullptr, "the text ends with a line end");
        const int line_length = static_cast<int>(end - (buffer + start)) + 1;
        const char* line = buffer + start;
        check(line_length >= 2 && line[line_length - 2] == '\r', "LF after CR");
        check(std::memchr(line, '\r', line_length - 2) == nullptr, "no CR inside a line");
        check(starts_with(line, line_length, report_dll_label) ||
                  starts_with(line, line_length, report_no_info_function_line) ||
                  starts_with(line, line_length, report_driver_name_label) ||
                  starts_with(line, line_length, report_no_device_line) ||
                  starts_with(line, line_length, report_device_number_label) ||
                  starts_with(line, line_length, report_cursor_number_label) ||
                  starts_with(line, line_length, "\x81\x40"),
              "a line begins with a label");
        start += line_length;
    }
    if (capacity >= 17)
        check(starts_with(buffer, text.length, report_dll_label), "the first line");
    delete[] buffer;
    return 0;
}
