// PluginFin from every state the plug-in can be in, then PluginInit and ImportKumoFunction again: everything
// held is released once (the driver module, its context, the hook, the heap blocks, every evaluated result),
// the host's window procedure is its own again, and the commands work as before. The plug-in's modules are
// linked in, so that its records can be read after the release; the host runtime, the driver and comctl32 are
// the real modules, loaded by the real loader. The same table runs twice: with comctl32's subclassing, and
// (program built with KUMO_COMCTL32_STUB) with the comctl32 stand-in, where the hook replaces the window
// procedure.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "events/window_hook.h"
#include "plugin/plugin_exports.h"
#include "stand_ins.h"
#include "tablet/open_context.h"
#include "tablet/tablet_state.h"
#include "text_compare.h"
#include "wintab/wintab_api.h"

namespace {

// The two programs' tests need names of their own: ctest keeps each test's environment by its name.
#ifdef KUMO_COMCTL32_STUB
constexpr int subclassing = 0;
#define HOOK_WAY HookByReplacement
#else
constexpr int subclassing = 1;
#define HOOK_WAY HookBySubclass
#endif

void* refusing_allocator(size_t) {
    return nullptr;
}

class LifecycleTest;

// One state to finalise from: how it is reached from a fresh PluginInit, and what holds when it is.
struct State {
    const char* name;
    void (*reach)(LifecycleTest&);
    bool context_open; // a driver context is open when PluginFin comes
    bool window_first; // the host window exists before the state is reached
};

void PrintTo(const State& state, std::ostream* out) {
    *out << state.name;
}

class LifecycleTest : public ::testing::TestWithParam<State> {
  public:
    void SetUp() override {
        runtime = load_host_runtime(host);
        ASSERT_NE(runtime, nullptr);
        host.reset();
        comctl32_before = GetModuleHandleA("comctl32.dll");
        if (GetParam().window_first)
            make_window();
        initialise();
    }
    void TearDown() override {
        PluginFin();
        packet_buffer_allocator = std::malloc;
        if (driver)
            FreeLibrary(driver);
        SetDllDirectoryA(nullptr);
    }

    void make_window() {
        window = host_main_window();
        ASSERT_NE(window, nullptr);
        host_window_proc = GetWindowLongPtrA(window, GWLP_WNDPROC);
    }
    // PluginInit and ImportKumoFunction as the host calls them, then the driver for the test's own control.
    void initialise() {
        if (!subclassing) {
            ASSERT_TRUE(SetDllDirectoryA(KUMO_BIN_DIR "/comctl32_stub"));
        }
        ASSERT_EQ(PluginInit(runtime), subclassing);
        ImportKumoFunction();
        driver = load_sim_driver("full", sim); // a fresh module: its state starts over
        ASSERT_NE(driver, nullptr);
        sim.reset();
        load_profile(plain_tablet);
    }

    void load_profile(const std::string& text) {
        ASSERT_EQ(sim.load_profile(text.c_str()), 1) << sim.last_error();
    }
    std::string command(const char* name_utf8, const char* argument_utf8 = nullptr) {
        return argument_utf8 ? run_command_utf8(host, name_utf8, argument_utf8)
                             : run_command(host, name_utf8);
    }
    // Injects samples with x = first ..; returns the call texts they must become.
    std::vector<std::string> inject(int first, int count) {
        std::vector<std::string> texts;
        for (int x = first; x < first + count; ++x) {
            SimSample s{};
            s.cursor = 1;
            s.x = x;
            EXPECT_NE(sim.inject(&s), 0) << x;
            texts.push_back("OnPen(1,0," + std::to_string(x) + R"(,0,"","","","","","","","",""))");
        }
        return texts;
    }
    std::vector<std::string> evaluated_since(int first) {
        std::vector<std::string> texts;
        for (int i = first; i < host.eval_count(); ++i)
            texts.push_back(cp932_to_utf8(host.eval_text(i)));
        return texts;
    }
    // Opens in the given mode, enables, and has two packets delivered; a third is left queued (and, in pen
    // mode, its message left posted) for PluginFin to meet.
    void open_and_deliver(const char* option_utf8 = nullptr) {
        command("WT受信イベント設定", "OnPen");
        ASSERT_EQ(command("WT初期化", option_utf8), "OK");
        ASSERT_EQ(command("WT有効"), "OK");
        const int first = host.eval_count();
        const std::vector<std::string> expected = inject(1, 2);
        if (option_utf8)
            SendMessageA(window, WM_MOUSEMOVE, 0, 0);
        else
            pump_messages();
        ASSERT_EQ(evaluated_since(first), expected);
        inject(3, 1);
    }
    void fail_reopening(const std::string& profile, const char* option_utf8, const char* answer) {
        open_and_deliver();
        load_profile(plain_tablet + profile);
        EXPECT_EQ(command("WT初期化", option_utf8), answer);
    }

