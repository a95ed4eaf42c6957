// "WT破棄", "WT有効", "WT無効" and "WT受信イベント設定" in every state of the context, against the simulated
// driver. The opening is stood in for by opening the default context directly, as the opening leaves it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "command_session.h"
#include "events/window_hook.h"
#include "tablet/tablet_state.h"
#include "test_window.h"
#include "wintab/wintab_api.h"

namespace {

LRESULT CALLBACK host_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcA(window, message, wparam, lparam);
}

HWND make_main_window() {
    return create_top_level_window("kumo_commands_test_window", host_window_proc);
}

int count_lines(const char* log, const char* prefix) {
    int count = 0;
    size_t prefix_length = std::strlen(prefix);
    for (const char* line = log; *line;) {
        if (std::strncmp(line, prefix, prefix_length) == 0)
            ++count;
        const char* end = std::strchr(line, '\n');
        if (!end)
            break;
        line = end + 1;
    }
    return count;
}

bool failing_allocations = false;
void* test_allocator(size_t size) {
    return failing_allocations ? nullptr : std::malloc(size);
}

class TabletCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window = make_main_window();
        ASSERT_NE(window, nullptr);
        session.start();
    }
    void TearDown() override {
        close_context();
        remove_hook();
        std::free(tablet_state.handler_name);
        tablet_state = TabletState{};
        window_hook = WindowHook{};
        unload_wintab();
        SetDllDirectoryA(nullptr);
        DestroyWindow(window);
        handler_name_allocator = std::malloc;
    }
    // The state a successful opening leaves: a context (disabled) for the main window, hooked.
    void open_like_the_opening() {
        ASSERT_TRUE(SetDllDirectoryA(driver_folder("full").c_str()));
        HostValue scratch = host_api.kumo_var_new(nullptr);
        ASSERT_EQ(require_wintab(scratch, WintabEntry::none), 1);
        ASSERT_TRUE(driver.bind());
        LOGCONTEXTA description{};
        ASSERT_NE(wintab_api.WTInfoA(WTI_DEFCONTEXT, 0, &description), 0u);
        install_hook();
        ASSERT_EQ(window_hook.main_window, window);
        tablet_state.context = wintab_api.WTOpenA(window, &description, FALSE);
        ASSERT_NE(tablet_state.context, nullptr);
        tablet_state.is_open = 1;
        driver.clear_log();
    }
    std::string set_event(const char* cp932_name) {
        const char* arguments[] = {cp932_name};
        return session.call_bytes("WT受信イベント設定", arguments, 1);
    }
    std::string handler_name() { return tablet_state.handler_name ? tablet_state.handler_name : "<none>"; }

    HWND window = nullptr;
    CommandSession session;
    DriverControl driver;
};

} // namespace

TEST_F(TabletCommandsTest, EnableAndDisableNeedAnOpenContext) {
    ASSERT_TRUE(SetDllDirectoryA(driver_folder("full").c_str()));
    EXPECT_EQ(session.call("WT有効"), not_open_answer);
    EXPECT_EQ(session.call("WT無効"), not_open_answer);
    ASSERT_TRUE(driver.bind());
    EXPECT_EQ(count_lines(driver.log(), "WTEnable"), 0) << driver.log();
}

TEST_F(TabletCommandsTest, EnableAndDisableSwitchTheOpenContext) {
    open_like_the_opening();
    HCTX context = tablet_state.context;
    EXPECT_EQ(session.call("WT有効"), "OK");
    EXPECT_EQ(driver.context_enabled(), 1);
    EXPECT_EQ(session.call("WT無効"), "OK");
    EXPECT_EQ(driver.context_enabled(), 0);
    EXPECT_STREQ(driver.log(), "WTEnable 1\nWTEnable 0\n");
    EXPECT_EQ(tablet_state.context, context);
    EXPECT_EQ(tablet_state.is_open, 1);
}

TEST_F(TabletCommandsTest, DisposeClosesUnhooksAndKeepsTheRest) {
    open_like_the_opening();
    ASSERT_EQ(set_event("onPen"), "");
    tablet_state.packet_buffer = static_cast<unsigned char*>(std::malloc(16));
    tablet_state.buffer_capacity = 1;
    unsigned char* buffer = tablet_state.packet_buffer;
    ASSERT_NE(window_hook.saved_window_proc, nullptr);

    EXPECT_EQ(session.call("WT破棄"), "OK");
    EXPECT_EQ(driver.context_open(), 0);
    EXPECT_EQ(count_lines(driver.log(), "WTClose"), 1) << driver.log();
    EXPECT_EQ(tablet_state.is_open, 0);
    EXPECT_EQ(tablet_state.context, nullptr);
    EXPECT_EQ(window_hook.saved_window_proc, nullptr);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)), host_window_proc);
    EXPECT_EQ(window_hook.main_window, window);
    EXPECT_EQ(handler_name(), "onPen");
    EXPECT_EQ(tablet_state.packet_buffer, buffer);

    // Again: nothing left to close, still "OK"; and nothing to enable.
    EXPECT_EQ(session.call("WT破棄"), "OK");
    EXPECT_EQ(count_lines(driver.log(), "WTClose"), 1) << driver.log();
    EXPECT_EQ(session.call("WT有効"), not_open_answer);
    std::free(tablet_state.packet_buffer);
    tablet_state.packet_buffer = nullptr;
}

TEST_F(TabletCommandsTest, DisposeRemovesAHookLeftWithoutAContext) {
    ASSERT_TRUE(SetDllDirectoryA(driver_folder("full").c_str()));
    install_hook();
    ASSERT_NE(window_hook.saved_window_proc, nullptr);
    EXPECT_EQ(session.call("WT破棄"), "OK");
    EXPECT_EQ(window_hook.saved_window_proc, nullptr);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)), host_window_proc);
}

TEST_F(TabletCommandsTest, SetEventStoresAnyNameWholeAndAnswersEmptyWithoutADriver) {
    ASSERT_TRUE(SetDllDirectoryA(no_driver_folder));
    const std::string long_name(40000, 'a'); // longer than any call text; kept whole all the same
    const std::string trail_byte_name = utf8_to_cp932("能力"); // 0x94 0x5C: a trail byte that looks like '\'
    struct Case {
        const char* label;
        const char* argument; // null: the argument is absent
        std::string stored;
    };
    const Case cases[] = {
        {"plain", "onPen", "onPen"},
        {"same again", "onPen", "onPen"},
        {"absent", nullptr, "<none>"},
        {"empty", "", "<none>"},
        {"code page 932", trail_byte_name.c_str(), trail_byte_name},
        {"long", long_name.c_str(), long_name},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_EQ(set_event("before"), "");
        EXPECT_EQ(set_event(c.argument), "");
        EXPECT_EQ(handler_name(), c.stored);
    }
    const char* const no_arguments[] = {nullptr};
    EXPECT_EQ(session.call_bytes("WT受信イベント設定", no_arguments, 0), "");
    EXPECT_EQ(handler_name(), "<none>");
    EXPECT_EQ(GetModuleHandleA("wintab32.dll"), nullptr);
    EXPECT_EQ(session.host.bad_frees(), 0);
}

TEST_F(TabletCommandsTest, ANameThatCannotBeCopiedLeavesNoName) {
    handler_name_allocator = test_allocator;
    ASSERT_EQ(set_event("old"), "");
    failing_allocations = true;
    EXPECT_EQ(set_event("new"), "");
    EXPECT_EQ(tablet_state.handler_name, nullptr);
    failing_allocations = false;
    EXPECT_EQ(set_event("new"), "");
    EXPECT_EQ(handler_name(), "new");
}
