// Tablet packets to script calls. Runs inside the host main window's message dispatch.
#include "events/packet_dispatch.h"

#include <cstring>

#include "events/call_text.h"
#include "host_sdk/host_api.h"
#include "tablet/open_context.h"
#include "tablet/packet_layout.h"
#include "tablet/tablet_state.h"
#include "text/bounded_text.h"
#include "wintab/wintab_api.h"

// A poll walks its own copy of the packets it fetched: a handler may reopen the tablet (freeing
// packet_buffer) or pump messages (refilling it) while the poll is still delivering, and every fetched packet
// must still reach the handler as it was, read with the layout it was fetched with. One copy per nesting
// level; a poll nested deeper than that leaves the packets queued in the driver for a later poll.
static constexpr int largest_packet_bytes = base_packet_size + 3 * packet_word_size + packet_triple_size;
static_assert(largest_packet_bytes == 40);
static constexpr int poll_copy_bytes = largest_queue_packets * largest_packet_bytes;
static constexpr int deepest_poll_nesting = 4;
static unsigned char poll_copies[deepest_poll_nesting][poll_copy_bytes];
static int poll_depth;

static int has_driver() {
    return wintab_api.driver_module != nullptr;
}

static void dispatch_with_layout(const unsigned char* packet, const PacketLayout& layout) {
    const char* handler_name = tablet_state.handler_name;
    if (handler_name == nullptr)
        return;
    const int length =
        build_call_text(text_buffer, text_buffer_size, handler_name, layout, packet, layout.packet_size);
    if (length < 0)
        return;
    if (host_api.kumo_eval == nullptr)
        return;
    HostValue value = host_api.kumo_eval(text_buffer);
    if (value != nullptr && host_api.kumo_var_free != nullptr)
        host_api.kumo_var_free(value);
}

void dispatch_packet(const unsigned char* packet) {
    dispatch_with_layout(packet, tablet_state.layout);
}

int on_packet_message(WPARAM wparam, LPARAM lparam) {
    if (!has_driver() || wintab_api.WTPacket == nullptr || tablet_state.packet_buffer == nullptr ||
        tablet_state.buffer_capacity < 1)
        return 1;
    // The context is the one the message names; the call text is built before any handler can run, so the
    // buffer need not outlive this call.
    HCTX message_context = reinterpret_cast<HCTX>(lparam);
    if (wintab_api.WTPacket(message_context, static_cast<UINT>(wparam), tablet_state.packet_buffer))
        dispatch_packet(tablet_state.packet_buffer);
    return 1;
}

int on_mouse_move() {
    if (!has_driver() || wintab_api.WTPacketsGet == nullptr || tablet_state.packet_buffer == nullptr)
        return 1;
    if (poll_depth >= deepest_poll_nesting)
        return 1;
    const PacketLayout layout = tablet_state.layout;
    if (layout.packet_size <= 0 || layout.packet_size > largest_packet_bytes)
        return 1;
    int requested = tablet_state.buffer_capacity;
    if (requested > largest_queue_packets)
        requested = largest_queue_packets;
    if (requested < 1)
        return 1;

    // Raising the context only helps: a driver without WTOverlap still gives its packets.
    if (wintab_api.WTOverlap != nullptr)
        wintab_api.WTOverlap(tablet_state.context, TRUE);
    int count = wintab_api.WTPacketsGet(tablet_state.context, requested, tablet_state.packet_buffer);
    // A count beyond what was asked for cannot be in the buffer.
    if (count > requested)
        count = requested;
    if (count <= 0)
        return 1;

    unsigned char* copy = poll_copies[poll_depth];
    std::memcpy(copy, tablet_state.packet_buffer, static_cast<size_t>(count) * layout.packet_size);
    ++poll_depth;
    for (int index = 0; index < count; ++index)
        dispatch_with_layout(copy + static_cast<size_t>(index) * layout.packet_size, layout);
    --poll_depth;
    return 1;
}
