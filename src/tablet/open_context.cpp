// "WT初期化": opening the plug-in's one tablet context.
#include "tablet/open_context.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "events/window_hook.h"
#include "host_sdk/host_api.h"
#include "tablet/mode_option.h"
#include "tablet/open_texts.h"
#include "tablet/packet_layout.h"
#include "tablet/tablet_commands.h"
#include "tablet/tablet_state.h"
#include "text/bounded_text.h"
#include "wintab/wintab_api.h"

PacketBufferAllocator packet_buffer_allocator = std::malloc;

static constexpr char context_name[] = "WinTab plugin for kumogiri";
static_assert(sizeof(context_name) <= context_name_size);
static constexpr char ok_text[] = "OK";

// Bytes of the block that packet_buffer points at, known while packet_buffer is still that block: reusing the
// buffer for a larger packet than it was made for must not leave it short of buffer_capacity packets.
static unsigned char* measured_buffer;
static size_t measured_buffer_bytes;

static size_t packet_buffer_bytes() {
    if (tablet_state.packet_buffer == nullptr || tablet_state.packet_buffer != measured_buffer)
        return 0;
    return measured_buffer_bytes;
}

static void release_packet_buffer() {
    unsigned char* old_buffer = tablet_state.packet_buffer;
    tablet_state.packet_buffer = nullptr;
    tablet_state.buffer_capacity = 0;
    measured_buffer = nullptr;
    measured_buffer_bytes = 0;
    std::free(old_buffer);
}

// Room for `count` packets of the current size, reusing the present buffer when it is large enough. 1 on
// success; 0 with no buffer at all (null, capacity 0).
static int make_room_for_packets(int32_t count) {
    // A capacity left behind without its buffer (the buffer released at unload) counts for nothing.
    const int32_t present_capacity = tablet_state.packet_buffer != nullptr ? tablet_state.buffer_capacity : 0;
    const int32_t capacity = count > present_capacity ? count : present_capacity;
    const size_t bytes = static_cast<size_t>(capacity) * static_cast<size_t>(tablet_state.layout.packet_size);
    if (count <= present_capacity && bytes <= packet_buffer_bytes())
        return 1;
    release_packet_buffer();
    void* block = packet_buffer_allocator(bytes);
    if (block == nullptr)
        return 0;
    tablet_state.packet_buffer = static_cast<unsigned char*>(block);
    tablet_state.buffer_capacity = capacity;
    measured_buffer = tablet_state.packet_buffer;
    measured_buffer_bytes = bytes;
    return 1;
}

static int32_t answered_size(UINT answer) {
    return static_cast<int32_t>(answer);
}

static AxisBounds bounds_of(const AXIS& axis) {
    return AxisBounds{static_cast<int32_t>(axis.axMin), static_cast<int32_t>(axis.axMax), axis.axResolution};
}

// Asks the first device for the axes the layout depends on. One query at a time into a cleared record, so
// that a short answer leaves zeros (no resolution) rather than an earlier query's values.
static DeviceAxisAnswers probe_first_device() {
    DeviceAxisAnswers answers{};
    AXIS axes[3];
    const UINT device = WTI_DEVICES + 0;

    std::memset(axes, 0, sizeof axes);
    answers.z_answer = answered_size(wintab_api.WTInfoA(device, DVC_Z, axes));
    answers.z = bounds_of(axes[0]);

    std::memset(axes, 0, sizeof axes);
    answers.pressure_answer = answered_size(wintab_api.WTInfoA(device, DVC_NPRESSURE, axes));
    answers.pressure = bounds_of(axes[0]);

    std::memset(axes, 0, sizeof axes);
    answers.tangent_answer = answered_size(wintab_api.WTInfoA(device, DVC_TPRESSURE, axes));
    answers.tangent = bounds_of(axes[0]);

    std::memset(axes, 0, sizeof axes);
    answers.orientation_answer = answered_size(wintab_api.WTInfoA(device, DVC_ORIENTATION, axes));
    answers.azimuth = bounds_of(axes[0]);
    answers.altitude = bounds_of(axes[1]);
    answers.twist = bounds_of(axes[2]);
    return answers;
}

