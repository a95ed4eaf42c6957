// "WT初期化" against the simulated driver and the host runtime stand-in, on a real top-level window. The
// plug-in's modules are linked in, so that the state an opening leaves can be read directly.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <sstream>
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

const char ok[] = "OK";
const char missing_entry_point[] = "該当する関数がWintab.dllに見つからないための、機能を利用できません";

const char open_command[] = "WT初期化";

// The built-in tablet, with default contexts whose every field differs from what an opening writes, so that a
// field left alone and a field written can be told apart.
const char distinct_contexts[] = R"(include default
context.digitizing.lcName = Default digitizing context, long
context.digitizing.lcOptions = 0x0002
context.digitizing.lcStatus = 0x0001
context.digitizing.lcLocks = 0x0003
context.digitizing.lcDevice = 0
context.digitizing.lcPktRate = 75
context.digitizing.lcPktData = 0x0007
context.digitizing.lcPktMode = 0x0180
context.digitizing.lcMoveMask = 0x0003
context.digitizing.lcBtnDnMask = 0x0005
context.digitizing.lcBtnUpMask = 0x0002
context.digitizing.lcInOrgX = 11
context.digitizing.lcInOrgY = 12
context.digitizing.lcInOrgZ = 13
context.digitizing.lcInExtX = 40000
context.digitizing.lcInExtY = 30000
context.digitizing.lcInExtZ = 1024
context.digitizing.lcOutOrgX = 21
context.digitizing.lcOutOrgY = 22
context.digitizing.lcOutOrgZ = 23
context.digitizing.lcOutExtX = 2400
context.digitizing.lcOutExtY = -1800
context.digitizing.lcOutExtZ = 512
context.digitizing.lcSensX = 0x00020000
context.digitizing.lcSensY = 0x00030000
context.digitizing.lcSensZ = 0x00040000
context.digitizing.lcSysMode = 1
context.digitizing.lcSysOrgX = 31
context.digitizing.lcSysOrgY = 32
context.digitizing.lcSysExtX = 1600
context.digitizing.lcSysExtY = 900
context.digitizing.lcSysSensX = 0x00050000
context.digitizing.lcSysSensY = 0x00060000
context.system.lcOptions = 0x0003
context.system.lcPktMode = 0x0100
context.system.lcBtnDnMask = 0x0009
context.system.lcBtnUpMask = 0x0001
context.system.lcInExtX = 44800
context.system.lcInExtY = 28000
context.system.lcOutOrgX = 5
context.system.lcOutOrgY = 6
context.system.lcOutExtX = 1280
context.system.lcOutExtY = 1024
)";

// The built-in tablet's layout: Z, pressure and orientation (tilt and twist), no tangent pressure.
constexpr WTPKT built_in_mask = 0x17E0;
constexpr int built_in_packet_size = 36;

std::vector<size_t> allocations;
bool refuse_allocations;

void* recording_allocator(size_t bytes) {
    allocations.push_back(bytes);
    return refuse_allocations ? nullptr : std::malloc(bytes);
}

#define CONTEXT_FIELDS(X)                                                                                    \
    X(lcOptions)                                                                                             \
    X(lcStatus)                                                                                              \
    X(lcLocks) X(lcMsgBase) X(lcDevice) X(lcPktRate) X(lcPktData) X(lcPktMode) X(lcMoveMask) X(lcBtnDnMask)  \
        X(lcBtnUpMask) X(lcInOrgX) X(lcInOrgY) X(lcInOrgZ) X(lcInExtX) X(lcInExtY) X(lcInExtZ) X(lcOutOrgX)  \
            X(lcOutOrgY) X(lcOutOrgZ) X(lcOutExtX) X(lcOutExtY) X(lcOutExtZ) X(lcSensX) X(lcSensY)           \
                X(lcSensZ) X(lcSysMode) X(lcSysOrgX) X(lcSysOrgY) X(lcSysExtX) X(lcSysExtY) X(lcSysSensX)    \
                    X(lcSysSensY)

