// The one context, its packet queue and the entry points that act on them. A second WTOpenA while a context
// is open replaces it: the old handle stops working and its queue is gone.
#include <cstring>

#include "wintab_sim/sim_driver.h"

SimContext context;
int have_last_open;
LOGCONTEXTA last_open_description;

namespace {

// Handles are distinct per opening and never null; their low 32 bits are what PK_CONTEXT carries.
constexpr uintptr_t handle_base = 0x4B550000;

UINT last_serial;
int successful_opens;

void queue_clear() {
    context.queue_first = 0;
    context.queue_length = 0;
}

QueuedPacket& queued(int position) {
    return context.queue[(context.queue_first + position) % queue_capacity];
}

void queue_drop_oldest(int count) {
    context.queue_first = (context.queue_first + count) % queue_capacity;
    context.queue_length -= count;
}

void close_open_context() {
    if (!context.open)
        return;
    context.open = 0;
    context.enabled = 0;
    context.handle = nullptr;
    queue_clear();
    virtual_tablet_context_closed();
}

// The start of a log line for an entry point that takes a context handle.
void log_context_call(LogLine& line, const char* name, HCTX handle, const int64_t* numbers, int count,
                      int null_pointer) {
    log_line_start(line, name);
    for (int i = 0; i < count; ++i)
        log_line_number(line, numbers[i]);
    if (null_pointer)
        log_line_word(line, "null");
    if (!is_open_context(handle))
        log_line_word(line, "wrong_context");
    log_line_finish(line);
}

void put_word(unsigned char*& out, uint32_t word) {
    memcpy(out, &word, sizeof(word));
    out += sizeof(word);
}

WTPKT changed_fields(const SimSample& sample) {
    if (!context.has_previous)
        return context.description.lcPktData;
    const SimSample& previous = context.previous;
    WTPKT changed = 0;
    if (sample.cursor != previous.cursor)
        changed |= PK_CURSOR;
    if (sample.buttons != previous.buttons)
        changed |= PK_BUTTONS;
    if (sample.x != previous.x)
        changed |= PK_X;
    if (sample.y != previous.y)
        changed |= PK_Y;
    if (sample.z != previous.z)
        changed |= PK_Z;
    if (sample.pressure != previous.pressure)
        changed |= PK_NORMAL_PRESSURE;
    if (sample.tangent != previous.tangent)
        changed |= PK_TANGENT_PRESSURE;
    if (sample.azimuth != previous.azimuth || sample.altitude != previous.altitude ||
        sample.twist != previous.twist)
        changed |= PK_ORIENTATION;
    return changed & context.description.lcPktData;
}

} // namespace

void reset_driver_state() {
    close_open_context();
    memset(&context, 0, sizeof(context));
    context.queue_size = default_queue_size;
    memset(&last_open_description, 0, sizeof(last_open_description));
    have_last_open = 0;
    last_serial = 0;
    successful_opens = 0;
}

int is_open_context(HCTX handle) {
    return context.open && handle != nullptr && handle == context.handle;
}

int lay_out_packet(WTPKT mask, HCTX handle, UINT serial, DWORD time, WTPKT changed, const SimSample& sample,
                   unsigned char* out) {
    unsigned char* start = out;
    if (mask & PK_CONTEXT)
        put_word(out, uint32_t(reinterpret_cast<uintptr_t>(handle)));
    if (mask & PK_STATUS)
        put_word(out, 0);
    if (mask & PK_TIME)
        put_word(out, time);
    if (mask & PK_CHANGED)
        put_word(out, changed);
    if (mask & PK_SERIAL_NUMBER)
        put_word(out, serial);
    if (mask & PK_CURSOR)
        put_word(out, sample.cursor);
    if (mask & PK_BUTTONS)
        put_word(out, sample.buttons);
    if (mask & PK_X)
        put_word(out, uint32_t(sample.x));
    if (mask & PK_Y)
        put_word(out, uint32_t(sample.y));
    if (mask & PK_Z)
        put_word(out, uint32_t(sample.z));
    if (mask & PK_NORMAL_PRESSURE)
        put_word(out, uint32_t(sample.pressure));
    if (mask & PK_TANGENT_PRESSURE)
        put_word(out, uint32_t(sample.tangent));
    if (mask & PK_ORIENTATION) {
        put_word(out, uint32_t(sample.azimuth));
        put_word(out, uint32_t(sample.altitude));
        put_word(out, uint32_t(sample.twist));
    }
    if (mask & PK_ROTATION) {
        // Pitch, roll and yaw: the simulated pen has no rotation sensor.
        put_word(out, 0);
        put_word(out, 0);
        put_word(out, 0);
    }
    return int(out - start);
}

int inject_sample(const SimSample& sample) {
    if (!context.open || !context.enabled)
        return 0;
    UINT serial = ++last_serial;
    if (context.queue_length == context.queue_size)
        queue_drop_oldest(1);
    QueuedPacket& packet = queued(context.queue_length);
    ++context.queue_length;
    packet.serial = serial;
    packet.size = lay_out_packet(context.description.lcPktData, context.handle, serial, GetTickCount(),
                                 changed_fields(sample), sample, packet.bytes);
    context.previous = sample;
    context.has_previous = 1;
    if ((context.description.lcOptions & CXO_MESSAGES) && context.window != nullptr)
        PostMessageA(context.window, context.description.lcMsgBase + (WT_PACKET - WT_DEFBASE), WPARAM(serial),
                     reinterpret_cast<LPARAM>(context.handle));
    return int(serial);
}

