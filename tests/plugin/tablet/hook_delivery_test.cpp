// The real plug-in on a subclassed host window with the simulated driver: a mouse move drains the queue into
// handler calls before the host sees the move, and packet messages never reach the host while open.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "command_session.h"
#include "host_sdk/entry_point.h"
#include "plugin_module.h"
#include "test_window.h"
#include "wintab/wintab_types.h"

namespace {

HostControl* host_control = nullptr;
std::vector<std::string> host_saw;

LRESULT CALLBACK host_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_MOUSEMOVE)
        host_saw.push_back("move after " + std::to_string(host_control->eval_count()) + " calls");
    if (message == WT_PACKET)
        host_saw.push_back("packet");
    return DefWindowProcA(window, message, wparam, lparam);
}

void pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

} // namespace

TEST(HookDelivery, MoveArrivesAfterThePolledPacketsAndPacketMessagesAreTaken) {
    HWND window = create_top_level_window("kumo_delivery_test_window", host_window_proc);
    ASSERT_NE(window, nullptr);
    CommandSession session;
    session.start(false);
    host_control = &session.host;

    PluginInit_t plugin_init;
    ImportKumoFunction_t import_commands;
    PluginFin_t plugin_fin;
    HMODULE plugin = load_plugin(plugin_init, import_commands, plugin_fin);
    ASSERT_NE(plugin, nullptr);
    ASSERT_TRUE(plugin_init && import_commands && plugin_fin);
    ASSERT_EQ(plugin_init(session.runtime), 1) << "comctl32 subclassing";
    import_commands();
    ASSERT_TRUE(SetDllDirectoryA(driver_folder("full").c_str()));

    const char* name[] = {"onPen"};
    EXPECT_EQ(session.call_bytes("WT受信イベント設定", name, 1), "");
    ASSERT_EQ(session.call("WT初期化"), "OK");
    ASSERT_EQ(session.call("WT有効"), "OK");
    auto inject = lookup_entry_point<sim_inject_t>(GetModuleHandleA("wintab32.dll"), "sim_inject");
    ASSERT_NE(inject, nullptr);
    SimSample sample{1, 0, 100, 200, 0, 0, 0, 0, 0, 0};
    ASSERT_NE(inject(&sample), 0);

    // The packet is queued and its message posted; the move comes first and drains the queue.
    SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(host_saw, std::vector<std::string>{"move after 1 calls"});
    ASSERT_EQ(session.host.eval_count(), 1);
    EXPECT_EQ(std::string(session.host.eval_text(0)).rfind("onPen(", 0), 0u) << session.host.eval_text(0);
    pump(); // the posted packet message: taken by the hook, though its packet is gone
    EXPECT_EQ(host_saw, std::vector<std::string>{"move after 1 calls"});

    // Closed: packet messages and moves go to the host as they are, and nothing is polled.
    EXPECT_EQ(session.call("WT破棄"), "OK");
    PostMessageA(window, WT_PACKET, 1, 0);
    pump();
    SendMessageA(window, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(host_saw, (std::vector<std::string>{"move after 1 calls", "packet", "move after 1 calls"}));

    plugin_fin();
    EXPECT_EQ(session.host.bad_frees(), 0);
    FreeLibrary(plugin);
    DestroyWindow(window);
}
