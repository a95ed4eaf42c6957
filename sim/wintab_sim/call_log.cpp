// The call log: one line per entry-point call, in order, kept until sim_clear_log or sim_reset.
#include <charconv>
#include <cstring>

#include "wintab_sim/sim_driver.h"

namespace {

constexpr char log_full_line[] = "log full\n";
constexpr int log_full_length = int(sizeof(log_full_line)) - 1;

char log_buffer[log_capacity];
int log_length;
int log_full;

void line_append(LogLine& line, const char* bytes, int count) {
    // A line never outgrows its buffer: names and numbers are short, and a longer line is cut.
    if (count > log_line_capacity - 1 - line.length)
        count = log_line_capacity - 1 - line.length;
    if (count <= 0)
        return;
    memcpy(line.text + line.length, bytes, count);
    line.length += count;
}

} // namespace

void log_clear() {
    log_length = 0;
    log_full = 0;
    log_buffer[0] = 0;
}

const char* log_text() {
    return log_buffer;
}

void log_line_start(LogLine& line, const char* name) {
    line.length = 0;
    line_append(line, name, int(strlen(name)));
}

void log_line_number(LogLine& line, int64_t number) {
    char digits[24];
    auto result = std::to_chars(digits, digits + sizeof(digits), number);
    line_append(line, " ", 1);
    line_append(line, digits, int(result.ptr - digits));
}

void log_line_word(LogLine& line, const char* word) {
    line_append(line, " ", 1);
    line_append(line, word, int(strlen(word)));
}

void log_line_finish(LogLine& line) {
    line.text[line.length++] = '\n';
    if (log_full)
        return;
    // Room is always kept for the closing "log full" line and the NUL.
    if (log_length + line.length + log_full_length + 1 > log_capacity) {
        memcpy(log_buffer + log_length, log_full_line, log_full_length);
        log_length += log_full_length;
        log_buffer[log_length] = 0;
        log_full = 1;
        return;
    }
    memcpy(log_buffer + log_length, line.text, line.length);
    log_length += line.length;
    log_buffer[log_length] = 0;
}
