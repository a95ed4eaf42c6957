// The real plug-in DLL against a driver that breaks its promises (the simulated driver's hostile switches):
// counts beyond what it copied, negative counts, a count where a BOOL belongs, names longer than any buffer,
// an open that fails after a success, queues of every size or none. The host must survive each, every packet
// the driver did hand over must reach the handler once and in order, and the script must get a sensible
// answer.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "stand_ins.h"
#include "text_compare.h"

namespace {

const char not_open[] = "タブレットは初期化されていません";

std::string call_for(int x) {
    return "OnPen(1,0," + std::to_string(x) + R"(,7,"","","","","","","","",""))";
}

class HostileDriverTest : public ::testing::Test {
  protected:
    virtual const char* driver_variant() const { return "full"; }

    void SetUp() override {
        window = host_main_window();
        ASSERT_NE(window, nullptr);
        host_window_proc = GetWindowLongPtrA(window, GWLP_WNDPROC);
        runtime = load_host_runtime(host);
        ASSERT_NE(runtime, nullptr);
        driver = load_sim_driver(driver_variant(), sim);
        ASSERT_NE(driver, nullptr) << driver_variant();
        PluginInit_t plugin_init;
        ImportKumoFunction_t import_functions;
        plugin = load_plugin(plugin_init, import_functions, plugin_fin);
        ASSERT_NE(plugin, nullptr);
        ASSERT_TRUE(plugin_init && import_functions && plugin_fin);
        host.reset();
        sim.reset();
        plugin_init(runtime);
        import_functions();
        command("WT受信イベント設定", "OnPen");
    }
    void TearDown() override {
        if (plugin_fin)
            plugin_fin();
        pump_messages();
        // Whatever the driver did, the host's window procedure is its own again and every result was given
        // back.
        EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), host_window_proc);
        if (host.reset) {
            EXPECT_EQ(host.values_freed(), host.eval_count());
            EXPECT_EQ(host.bad_frees(), 0);
            host.reset();
        }
        if (driver)
            FreeLibrary(driver);
    }

    void load_profile(const std::string& text) {
        ASSERT_EQ(sim.load_profile(text.c_str()), 1) << sim.last_error();
    }
    std::string command(const char* name_utf8, const char* argument_utf8 = nullptr) {
        return argument_utf8 ? run_command_utf8(host, name_utf8, argument_utf8)
                             : run_command(host, name_utf8);
    }
    void open_and_enable(const char* option_utf8 = nullptr) {
        ASSERT_EQ(command("WT初期化", option_utf8), "OK");
        ASSERT_EQ(command("WT有効"), "OK");
    }
    // Injects samples with x = first .. first + count - 1; the call texts they must become.
    std::vector<std::string> inject(int first, int count) {
        std::vector<std::string> texts;
        for (int x = first; x < first + count; ++x) {
            SimSample s{};
            s.cursor = 1;
            s.x = x;
            s.y = 7;
            EXPECT_NE(sim.inject(&s), 0) << x;
            texts.push_back(call_for(x));
        }
        return texts;
    }
    void move_mouse() { SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10)); }
    // The texts evaluated since the last forget_evaluated() (the host's own reset would also drop the
    // commands).
    void forget_evaluated() { first_evaluated = host.eval_count(); }
    std::vector<std::string> evaluated() {
        std::vector<std::string> texts;
        for (int i = first_evaluated; i < host.eval_count(); ++i)
            texts.push_back(cp932_to_utf8(host.eval_text(i)));
        return texts;
    }
    std::vector<std::string> log_lines(const char* prefix) {
        return lines_starting(sim_log_lines(sim), prefix);
    }

    HWND window = nullptr;
    LONG_PTR host_window_proc = 0;
    HMODULE runtime = nullptr;
    HMODULE driver = nullptr;
    HMODULE plugin = nullptr;
    PluginFin_t plugin_fin = nullptr;
    HostControl host{};
    SimControl sim{};
    int first_evaluated = 0;
};

