// The profile: what the simulated driver answers and how it behaves. Parsed from `key = value` lines; see
// sim/README.md for every key. A parse either succeeds whole or leaves an error naming the line.
#include <cstddef>
#include <cstring>

#include "wintab_sim/sim_driver.h"

Profile active_profile;

const char default_profile_text[] = R"(# Built-in profile: one rich pen tablet with three cursors.
interface.id = KUMO Simulated Wintab
interface.spec_version = 0x0104
interface.impl_version = 0x010A
interface.devices = 1
interface.cursors = 3
interface.contexts = 16
interface.context_options = 0xC00F
device.0.name = KUMO Simulated Pen Tablet
device.0.hardware = 0x0004
device.0.first_cursor = 0
device.0.cursor_types = 3
device.0.x = 0 44799 2 0x07D00000
device.0.y = 0 27999 2 0x07D00000
device.0.z = -1023 1023 2 0x07D00000
device.0.pressure = 0 1023 0 0
device.0.tangent = 0 0 0 0
device.0.orientation = 0 3599 3 0x0E100000 | -900 900 3 0x0E100000 | 0 3599 3 0x0E100000
cursor.0.name = Pressure Stylus
cursor.0.active = 1
cursor.0.packet_data = 0x17FF
cursor.0.buttons = 3
cursor.0.pressure_button = 0
cursor.0.tangent_button = 0
cursor.0.capabilities = 0x0001
cursor.0.mode = 0
cursor.1.name = Eraser
cursor.1.active = 1
cursor.1.packet_data = 0x17FF
cursor.1.buttons = 3
cursor.1.pressure_button = 0
cursor.1.tangent_button = 0
cursor.1.capabilities = 0x0005
cursor.1.mode = 1
cursor.2.name = Puck
cursor.2.active = 0
cursor.2.packet_data = 0x23FF
cursor.2.buttons = 16
cursor.2.capabilities = 0x0000
cursor.2.mode = 2
)";

