// The hook on the host's main window: both ways of installing it, the filter, and taking it away again.
// The two packet roads are stood in for here, so that what reaches them and in which order can be seen.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "events/packet_dispatch.h"
#include "events/window_hook.h"
#include "tablet/tablet_state.h"
#include "wintab/wintab_types.h"

namespace {

std::vector<std::string> events;
void (*poll_action)() = nullptr;

std::string describe(const char* who, UINT message, WPARAM wparam, LPARAM lparam) {
    return std::string(who) + " " + std::to_string(message) + " " + std::to_string(wparam) + " " +
           std::to_string(lparam);
}

constexpr UINT plain_message = WM_USER + 5;
LRESULT host_result_for(UINT message) {
    return static_cast<LRESULT>(0x5000 + (message & 0xFFF));
}

bool watched(UINT message) {
    return message == WM_MOUSEMOVE || message == WT_PACKET || message == plain_message;
}

LRESULT CALLBACK host_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (!watched(message))
        return DefWindowProcA(window, message, wparam, lparam);
    events.push_back(describe("host", message, wparam, lparam));
    return host_result_for(message);
}

// Another party that replaced the procedure after the plug-in and calls the one it found.
WNDPROC party_next = nullptr;
LRESULT CALLBACK party_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (watched(message))
        events.push_back(describe("party", message, wparam, lparam));
    return CallWindowProcA(party_next, window, message, wparam, lparam);
}

WNDPROC window_proc_of(HWND window) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
}

HWND make_window() {
    static ATOM window_class = [] {
        WNDCLASSA description{};
        description.lpfnWndProc = host_window_proc;
        description.hInstance = GetModuleHandleA(nullptr);
        description.lpszClassName = "kumo_hook_test_window";
        return RegisterClassA(&description);
    }();
    EXPECT_NE(window_class, 0);
    return CreateWindowExA(0, "kumo_hook_test_window", "host", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

class WindowHookTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window_hook = WindowHook{};
        tablet_state = TabletState{};
        events.clear();
        poll_action = nullptr;
        window = make_window();
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        tablet_state.is_open = 0;
        remove_hook();
        unload_subclass_api();
        DestroyWindow(window);
    }
    // Sends one message and gives what came back.
    LRESULT send(UINT message) {
        events.clear();
        return SendMessageA(window, message, 0x11, 0x22);
    }
    HWND window = nullptr;
};

} // namespace

// The packet roads, as the filter calls them.
int on_packet_message(WPARAM wparam, LPARAM lparam) {
    events.push_back(describe("packet", WT_PACKET, wparam, lparam));
    return 1;
}
int on_mouse_move() {
    events.push_back("poll");
    if (poll_action)
        poll_action();
    return 1;
}

TEST_F(WindowHookTest, FindsTheWindowOfThisProcess) {
    install_hook();
    EXPECT_EQ(window_hook.main_window, window);
}

TEST_F(WindowHookTest, SubclassingIsInstalledOnceAndRemoved) {
    ASSERT_EQ(load_subclass_api(), 1);
    install_hook();
    EXPECT_EQ(window_hook.subclassed, 1);
    EXPECT_EQ(window_hook.saved_window_proc, nullptr);
    install_hook();
    EXPECT_EQ(window_hook.subclassed, 1);

    // One registration: one poll per mouse move, and a packet taken once.
    tablet_state.is_open = 1;
    send(WM_MOUSEMOVE);
    EXPECT_EQ(events, (std::vector<std::string>{"poll", describe("host", WM_MOUSEMOVE, 0x11, 0x22)}));
    send(WT_PACKET);
    EXPECT_EQ(events, (std::vector<std::string>{describe("packet", WT_PACKET, 0x11, 0x22)}));

    remove_hook();
    EXPECT_EQ(window_hook.subclassed, 0);
    EXPECT_EQ(window_hook.main_window, window);
    send(WT_PACKET);
    EXPECT_EQ(events, (std::vector<std::string>{describe("host", WT_PACKET, 0x11, 0x22)}));
    EXPECT_EQ(window_proc_of(window), host_window_proc);
}