// The driver claims five more packets than it copied into a full buffer: the plug-in takes what the buffer
// holds and nothing is repeated. In pen mode (a buffer of one) the poll and the messages share the packets;
// in mouse mode one poll takes the whole queue of 32.
TEST_F(HostileDriverTest, CountBeyondWhatWasAskedLosesNothingAndRepeatsNothing) {
    load_profile(plain_tablet + "driver.queue_limit = 1024\ndriver.packets_get_extra = 5\n");
    open_and_enable();
    std::vector<std::string> expected = inject(101, 3);
    move_mouse();    // takes the oldest, claims six
    pump_messages(); // the first message misses, the other two fetch theirs
    EXPECT_EQ(evaluated(), expected);

    ASSERT_EQ(command("WT初期化", mouse_word), "OK");
    ASSERT_EQ(command("WT有効"), "OK");
    ASSERT_EQ(sim.queue_size(), 32);
    forget_evaluated();
    sim.clear_log();
    expected = inject(1, 32);
    move_mouse();
    EXPECT_EQ(evaluated(), expected);
    EXPECT_EQ(log_lines("WTPacketsGet"), std::vector<std::string>{"WTPacketsGet 32"});
}

// With fewer packets queued than asked for, a claimed surplus cannot be told from the buffer's older content:
// the packets handed over still come first and in order, and whatever follows is a packet of an earlier poll,
// never bytes from outside the buffer.
TEST_F(HostileDriverTest, SurplusOverAShortQueueOnlyRepeatsEarlierPackets) {
    load_profile(plain_tablet + "driver.packets_get_extra = 5\n");
    open_and_enable(mouse_word);
    const std::vector<std::string> earlier = inject(1, 32);
    move_mouse();
    forget_evaluated();
    const std::vector<std::string> handed_over = inject(201, 3);
    move_mouse();
    const std::vector<std::string> texts = evaluated();
    ASSERT_GE(texts.size(), handed_over.size());
    EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + 3), handed_over);
    EXPECT_LE(texts.size(), 8u);
    const std::set<std::string> known(earlier.begin(), earlier.end());
    for (size_t i = 3; i < texts.size(); ++i)
        EXPECT_EQ(known.count(texts[i]), 1u) << texts[i];
}

// A negative or zero count dispatches nothing (the driver has said it handed nothing over); once it answers
// truthfully again the next packets arrive in order.
TEST_F(HostileDriverTest, NegativeCountDispatchesNothingAndTheNextPollWorks) {
    for (const char* result : {"-1", "-2147483648", "0"}) {
        SCOPED_TRACE(result);
        load_profile(plain_tablet + "driver.packets_get_result = " + result + "\n");
        open_and_enable(mouse_word);
        forget_evaluated();
        inject(1, 4);
        move_mouse();
        EXPECT_EQ(evaluated(), std::vector<std::string>{});
        EXPECT_EQ(sim.queue_length(), 0) << "the driver removed them";

        load_profile(plain_tablet + "driver.packets_get_result = count\n"); // the context stays open
        const std::vector<std::string> expected = inject(11, 4);
        move_mouse();
        EXPECT_EQ(evaluated(), expected);
        EXPECT_EQ(command("WT破棄"), "OK");
    }
}

// WTPacket answering the number of packets it removed (not TRUE): each posted packet still arrives once.
TEST_F(HostileDriverTest, PacketAnsweringACountStillDeliversEachPacketOnce) {
    load_profile(plain_tablet + "driver.packet_result = count\n");
    open_and_enable();
    std::vector<std::string> expected = inject(1, 5);
    pump_messages();
    EXPECT_EQ(evaluated(), expected);

    // Fetching the newest first makes the driver remove (and count) the older ones too: that one packet is
    // dispatched, once, and the messages of the older ones find nothing.
    forget_evaluated();
    inject(21, 3);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, window, WT_PACKET, WT_PACKET, PM_NOREMOVE));
    SendMessageA(window, WT_PACKET, message.wParam + 2, message.lParam);
    pump_messages();
    EXPECT_EQ(evaluated(), std::vector<std::string>{call_for(23)});
}