namespace {

// A piece of the line being parsed.
struct Token {
    const char* begin;
    int length;
};

int token_is(const Token& token, const char* word) {
    int length = int(strlen(word));
    return token.length == length && memcmp(token.begin, word, length) == 0;
}

struct ContextField {
    const char* name;
    int offset;
};

#define CONTEXT_FIELD(name)                                                                                  \
    { #name, int(offsetof(LOGCONTEXTA, name)) }
// lcName first: the only text field. Every other field is one 32-bit word.
constexpr ContextField context_fields[] = {
    CONTEXT_FIELD(lcName),     CONTEXT_FIELD(lcOptions),   CONTEXT_FIELD(lcStatus),
    CONTEXT_FIELD(lcLocks),    CONTEXT_FIELD(lcMsgBase),   CONTEXT_FIELD(lcDevice),
    CONTEXT_FIELD(lcPktRate),  CONTEXT_FIELD(lcPktData),   CONTEXT_FIELD(lcPktMode),
    CONTEXT_FIELD(lcMoveMask), CONTEXT_FIELD(lcBtnDnMask), CONTEXT_FIELD(lcBtnUpMask),
    CONTEXT_FIELD(lcInOrgX),   CONTEXT_FIELD(lcInOrgY),    CONTEXT_FIELD(lcInOrgZ),
    CONTEXT_FIELD(lcInExtX),   CONTEXT_FIELD(lcInExtY),    CONTEXT_FIELD(lcInExtZ),
    CONTEXT_FIELD(lcOutOrgX),  CONTEXT_FIELD(lcOutOrgY),   CONTEXT_FIELD(lcOutOrgZ),
    CONTEXT_FIELD(lcOutExtX),  CONTEXT_FIELD(lcOutExtY),   CONTEXT_FIELD(lcOutExtZ),
    CONTEXT_FIELD(lcSensX),    CONTEXT_FIELD(lcSensY),     CONTEXT_FIELD(lcSensZ),
    CONTEXT_FIELD(lcSysMode),  CONTEXT_FIELD(lcSysOrgX),   CONTEXT_FIELD(lcSysOrgY),
    CONTEXT_FIELD(lcSysExtX),  CONTEXT_FIELD(lcSysExtY),   CONTEXT_FIELD(lcSysSensX),
    CONTEXT_FIELD(lcSysSensY),
};
#undef CONTEXT_FIELD
constexpr int context_field_count = int(sizeof(context_fields) / sizeof(context_fields[0]));
static_assert(context_field_count == 34 && context_field_count <= 64);

constexpr int64_t int32_lowest = -2147483648LL;
constexpr int64_t int32_highest = 2147483647LL;
constexpr int64_t uint32_highest = 4294967295LL;

// The parse in progress: its line and its value text.
struct LineParse {
    int line;
    Token key;
    Token value;
};

int fail(const LineParse& parse, const char* expected, const Token& found) {
    set_error(parse.line, expected, found.begin, found.length);
    return 0;
}

int value_is_unanswered(const LineParse& parse) {
    return token_is(parse.value, "unanswered");
}

// The whole value is one number within [lowest, highest].
int read_single_number(const LineParse& parse, int64_t lowest, int64_t highest, const char* expected,
                       int64_t& out) {
    const char* cursor = parse.value.begin;
    const char* end = parse.value.begin + parse.value.length;
    if (!read_number(cursor, end, out) || cursor != end || out < lowest || out > highest)
        return fail(parse, expected, parse.value);
    return 1;
}

int read_word(const LineParse& parse, int64_t lowest, int64_t highest, const char* expected,
              AnsweredValue& out) {
    if (value_is_unanswered(parse)) {
        out.answered = 0;
        return 1;
    }
    int64_t number = 0;
    if (!read_single_number(parse, lowest, highest, expected, number))
        return 0;
    out.answered = 1;
    out.value = uint32_t(number);
    return 1;
}

int read_uint32(const LineParse& parse, AnsweredValue& out) {
    return read_word(parse, int32_lowest, uint32_highest, "a 32-bit number or 'unanswered' expected", out);
}

int read_byte(const LineParse& parse, AnsweredValue& out) {
    return read_word(parse, 0, 255, "a number from 0 to 255 or 'unanswered' expected", out);
}

int read_text(const LineParse& parse, int capacity, char* out, int& length) {
    length = utf8_to_cp932(parse.value.begin, parse.value.length, out, capacity);
    if (length < 0)
        return fail(parse,
                    "a UTF-8 text whose characters code page 932 has, of at most 255 bytes in code page 932, "
                    "expected",
                    parse.value);
    return 1;
}

int read_name(const LineParse& parse, AnsweredName& out) {
    if (value_is_unanswered(parse)) {
        out.answered = 0;
        return 1;
    }
    if (!read_text(parse, name_capacity, out.text, out.length))
        return 0;
    out.answered = 1;
    out.line = parse.line;
    return 1;
}

// MIN MAX UNITS RESOLUTION from `cursor`, which advances past them.
int read_axis_numbers(const LineParse& parse, const char*& cursor, const char* end, AXIS& out) {
    static constexpr const char* expected =
        "an axis 'MIN MAX UNITS RESOLUTION' (four 32-bit numbers) expected";
    int64_t numbers[4] = {};
    for (int i = 0; i < 4; ++i) {
        cursor = skip_blanks(cursor, end);
        const char* start = cursor;
        // The bounds are signed; units and resolution are unsigned words, written either way.
        int64_t highest = i < 2 ? int32_highest : uint32_highest;
        if (!read_number(cursor, end, numbers[i]) || numbers[i] < int32_lowest || numbers[i] > highest ||
            (cursor < end && *cursor != ' ' && *cursor != '\t' && *cursor != '|'))
            return fail(parse, expected, Token{start, int(end - start)});
    }
    out.axMin = LONG(numbers[0]);
    out.axMax = LONG(numbers[1]);
    out.axUnits = UINT(uint32_t(numbers[2]));
    out.axResolution = FIX32(uint32_t(numbers[3]));
    cursor = skip_blanks(cursor, end);
    return 1;
}

int read_axis(const LineParse& parse, AnsweredAxis& out) {
    if (value_is_unanswered(parse)) {
        out.answered = 0;
        return 1;
    }
    const char* cursor = parse.value.begin;
    const char* end = parse.value.begin + parse.value.length;
    if (!read_axis_numbers(parse, cursor, end, out.axis))
        return 0;
    if (cursor != end)
        return fail(parse, "the end of the line after the axis's four numbers expected",
                    Token{cursor, int(end - cursor)});
    out.answered = 1;
    return 1;
}

int read_orientation(const LineParse& parse, DeviceProfile& device) {
    if (value_is_unanswered(parse)) {
        device.orientation_answered = 0;
        return 1;
    }
    const char* cursor = parse.value.begin;
    const char* end = parse.value.begin + parse.value.length;
    for (int i = 0; i < 3; ++i) {
        if (!read_axis_numbers(parse, cursor, end, device.orientation[i]))
            return 0;
        if (i < 2) {
            if (cursor == end || *cursor != '|')
                return fail(parse, "'|' between the azimuth, altitude and twist axes expected",
                            Token{cursor, int(end - cursor)});
            ++cursor;
        }
    }
    if (cursor != end)
        return fail(parse, "the end of the line after the twist axis expected",
                    Token{cursor, int(end - cursor)});
    device.orientation_answered = 1;
    return 1;
}

// A decimal index below `count` in the key's second part.
int read_index(const LineParse& parse, const Token& token, int count, const char* expected, int& out) {
    const char* cursor = token.begin;
    const char* end = token.begin + token.length;
    int64_t number = 0;
    if (token.length == 0 || *cursor == '-' || (token.length > 1 && cursor[1] == 'x') ||
        !read_number(cursor, end, number) || cursor != end || number >= count)
        return fail(parse, expected, token);
    out = int(number);
    return 1;
}

int parse_interface_key(const LineParse& parse, const Token& item, Profile& out) {
    if (token_is(item, "id"))
        return read_name(parse, out.interface_id);
    if (token_is(item, "spec_version"))
        return read_word(parse, 0, 0xFFFF, "a version word 0..0xFFFF or 'unanswered' expected",
                         out.spec_version);
    if (token_is(item, "impl_version"))
        return read_word(parse, 0, 0xFFFF, "a version word 0..0xFFFF or 'unanswered' expected",
                         out.impl_version);
    if (token_is(item, "devices"))
        return read_uint32(parse, out.device_count);
    if (token_is(item, "cursors"))
        return read_uint32(parse, out.cursor_count);
    if (token_is(item, "contexts"))
        return read_uint32(parse, out.context_count);
    if (token_is(item, "context_options"))
        return read_uint32(parse, out.context_options);
    return fail(
        parse,
        "an interface key (id, spec_version, impl_version, devices, cursors, contexts, context_options) "
        "expected",
        parse.key);
}

int parse_device_key(const LineParse& parse, const Token& item, DeviceProfile& device) {
    if (token_is(item, "name"))
        return read_name(parse, device.name);
    if (token_is(item, "hardware"))
        return read_uint32(parse, device.hardware);
    if (token_is(item, "first_cursor"))
        return read_uint32(parse, device.first_cursor);
    if (token_is(item, "cursor_types"))
        return read_uint32(parse, device.cursor_types);
    if (token_is(item, "x"))
        return read_axis(parse, device.x);
    if (token_is(item, "y"))
        return read_axis(parse, device.y);
    if (token_is(item, "z"))
        return read_axis(parse, device.z);
    if (token_is(item, "pressure"))
        return read_axis(parse, device.pressure);
    if (token_is(item, "tangent"))
        return read_axis(parse, device.tangent);
    if (token_is(item, "orientation"))
        return read_orientation(parse, device);
    return fail(parse,
                "a device key (name, hardware, first_cursor, cursor_types, x, y, z, pressure, tangent, "
                "orientation) expected",
                parse.key);
}

int parse_cursor_key(const LineParse& parse, const Token& item, CursorProfile& cursor) {
    if (token_is(item, "name"))
        return read_name(parse, cursor.name);
    if (token_is(item, "active"))
        return read_word(parse, 0, 1, "0, 1 or 'unanswered' expected", cursor.active);
    if (token_is(item, "packet_data"))
        return read_uint32(parse, cursor.packet_data);
    if (token_is(item, "buttons"))
        return read_byte(parse, cursor.buttons);
    if (token_is(item, "pressure_button"))
        return read_byte(parse, cursor.pressure_button);
    if (token_is(item, "tangent_button"))
        return read_byte(parse, cursor.tangent_button);
    if (token_is(item, "capabilities"))
        return read_uint32(parse, cursor.capabilities);
    if (token_is(item, "mode"))
        return read_uint32(parse, cursor.mode);
    return fail(parse,
                "a cursor key (name, active, packet_data, buttons, pressure_button, tangent_button, "
                "capabilities, mode) expected",
                parse.key);
}

int parse_context_key(const LineParse& parse, const Token* parts, int part_count, ContextProfile& context) {
    if (part_count == 2) {
        if (token_is(parse.value, "unanswered")) {
            context.unanswered = 1;
            return 1;
        }
        if (token_is(parse.value, "answered")) {
            context.unanswered = 0;
            return 1;
        }
        return fail(parse, "'unanswered' or 'answered' expected", parse.value);
    }
    for (int i = 0; i < context_field_count; ++i) {
        if (!token_is(parts[2], context_fields[i].name))
            continue;
        char* field = reinterpret_cast<char*>(&context.overrides) + context_fields[i].offset;
        if (i == 0) {
            char name[context_name_size] = {};
            if (utf8_to_cp932(parse.value.begin, parse.value.length, name, context_name_size) < 0)
                return fail(parse, "a context name of at most 39 bytes in code page 932 expected",
                            parse.value);
            memcpy(field, name, context_name_size);
        } else {
            int64_t number = 0;
            if (!read_single_number(parse, int32_lowest, uint32_highest, "a 32-bit number expected", number))
                return 0;
            uint32_t word = uint32_t(number);
            memcpy(field, &word, sizeof(word));
        }
        context.override_mask |= uint64_t(1) << i;
        return 1;
    }
    return fail(parse, "a LOGCONTEXTA field name (lcName, lcOptions, ... lcSysSensY) expected", parts[2]);
}

int read_switch(const LineParse& parse, const char* off_word, const char* on_word, const char* expected,
                int& out) {
    if (token_is(parse.value, off_word)) {
        out = 0;
        return 1;
    }
    if (token_is(parse.value, on_word)) {
        out = 1;
        return 1;
    }
    return fail(parse, expected, parse.value);
}

int parse_driver_key(const LineParse& parse, const Token& item, DriverSwitches& driver) {
    int64_t number = 0;
    if (token_is(item, "open"))
        return read_switch(parse, "accept", "refuse", "'accept' or 'refuse' expected", driver.refuse_open);
    if (token_is(item, "queue_get"))
        return read_switch(parse, "answer", "zero", "'answer' or 'zero' expected", driver.queue_get_zero);
    if (token_is(item, "name_overrun"))
        return read_switch(parse, "0", "1", "0 or 1 expected", driver.name_overrun);
    if (token_is(item, "packet_result"))
        return read_switch(parse, "true", "count", "'true' or 'count' expected", driver.packet_result_count);
    if (token_is(item, "queue_limit")) {
        if (!read_single_number(parse, 0, queue_capacity, "a queue limit from 0 to 1024 expected", number))
            return 0;
        driver.queue_limit = int(number);
        return 1;
    }
    if (token_is(item, "packets_get_extra")) {
        if (!read_single_number(parse, 0, 1000000, "a number from 0 to 1000000 expected", number))
            return 0;
        driver.packets_get_extra = int(number);
        return 1;
    }
    if (token_is(item, "packets_get_result")) {
        if (token_is(parse.value, "count")) {
            driver.packets_get_result_fixed = 0;
            return 1;
        }
        if (!read_single_number(parse, int32_lowest, int32_highest,
                                "'count' or a 32-bit signed number expected", number))
            return 0;
        driver.packets_get_result_fixed = 1;
        driver.packets_get_result = int(number);
        return 1;
    }
    if (token_is(item, "open_fail_after")) {
        if (token_is(parse.value, "never")) {
            driver.open_fail_after = never_fail;
            return 1;
        }
        if (!read_single_number(parse, 0, int32_highest, "'never' or a count of 0 or more expected", number))
            return 0;
        driver.open_fail_after = int(number);
        return 1;
    }
    return fail(parse,
                "a driver key (open, queue_limit, queue_get, name_overrun, packets_get_extra, "
                "packets_get_result, packet_result, open_fail_after) expected",
                parse.key);
}

constexpr int max_key_parts = 4;

int parse_setting(LineParse& parse, Profile& out) {
    Token parts[max_key_parts];
    int part_count = 0;
    const char* start = parse.key.begin;
    const char* end = parse.key.begin + parse.key.length;
    for (const char* cursor = start;; ++cursor) {
        if (cursor == end || *cursor == '.') {
            if (part_count == max_key_parts)
                return fail(parse, "a key of at most four parts expected", parse.key);
            parts[part_count++] = Token{start, int(cursor - start)};
            start = cursor + 1;
            if (cursor == end)
                break;
        }
    }
    const Token& section = parts[0];
    if (token_is(section, "interface") && part_count == 2)
        return parse_interface_key(parse, parts[1], out);
    if (token_is(section, "driver") && part_count == 2)
        return parse_driver_key(parse, parts[1], out.driver);
    if (token_is(section, "device") && part_count == 3) {
        int index = 0;
        if (!read_index(parse, parts[1], max_devices, "a device number from 0 to 3 expected", index))
            return 0;
        return parse_device_key(parse, parts[2], out.devices[index]);
    }
    if (token_is(section, "cursor") && part_count == 3) {
        int index = 0;
        if (!read_index(parse, parts[1], max_cursors, "a cursor number from 0 to 15 expected", index))
            return 0;
        return parse_cursor_key(parse, parts[2], out.cursors[index]);
    }
    if (token_is(section, "context") && (part_count == 2 || part_count == 3)) {
        if (token_is(parts[1], "digitizing"))
            return parse_context_key(parse, parts, part_count, out.digitizing);
        if (token_is(parts[1], "system"))
            return parse_context_key(parse, parts, part_count, out.system);
        return fail(parse, "'context.digitizing' or 'context.system' expected", parse.key);
    }
    return fail(parse,
                "a key interface.ITEM, device.D.ITEM, cursor.C.ITEM, context.digitizing[.FIELD], "
                "context.system[.FIELD] or driver.ITEM expected",
                parse.key);
}

Token trimmed(const char* begin, const char* end) {
    begin = skip_blanks(begin, end);
    while (end > begin && (end[-1] == ' ' || end[-1] == '\t'))
        --end;
    return Token{begin, int(end - begin)};
}

// Names longer than an 80-byte buffer holds are refused unless driver.name_overrun asks for them.
int check_name_lengths(const Profile& profile) {
    const AnsweredName* names[1 + max_devices + max_cursors];
    int count = 0;
    names[count++] = &profile.interface_id;
    for (const DeviceProfile& device : profile.devices)
        names[count++] = &device.name;
    for (const CursorProfile& cursor : profile.cursors)
        names[count++] = &cursor.name;
    for (int i = 0; i < count; ++i) {
        if (names[i]->answered && names[i]->length > polite_name_length && !profile.driver.name_overrun) {
            set_error(
                names[i]->line,
                "a name of at most 79 bytes in code page 932 expected (driver.name_overrun = 1 allows up "
                "to 255)",
                names[i]->text, names[i]->length);
            return 0;
        }
    }
    return 1;
}

void make_empty_profile(Profile& out) {
    memset(&out, 0, sizeof(out));
    out.driver.queue_limit = default_queue_limit;
    out.driver.open_fail_after = never_fail;
}

} // namespace

int parse_profile(const char* text, Profile& out) {
    make_empty_profile(out);
    clear_error();
    if (text == nullptr) {
        set_error(0, "a profile text expected, found a null pointer", nullptr, 0);
        return 0;
    }
    int line = 0;
    int settings_seen = 0;
    const char* cursor = text;
    while (*cursor != 0) {
        ++line;
        const char* line_end = cursor;
        while (*line_end != 0 && *line_end != '\n')
            ++line_end;
        const char* next = *line_end == '\n' ? line_end + 1 : line_end;
        const char* content_end = line_end;
        if (content_end > cursor && content_end[-1] == '\r')
            --content_end;
        Token whole = trimmed(cursor, content_end);
        cursor = next;
        if (whole.length == 0 || whole.begin[0] == '#')
            continue;
        if (token_is(whole, "include default")) {
            if (settings_seen) {
                set_error(line, "'include default' before every setting expected", whole.begin, whole.length);
                return 0;
            }
            // The built-in text has no include line, so this never nests.
            if (!parse_profile(default_profile_text, out))
                return 0;
            settings_seen = 1;
            continue;
        }
        const char* equals = static_cast<const char*>(memchr(whole.begin, '=', whole.length));
        if (equals == nullptr) {
            set_error(line, "'key = value', 'include default' or a '#' comment expected", whole.begin,
                      whole.length);
            return 0;
        }
        LineParse parse{line, trimmed(whole.begin, equals), trimmed(equals + 1, whole.begin + whole.length)};
        if (!parse_setting(parse, out))
            return 0;
        settings_seen = 1;
    }
    return check_name_lengths(out);
}

void make_deviceless_profile(Profile& out) {
    make_empty_profile(out);
    out.digitizing.unanswered = 1;
    out.system.unanswered = 1;
}

void make_default_profile(Profile& out) {
    parse_profile(default_profile_text, out);
}

void derive_default_context(const Profile& profile, int system, LOGCONTEXTA& out) {
    static constexpr int default_screen_width = 1920;
    static constexpr int default_screen_height = 1080;
    static constexpr FIX32 unit_sensitivity = 0x00010000;
    static constexpr UINT default_packet_rate = 100;
    const DeviceProfile& device = profile.devices[0];
    memset(&out, 0, sizeof(out));
    static constexpr char digitizing_name[] = "Digitizing";
    static constexpr char system_name[] = "System";
    static_assert(sizeof(digitizing_name) <= context_name_size && sizeof(system_name) <= context_name_size);
    memcpy(out.lcName, system ? system_name : digitizing_name,
           system ? sizeof(system_name) : sizeof(digitizing_name));
    out.lcOptions = system ? CXO_SYSTEM : 0;
    out.lcMsgBase = WT_DEFBASE;
    out.lcPktRate = default_packet_rate;
    WTPKT data = PK_CONTEXT | PK_STATUS | PK_TIME | PK_CHANGED | PK_SERIAL_NUMBER | PK_CURSOR | PK_BUTTONS |
                 PK_X | PK_Y;
    if (device.z.answered)
        data |= PK_Z;
    if (device.pressure.answered)
        data |= PK_NORMAL_PRESSURE;
    if (device.tangent.answered)
        data |= PK_TANGENT_PRESSURE;
    if (device.orientation_answered)
        data |= PK_ORIENTATION;
    out.lcPktData = data;
    out.lcMoveMask = data;
    out.lcBtnDnMask = 0xFFFFFFFF;
    out.lcBtnUpMask = 0xFFFFFFFF;
    if (device.x.answered) {
        out.lcInOrgX = device.x.axis.axMin;
        out.lcInExtX = LONG(int64_t(device.x.axis.axMax) - device.x.axis.axMin + 1);
    }
    if (device.y.answered) {
        out.lcInOrgY = device.y.axis.axMin;
        out.lcInExtY = LONG(int64_t(device.y.axis.axMax) - device.y.axis.axMin + 1);
    }
    if (device.z.answered) {
        out.lcInOrgZ = device.z.axis.axMin;
        out.lcInExtZ = LONG(int64_t(device.z.axis.axMax) - device.z.axis.axMin + 1);
    }
    out.lcOutOrgX = system ? 0 : out.lcInOrgX;
    out.lcOutOrgY = system ? 0 : out.lcInOrgY;
    out.lcOutOrgZ = out.lcInOrgZ;
    out.lcOutExtX = system ? default_screen_width : out.lcInExtX;
    out.lcOutExtY = system ? default_screen_height : out.lcInExtY;
    out.lcOutExtZ = out.lcInExtZ;
    out.lcSensX = unit_sensitivity;
    out.lcSensY = unit_sensitivity;
    out.lcSensZ = unit_sensitivity;
    out.lcSysMode = FALSE;
    out.lcSysExtX = default_screen_width;
    out.lcSysExtY = default_screen_height;
    out.lcSysSensX = unit_sensitivity;
    out.lcSysSensY = unit_sensitivity;

    const ContextProfile& overrides = system ? profile.system : profile.digitizing;
    for (int i = 0; i < context_field_count; ++i) {
        if (!(overrides.override_mask & (uint64_t(1) << i)))
            continue;
        int size = i == 0 ? context_name_size : 4;
        memcpy(reinterpret_cast<char*>(&out) + context_fields[i].offset,
               reinterpret_cast<const char*>(&overrides.overrides) + context_fields[i].offset, size);
    }
}
