#include "report/report.h"

#include <cstring>

#include "report/report_texts.h"
#include "wintab/info_items.h"
#include "wintab/packet_fields.h"

namespace {

// Devices and cursors each have a range of 100 categories; past it, a number would name the next range
// (device 100 is cursor 0, cursor 100 the extensions).
constexpr int32_t category_range = 100;
constexpr int32_t twist_minimum = 0;
constexpr int32_t twist_maximum = 3599;

struct FlagLabel {
    uint32_t bit;
    const char* label;
    int length;
};

template <int N> constexpr FlagLabel flag(uint32_t bit, const char (&label)[N]) {
    return {bit, label, N - 1};
}

constexpr FlagLabel context_option_labels[] = {
    flag(CXO_SYSTEM, report_option_system),           flag(CXO_PEN, report_option_pen),
    flag(CXO_MESSAGES, report_option_messages),       flag(CXO_MARGIN, report_option_margin),
    flag(CXO_MGNINSIDE, report_option_margin_inside), flag(CXO_CSRMESSAGES, report_option_cursor_messages),
};

constexpr FlagLabel hardware_labels[] = {
    flag(HWC_INTEGRATED, report_hardware_integrated),
    flag(HWC_TOUCH, report_hardware_touch),
    flag(HWC_HARDPROX, report_hardware_proximity),
    flag(HWC_PHYSID_CURSORS, report_hardware_physical_id),
};

constexpr FlagLabel packet_data_labels[] = {
    flag(PK_CONTEXT, report_packet_context),
    flag(PK_STATUS, report_packet_status),
    flag(PK_TIME, report_packet_time),
    flag(PK_CHANGED, report_packet_changed),
    flag(PK_SERIAL_NUMBER, report_packet_serial),
    flag(PK_CURSOR, report_packet_cursor),
    flag(PK_BUTTONS, report_packet_buttons),
    flag(PK_X, report_packet_x),
    flag(PK_Y, report_packet_y),
    flag(PK_Z, report_packet_z),
    flag(PK_NORMAL_PRESSURE, report_packet_pressure),
    flag(PK_TANGENT_PRESSURE, report_packet_tangent),
    flag(PK_ORIENTATION, report_packet_orientation),
    flag(PK_ROTATION, report_packet_rotation),
};

constexpr FlagLabel capability_labels[] = {
    flag(CRC_MULTIMODE, report_capability_multimode),
    flag(CRC_AGGREGATE, report_capability_aggregate),
    flag(CRC_INVERT, report_capability_invert),
};

// Every answer is received here, never straight into the variable that keeps it: a driver that writes more
// than the item's type, or a whole name however small the caller's field, writes into this buffer. A name up
// to this size is received whole and then cut to what `field_buffer` holds.
constexpr int answer_buffer_size = 65536;
unsigned char answer_buffer[answer_buffer_size];
// The largest numeric answer, three AXIS records: cleared before each numeric query, so that a short answer
// reads as zeros rather than as the previous answer's bytes.
constexpr int axis_answer_size = 16;
constexpr int numeric_answer_size = 3 * axis_answer_size;

// A line is built whole here and then appended whole, so the report never ends in part of a line.
constexpr int line_buffer_size = 512;
char line_buffer[line_buffer_size];

// The longest lines: a name line, and a flag line with every label.
constexpr int line_end_size = 2;
template <int N> constexpr int labels_length(const FlagLabel (&labels)[N]) {
    int length = 0;
    for (const FlagLabel& label : labels)
        length += label.length;
    return length;
}
static_assert(sizeof(report_driver_name_label) + field_buffer_size + line_end_size < line_buffer_size);
static_assert(sizeof(report_packet_data_label) + labels_length(packet_data_labels) + line_end_size <
              line_buffer_size);
static_assert(sizeof(report_context_options_label) + labels_length(context_option_labels) + line_end_size <
              line_buffer_size);
static_assert(sizeof(report_hardware_label) + labels_length(hardware_labels) + line_end_size <
              line_buffer_size);

struct AxisAnswer {
    int32_t minimum;
    int32_t maximum;
    uint32_t units;
    uint32_t resolution; // FIX32; only whether it is zero matters here
};

struct Report {
    TextBuilder& text;
    const ReportDriver& driver;
    TextBuilder line;
    int full; // a line did not fit: the report ends before it, and the driver is asked nothing more
};

// Asks one numeric item; 1 when answered. The answer is in answer_buffer.
int ask(Report& report, uint32_t category, uint32_t index) {
    if (report.full)
        return 0;
    std::memset(answer_buffer, 0, numeric_answer_size);
    return report.driver.query(report.driver.driver, category, index, answer_buffer) > 0;
}

uint32_t answer_uint() {
    uint32_t value;
    std::memcpy(&value, answer_buffer, sizeof value);
    return value;
}

uint16_t answer_word() {
    uint16_t value;
    std::memcpy(&value, answer_buffer, sizeof value);
    return value;
}

uint8_t answer_byte() {
    return answer_buffer[0];
}

AxisAnswer answer_axis(int number) {
    AxisAnswer axis;
    static_assert(sizeof axis == axis_answer_size);
    std::memcpy(&axis, answer_buffer + number * axis_answer_size, sizeof axis);
    return axis;
}

inline int is_double_byte_lead(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

inline int is_double_byte_trail(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// Asks one name item; 1 when answered, the name then in field_buffer. The size is asked first: a name larger
// than answer_buffer is not fetched at all and shows empty (the driver did answer, so the item is not
// reported as unanswered).
//
// The name is kept as a line of the report can hold it: at most field_buffer_size - 1 bytes, never ending in
// half a double-byte character; a control byte (a line end, say) becomes a blank, and a lead byte without its
// trail byte becomes "?", so that no reader takes the line end after it for its second half.
int ask_name(Report& report, uint32_t category, uint32_t index) {
    field_buffer[0] = '\0';
    if (report.full)
        return 0;
    const ReportDriver& driver = report.driver;
    if (driver.query(driver.driver, category, index, nullptr) > answer_buffer_size)
        return 1;
    // A driver that gives no size for a null output may still answer into a buffer: ask it whatever it said.
    std::memset(answer_buffer, 0, answer_buffer_size);
    if (driver.query(driver.driver, category, index, answer_buffer) <= 0)
        return 0;
    const void* terminator = std::memchr(answer_buffer, '\0', answer_buffer_size);
    const int length = terminator
                           ? static_cast<int>(static_cast<const unsigned char*>(terminator) - answer_buffer)
                           : answer_buffer_size;
    constexpr int kept_limit = field_buffer_size - 1;
    int kept = 0;
    for (int at = 0; at < length;) {
        const unsigned char byte = answer_buffer[at];
        if (is_double_byte_lead(byte) && at + 1 < length && is_double_byte_trail(answer_buffer[at + 1])) {
            if (kept + 2 > kept_limit)
                break;
            field_buffer[kept++] = static_cast<char>(byte);
            field_buffer[kept++] = static_cast<char>(answer_buffer[at + 1]);
            at += 2;
            continue;
        }
        if (kept + 1 > kept_limit)
            break;
        if (is_double_byte_lead(byte))
            field_buffer[kept++] = '?';
        else if (byte < 0x20 || byte == 0x7F)
            field_buffer[kept++] = ' ';
        else
            field_buffer[kept++] = static_cast<char>(byte);
        ++at;
    }
    field_buffer[kept] = '\0';
    return 1;
}

void line_start(Report& report) {
    text_start(report.line, line_buffer, line_buffer_size);
}

template <int N> void line_literal(Report& report, const char (&literal)[N]) {
    text_append_literal(report.line, literal);
}

void line_number(Report& report, int32_t value) {
    const int length = format_signed(field_buffer, value);
    text_append(report.line, field_buffer, length);
}

void line_field(Report& report) {
    text_append_string(report.line, field_buffer, field_buffer_size);
}

template <int N> void line_flags(Report& report, uint32_t word, const FlagLabel (&labels)[N]) {
    for (const FlagLabel& label : labels)
        if (word & label.bit)
            text_append(report.line, label.label, label.length);
    if (word == 0)
        line_literal(report, report_mark_none);
}

void line_end(Report& report) {
    text_append_literal(report.line, "\r\n");
    if (report.full || report.line.overflowed ||
        !text_append(report.text, report.line.buffer, report.line.length))
        report.full = 1;
}

// One of the report's marks, chosen at run time among literals of different lengths.
struct Mark {
    const char* text;
    int length;
};
template <int N> constexpr Mark mark(const char (&text)[N]) {
    return {text, N - 1};
}

// A whole line: a label and one mark.
template <int N> void mark_line(Report& report, const char (&label)[N], Mark chosen) {
    line_start(report);
    line_literal(report, label);
    text_append(report.line, chosen.text, chosen.length);
    line_end(report);
}

// A line whose literal already ends with its line end.
template <int N> void whole_line(Report& report, const char (&literal)[N]) {
    if (report.full || !text_append_literal(report.text, literal))
        report.full = 1;
}

// A version: major in the high byte, minor in the low byte.
template <int N> void version_line(Report& report, const char (&label)[N], uint32_t index) {
    if (!ask(report, WTI_INTERFACE, index))
        return;
    const uint16_t version = answer_word();
    line_start(report);
    line_literal(report, label);
    line_number(report, version >> 8);
    line_literal(report, ".");
    line_number(report, version & 0xFF);
    line_end(report);
}

// A whole line: a label and one number.
template <int N> void number_line(Report& report, const char (&label)[N], int32_t value) {
    line_start(report);
    line_literal(report, label);
    line_number(report, value);
    line_end(report);
}

template <int N>
void count_line(Report& report, const char (&label)[N], uint32_t category, uint32_t index, int32_t* count) {
    if (!ask(report, category, index))
        return;
    const int32_t value = static_cast<int32_t>(answer_uint());
    if (count)
        *count = value;
    number_line(report, label, value);
}

template <int N> void button_line(Report& report, const char (&label)[N], uint32_t category, uint32_t index) {
    if (ask(report, category, index))
        number_line(report, label, answer_byte());
}

// X and Y: the range, "？" for a resolution of zero, "－" unanswered.
template <int N> void range_line(Report& report, const char (&label)[N], uint32_t category, uint32_t index) {
    line_start(report);
    line_literal(report, label);
    if (!ask(report, category, index)) {
        line_literal(report, report_mark_unanswered);
    } else {
        const AxisAnswer axis = answer_axis(0);
        if (axis.resolution == 0) {
            line_literal(report, report_mark_unknown_resolution);
        } else {
            line_number(report, axis.minimum);
            line_literal(report, "-");
            line_number(report, axis.maximum);
        }
    }
    line_end(report);
}

// Pressure and wheel: "○(maximum)", "×" for a maximum of zero, "－" unanswered.
template <int N>
void pressure_line(Report& report, const char (&label)[N], uint32_t category, uint32_t index) {
    line_start(report);
    line_literal(report, label);
    if (!ask(report, category, index)) {
        line_literal(report, report_mark_unanswered);
    } else {
        const AxisAnswer axis = answer_axis(0);
        if (axis.maximum == 0) {
            line_literal(report, report_mark_no);
        } else {
            line_literal(report, report_mark_yes);
            line_literal(report, "(");
            line_number(report, axis.maximum);
            line_literal(report, ")");
        }
    }
    line_end(report);
}

void device_section(Report& report, int32_t device) {
    const uint32_t category = WTI_DEVICES + static_cast<uint32_t>(device);

    number_line(report, report_device_number_label, device);

    if (ask_name(report, category, DVC_NAME)) {
        line_start(report);
        line_literal(report, report_device_name_label);
        line_field(report);
        line_end(report);
    }

    if (ask(report, category, DVC_HARDWARE)) {
        const uint32_t hardware = answer_uint();
        line_start(report);
        line_literal(report, report_hardware_label);
        line_flags(report, hardware, hardware_labels);
        line_end(report);
    }

    if (ask(report, category, DVC_FIRSTCSR)) {
        const uint32_t first_cursor = answer_uint();
        line_start(report);
        if (ask(report, category, DVC_NCSRTYPES)) {
            // The last number wraps as a 32-bit count would; a count of 0 shows as first - 1.
            const uint32_t last_cursor = first_cursor + answer_uint() - 1;
            line_literal(report, report_cursor_range_label);
            line_number(report, static_cast<int32_t>(first_cursor));
            line_literal(report, "-");
            line_number(report, static_cast<int32_t>(last_cursor));
        } else {
            line_literal(report, report_first_cursor_label);
            line_number(report, static_cast<int32_t>(first_cursor));
        }
        line_end(report);
    } else {
        count_line(report, report_cursor_types_label, category, DVC_NCSRTYPES, nullptr);
    }

    range_line(report, report_x_axis_label, category, DVC_X);
    range_line(report, report_y_axis_label, category, DVC_Y);
    pressure_line(report, report_pressure_label, category, DVC_NPRESSURE);
    pressure_line(report, report_wheel_label, category, DVC_TPRESSURE);

    if (ask(report, category, DVC_ORIENTATION)) {
        const AxisAnswer azimuth = answer_axis(0);
        const AxisAnswer altitude = answer_axis(1);
        const AxisAnswer twist = answer_axis(2);
        const int tilt = azimuth.resolution != 0 && altitude.resolution != 0;
        mark_line(report, report_tilt_label, tilt ? mark(report_mark_yes) : mark(report_mark_no));
        const int usable_twist = twist.minimum == twist_minimum && twist.maximum == twist_maximum;
        mark_line(report, report_rotation_label,
                  twist.resolution == 0 ? mark(report_mark_no)
                  : usable_twist        ? mark(report_mark_yes)
                                        : mark(report_mark_unusable));
    } else {
        mark_line(report, report_tilt_label, mark(report_mark_unanswered));
        mark_line(report, report_rotation_label, mark(report_mark_unanswered));
    }

    Mark thumbwheel = mark(report_mark_unanswered);
    if (ask(report, category, DVC_Z)) {
        const AxisAnswer z = answer_axis(0);
        // Symmetric about zero, negated as a 32-bit word (so the lowest value is its own negation).
        const int symmetric = static_cast<uint32_t>(z.maximum) == 0u - static_cast<uint32_t>(z.minimum);
        thumbwheel = z.resolution == 0 ? mark(report_mark_no)
                     : symmetric       ? mark(report_mark_yes)
                                       : mark(report_mark_unusable);
    }
    mark_line(report, report_thumbwheel_label, thumbwheel);
}

void cursor_section(Report& report, int32_t cursor) {
    const uint32_t category = WTI_CURSORS + static_cast<uint32_t>(cursor);

    number_line(report, report_cursor_number_label, cursor);

    // The name line is there even without a name.
    const int named = ask_name(report, category, CSR_NAME);
    line_start(report);
    line_literal(report, report_cursor_name_label);
    if (named)
        line_field(report);
    line_end(report);

    line_start(report);
    line_literal(report, report_connection_label);
    if (!ask(report, category, CSR_ACTIVE))
        line_literal(report, report_mark_unanswered);
    else if (answer_uint() != 0)
        line_literal(report, report_mark_connected);
    else
        line_literal(report, report_mark_disconnected);
    line_end(report);

    if (ask(report, category, CSR_PKTDATA)) {
        const uint32_t packet_data = answer_uint();
        line_start(report);
        line_literal(report, report_packet_data_label);
        line_flags(report, packet_data, packet_data_labels);
        line_end(report);
    }

    button_line(report, report_button_count_label, category, CSR_BUTTONS);
    button_line(report, report_pressure_button_label, category, CSR_NPBUTTON);
    button_line(report, report_tangent_button_label, category, CSR_TPBUTTON);

    if (ask(report, category, CSR_CAPABILITIES)) {
        const uint32_t capabilities = answer_uint();
        line_start(report);
        line_literal(report, report_capabilities_label);
        line_flags(report, capabilities, capability_labels);
        line_end(report);
        if (capabilities & CRC_MULTIMODE)
            count_line(report, report_cursor_mode_label, category, CSR_MODE, nullptr);
    }
}

} // namespace

void build_report(TextBuilder& text, const ReportDriver& driver) {
    text_start(text, text.buffer, text.capacity);
    Report report{text, driver, {}, 0};

    line_start(report);
    line_literal(report, report_dll_label);
    line_literal(report, driver.module_loaded ? report_mark_yes : report_mark_no);
    line_end(report);
    if (!driver.module_loaded)
        return;
    if (!driver.info_available || driver.query == nullptr) {
        whole_line(report, report_no_info_function_line);
        return;
    }

    if (!ask_name(report, WTI_INTERFACE, IFC_WINTABID)) {
        whole_line(report, report_no_device_line);
        return;
    }
    line_start(report);
    line_literal(report, report_driver_name_label);
    line_field(report);
    line_end(report);

    version_line(report, report_spec_version_label, IFC_SPECVERSION);
    version_line(report, report_impl_version_label, IFC_IMPLVERSION);
    int32_t device_count = 0;
    int32_t cursor_count = 0;
    count_line(report, report_device_count_label, WTI_INTERFACE, IFC_NDEVICES, &device_count);
    count_line(report, report_cursor_count_label, WTI_INTERFACE, IFC_NCURSORS, &cursor_count);
    count_line(report, report_context_count_label, WTI_INTERFACE, IFC_NCONTEXTS, nullptr);
    if (ask(report, WTI_INTERFACE, IFC_CTXOPTIONS)) {
        const uint32_t options = answer_uint();
        line_start(report);
        line_literal(report, report_context_options_label);
        line_flags(report, options, context_option_labels);
        line_end(report);
    }

    for (int32_t device = 0; device < device_count && device < category_range && !report.full; ++device)
        device_section(report, device);
    for (int32_t cursor = 0; cursor < cursor_count && cursor < category_range && !report.full; ++cursor)
        cursor_section(report, cursor);
}