TEST_F(WindowHookTest, ReplacementIsInstalledOnceAndRemoved) {
    // Without comctl32's subclassing the procedure itself is replaced.
    install_hook();
    EXPECT_EQ(window_hook.subclassed, 0);
    EXPECT_EQ(window_hook.saved_window_proc, host_window_proc);
    EXPECT_EQ(window_proc_of(window), hook_window_proc);
    install_hook();
    EXPECT_EQ(window_hook.saved_window_proc, host_window_proc);
    EXPECT_EQ(window_proc_of(window), hook_window_proc);

    tablet_state.is_open = 1;
    send(WM_MOUSEMOVE);
    EXPECT_EQ(events, (std::vector<std::string>{"poll", describe("host", WM_MOUSEMOVE, 0x11, 0x22)}));

    remove_hook();
    EXPECT_EQ(window_hook.saved_window_proc, nullptr);
    EXPECT_EQ(window_proc_of(window), host_window_proc);
    EXPECT_EQ(window_hook.main_window, window);
}

TEST_F(WindowHookTest, FilterTakesPacketsOnlyWhileOpenAndPassesEverythingElse) {
    struct Case {
        int is_open;
        UINT message;
        std::vector<std::string> expected_events;
        LRESULT expected_result;
    };
    const Case cases[] = {
        {0, WM_MOUSEMOVE, {describe("host", WM_MOUSEMOVE, 0x11, 0x22)}, host_result_for(WM_MOUSEMOVE)},
        {0, WT_PACKET, {describe("host", WT_PACKET, 0x11, 0x22)}, host_result_for(WT_PACKET)},
        {0, plain_message, {describe("host", plain_message, 0x11, 0x22)}, host_result_for(plain_message)},
        {1,
         WM_MOUSEMOVE,
         {"poll", describe("host", WM_MOUSEMOVE, 0x11, 0x22)},
         host_result_for(WM_MOUSEMOVE)},
        {1, WT_PACKET, {describe("packet", WT_PACKET, 0x11, 0x22)}, 0},
        {1, plain_message, {describe("host", plain_message, 0x11, 0x22)}, host_result_for(plain_message)},
    };
    for (int subclassing : {1, 0}) {
        if (subclassing) {
            ASSERT_EQ(load_subclass_api(), 1);
        }
        install_hook();
        ASSERT_EQ(window_hook.subclassed, subclassing);
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "subclassing " << subclassing << ", open " << c.is_open
                                            << ", message 0x" << std::hex << c.message);
            tablet_state.is_open = c.is_open;
            EXPECT_EQ(send(c.message), c.expected_result);
            EXPECT_EQ(events, c.expected_events);
        }
        tablet_state.is_open = 0;
        remove_hook();
        unload_subclass_api();
    }
}

TEST_F(WindowHookTest, BothWaysAtOnceFilterTwiceAndAreBothUndone) {
    install_hook(); // no comctl32 yet: replaced
    ASSERT_EQ(load_subclass_api(), 1);
    install_hook(); // now subclassed as well
    EXPECT_EQ(window_hook.subclassed, 1);
    EXPECT_EQ(window_hook.saved_window_proc, host_window_proc);

    tablet_state.is_open = 1;
    send(WT_PACKET);
    EXPECT_EQ(events, (std::vector<std::string>{describe("packet", WT_PACKET, 0x11, 0x22)}));
    send(WM_MOUSEMOVE);
    EXPECT_EQ(events, (std::vector<std::string>{"poll", "poll", describe("host", WM_MOUSEMOVE, 0x11, 0x22)}));

    remove_hook();
    EXPECT_EQ(window_hook.subclassed, 0);
    EXPECT_EQ(window_hook.saved_window_proc, nullptr);
    send(WT_PACKET);
    EXPECT_EQ(events, (std::vector<std::string>{describe("host", WT_PACKET, 0x11, 0x22)}));
}

