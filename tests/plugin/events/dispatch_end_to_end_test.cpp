// Pen packets to handler calls through the real plug-in DLL, loaded by the real loader, on a real window: the
// simulated driver queues and posts packets, the host runtime stand-in records every evaluated text.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "stand_ins.h"
#include "text_compare.h"

namespace {

using kumo_var_new_t = HostValueRecord*(WINAPI*)(void*);

// Pressure and tilt, no twist: the first worked example's layout.
const char pressure_and_tilt[] = R"(interface.devices = 1
device.0.x = 0 44799 2 1
device.0.y = 0 27999 2 1
device.0.pressure = 0 255 0 0
device.0.orientation = 0 3599 3 1 | -900 900 3 1 | 0 3599 3 0
)";

// Z and twist, no tilt: the second worked example's layout.
const char z_and_twist[] = R"(interface.devices = 1
device.0.x = 0 44799 2 1
device.0.y = 0 27999 2 1
device.0.z = -511 511 0 1
device.0.orientation = 0 3599 3 0 | -900 900 3 1 | 0 3599 3 1
)";

// Every scaled axis with a decimal divisor, so that expected texts can be written with integers.
const char decimal_axes[] = R"(interface.devices = 1
device.0.x = 0 44799 2 1
device.0.y = 0 27999 2 1
device.0.z = -1000 1000 0 1
device.0.pressure = 0 1000 0 0
device.0.orientation = 0 3599 3 1 | -900 900 3 1 | 0 3599 3 1
)";

// Pressure only, over 100.
const char pressure_only[] = R"(interface.devices = 1
device.0.x = 0 44799 2 1
device.0.y = 0 27999 2 1
device.0.pressure = 0 100 0 0
)";

SimSample sample(int32_t x, int32_t y = 0, int32_t pressure = 0) {
    SimSample s{};
    s.cursor = 1;
    s.x = x;
    s.y = y;
    s.pressure = pressure;
    return s;
}

// The call text for a sample under decimal_axes.
std::string decimal_axes_text(const char* handler, const SimSample& s) {
    auto fraction = [](int32_t value, int32_t divisor) {
        const int32_t whole = (value < 0 ? -value : value) / divisor;
        const int32_t thousandths = (value < 0 ? -value : value) % divisor;
        char out[32];
        snprintf(out, sizeof out, "%s%d.%03d00", value < 0 ? "-" : "", whole, thousandths);
        return std::string(out);
    };
    return std::string(handler) + "(" + std::to_string(s.cursor) + "," + std::to_string(s.buttons) + "," +
           std::to_string(s.x) + "," + std::to_string(s.y) + "," + fraction(s.z, 1000) + "," +
           fraction(s.pressure, 1000) + ",\"\"," + std::to_string(s.azimuth) + "," +
           std::to_string(s.altitude) + "," + std::to_string(s.twist / 10) + "." +
           std::to_string(s.twist % 10) + ",\"\",\"\",\"\")";
}

SimSample stroke_sample(int i) {
    SimSample s{};
    s.cursor = 1;
    s.buttons = static_cast<uint32_t>(i % 2);
    s.x = 100 + i;
    s.y = 5000 - i;
    s.z = i % 2001 - 1000;
    s.pressure = i * 3 % 1001;
    s.azimuth = i * 10;
    s.altitude = 900 - i;
    s.twist = i * 7 % 3600;
    return s;
}

class DispatchTest;
DispatchTest* running_test;

class DispatchTest : public ::testing::Test {
  protected:
    virtual const char* driver_variant() const { return "full"; }

    void SetUp() override {
        window = host_main_window(); // before the first opening: it becomes the host's main window
        ASSERT_NE(window, nullptr);
        runtime = load_host_runtime(host);
        ASSERT_NE(runtime, nullptr);
        var_new = reinterpret_cast<kumo_var_new_t>(
            reinterpret_cast<void*>(GetProcAddress(runtime, "kumo_var_new")));
        driver = load_sim_driver(driver_variant(), sim);
        ASSERT_NE(driver, nullptr) << "bin/drivers/" << driver_variant() << "/wintab32.dll";
        plugin = load_plugin(plugin_init, import_functions, plugin_fin);
        ASSERT_NE(plugin, nullptr);
        ASSERT_TRUE(plugin_init && import_functions && plugin_fin);
        host.reset();
        sim.reset();
        plugin_init(runtime);
        import_functions();
        running_test = this;
    }