// Names of 255 bytes (the longest the driver gives, written whole whatever the caller's buffer) are cut to
// whole characters of a report line; everything else in the report reads as with names that fit.
TEST_F(HostileDriverTest, NamesBeyondEveryBufferAreCutAndTheRestOfTheReportIsIntact) {
    std::string long_japanese;
    for (int i = 0; i < 127; ++i)
        long_japanese += "あ";
    std::string cut_japanese;
    for (int i = 0; i < 39; ++i)
        cut_japanese += "あ";
    const std::string names = "include default\n";
    load_profile(names + "driver.name_overrun = 1\ninterface.id = " + std::string(255, 'W') +
                 "\ndevice.0.name = " + long_japanese + "x\ncursor.0.name = x" + long_japanese +
                 "\ncursor.1.name = " + long_japanese + "\n");
    const std::string report = command("WT情報取得");
    EXPECT_NE(report.find("ドライバの名称:" + std::string(79, 'W') + "\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("　デバイスの名称:" + cut_japanese + "\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("　カーソルの名称:x" + cut_japanese + "\r\n"), std::string::npos) << report;

    // The same report from a driver whose names are the cut ones.
    load_profile(names + "interface.id = " + std::string(79, 'W') + "\ndevice.0.name = " + cut_japanese +
                 "\ncursor.0.name = x" + cut_japanese + "\ncursor.1.name = " + cut_japanese + "\n");
    EXPECT_EQ(report, command("WT情報取得"));

    // The commands still work after it.
    load_profile(plain_tablet);
    open_and_enable();
    const std::vector<std::string> expected = inject(1, 2);
    pump_messages();
    EXPECT_EQ(evaluated(), expected);
}

// The driver opens once and then refuses: the first context is closed, the script hears that the opening
// failed and that the tablet is not initialised, the hook is gone; a driver that opens again works again.
TEST_F(HostileDriverTest, OpenFailingAfterASuccess) {
    load_profile(plain_tablet + "driver.open_fail_after = 1\n");
    open_and_enable();
    std::vector<std::string> expected = inject(1, 2);
    pump_messages();
    sim.clear_log();

    EXPECT_EQ(command("WT初期化"), open_failed);
    EXPECT_EQ(log_lines("WTClose"), std::vector<std::string>{"WTClose"});
    EXPECT_EQ(sim.context_open(), 0);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), host_window_proc);
    for (const char* name : {"WT有効", "WT無効"})
        EXPECT_EQ(command(name), not_open) << name;
    EXPECT_EQ(evaluated(), expected);

    sim.reset(); // counts the opens afresh
    load_profile(plain_tablet);
    open_and_enable();
    const std::vector<std::string> more = inject(11, 2);
    expected.insert(expected.end(), more.begin(), more.end());
    pump_messages();
    EXPECT_EQ(evaluated(), expected);
}

// A driver that accepts any queue size gets the 32 asked for; one that accepts none but answers its size gets
// its own size. Either way a full queue is drained by one poll.
TEST_F(HostileDriverTest, QueueOfAnySizeOrNoneAccepted) {
    struct Case {
        const char* profile;
        int queue;
        std::vector<std::string> size_requests;
    };
    const Case cases[] = {
        {"driver.queue_limit = 1024\n", 32, {"WTQueueSizeSet 32"}},
        {"driver.queue_limit = 0\n",
         8,
         {"WTQueueSizeSet 32", "WTQueueSizeSet 16", "WTQueueSizeSet 8", "WTQueueSizeSet 4",
          "WTQueueSizeSet 2", "WTQueueSizeSet 1", "WTQueueSizeSet 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.profile);
        sim.reset();
        load_profile(plain_tablet + c.profile);
        forget_evaluated();
        open_and_enable(mouse_word);
        EXPECT_EQ(log_lines("WTQueueSizeSet"), c.size_requests);
        EXPECT_EQ(sim.queue_size(), c.queue);
        const std::vector<std::string> expected = inject(1, c.queue);
        move_mouse();
        EXPECT_EQ(evaluated(), expected);
        EXPECT_EQ(sim.queue_length(), 0);
    }
    // Accepting none and answering 0 for its size: no queue, and nothing left open.
    load_profile(plain_tablet + "driver.queue_limit = 0\ndriver.queue_get = zero\n");
    EXPECT_EQ(command("WT初期化", mouse_word), no_queue);
    EXPECT_EQ(sim.context_open(), 0);
    EXPECT_EQ(command("WT有効"), not_open);
}

class HostileDriverWithoutSizeGetTest : public HostileDriverTest {
    const char* driver_variant() const override { return "no_WTQueueSizeGet"; }
};

// Accepting no size and unable to say its own: the mouse mode cannot open, the pen mode still can.
TEST_F(HostileDriverWithoutSizeGetTest, QueueAcceptedNowhere) {
    load_profile(plain_tablet + "driver.queue_limit = 0\n");
    EXPECT_EQ(command("WT初期化", mouse_word), no_queue);
    EXPECT_EQ(sim.context_open(), 0);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), host_window_proc);
    EXPECT_EQ(command("WT有効"), not_open);

    open_and_enable();
    const std::vector<std::string> expected = inject(1, 3);
    pump_messages();
    EXPECT_EQ(evaluated(), expected);
}

} // namespace
