// "WT初期化" in a process that has no top-level window: nothing can be hooked, so nothing is opened.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "events/window_hook.h"
#include "plugin/plugin_exports.h"
#include "stand_ins.h"
#include "tablet/tablet_state.h"

namespace {

TEST(OpeningWithoutWindow, FailsAtTheHookAndOpensNothing) {
    HostControl host{};
    SimControl sim{};
    HMODULE runtime = load_host_runtime(host);
    ASSERT_NE(runtime, nullptr);
    ASSERT_NE(load_sim_driver("full", sim), nullptr);
    host.reset();
    sim.reset();
    PluginInit(runtime);
    ImportKumoFunction();

    for (const char* option : {static_cast<const char*>(nullptr), "マウスモード"}) {
        SCOPED_TRACE(option ? option : "pen mode");
        sim.clear_log();
        const std::string answer =
            option ? run_command_utf8(host, "WT初期化", option) : run_command(host, "WT初期化");
        EXPECT_EQ(answer, "タブレットのためのメッセージのフックに失敗しました");
        EXPECT_EQ(lines_starting(sim_log_lines(sim), "WTOpenA"), std::vector<std::string>{});
        EXPECT_EQ(sim.context_open(), 0);
        EXPECT_EQ(tablet_state.is_open, 0);
        EXPECT_EQ(tablet_state.packet_buffer, nullptr);
        EXPECT_EQ(window_hook.main_window, nullptr);
        EXPECT_EQ(window_hook.subclassed, 0);
        EXPECT_EQ(window_hook.saved_window_proc, nullptr);
    }
    EXPECT_EQ(run_command(host, "WT有効"), "タブレットは初期化されていません");
    PluginFin();
}

} // namespace