    void TearDown() override {
        if (host.set_evaluator)
            host.set_evaluator(nullptr);
        if (plugin_fin)
            plugin_fin();
        pump_messages();
        if (driver != nullptr)
            FreeLibrary(driver); // the next test may load another variant
        if (host.reset)
            host.reset();
        running_test = nullptr;
    }

    void load_profile(const char* text) { ASSERT_EQ(sim.load_profile(text), 1) << sim.last_error(); }
    std::string command(const char* name_utf8, const char* argument_utf8 = nullptr) {
        return argument_utf8 ? run_command_utf8(host, name_utf8, argument_utf8)
                             : run_command(host, name_utf8);
    }
    // Names the handler, opens in the given mode and enables.
    void start(const char* handler, const char* option_utf8 = nullptr) {
        command("WT受信イベント設定", handler);
        ASSERT_EQ(command("WT初期化", option_utf8), "OK");
        ASSERT_EQ(command("WT有効"), "OK");
    }
    int inject(const SimSample& s) { return sim.inject(&s); }
    void move_mouse() { SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10)); }

    std::vector<std::string> evaluated() {
        std::vector<std::string> texts;
        for (int i = 0; i < host.eval_count(); ++i)
            texts.push_back(cp932_to_utf8(host.eval_text(i)));
        return texts;
    }
    // Every result of an evaluation was given back once, and nothing else.
    void expect_results_freed() {
        EXPECT_EQ(host.values_freed(), host.eval_count());
        EXPECT_EQ(host.bad_frees(), 0);
    }

    // What a handler does while it runs: called after the host recorded the text, with its index.
    std::function<void(int)> handler_action;
    static HostValueRecord* WINAPI acting_evaluator(const char*) {
        DispatchTest* test = running_test;
        const int index = test->host.eval_count() - 1;
        if (test->handler_action)
            test->handler_action(index);
        return test->var_new(nullptr); // a result for the plug-in to give back
    }
    void act_in_handler(std::function<void(int)> action) {
        handler_action = std::move(action);
        host.set_evaluator(acting_evaluator);
    }

    HWND window = nullptr;
    HMODULE runtime = nullptr;
    HMODULE driver = nullptr;
    HMODULE plugin = nullptr;
    PluginInit_t plugin_init = nullptr;
    ImportKumoFunction_t import_functions = nullptr;
    PluginFin_t plugin_fin = nullptr;
    kumo_var_new_t var_new = nullptr;
    HostControl host{};
    SimControl sim{};
};

