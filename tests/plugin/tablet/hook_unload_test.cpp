// The real plug-in, hooked by replacing the host window's procedure (comctl32 here lacks subclassing), then
// finalised and unloaded by the host: the window must go on working whether or not the hook could be undone.
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

constexpr UINT plain_message = WM_USER + 5;
std::vector<std::string> events;

bool watched(UINT message) {
    return message == WM_MOUSEMOVE || message == WT_PACKET || message == plain_message;
}

LRESULT CALLBACK host_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (!watched(message))
        return DefWindowProcA(window, message, wparam, lparam);
    events.push_back("host " + std::to_string(message));
    return 0x5000 + message;
}

WNDPROC party_next = nullptr;
LRESULT CALLBACK party_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (watched(message))
        events.push_back("party " + std::to_string(message));
    return CallWindowProcA(party_next, window, message, wparam, lparam);
}

WNDPROC window_proc_of(HWND window) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
}

HMODULE module_of(const void* address) {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       static_cast<LPCSTR>(address), &module);
    return module;
}

class HookUnloadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window = create_top_level_window("kumo_unload_test_window", host_window_proc);
        ASSERT_NE(window, nullptr);
        session.start(false);

        ASSERT_TRUE(SetDllDirectoryA(KUMO_BIN_DIR "/comctl32_stub"));
        PluginInit_t plugin_init;
        ImportKumoFunction_t import_commands;
        plugin = load_plugin(plugin_init, import_commands, plugin_fin);
        ASSERT_NE(plugin, nullptr);
        ASSERT_TRUE(plugin_init && import_commands && plugin_fin);
        ASSERT_EQ(plugin_init(session.runtime), 0) << "the comctl32 stand-in offers no subclassing";
        EXPECT_EQ(GetModuleHandleA("comctl32.dll"), nullptr) << "a comctl32 without the three is not kept";
        import_commands();

        ASSERT_TRUE(SetDllDirectoryA(driver_folder("full").c_str()));
        ASSERT_EQ(session.call("WT初期化"), "OK");
        ASSERT_EQ(module_of(reinterpret_cast<const void*>(window_proc_of(window))), plugin)
            << "the plug-in's own procedure is in front";
    }
    void TearDown() override {
        SetDllDirectoryA(nullptr);
        DestroyWindow(window);
    }
    // Every kind of message still reaches the host with the host's own result.
    void expect_messages_reach_the_host(const std::vector<std::string>& in_front) {
        for (UINT message : {plain_message, UINT{WM_MOUSEMOVE}, WT_PACKET}) {
            SCOPED_TRACE(message);
            events.clear();
            EXPECT_EQ(SendMessageA(window, message, 1, 2), static_cast<LRESULT>(0x5000 + message));
            std::vector<std::string> expected;
            for (const std::string& party : in_front)
                expected.push_back(party + " " + std::to_string(message));
            expected.push_back("host " + std::to_string(message));
            EXPECT_EQ(events, expected);
        }
    }

    HWND window = nullptr;
    CommandSession session;
    HMODULE plugin = nullptr;
    PluginFin_t plugin_fin = nullptr;
};

} // namespace

TEST_F(HookUnloadTest, PluginFinPutsBackTheHostProcedureAndTheModuleGoes) {
    plugin_fin();
    EXPECT_EQ(window_proc_of(window), host_window_proc);
    FreeLibrary(plugin);
    EXPECT_EQ(GetModuleHandleA("kumo_wintab.dll"), nullptr);
    expect_messages_reach_the_host({});
}

TEST_F(HookUnloadTest, AHookInAnotherPartysChainOutlivesTheUnload) {
    party_next = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(party_window_proc)));
    EXPECT_EQ(session.call("WT破棄"), "OK");
    plugin_fin();
    EXPECT_EQ(window_proc_of(window), party_window_proc);
    // The party still calls the plug-in's procedure; unloading the plug-in must not take it away.
    FreeLibrary(plugin);
    EXPECT_EQ(GetModuleHandleA("kumo_wintab.dll"), plugin);
    expect_messages_reach_the_host({"party"});
}