    HMODULE runtime = nullptr;
    HMODULE driver = nullptr;
    HMODULE comctl32_before = nullptr;
    HWND window = nullptr;
    LONG_PTR host_window_proc = 0;
    HostControl host{};
    SimControl sim{};
};

const State states[] = {
    {"NothingLoaded", [](LifecycleTest&) {}, false, true},
    {"DriverLoaded", [](LifecycleTest& t) { EXPECT_NE(t.command("WT情報取得"), ""); }, false, true},
    {"OpenInPenMode", [](LifecycleTest& t) { t.open_and_deliver(); }, true, true},
    {"OpenInMouseMode", [](LifecycleTest& t) { t.open_and_deliver(mouse_word); }, true, true},
    {"DisabledAfterUse",
     [](LifecycleTest& t) {
         t.open_and_deliver();
         EXPECT_EQ(t.command("WT無効"), "OK");
     },
     true, true},
    {"Disposed",
     [](LifecycleTest& t) {
         t.open_and_deliver(mouse_word);
         EXPECT_EQ(t.command("WT破棄"), "OK");
     },
     false, true},
    // The failures of an opening, each after an opening that worked.
    {"NoTablet",
     [](LifecycleTest& t) { t.fail_reopening("context.digitizing = unanswered\n", nullptr, no_tablet); },
     false, true},
    {"RefusedOpen",
     [](LifecycleTest& t) { t.fail_reopening("driver.open = refuse\n", nullptr, open_failed); }, false, true},
    {"RefusedQueue",
     [](LifecycleTest& t) {
         t.fail_reopening("driver.queue_limit = 0\ndriver.queue_get = zero\n", mouse_word, no_queue);
     },
     false, true},
    {"FailedBuffer",
     [](LifecycleTest& t) {
         t.open_and_deliver();
         packet_buffer_allocator = refusing_allocator; // the buffer of one packet is too small for 32
         EXPECT_EQ(t.command("WT初期化", mouse_word), no_buffer);
         packet_buffer_allocator = std::malloc;
     },
     false, true},
    // No window of the process yet: nothing to hook.
    {"HookFailed",
     [](LifecycleTest& t) {
         t.command("WT受信イベント設定", "OnPen");
         EXPECT_EQ(t.command("WT初期化"), hook_failed);
     },
     false, false},
};

TEST_P(LifecycleTest, FinReleasesEverythingOnceAndInitWorksAgain) {
    GetParam().reach(*this);
    if (HasFatalFailure())
        return;
    sim.clear_log();
    PluginFin();

    // The driver heard one WTClose for an open context and nothing else; it holds no context.
    EXPECT_EQ(sim_log_lines(sim),
              GetParam().context_open ? std::vector<std::string>{"WTClose"} : std::vector<std::string>{});
    EXPECT_EQ(sim.context_open(), 0);
    // The plug-in holds nothing: no context, no heap block (and no capacity claimed for a buffer it has not),
    // no hook, no module. Only the main window is remembered.
    EXPECT_EQ(tablet_state.is_open, 0);
    EXPECT_EQ(tablet_state.context, nullptr);
    EXPECT_EQ(tablet_state.handler_name, nullptr);
    EXPECT_EQ(tablet_state.packet_buffer, nullptr);
    EXPECT_EQ(tablet_state.buffer_capacity, 0);
    EXPECT_EQ(window_hook.subclassed, 0);
    EXPECT_EQ(window_hook.saved_window_proc, nullptr);
    EXPECT_EQ(wintab_api.driver_module, nullptr);
    EXPECT_EQ(wintab_api.WTClose, nullptr);
    EXPECT_EQ(subclass_api.module, nullptr);
    if (window) {
        EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), host_window_proc);
    }
    pump_messages(); // a packet message still posted now goes to the host alone
    EXPECT_EQ(host.values_freed(), host.eval_count());
    EXPECT_EQ(host.bad_frees(), 0);
    // The plug-in's reference to the driver is gone: ours was the last.
    FreeLibrary(driver);
    driver = nullptr;
    EXPECT_EQ(GetModuleHandleA("wintab32.dll"), nullptr);
    if (!comctl32_before) {
        EXPECT_EQ(GetModuleHandleA("comctl32.dll"), nullptr);
    }

    // Again from the start: a new opening delivers packets.
    if (!window)
        make_window();
    initialise();
    if (HasFatalFailure())
        return;
    command("WT受信イベント設定", "OnPen");
    ASSERT_EQ(command("WT初期化"), "OK");
    ASSERT_EQ(command("WT有効"), "OK");
    const int first = host.eval_count();
    const std::vector<std::string> expected = inject(11, 3);
    pump_messages();
    EXPECT_EQ(evaluated_since(first), expected);
    EXPECT_EQ(tablet_state.buffer_capacity, 1);
    sim.clear_log();
    PluginFin();
    EXPECT_EQ(sim_log_lines(sim), std::vector<std::string>{"WTClose"});
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), host_window_proc);
    EXPECT_EQ(host.values_freed(), host.eval_count());
    EXPECT_EQ(host.bad_frees(), 0);
}

INSTANTIATE_TEST_SUITE_P(HOOK_WAY, LifecycleTest, ::testing::ValuesIn(states),
                         [](const ::testing::TestParamInfo<State>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