// Every field in which the two records differ, readably; empty when they are the same bytes.
std::string context_differences(const LOGCONTEXTA& expected, const LOGCONTEXTA& actual) {
    std::ostringstream out;
    if (std::memcmp(expected.lcName, actual.lcName, sizeof expected.lcName) != 0)
        out << "lcName: expected \"" << std::string(expected.lcName, sizeof expected.lcName) << "\" got \""
            << std::string(actual.lcName, sizeof actual.lcName) << "\"\n";
#define COMPARE_FIELD(field)                                                                                 \
    if (expected.field != actual.field)                                                                      \
        out << #field ": expected " << static_cast<long long>(expected.field) << " got "                     \
            << static_cast<long long>(actual.field) << "\n";
    CONTEXT_FIELDS(COMPARE_FIELD)
#undef COMPARE_FIELD
    if (out.str().empty() && std::memcmp(&expected, &actual, sizeof expected) != 0)
        out << "records differ in bytes no field covers\n";
    return out.str();
}

void set_our_name(LOGCONTEXTA& record) {
    std::memset(record.lcName, 0, sizeof record.lcName);
    std::strcpy(record.lcName, "WinTab plugin for kumogiri");
}

class OpeningTest : public ::testing::Test {
  protected:
    virtual const char* driver_variant() const { return "full"; }

    void SetUp() override {
        ASSERT_NE(host_main_window(), nullptr);
        runtime = load_host_runtime(host);
        ASSERT_NE(runtime, nullptr) << "bin/kumo_runtime.dll with its control functions";
        driver = load_sim_driver(driver_variant(), sim);
        ASSERT_NE(driver, nullptr) << "bin/drivers/" << driver_variant() << "/wintab32.dll";
        host.reset();
        sim.reset();
        PluginInit(runtime);
        ImportKumoFunction();
        allocations.clear();
        refuse_allocations = false;
        packet_buffer_allocator = recording_allocator;
    }

    void TearDown() override {
        PluginFin();
        packet_buffer_allocator = std::malloc;
        if (driver != nullptr)
            FreeLibrary(driver); // the next test may load another variant
        if (host.reset)
            host.reset();
    }

    void load_profile(const char* text) { ASSERT_EQ(sim.load_profile(text), 1) << sim.last_error(); }

    std::string open(const char* option_utf8 = nullptr) {
        return option_utf8 ? run_command_utf8(host, open_command, option_utf8)
                           : run_command(host, open_command);
    }

    LOGCONTEXTA driver_default_context(UINT category) {
        auto info = reinterpret_cast<WTInfoA_t>(reinterpret_cast<void*>(GetProcAddress(driver, "WTInfoA")));
        LOGCONTEXTA record;
        std::memset(&record, 0, sizeof record);
        EXPECT_GT(info(category, 0, &record), 0u);
        return record;
    }

    LOGCONTEXTA last_open() {
        LOGCONTEXTA record;
        std::memset(&record, 0, sizeof record);
        EXPECT_EQ(sim.last_open(&record), 1);
        return record;
    }

    static bool hooked() { return window_hook.subclassed || window_hook.saved_window_proc != nullptr; }

    HMODULE runtime = nullptr;
    HMODULE driver = nullptr;
    HostControl host{};
    SimControl sim{};
};