extern "C" HCTX WINAPI WTOpenA(HWND window, LOGCONTEXTA* description, BOOL enable) {
    LogLine line;
    log_line_start(line, "WTOpenA");
    log_line_word(line, enable ? "enable=1" : "enable=0");
    if (description == nullptr)
        log_line_word(line, "null");
    log_line_finish(line);

    if (description == nullptr)
        return nullptr;
    memcpy(&last_open_description, description, sizeof(LOGCONTEXTA));
    have_last_open = 1;
    const DriverSwitches& driver = active_profile.driver;
    if (driver.refuse_open || !IsWindow(window))
        return nullptr;
    if (driver.open_fail_after != never_fail && successful_opens >= driver.open_fail_after)
        return nullptr;

    close_open_context();
    ++successful_opens;
    context.open = 1;
    context.enabled = enable ? 1 : 0;
    context.handle = reinterpret_cast<HCTX>(handle_base + uintptr_t(successful_opens));
    context.window = window;
    context.description = *description;
    context.queue_size = default_queue_size;
    context.has_previous = 0;
    queue_clear();
    virtual_tablet_context_opened();
    if (context.enabled)
        virtual_tablet_context_enabled();
    return context.handle;
}

extern "C" BOOL WINAPI WTClose(HCTX handle) {
    LogLine line;
    log_context_call(line, "WTClose", handle, nullptr, 0, 0);
    if (!is_open_context(handle))
        return FALSE;
    close_open_context();
    return TRUE;
}

extern "C" BOOL WINAPI WTEnable(HCTX handle, BOOL enable) {
    LogLine line;
    int64_t numbers[] = {enable ? 1 : 0};
    log_context_call(line, "WTEnable", handle, numbers, 1, 0);
    if (!is_open_context(handle))
        return FALSE;
    context.enabled = enable ? 1 : 0;
    if (context.enabled)
        virtual_tablet_context_enabled();
    return TRUE;
}

extern "C" BOOL WINAPI WTOverlap(HCTX handle, BOOL to_top) {
    LogLine line;
    int64_t numbers[] = {to_top ? 1 : 0};
    log_context_call(line, "WTOverlap", handle, numbers, 1, 0);
    return is_open_context(handle) ? TRUE : FALSE;
}

extern "C" int WINAPI WTQueueSizeGet(HCTX handle) {
    LogLine line;
    log_context_call(line, "WTQueueSizeGet", handle, nullptr, 0, 0);
    if (!is_open_context(handle) || active_profile.driver.queue_get_zero)
        return 0;
    return context.queue_size;
}

extern "C" BOOL WINAPI WTQueueSizeSet(HCTX handle, int packets) {
    LogLine line;
    int64_t numbers[] = {packets};
    log_context_call(line, "WTQueueSizeSet", handle, numbers, 1, 0);
    // A queue of no packets is no queue: 0 is refused like any size above the limit.
    if (!is_open_context(handle) || packets < 1 || packets > active_profile.driver.queue_limit)
        return FALSE;
    context.queue_size = packets;
    queue_clear();
    return TRUE;
}

extern "C" int WINAPI WTPacketsGet(HCTX handle, int max_packets, LPVOID packets) {
    LogLine line;
    int64_t numbers[] = {max_packets};
    log_context_call(line, "WTPacketsGet", handle, numbers, 1, packets == nullptr);
    if (!is_open_context(handle))
        return 0;
    int count = max_packets < context.queue_length ? max_packets : context.queue_length;
    if (count < 0)
        count = 0;
    // A null buffer flushes: the packets leave the queue uncopied.
    unsigned char* out = static_cast<unsigned char*>(packets);
    for (int i = 0; i < count && out != nullptr; ++i) {
        const QueuedPacket& packet = queued(i);
        memcpy(out, packet.bytes, packet.size);
        out += packet.size;
    }
    queue_drop_oldest(count);
    const DriverSwitches& driver = active_profile.driver;
    if (driver.packets_get_result_fixed)
        return driver.packets_get_result;
    return count + driver.packets_get_extra;
}

extern "C" BOOL WINAPI WTPacket(HCTX handle, UINT serial, LPVOID packet) {
    LogLine line;
    int64_t numbers[] = {serial};
    log_context_call(line, "WTPacket", handle, numbers, 1, packet == nullptr);
    if (!is_open_context(handle))
        return FALSE;
    for (int position = 0; position < context.queue_length; ++position) {
        const QueuedPacket& found = queued(position);
        if (found.serial != serial)
            continue;
        if (packet != nullptr)
            memcpy(packet, found.bytes, found.size);
        queue_drop_oldest(position + 1);
        return active_profile.driver.packet_result_count ? BOOL(position + 1) : TRUE;
    }
    return FALSE;
}
