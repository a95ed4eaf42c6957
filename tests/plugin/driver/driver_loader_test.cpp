// Loading the Wintab driver on first use, and the check every tablet command begins with.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "../tablet/command_session.h"
#include "plugin_module.h"
#include "wintab/wintab_api.h"

namespace {

class DriverLoaderTest : public ::testing::Test {
  protected:
    void SetUp() override { session.start(); }
    void TearDown() override {
        unload_wintab();
        SetDllDirectoryA(nullptr);
    }
    CommandSession session;
};

} // namespace

TEST_F(DriverLoaderTest, WithoutADriverEveryCommandAnswersTheLoadMessageAndTriesAgain) {
    struct Case {
        const char* command;
        std::string answer_once_loaded;
    };
    const Case cases[] = {{"WT破棄", "OK"}, {"WT有効", not_open_answer}, {"WT無効", not_open_answer}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        ASSERT_TRUE(SetDllDirectoryA(no_driver_folder));
        EXPECT_EQ(session.call(c.command), load_failed_answer);
        EXPECT_EQ(session.call(c.command), load_failed_answer);
        EXPECT_EQ(wintab_api.driver_module, nullptr);
        // A driver installed while the host runs is found by the next command.
        ASSERT_TRUE(SetDllDirectoryA(driver_folder("full").c_str()));
        EXPECT_EQ(session.call(c.command), c.answer_once_loaded);
        EXPECT_NE(wintab_api.driver_module, nullptr);
        EXPECT_EQ(GetModuleHandleA("wintab32.dll"), wintab_api.driver_module);
        unload_wintab();
        EXPECT_EQ(GetModuleHandleA("wintab32.dll"), nullptr);
    }
}

TEST_F(DriverLoaderTest, ADriverWithoutInfoOpenOrCloseIsReleasedAsNotLoadable) {
    for (const char* variant : {"no_WTInfoA", "no_WTOpenA", "no_WTClose"}) {
        SCOPED_TRACE(variant);
        ASSERT_TRUE(SetDllDirectoryA(driver_folder(variant).c_str()));
        EXPECT_EQ(session.call("WT破棄"), load_failed_answer);
        EXPECT_EQ(session.call("WT有効"), load_failed_answer);
        EXPECT_EQ(GetModuleHandleA("wintab32.dll"), nullptr);
        EXPECT_EQ(wintab_api.driver_module, nullptr);
        // Nothing of the released module stays reachable (PluginFin goes by WTClose alone).
        EXPECT_EQ(wintab_api.WTClose, nullptr);
        EXPECT_EQ(wintab_api.WTEnable, nullptr);
    }
    ASSERT_TRUE(SetDllDirectoryA(driver_folder("full").c_str()));
    EXPECT_EQ(session.call("WT破棄"), "OK");
}

TEST_F(DriverLoaderTest, EachOptionalEntryPointIsCheckedUnderItsOwnName) {
    const struct {
        const char* variant;
        WintabEntry missing;
    } variants[] = {
        {"full", WintabEntry::none},
        {"no_WTPacketsGet", WintabEntry::WTPacketsGet},
        {"no_WTPacket", WintabEntry::WTPacket},
        {"no_WTOverlap", WintabEntry::WTOverlap},
        {"no_WTQueueSizeSet", WintabEntry::WTQueueSizeSet},
        {"no_WTEnable", WintabEntry::WTEnable},
        {"no_WTQueueSizeGet", WintabEntry::WTQueueSizeGet},
    };
    const WintabEntry entries[] = {WintabEntry::none,         WintabEntry::WTOpenA,
                                   WintabEntry::WTInfoA,      WintabEntry::WTClose,
                                   WintabEntry::WTPacketsGet, WintabEntry::WTPacket,
                                   WintabEntry::WTOverlap,    WintabEntry::WTQueueSizeSet,
                                   WintabEntry::WTEnable,     WintabEntry::WTQueueSizeGet};
    for (const auto& v : variants) {
        ASSERT_TRUE(SetDllDirectoryA(driver_folder(v.variant).c_str()));
        for (WintabEntry entry : entries) {
            SCOPED_TRACE(testing::Message() << v.variant << ", entry " << static_cast<int>(entry));
            HostValue result = host_api.kumo_var_new(nullptr);
            int length = -1;
            if (entry == v.missing && entry != WintabEntry::none) {
                EXPECT_EQ(require_wintab(result, entry), 0);
                const char* bytes = session.host.value_bytes(result, &length);
                EXPECT_EQ(cp932_to_utf8(std::string(bytes, static_cast<size_t>(length))),
                          entry_missing_answer);
            } else {
                EXPECT_EQ(require_wintab(result, entry), 1);
                session.host.value_bytes(result, &length);
                EXPECT_EQ(length, 0); // nothing written on success
            }
            // The module stays held: the check never reloads it.
            EXPECT_EQ(GetModuleHandleA("wintab32.dll"), wintab_api.driver_module);
        }
        unload_wintab();
    }
}

TEST_F(DriverLoaderTest, WithoutEnableOnlyEnableAndDisableRefuse) {
    ASSERT_TRUE(SetDllDirectoryA(driver_folder("no_WTEnable").c_str()));
    EXPECT_EQ(session.call("WT有効"), entry_missing_answer);
    EXPECT_EQ(session.call("WT無効"), entry_missing_answer);
    EXPECT_EQ(session.call("WT破棄"), "OK");
    EXPECT_EQ(session.call_bytes("WT受信イベント設定"), "");
}

TEST(DriverRelease, PluginFinFreesTheDriver) {
    CommandSession session;
    session.start(false);
    PluginInit_t plugin_init;
    ImportKumoFunction_t import_commands;
    PluginFin_t plugin_fin;
    HMODULE plugin = load_plugin(plugin_init, import_commands, plugin_fin);
    ASSERT_NE(plugin, nullptr);
    ASSERT_TRUE(plugin_init && import_commands && plugin_fin);
    plugin_init(session.runtime);
    import_commands();

    ASSERT_TRUE(SetDllDirectoryA(driver_folder("full").c_str()));
    EXPECT_EQ(session.call("WT破棄"), "OK");
    EXPECT_NE(GetModuleHandleA("wintab32.dll"), nullptr);
    plugin_fin();
    EXPECT_EQ(GetModuleHandleA("wintab32.dll"), nullptr);
    FreeLibrary(plugin);
}
