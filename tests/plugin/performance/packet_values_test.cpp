// A long stroke through the real plug-in DLL on a real window, in both modes: every packet costs the host
// exactly one value (the evaluation's result), which the plug-in gives back, and nothing else; no packet is
// lost or repeated.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "stand_ins.h"
#include "text_compare.h"

namespace {

// The largest layout the plug-in builds: z, pressure, tangent pressure, tilt and twist (40-byte packets).
const char every_axis[] = "include default\ndevice.0.tangent = 0 1023 0 0\n";
constexpr int stroke_packets = 1000;
constexpr int pen_mode_queue = 8;    // the driver's queue when the plug-in leaves its size alone
constexpr int mouse_mode_queue = 32; // what the plug-in asks for in mouse mode

SimSample stroke_sample(int i) {
    SimSample s{};
    s.cursor = static_cast<uint32_t>(i % 3);
    s.buttons = static_cast<uint32_t>(i % 2);
    s.x = 40 * i;
    s.y = 28000 - 20 * i;
    s.z = i % 2047 - 1023;
    s.pressure = i % 1024;
    s.tangent = (i * 7) % 1024;
    s.azimuth = (i * 37) % 3600;
    s.altitude = 900 - i % 1800;
    s.twist = (i * 53) % 3600;
    return s;
}

class PacketCostTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window = host_main_window();
        ASSERT_NE(window, nullptr);
        runtime = load_host_runtime(host);
        ASSERT_NE(runtime, nullptr);
        driver = load_sim_driver("full", sim);
        ASSERT_NE(driver, nullptr);
        PluginInit_t plugin_init;
        plugin = load_plugin(plugin_init, import_functions, plugin_fin);
        ASSERT_NE(plugin, nullptr);
        ASSERT_TRUE(plugin_init && import_functions && plugin_fin);
        host.reset();
        sim.reset();
        plugin_init(runtime);
        import_functions();
    }
    void TearDown() override {
        if (plugin_fin)
            plugin_fin();
        pump_messages();
        if (host.reset)
            host.reset();
    }

    HWND window = nullptr;
    HMODULE runtime = nullptr;
    HMODULE driver = nullptr;
    HMODULE plugin = nullptr;
    ImportKumoFunction_t import_functions = nullptr;
    PluginFin_t plugin_fin = nullptr;
    HostControl host{};
    SimControl sim{};
};

TEST_F(PacketCostTest, OneHostValuePerPacketAllGivenBackInBothModes) {
    struct Case {
        const char* label;
        const char* option_utf8;
        int batch; // packets injected before they are delivered: never more than the queue holds
    };
    for (const Case c :
         {Case{"pen mode", nullptr, pen_mode_queue}, Case{"mouse mode", "MOUSEモード", mouse_mode_queue}}) {
        SCOPED_TRACE(c.label);
        host.reset();
        import_functions();
        ASSERT_EQ(sim.load_profile(every_axis), 1) << sim.last_error();
        run_command_utf8(host, "WT受信イベント設定", "OnPen");
        ASSERT_EQ(c.option_utf8 ? run_command_utf8(host, "WT初期化", c.option_utf8)
                                : run_command(host, "WT初期化"),
                  "OK");
        ASSERT_EQ(run_command(host, "WT有効"), "OK");
        LOGCONTEXTA opened{};
        ASSERT_EQ(sim.last_open(&opened), 1);
        ASSERT_EQ(opened.lcPktData, 0x1FE0u);
        ASSERT_EQ(sim.queue_size(), c.batch);

        const int evaluated_before = host.eval_count();
        const int created_before = host.values_created();
        const int freed_before = host.values_freed();
        for (int sent = 0; sent < stroke_packets;) {
            for (int i = 0; i < c.batch && sent < stroke_packets; ++i) {
                const SimSample s = stroke_sample(sent++);
                ASSERT_NE(sim.inject(&s), 0);
            }
            if (c.option_utf8)
                PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
            pump_messages();
        }
        EXPECT_EQ(sim.queue_length(), 0);

        ASSERT_EQ(host.eval_count() - evaluated_before, stroke_packets);
        EXPECT_EQ(host.values_created() - created_before, stroke_packets);
        EXPECT_EQ(host.values_freed() - freed_before, stroke_packets);
        EXPECT_EQ(host.bad_frees(), 0);
        // Each packet once, in order: the head of every call names its sample.
        for (int i = 0; i < stroke_packets; ++i) {
            const SimSample s = stroke_sample(i);
            const std::string head = "OnPen(" + std::to_string(s.cursor) + "," + std::to_string(s.buttons) +
                                     "," + std::to_string(s.x) + "," + std::to_string(s.y) + ",";
            const std::string text = host.eval_text(evaluated_before + i);
            ASSERT_EQ(text.compare(0, head.size(), head), 0) << "packet " << i << ": " << text;
        }
        EXPECT_EQ(run_command(host, "WT破棄"), "OK");
    }
}

} // namespace