// The default context turned into ours; every field not named here keeps the driver's value.
static void prepare_context(LOGCONTEXTA& record, int mouse_mode, WTPKT packet_mask) {
    std::memset(record.lcName, 0, sizeof record.lcName);
    TextBuilder name;
    text_start(name, record.lcName, context_name_size);
    text_append_literal(name, context_name);
    if (!mouse_mode)
        record.lcOptions |= CXO_MESSAGES;
    record.lcPktData = packet_mask;
    record.lcPktMode = 0;
    record.lcMoveMask = packet_mask;
    record.lcBtnUpMask = record.lcBtnDnMask;
    record.lcOutOrgX = 0;
    record.lcOutOrgY = 0;
    if (mouse_mode) {
        // Screen pixels, Y growing downward.
        const int screen_width = GetSystemMetrics(SM_CXSCREEN);
        const int screen_height = GetSystemMetrics(SM_CYSCREEN);
        record.lcOutExtX = screen_width;
        record.lcOutExtY = -screen_height;
    } else {
        record.lcOutExtX = record.lcInExtX;
        record.lcOutExtY = record.lcInExtY;
    }
}

// Asks for the largest queue the driver grants, halving from 32, and returns the size the driver then reports
// (0: no queue). The count is held to 32 whatever the driver reports, which is all one poll takes.
static int32_t negotiate_queue(HCTX context) {
    int n = largest_queue_packets;
    for (;;) {
        if (wintab_api.WTQueueSizeSet(context, n))
            break;
        if (n <= 0)
            break;
        n /= 2;
    }
    if (wintab_api.WTQueueSizeGet != nullptr)
        n = wintab_api.WTQueueSizeGet(context);
    if (n > largest_queue_packets)
        n = largest_queue_packets;
    return n;
}

// A failure after the context was opened: nothing of it is left in the driver, nor a hook on the window.
static void abandon_opened_context() {
    wintab_api.WTClose(tablet_state.context);
    tablet_state.context = nullptr;
    remove_hook();
}

HostValue __stdcall cmd_wt_init(ArgList args) {
    HostValue result = host_api.kumo_var_new(nullptr);
    if (!require_wintab(result, WintabEntry::WTInfoA) || !require_wintab(result, WintabEntry::WTOpenA))
        return result;

    HostValue option = host_api.kumo_getFuncArg(args, 0);
    const int mouse_mode = is_mouse_mode_option(option != nullptr ? value_text(option) : nullptr);
    tablet_state.mouse_mode = mouse_mode;

    if (mouse_mode) {
        if (!require_wintab(result, WintabEntry::WTQueueSizeSet) ||
            !require_wintab(result, WintabEntry::WTPacketsGet) ||
            !require_wintab(result, WintabEntry::WTOverlap))
            return result;
    } else if (!require_wintab(result, WintabEntry::WTPacket)) {
        return result;
    }

    if (tablet_state.is_open) {
        if (!require_wintab(result, WintabEntry::WTClose))
            return result;
        close_context();
    }

    LOGCONTEXTA record;
    std::memset(&record, 0, sizeof record);
    if (wintab_api.WTInfoA(mouse_mode ? WTI_DEFSYSCTX : WTI_DEFCONTEXT, 0, &record) == 0) {
        set_text_literal(result, open_message_no_tablet);
        return result;
    }

    choose_packet_layout(tablet_state.layout, probe_first_device());
    prepare_context(record, mouse_mode, tablet_state.layout.packet_mask);

    install_hook();
    if (!window_hook.subclassed && window_hook.saved_window_proc == nullptr) {
        remove_hook();
        set_text_literal(result, open_message_hook_failed);
        return result;
    }

    tablet_state.context = wintab_api.WTOpenA(window_hook.main_window, &record, FALSE);
    if (tablet_state.context == nullptr) {
        remove_hook();
        set_text_literal(result, open_message_open_failed);
        return result;
    }

    const int32_t count = mouse_mode ? negotiate_queue(tablet_state.context) : 1;
    if (count <= 0) {
        abandon_opened_context();
        set_text_literal(result, open_message_no_queue);
        return result;
    }

    if (!make_room_for_packets(count)) {
        abandon_opened_context();
        set_text_literal(result, open_message_no_buffer);
        return result;
    }

    tablet_state.is_open = 1;
    set_text_literal(result, ok_text);
    return result;
}