TEST_F(WindowHookTest, MouseMoveReachesTheHostWhenTheHandlerRemovesTheHook) {
    // A script handler run by the poll may close everything ("WT破棄"); the move it came with still goes on.
    for (int subclassing : {0, 1}) {
        SCOPED_TRACE(subclassing ? "subclassed" : "replaced");
        if (subclassing) {
            ASSERT_EQ(load_subclass_api(), 1);
        }
        install_hook();
        tablet_state.is_open = 1;
        poll_action = [] {
            tablet_state.is_open = 0;
            remove_hook();
        };
        EXPECT_EQ(send(WM_MOUSEMOVE), host_result_for(WM_MOUSEMOVE));
        EXPECT_EQ(events, (std::vector<std::string>{"poll", describe("host", WM_MOUSEMOVE, 0x11, 0x22)}));
        EXPECT_EQ(window_proc_of(window), host_window_proc);
        poll_action = nullptr;
        unload_subclass_api();
    }
}

TEST_F(WindowHookTest, AnotherPartyReplacingAfterUsKeepsTheChainWhole) {
    install_hook();
    ASSERT_EQ(window_proc_of(window), hook_window_proc);
    party_next = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(party_window_proc)));

    remove_hook();
    // Nothing can be restored: the party's procedure stays, and ours stays in its chain.
    EXPECT_EQ(window_proc_of(window), party_window_proc);
    EXPECT_EQ(window_hook.saved_window_proc, host_window_proc);
    EXPECT_EQ(send(plain_message), host_result_for(plain_message));
    EXPECT_EQ(events, (std::vector<std::string>{describe("party", plain_message, 0x11, 0x22),
                                                describe("host", plain_message, 0x11, 0x22)}));

    // Hooking again does not put ours in front a second time; with comctl32 it still subclasses.
    install_hook();
    EXPECT_EQ(window_proc_of(window), party_window_proc);
    EXPECT_EQ(window_hook.saved_window_proc, host_window_proc);
    ASSERT_EQ(load_subclass_api(), 1);
    install_hook();
    EXPECT_EQ(window_hook.subclassed, 1);
    tablet_state.is_open = 1;
    send(WM_MOUSEMOVE); // subclass first, then the party, then ours, then the host
    EXPECT_EQ(events, (std::vector<std::string>{"poll", describe("party", WM_MOUSEMOVE, 0x11, 0x22), "poll",
                                                describe("host", WM_MOUSEMOVE, 0x11, 0x22)}));
    tablet_state.is_open = 0;
    remove_hook();
    EXPECT_EQ(window_hook.subclassed, 0);
    EXPECT_EQ(window_proc_of(window), party_window_proc);
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(party_next));
}

TEST_F(WindowHookTest, AKnownWindowIsNotSearchedForAgain) {
    // Whatever window is known is the one hooked, also when it is not the one enumeration would find.
    HWND second = make_window();
    ASSERT_NE(second, nullptr);
    window_hook.main_window = second;
    install_hook();
    EXPECT_EQ(window_proc_of(second), hook_window_proc);
    EXPECT_EQ(window_proc_of(window), host_window_proc);
    remove_hook();
    EXPECT_EQ(window_hook.main_window, second);
    EXPECT_EQ(window_proc_of(second), host_window_proc);
    DestroyWindow(second);
}

TEST_F(WindowHookTest, RemovingBeforeAnyWindowWasFoundDoesNothing) {
    window_hook.saved_window_proc = host_window_proc; // would be "restored" onto a null window otherwise
    remove_hook();
    EXPECT_EQ(window_hook.main_window, nullptr);
    EXPECT_EQ(window_hook.saved_window_proc, host_window_proc);
    window_hook.saved_window_proc = nullptr;
}