TEST_F(DispatchTest, WorkedExamplesByteForByte) {
    struct Case {
        const char* profile;
        SimSample sample;
        const char* text;
    };
    const Case cases[] = {
        {pressure_and_tilt,
         {1, 1, 640, 480, 0, 128, 0, 900, 450, 0},
         "OnPen(1,1,640,480,\"\",0.50196,\"\",900,450,\"\",\"\",\"\",\"\")"},
        {z_and_twist,
         {2, 0, 100, 200, -256, 0, 0, 0, 0, 905},
         "OnPen(2,0,100,200,-0.50098,\"\",\"\",\"\",\"\",90.5,\"\",\"\",\"\")"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        host.reset();
        import_functions();
        load_profile(c.profile);
        start("OnPen");
        ASSERT_NE(inject(c.sample), 0);
        pump_messages();
        ASSERT_EQ(host.eval_count(), 1);
        EXPECT_EQ(std::string(host.eval_text(0)), c.text);
        expect_results_freed();
    }
}

TEST_F(DispatchTest, PenModeDeliversEachPostedPacketOnceInOrder) {
    load_profile(pressure_only);
    start("OnPen");
    sim.clear_log();
    for (int i = 1; i <= 3; ++i)
        inject(sample(i * 10, i, i * 25));
    pump_messages();
    EXPECT_EQ(evaluated(), (std::vector<std::string>{
                               R"(OnPen(1,0,10,1,"",0.25000,"","","","","","",""))",
                               R"(OnPen(1,0,20,2,"",0.50000,"","","","","","",""))",
                               R"(OnPen(1,0,30,3,"",0.75000,"","","","","","",""))",
                           }));
    EXPECT_EQ(lines_starting(sim_log_lines(sim), "WTPacket"),
              (std::vector<std::string>{"WTPacket 1", "WTPacket 2", "WTPacket 3"}));
    EXPECT_EQ(sim.queue_length(), 0);
    expect_results_freed();
}

TEST_F(DispatchTest, NoPacketBeforeEnableNorAfterDisable) {
    load_profile(pressure_only);
    command("WT受信イベント設定", "OnPen");
    ASSERT_EQ(command("WT初期化"), "OK");
    EXPECT_EQ(inject(sample(1)), 0);
    move_mouse();
    pump_messages();
    EXPECT_EQ(host.eval_count(), 0);

    ASSERT_EQ(command("WT有効"), "OK");
    EXPECT_NE(inject(sample(2)), 0);
    pump_messages();
    EXPECT_EQ(command("WT無効"), "OK");
    EXPECT_EQ(inject(sample(3)), 0);
    move_mouse();
    pump_messages();
    EXPECT_EQ(evaluated(), std::vector<std::string>{R"(OnPen(1,0,2,0,"",0.00000,"","","","","","",""))"});
}

TEST_F(DispatchTest, MouseModeDrainsTheQueueOncePerMouseMove) {
    load_profile(pressure_only);
    start("OnPen", mouse_word);
    for (int i = 1; i <= 5; ++i)
        inject(sample(i));
    pump_messages(); // no packet messages in mouse mode
    EXPECT_EQ(host.eval_count(), 0);
    sim.clear_log();
    const int host_moves_before = host_window_mouse_moves();

    move_mouse();
    EXPECT_EQ(sim_log_lines(sim), (std::vector<std::string>{"WTOverlap 1", "WTPacketsGet 32"}));
    std::vector<std::string> expected;
    for (int i = 1; i <= 5; ++i)
        expected.push_back("OnPen(1,0," + std::to_string(i) + R"(,0,"",0.00000,"","","","","","",""))");
    EXPECT_EQ(evaluated(), expected);
    EXPECT_EQ(host_window_mouse_moves(), host_moves_before + 1); // the host still gets its mouse move

    move_mouse(); // an empty queue: one more question, no call
    EXPECT_EQ(host.eval_count(), 5);
    expect_results_freed();
}

TEST_F(DispatchTest, PenModePollTakesPacketsAheadOfTheirMessagesAndEachArrivesOnce) {
    load_profile(pressure_only);
    start("OnPen");
    for (int i = 1; i <= 3; ++i)
        inject(sample(i)); // three packet messages wait
    sim.clear_log();

    // A buffer of one packet: each mouse move takes one, the rest wait for the next.
    move_mouse();
    EXPECT_EQ(host.eval_count(), 1);
    move_mouse();
    EXPECT_EQ(host.eval_count(), 2);
    pump_messages(); // serials 1 and 2 are gone; 3 arrives by its message
    EXPECT_EQ(lines_starting(sim_log_lines(sim), "WTPacket"),
              (std::vector<std::string>{"WTPacketsGet 1", "WTPacketsGet 1", "WTPacket 1", "WTPacket 2",
                                        "WTPacket 3"}));
    std::vector<std::string> expected;
    for (int i = 1; i <= 3; ++i)
        expected.push_back("OnPen(1,0," + std::to_string(i) + R"(,0,"",0.00000,"","","","","","",""))");
    EXPECT_EQ(evaluated(), expected);
    expect_results_freed();
}

TEST_F(DispatchTest, ClearedHandlerDrainsWithoutCalls) {
    load_profile(pressure_only);
    start("OnPen");
    EXPECT_EQ(command("WT受信イベント設定"), "");
    inject(sample(1));
    inject(sample(2));
    pump_messages();
    EXPECT_EQ(sim.queue_length(), 0);
    inject(sample(3));
    move_mouse();
    EXPECT_EQ(sim.queue_length(), 0);
    EXPECT_EQ(host.eval_count(), 0);
}

TEST_F(DispatchTest, HandlerRenamedMidPollTakesEffectFromTheNextPacket) {
    load_profile(pressure_only);
    start("OnPen", mouse_word);
    for (int i = 1; i <= 3; ++i)
        inject(sample(i));
    act_in_handler([this](int index) {
        if (index == 0)
            command("WT受信イベント設定", "Other");
    });
    move_mouse();
    EXPECT_EQ(evaluated(), (std::vector<std::string>{
                               R"(OnPen(1,0,1,0,"",0.00000,"","","","","","",""))",
                               R"(Other(1,0,2,0,"",0.00000,"","","","","","",""))",
                               R"(Other(1,0,3,0,"",0.00000,"","","","","","",""))",
                           }));
    expect_results_freed();
}

TEST_F(DispatchTest, DisposeMidPollStillDeliversWhatWasFetched) {
    load_profile(pressure_only);
    start("OnPen", mouse_word);
    for (int i = 1; i <= 3; ++i)
        inject(sample(i));
    std::string dispose_answer;
    act_in_handler([&](int index) {
        if (index == 0)
            dispose_answer = command("WT破棄");
    });
    move_mouse();
    EXPECT_EQ(dispose_answer, "OK");
    EXPECT_EQ(host.eval_count(), 3);
    EXPECT_EQ(evaluated().back(), R"(OnPen(1,0,3,0,"",0.00000,"","","","","","",""))");
    EXPECT_EQ(sim.context_open(), 0);

    sim.clear_log();
    move_mouse(); // closed: no poll
    EXPECT_EQ(sim_log_lines(sim), std::vector<std::string>{});
    expect_results_freed();
}

TEST_F(DispatchTest, ReopeningMidPollKeepsTheFetchedPacketsAndTheirLayout) {
    // Eight packets of pressure only; the handler reopens on a tablet with larger packets and a larger queue,
    // which replaces the buffer the poll fetched into.
    load_profile((std::string(pressure_only) + "driver.queue_limit = 8\n").c_str());
    start("OnPen", mouse_word);
    for (int i = 1; i <= 3; ++i)
        inject(sample(i, 0, i * 10));
    std::string reopen_answer;
    act_in_handler([&](int index) {
        if (index != 0)
            return;
        load_profile("include default\n");
        reopen_answer = command("WT初期化", mouse_word);
    });
    move_mouse();
    EXPECT_EQ(reopen_answer, "OK");
    EXPECT_EQ(evaluated(), (std::vector<std::string>{
                               R"(OnPen(1,0,1,0,"",0.10000,"","","","","","",""))",
                               R"(OnPen(1,0,2,0,"",0.20000,"","","","","","",""))",
                               R"(OnPen(1,0,3,0,"",0.30000,"","","","","","",""))",
                           }));
    expect_results_freed();
}

TEST_F(DispatchTest, NestedPollDuringAHandlerDeliversEveryPacketOnce) {
    load_profile(pressure_only);
    start("OnPen", mouse_word);
    for (int i = 1; i <= 3; ++i)
        inject(sample(i));
    // The first handler call lets the window see another mouse move after two more packets came in.
    act_in_handler([this](int index) {
        if (index != 0)
            return;
        inject(sample(4));
        inject(sample(5));
        move_mouse();
    });
    move_mouse();
    std::vector<std::string> expected;
    for (int x : {1, 4, 5, 2, 3})
        expected.push_back("OnPen(1,0," + std::to_string(x) + R"(,0,"",0.00000,"","","","","","",""))");
    EXPECT_EQ(evaluated(), expected);
    expect_results_freed();
}

TEST_F(DispatchTest, DeeplyNestedPollsLoseNoPacket) {
    load_profile(pressure_only);
    start("OnPen", mouse_word);
    // Every handler call brings one more packet and another mouse move, ten packets in all.
    int injected = 1;
    inject(sample(1));
    act_in_handler([&](int) {
        if (injected >= 10)
            return;
        inject(sample(++injected));
        move_mouse();
    });
    for (int round = 0; round < 20 && (sim.queue_length() > 0 || host.eval_count() == 0); ++round)
        move_mouse();
    EXPECT_EQ(injected, 10);
    EXPECT_EQ(sim.queue_length(), 0);
    std::multiset<std::string> delivered;
    for (const std::string& text : evaluated())
        delivered.insert(text);
    std::multiset<std::string> expected;
    for (int x = 1; x <= 10; ++x)
        expected.insert("OnPen(1,0," + std::to_string(x) + R"(,0,"",0.00000,"","","","","","",""))");
    EXPECT_EQ(delivered, expected);
    expect_results_freed();
}

TEST_F(DispatchTest, LongStrokeArrivesWholeAndInOrderInBothModes) {
    constexpr int samples = 300;
    std::vector<std::string> expected;
    for (int i = 0; i < samples; ++i)
        expected.push_back(decimal_axes_text("OnPen", stroke_sample(i)));

    struct Case {
        const char* option;
        int samples_between_deliveries;
    };
    for (const Case c : {Case{nullptr, 4}, Case{mouse_word, 20}}) {
        SCOPED_TRACE(c.option ? "mouse mode" : "pen mode");
        host.reset();
        import_functions();
        load_profile(decimal_axes);
        start("OnPen", c.option);
        for (int i = 0; i < samples; ++i) {
            ASSERT_NE(inject(stroke_sample(i)), 0);
            if ((i + 1) % c.samples_between_deliveries == 0) {
                pump_messages();
                move_mouse();
            }
        }
        pump_messages();
        move_mouse();
        EXPECT_EQ(evaluated(), expected);
        expect_results_freed();
    }
}

TEST_F(DispatchTest, ZAxisWithBothBoundsZeroIsCarriedButShownEmpty) {
    load_profile("interface.devices = 1\ndevice.0.x = 0 999 0 1\ndevice.0.y = 0 999 0 1\n"
                 "device.0.z = 0 0 0 1\n");
    start("OnPen");
    SimSample s = sample(7, 8);
    s.z = 5;
    inject(s);
    pump_messages();
    EXPECT_EQ(evaluated(), std::vector<std::string>{R"(OnPen(1,0,7,8,"","","","","","","","",""))"});
    EXPECT_EQ(lines_starting(sim_log_lines(sim), "WTOpenA").size(), 1u);
    LOGCONTEXTA opened{};
    sim.last_open(&opened);
    EXPECT_EQ(opened.lcPktData, 0x03E0u);
}

// Drivers without one of the roads' entry points: that road does nothing, the other still works.
class DispatchWithoutPacketTest : public DispatchTest {
  protected:
    const char* driver_variant() const override { return "no_WTPacket"; }
};

TEST_F(DispatchWithoutPacketTest, PacketMessageIsIgnoredAndThePollStillDelivers) {
    load_profile(pressure_only);
    start("OnPen", mouse_word);
    inject(sample(1));
    sim.clear_log();
    PostMessageA(window, 0x7FF0, 1, 0);
    pump_messages();
    EXPECT_EQ(sim_log_lines(sim), std::vector<std::string>{});
    EXPECT_EQ(host.eval_count(), 0);
    move_mouse();
    EXPECT_EQ(host.eval_count(), 1);
}

class DispatchWithoutPacketsGetTest : public DispatchTest {
  protected:
    const char* driver_variant() const override { return "no_WTPacketsGet"; }
};

TEST_F(DispatchWithoutPacketsGetTest, MouseMoveDoesNothingAndMessagesStillDeliver) {
    load_profile(pressure_only);
    start("OnPen");
    inject(sample(1));
    sim.clear_log();
    move_mouse();
    EXPECT_EQ(sim_log_lines(sim), std::vector<std::string>{});
    EXPECT_EQ(host.eval_count(), 0);
    pump_messages();
    EXPECT_EQ(host.eval_count(), 1);
}

class DispatchWithoutOverlapTest : public DispatchTest {
  protected:
    const char* driver_variant() const override { return "no_WTOverlap"; }
};

TEST_F(DispatchWithoutOverlapTest, PollFetchesWithoutRaisingTheContext) {
    load_profile(pressure_only);
    start("OnPen");
    inject(sample(1));
    sim.clear_log();
    move_mouse();
    EXPECT_EQ(sim_log_lines(sim), std::vector<std::string>{"WTPacketsGet 1"});
    EXPECT_EQ(host.eval_count(), 1);
}

} // namespace