TEST_F(OpeningTest, PenModeChangesOnlyTheNamedFieldsOfTheDigitizingContext) {
    load_profile(distinct_contexts);
    LOGCONTEXTA expected = driver_default_context(WTI_DEFCONTEXT);
    sim.clear_log();

    EXPECT_EQ(open(), ok);

    set_our_name(expected);
    expected.lcOptions |= CXO_MESSAGES;
    expected.lcPktData = built_in_mask;
    expected.lcPktMode = 0;
    expected.lcMoveMask = built_in_mask;
    expected.lcBtnUpMask = expected.lcBtnDnMask;
    expected.lcOutOrgX = 0;
    expected.lcOutOrgY = 0;
    expected.lcOutExtX = expected.lcInExtX;
    expected.lcOutExtY = expected.lcInExtY;
    EXPECT_EQ(context_differences(expected, last_open()), "");

    // The default context, the four axis questions to the first device, then one disabled opening.
    const std::vector<std::string> calls = {"WTInfoA 3 0",    "WTInfoA 100 14", "WTInfoA 100 15",
                                            "WTInfoA 100 16", "WTInfoA 100 17", "WTOpenA enable=0"};
    EXPECT_EQ(sim_log_lines(sim), calls);
    EXPECT_EQ(sim.context_open(), 1);
    EXPECT_EQ(sim.context_enabled(), 0);

    EXPECT_EQ(tablet_state.is_open, 1);
    EXPECT_EQ(tablet_state.mouse_mode, 0);
    EXPECT_NE(tablet_state.context, nullptr);
    EXPECT_EQ(tablet_state.layout.packet_mask, built_in_mask);
    EXPECT_EQ(tablet_state.layout.packet_size, built_in_packet_size);
    EXPECT_EQ(tablet_state.buffer_capacity, 1);
    EXPECT_EQ(allocations, std::vector<size_t>{built_in_packet_size});
    EXPECT_TRUE(hooked());
    EXPECT_EQ(window_hook.main_window, host_main_window());
}

TEST_F(OpeningTest, MouseModeMapsTheSystemContextToTheScreenAndNegotiatesTheQueue) {
    load_profile(distinct_contexts);
    LOGCONTEXTA expected = driver_default_context(WTI_DEFSYSCTX);
    sim.clear_log();

    EXPECT_EQ(open(mouse_word), ok);

    set_our_name(expected); // lcOptions unchanged: no packet messages in mouse mode
    expected.lcPktData = built_in_mask;
    expected.lcPktMode = 0;
    expected.lcMoveMask = built_in_mask;
    expected.lcBtnUpMask = expected.lcBtnDnMask;
    expected.lcOutOrgX = 0;
    expected.lcOutOrgY = 0;
    expected.lcOutExtX = GetSystemMetrics(SM_CXSCREEN);
    expected.lcOutExtY = -GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(context_differences(expected, last_open()), "");

    const std::vector<std::string> calls = {"WTInfoA 4 0",       "WTInfoA 100 14", "WTInfoA 100 15",
                                            "WTInfoA 100 16",    "WTInfoA 100 17", "WTOpenA enable=0",
                                            "WTQueueSizeSet 32", "WTQueueSizeGet"};
    EXPECT_EQ(sim_log_lines(sim), calls);
    EXPECT_EQ(sim.queue_size(), 32);
    EXPECT_EQ(tablet_state.is_open, 1);
    EXPECT_EQ(tablet_state.mouse_mode, 1);
    EXPECT_EQ(tablet_state.buffer_capacity, 32);
    EXPECT_EQ(allocations, std::vector<size_t>{32 * built_in_packet_size});
}

TEST_F(OpeningTest, OnlyTheExactModeWordsChooseMouseMode) {
    struct Case {
        const char* option; // UTF-8; null: no argument
        int mouse_mode;
    };
    const Case cases[] = {
        {nullptr, 0},          {"", 0},
        {"マウスモード", 1},   {"MOUSEモード", 1},
        {"mouseモード", 0},    {"MOUSEモード ", 0},
        {"マウスモード ", 0},  {" マウスモード", 0},
        {"マウスモードで", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option ? c.option : "(no argument)");
        sim.clear_log();
        EXPECT_EQ(open(c.option), ok);
        EXPECT_EQ(tablet_state.mouse_mode, c.mouse_mode);
        const std::vector<std::string> lines = sim_log_lines(sim);
        ASSERT_FALSE(lines.empty());
        // A reopening closes first; then the default context of the chosen mode.
        EXPECT_EQ(lines_starting(lines, "WTInfoA 3 0").size(), c.mouse_mode ? 0u : 1u);
        EXPECT_EQ(lines_starting(lines, "WTInfoA 4 0").size(), c.mouse_mode ? 1u : 0u);
        EXPECT_EQ(lines_starting(lines, "WTQueueSizeSet").size(), c.mouse_mode ? 1u : 0u);
        EXPECT_EQ((last_open().lcOptions & CXO_MESSAGES) != 0, c.mouse_mode == 0);
    }
}

