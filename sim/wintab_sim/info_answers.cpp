// WTInfoA: the profile's answers. An item without an answer gives 0 and writes nothing.
#include <cstring>

#include "wintab_sim/sim_driver.h"

namespace {

// The largest answer: a name with its NUL (a LOGCONTEXTA is 172 bytes, three axes 48).
constexpr int answer_capacity = name_capacity;
static_assert(answer_capacity >= int(sizeof(LOGCONTEXTA)) && answer_capacity >= 3 * int(sizeof(AXIS)));

int answer_word(const AnsweredValue& value, int size, unsigned char* out) {
    if (!value.answered)
        return 0;
    memcpy(out, &value.value, size); // little-endian: the low bytes for a WORD or a BYTE
    return size;
}

int answer_name(const AnsweredName& name, unsigned char* out) {
    if (!name.answered)
        return 0;
    memcpy(out, name.text, name.length + 1);
    return name.length + 1;
}

int answer_axis(const AnsweredAxis& axis, unsigned char* out) {
    if (!axis.answered)
        return 0;
    memcpy(out, &axis.axis, sizeof(AXIS));
    return int(sizeof(AXIS));
}

constexpr int word_size = 2;
constexpr int uint_size = 4;
constexpr int byte_size = 1;

int answer_interface(const Profile& profile, UINT index, unsigned char* out) {
    switch (index) {
    case IFC_WINTABID:
        return answer_name(profile.interface_id, out);
    case IFC_SPECVERSION:
        return answer_word(profile.spec_version, word_size, out);
    case IFC_IMPLVERSION:
        return answer_word(profile.impl_version, word_size, out);
    case IFC_NDEVICES:
        return answer_word(profile.device_count, uint_size, out);
    case IFC_NCURSORS:
        return answer_word(profile.cursor_count, uint_size, out);
    case IFC_NCONTEXTS:
        return answer_word(profile.context_count, uint_size, out);
    case IFC_CTXOPTIONS:
        return answer_word(profile.context_options, uint_size, out);
    default:
        return 0;
    }
}

int answer_device(const DeviceProfile& device, UINT index, unsigned char* out) {
    switch (index) {
    case DVC_NAME:
        return answer_name(device.name, out);
    case DVC_HARDWARE:
        return answer_word(device.hardware, uint_size, out);
    case DVC_NCSRTYPES:
        return answer_word(device.cursor_types, uint_size, out);
    case DVC_FIRSTCSR:
        return answer_word(device.first_cursor, uint_size, out);
    case DVC_X:
        return answer_axis(device.x, out);
    case DVC_Y:
        return answer_axis(device.y, out);
    case DVC_Z:
        return answer_axis(device.z, out);
    case DVC_NPRESSURE:
        return answer_axis(device.pressure, out);
    case DVC_TPRESSURE:
        return answer_axis(device.tangent, out);
    case DVC_ORIENTATION:
        if (!device.orientation_answered)
            return 0;
        memcpy(out, device.orientation, sizeof(device.orientation));
        return int(sizeof(device.orientation));
    default:
        return 0;
    }
}

int answer_cursor(const CursorProfile& cursor, UINT index, unsigned char* out) {
    switch (index) {
    case CSR_NAME:
        return answer_name(cursor.name, out);
    case CSR_ACTIVE:
        return answer_word(cursor.active, uint_size, out);
    case CSR_PKTDATA:
        return answer_word(cursor.packet_data, uint_size, out);
    case CSR_BUTTONS:
        return answer_word(cursor.buttons, byte_size, out);
    case CSR_NPBUTTON:
        return answer_word(cursor.pressure_button, byte_size, out);
    case CSR_TPBUTTON:
        return answer_word(cursor.tangent_button, byte_size, out);
    case CSR_MODE:
        return answer_word(cursor.mode, uint_size, out);
    case CSR_CAPABILITIES:
        return answer_word(cursor.capabilities, uint_size, out);
    default:
        return 0;
    }
}

int answer_context(const Profile& profile, int system, UINT index, unsigned char* out) {
    const ContextProfile& context = system ? profile.system : profile.digitizing;
    // Only the whole record (index 0) is answered, not single fields.
    if (context.unanswered || index != 0)
        return 0;
    LOGCONTEXTA record;
    derive_default_context(profile, system, record);
    memcpy(out, &record, sizeof(record));
    return int(sizeof(record));
}

int answer_item(const Profile& profile, UINT category, UINT index, unsigned char* out) {
    if (category == WTI_INTERFACE)
        return answer_interface(profile, index, out);
    if (category == WTI_DEFCONTEXT)
        return answer_context(profile, 0, index, out);
    if (category == WTI_DEFSYSCTX)
        return answer_context(profile, 1, index, out);
    if (category >= WTI_DEVICES && category < WTI_DEVICES + max_devices)
        return answer_device(profile.devices[category - WTI_DEVICES], index, out);
    if (category >= WTI_CURSORS && category < WTI_CURSORS + max_cursors)
        return answer_cursor(profile.cursors[category - WTI_CURSORS], index, out);
    return 0;
}

// Category 0: the size of the largest answer of any item.
int largest_answer(const Profile& profile) {
    static constexpr UINT highest_index = 32;
    unsigned char scratch[answer_capacity];
    int largest = 0;
    auto consider = [&](UINT category) {
        for (UINT index = 0; index <= highest_index; ++index) {
            int size = answer_item(profile, category, index, scratch);
            if (size > largest)
                largest = size;
        }
    };
    consider(WTI_INTERFACE);
    consider(WTI_DEFCONTEXT);
    consider(WTI_DEFSYSCTX);
    for (int device = 0; device < max_devices; ++device)
        consider(WTI_DEVICES + device);
    for (int cursor = 0; cursor < max_cursors; ++cursor)
        consider(WTI_CURSORS + cursor);
    return largest;
}

} // namespace

extern "C" UINT WINAPI WTInfoA(UINT category, UINT index, LPVOID output) {
    LogLine line;
    log_line_start(line, "WTInfoA");
    log_line_number(line, category);
    log_line_number(line, index);
    if (output == nullptr)
        log_line_word(line, "null");
    log_line_finish(line);

    if (category == 0)
        return UINT(largest_answer(active_profile));
    unsigned char answer[answer_capacity];
    int size = answer_item(active_profile, category, index, answer);
    if (size > 0 && output != nullptr)
        memcpy(output, answer, size);
    return UINT(size);
}
