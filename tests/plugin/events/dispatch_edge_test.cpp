// Packet dispatch against a scripted driver: answers the simulated driver never gives (more packets than
// asked for, a negative count, a non-one success), with the plug-in's modules linked in and the host runtime
// stand-in recording every evaluated text.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "events/packet_dispatch.h"
#include "host_sdk/host_api.h"
#include "stand_ins.h"
#include "tablet/tablet_state.h"
#include "wintab/wintab_api.h"

namespace {

// A 16-byte packet: cursor, buttons, x, y.
constexpr int packet_bytes = 16;

struct ScriptedDriver {
    int packets_queued; // how many packets WTPacketsGet writes at most
    int packets_result; // what WTPacketsGet answers
    BOOL packet_result; // what WTPacket answers (it writes one packet when non-zero)
    int packets_get_calls;
    int last_max_packets;
    int next_x;
};
ScriptedDriver scripted;

void write_packet(unsigned char* out, int32_t x) {
    const int32_t words[4] = {1, 0, x, 0};
    std::memcpy(out, words, sizeof words);
}

int WINAPI scripted_packets_get(HCTX, int max_packets, LPVOID packets) {
    ++scripted.packets_get_calls;
    scripted.last_max_packets = max_packets;
    const int count = scripted.packets_queued < max_packets ? scripted.packets_queued : max_packets;
    for (int i = 0; i < count; ++i)
        write_packet(static_cast<unsigned char*>(packets) + i * packet_bytes, ++scripted.next_x);
    return scripted.packets_result;
}

BOOL WINAPI scripted_packet(HCTX, UINT, LPVOID packet) {
    if (scripted.packet_result)
        write_packet(static_cast<unsigned char*>(packet), ++scripted.next_x);
    return scripted.packet_result;
}

BOOL WINAPI scripted_overlap(HCTX, BOOL) {
    return TRUE;
}

HostValueRecord* WINAPI null_evaluator(const char*) {
    return nullptr;
}

std::string call_for_x(int x) {
    return "OnPen(1,0," + std::to_string(x) + R"(,0,"","","","","","","","",""))";
}

class ScriptedDispatchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        runtime = load_host_runtime(host);
        ASSERT_NE(runtime, nullptr);
        bind_host_api(runtime);
        host.reset();
        scripted = ScriptedDriver{};
        wintab_api = WintabApi{};
        wintab_api.driver_module = GetModuleHandleA(nullptr); // any module: the entry points are ours
        wintab_api.WTPacketsGet = scripted_packets_get;
        wintab_api.WTPacket = scripted_packet;
        wintab_api.WTOverlap = scripted_overlap;
        tablet_state = TabletState{};
        tablet_state.context = reinterpret_cast<HCTX>(0x1234);
        tablet_state.is_open = 1;
        tablet_state.layout.packet_mask = 0x01E0;
        tablet_state.layout.packet_size = packet_bytes;
        set_capacity(4);
        set_handler("OnPen");
    }
    void TearDown() override {
        std::free(tablet_state.packet_buffer);
        std::free(tablet_state.handler_name);
        tablet_state = TabletState{};
        wintab_api = WintabApi{};
        host.reset();
    }
    void set_capacity(int packets) {
        std::free(tablet_state.packet_buffer);
        tablet_state.packet_buffer = static_cast<unsigned char*>(std::malloc(packets * packet_bytes));
        tablet_state.buffer_capacity = packets;
    }
    void set_handler(const std::string& name) {
        std::free(tablet_state.handler_name);
        tablet_state.handler_name = static_cast<char*>(std::malloc(name.size() + 1));
        std::memcpy(tablet_state.handler_name, name.c_str(), name.size() + 1);
    }
    std::vector<std::string> evaluated() {
        std::vector<std::string> texts;
        for (int i = 0; i < host.eval_count(); ++i)
            texts.push_back(host.eval_text(i));
        return texts;
    }

    HMODULE runtime = nullptr;
    HostControl host{};
};

TEST_F(ScriptedDispatchTest, PollTakesNoMoreThanTheBufferHoldsWhateverTheDriverAnswers) {
    struct Case {
        const char* name;
        int queued;
        int result;
        int calls;
    };
    const Case cases[] = {
        {"exact count", 3, 3, 3},
        {"count beyond the capacity", 4, 100, 4},
        {"negative count", 4, -1, 0},
        {"zero", 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.reset();
        scripted.next_x = 0;
        scripted.packets_queued = c.queued;
        scripted.packets_result = c.result;
        EXPECT_EQ(on_mouse_move(), 1);
        EXPECT_EQ(scripted.last_max_packets, 4);
        std::vector<std::string> expected;
        for (int x = 1; x <= c.calls; ++x)
            expected.push_back(call_for_x(x));
        EXPECT_EQ(evaluated(), expected);
        EXPECT_EQ(host.values_freed(), c.calls);
        EXPECT_EQ(host.bad_frees(), 0);
    }
}

TEST_F(ScriptedDispatchTest, PacketMessageDispatchesOnceForAnyNonZeroAnswer) {
    for (BOOL answer : {TRUE, 5, -1}) {
        SCOPED_TRACE(answer);
        host.reset();
        scripted.next_x = 0;
        scripted.packet_result = answer;
        EXPECT_EQ(on_packet_message(7, 0x1234), 1);
        EXPECT_EQ(evaluated(), std::vector<std::string>{call_for_x(1)});
    }
    host.reset();
    scripted.packet_result = FALSE;
    on_packet_message(8, 0x1234);
    EXPECT_EQ(host.eval_count(), 0);
}

TEST_F(ScriptedDispatchTest, MissingEntryPointsAreNeverCalled) {
    wintab_api.WTPacket = nullptr;
    scripted.packet_result = TRUE;
    EXPECT_EQ(on_packet_message(1, 0x1234), 1);
    wintab_api.WTPacketsGet = nullptr;
    scripted.packets_queued = 2;
    scripted.packets_result = 2;
    EXPECT_EQ(on_mouse_move(), 1);
    EXPECT_EQ(scripted.packets_get_calls, 0);
    EXPECT_EQ(host.eval_count(), 0);
}

TEST_F(ScriptedDispatchTest, NullResultIsNotGivenBack) {
    host.set_evaluator(null_evaluator);
    scripted.packet_result = TRUE;
    on_packet_message(1, 0x1234);
    EXPECT_EQ(host.eval_count(), 1);
    EXPECT_EQ(host.values_freed(), 0);
    EXPECT_EQ(host.bad_frees(), 0);
    host.set_evaluator(nullptr);
}

TEST_F(ScriptedDispatchTest, NoHandlerOrAnOverlongOneDrainsWithoutACall) {
    std::free(tablet_state.handler_name);
    tablet_state.handler_name = nullptr;
    scripted.packets_queued = 2;
    scripted.packets_result = 2;
    on_mouse_move();
    EXPECT_EQ(scripted.packets_get_calls, 1);
    EXPECT_EQ(host.eval_count(), 0);

    // A name that leaves no room for the arguments in the text buffer: the packet is dropped whole.
    set_handler(std::string(40000, 'H'));
    on_mouse_move();
    scripted.packet_result = TRUE;
    on_packet_message(1, 0x1234);
    EXPECT_EQ(host.eval_count(), 0);
}

} // namespace