TEST_F(OpeningTest, LayoutFollowsTheFirstDevicesAxes) {
    struct Case {
        const char* name;
        const char* axes; // profile lines for device 0 beyond X and Y
        WTPKT mask;
        int size;
    };
    const Case cases[] = {
        {"x and y only", "", 0x01E0, 16},
        {"z symmetric", "device.0.z = -1023 1023 0 1\n", 0x03E0, 20},
        {"z from 0", "device.0.z = 0 1023 0 1\n", 0x01E0, 16},
        {"pressure", "device.0.pressure = 0 1023 0 0\n", 0x05E0, 20},
        {"pressure max 0", "device.0.pressure = 0 0 0 1\n", 0x01E0, 16},
        {"tangent", "device.0.tangent = 0 255 0 0\n", 0x09E0, 20},
        {"twist without tilt", "device.0.orientation = 0 3599 3 0 | -900 900 3 1 | 0 3599 3 1\n", 0x11E0, 28},
        {"twist to 3600", "device.0.orientation = 0 3599 3 0 | -900 900 3 1 | 0 3600 3 1\n", 0x01E0, 16},
        {"everything",
         "device.0.z = -511 511 0 1\ndevice.0.pressure = 0 1023 0 0\ndevice.0.tangent = 0 1023 0 0\n"
         "device.0.orientation = 0 3599 3 1 | -900 900 3 1 | 0 3599 3 1\n",
         0x1FE0, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string profile =
            std::string("interface.devices = 1\ndevice.0.x = 0 44799 2 1\ndevice.0.y = 0 27999 2 1\n") +
            c.axes;
        load_profile(profile.c_str());
        EXPECT_EQ(open(), ok);
        EXPECT_EQ(last_open().lcPktData, c.mask);
        EXPECT_EQ(last_open().lcMoveMask, c.mask);
        EXPECT_EQ(tablet_state.layout.packet_mask, c.mask);
        EXPECT_EQ(tablet_state.layout.packet_size, c.size);
    }
}

TEST_F(OpeningTest, SecondOpeningClosesTheFirstAndReusesTheBuffer) {
    EXPECT_EQ(open(), ok);
    unsigned char* buffer = tablet_state.packet_buffer;
    sim.clear_log();

    EXPECT_EQ(open(), ok);
    const std::vector<std::string> lines = sim_log_lines(sim);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "WTClose");
    EXPECT_EQ(lines[1], "WTInfoA 3 0");
    EXPECT_EQ(lines.back(), "WTOpenA enable=0");
    EXPECT_EQ(sim.context_open(), 1);
    EXPECT_EQ(tablet_state.packet_buffer, buffer);
    EXPECT_EQ(tablet_state.buffer_capacity, 1);
    EXPECT_EQ(allocations.size(), 1u);
}

TEST_F(OpeningTest, PenOpeningAfterMouseModeKeepsTheLargerBuffer) {
    EXPECT_EQ(open("マウスモード"), ok);
    unsigned char* buffer = tablet_state.packet_buffer;
    EXPECT_EQ(open(), ok);
    EXPECT_EQ(tablet_state.mouse_mode, 0);
    EXPECT_EQ(tablet_state.packet_buffer, buffer);
    EXPECT_EQ(tablet_state.buffer_capacity, 32);
    EXPECT_EQ(allocations, std::vector<size_t>{32 * built_in_packet_size});
}

TEST_F(OpeningTest, ReusedBufferGrowsWhenPacketsGrow) {
    // Small packets first, then the built-in tablet's larger ones at a count the buffer already holds: the
    // buffer must still hold buffer_capacity whole packets.
    struct Case {
        const char* name;
        const char* first_option;
        std::vector<size_t> allocations;
        int capacity;
    };
    const Case cases[] = {
        {"pen then pen", nullptr, {16, built_in_packet_size}, 1},
        {"mouse then pen", "MOUSEモード", {32 * 16, 32 * built_in_packet_size}, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PluginFin(); // no buffer left from the case before
        PluginInit(runtime);
        allocations.clear();
        load_profile("interface.devices = 1\ndevice.0.x = 0 999 0 1\ndevice.0.y = 0 999 0 1\n");
        EXPECT_EQ(open(c.first_option), ok);
        ASSERT_EQ(tablet_state.layout.packet_size, 16);
        sim.reset();
        EXPECT_EQ(open(), ok);
        EXPECT_EQ(tablet_state.layout.packet_size, built_in_packet_size);
        EXPECT_EQ(allocations, c.allocations);
        EXPECT_EQ(tablet_state.buffer_capacity, c.capacity);
    }
}

TEST_F(OpeningTest, NoDefaultContextClosesTheOpenOneAndKeepsHookAndBuffer) {
    EXPECT_EQ(open(), ok);
    unsigned char* buffer = tablet_state.packet_buffer;
    load_profile("include default\ncontext.digitizing = unanswered\n");

    EXPECT_EQ(open(), no_tablet);
    EXPECT_EQ(sim.context_open(), 0);
    EXPECT_EQ(tablet_state.is_open, 0);
    EXPECT_EQ(tablet_state.context, nullptr);
    EXPECT_TRUE(hooked()); // inert while nothing is open
    EXPECT_EQ(tablet_state.packet_buffer, buffer);
    EXPECT_EQ(tablet_state.buffer_capacity, 1);
    EXPECT_EQ(run_command(host, "WT有効"), "タブレットは初期化されていません");
}

TEST_F(OpeningTest, RefusedOpeningRemovesTheHook) {
    EXPECT_EQ(open(), ok);
    unsigned char* buffer = tablet_state.packet_buffer;
    load_profile("include default\ndriver.open = refuse\n");

    EXPECT_EQ(open(), open_failed);
    EXPECT_EQ(sim.context_open(), 0);
    EXPECT_EQ(tablet_state.is_open, 0);
    EXPECT_EQ(tablet_state.context, nullptr);
    EXPECT_FALSE(hooked());
    EXPECT_EQ(tablet_state.packet_buffer, buffer);
}

TEST_F(OpeningTest, FailedBufferClosesTheNewContextAndRemovesTheHook) {
    EXPECT_EQ(open(), ok);
    refuse_allocations = true;
    sim.clear_log();

    // 32 packets do not fit the buffer of one: the old buffer goes, the new one is refused.
    EXPECT_EQ(open(mouse_word), no_buffer);
    const std::vector<std::string> lines = sim_log_lines(sim);
    EXPECT_EQ(lines_starting(lines, "WTClose").size(), 2u); // the old context, then the one just opened
    EXPECT_EQ(lines.back(), "WTClose");
    EXPECT_EQ(sim.context_open(), 0);
    EXPECT_EQ(tablet_state.is_open, 0);
    EXPECT_EQ(tablet_state.context, nullptr);
    EXPECT_EQ(tablet_state.packet_buffer, nullptr);
    EXPECT_EQ(tablet_state.buffer_capacity, 0);
    EXPECT_FALSE(hooked());

    // The next opening starts over.
    refuse_allocations = false;
    EXPECT_EQ(open(), ok);
    EXPECT_NE(tablet_state.packet_buffer, nullptr);
    EXPECT_EQ(tablet_state.buffer_capacity, 1);
}

TEST_F(OpeningTest, QueueAcceptedAtEightGivesEightPackets) {
    load_profile("include default\ndriver.queue_limit = 8\n");
    sim.clear_log();
    EXPECT_EQ(open(mouse_word), ok);
    EXPECT_EQ(lines_starting(sim_log_lines(sim), "WTQueue"),
              (std::vector<std::string>{"WTQueueSizeSet 32", "WTQueueSizeSet 16", "WTQueueSizeSet 8",
                                        "WTQueueSizeGet"}));
    EXPECT_EQ(tablet_state.buffer_capacity, 8);
    EXPECT_EQ(allocations, std::vector<size_t>{8 * built_in_packet_size});
}

// Drivers that lack an optional entry point.
class QueueWithoutSizeGetTest : public OpeningTest {
  protected:
    const char* driver_variant() const override { return "no_WTQueueSizeGet"; }
};

TEST_F(QueueWithoutSizeGetTest, AcceptedSizeIsTheCount) {
    load_profile("include default\ndriver.queue_limit = 4\n");
    sim.clear_log();
    EXPECT_EQ(open(mouse_word), ok);
    EXPECT_EQ(lines_starting(sim_log_lines(sim), "WTQueue"),
              (std::vector<std::string>{"WTQueueSizeSet 32", "WTQueueSizeSet 16", "WTQueueSizeSet 8",
                                        "WTQueueSizeSet 4"}));
    EXPECT_EQ(tablet_state.buffer_capacity, 4);
}

TEST_F(QueueWithoutSizeGetTest, RefusedAtEverySizeFailsAndClosesTheContext) {
    EXPECT_EQ(open(), ok);
    unsigned char* buffer = tablet_state.packet_buffer;
    load_profile("include default\ndriver.queue_limit = 0\n");
    sim.clear_log();

    EXPECT_EQ(open(mouse_word), no_queue);
    const std::vector<std::string> lines = sim_log_lines(sim);
    EXPECT_EQ(lines_starting(lines, "WTQueue"),
              (std::vector<std::string>{"WTQueueSizeSet 32", "WTQueueSizeSet 16", "WTQueueSizeSet 8",
                                        "WTQueueSizeSet 4", "WTQueueSizeSet 2", "WTQueueSizeSet 1",
                                        "WTQueueSizeSet 0"}));
    EXPECT_EQ(lines.back(), "WTClose");
    EXPECT_EQ(sim.context_open(), 0);
    EXPECT_EQ(tablet_state.is_open, 0);
    EXPECT_EQ(tablet_state.context, nullptr);
    EXPECT_FALSE(hooked());
    EXPECT_EQ(tablet_state.packet_buffer, buffer);
    EXPECT_EQ(tablet_state.buffer_capacity, 1);
}

TEST_F(OpeningTest, RefusedAtEverySizeWithSizeGetTakesTheDriversAnswer) {
    // The driver keeps its own queue of 8 when it refuses every size, and says so.
    load_profile("include default\ndriver.queue_limit = 0\n");
    sim.clear_log();
    EXPECT_EQ(open(mouse_word), ok);
    EXPECT_EQ(lines_starting(sim_log_lines(sim), "WTQueue").size(), 8u); // seven sizes, then the question
    EXPECT_EQ(tablet_state.buffer_capacity, 8);

    // A driver that then answers 0 has no queue.
    load_profile("include default\ndriver.queue_limit = 0\ndriver.queue_get = zero\n");
    EXPECT_EQ(open(mouse_word), no_queue);
    EXPECT_EQ(sim.context_open(), 0);
    EXPECT_EQ(tablet_state.is_open, 0);
    EXPECT_FALSE(hooked());
}

class MouseWithoutQueueSizeSetTest : public OpeningTest {
  protected:
    const char* driver_variant() const override { return "no_WTQueueSizeSet"; }
};

TEST_F(MouseWithoutQueueSizeSetTest, DriverCheckFailureLeavesTheOpenContextWorking) {
    EXPECT_EQ(open(), ok);
    HCTX context = tablet_state.context;
    unsigned char* buffer = tablet_state.packet_buffer;

    EXPECT_EQ(open(mouse_word), missing_entry_point);
    EXPECT_EQ(sim.context_open(), 1);
    EXPECT_EQ(tablet_state.is_open, 1);
    EXPECT_EQ(tablet_state.context, context);
    EXPECT_EQ(tablet_state.packet_buffer, buffer);
    EXPECT_TRUE(hooked());
}

class PenWithoutPacketTest : public OpeningTest {
  protected:
    const char* driver_variant() const override { return "no_WTPacket"; }
};

TEST_F(PenWithoutPacketTest, PenModeRefusedMouseModeWorks) {
    EXPECT_EQ(open(), missing_entry_point);
    EXPECT_EQ(sim.context_open(), 0);
    EXPECT_EQ(open(mouse_word), ok);
    EXPECT_EQ(open(), missing_entry_point);
    EXPECT_EQ(sim.context_open(), 1); // the mouse-mode context stays
    EXPECT_EQ(tablet_state.is_open, 1);
}

} // namespace
