// The plug-in's seven exports, through the real kumo_wintab.dll and the host runtime stand-in.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host_control.h"
#include "text_compare.h"

namespace {

struct Plugin {
    HMODULE runtime;
    HMODULE module;
    HostControl host;
    int(WINAPI* version)();
    int(WINAPI* require)();
    int(WINAPI* info)(char*, DWORD);
    int(WINAPI* init)(HMODULE);
    void(WINAPI* import_functions)();
    void(WINAPI* fin)();
};

template <typename Function> void bind(HMODULE module, Function& entry, const char* name) {
    entry = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    ASSERT_NE(nullptr, entry) << name;
}

class PluginFrame : public ::testing::Test {
  protected:
    void SetUp() override {
        plugin.runtime = LoadLibraryA(KUMO_BIN_DIR "/kumo_runtime.dll");
        ASSERT_NE(nullptr, plugin.runtime);
        ASSERT_EQ(1, bind_host_control(plugin.runtime, &plugin.host));
        plugin.host.reset();
        plugin.module = LoadLibraryA(KUMO_BIN_DIR "/kumo_wintab.dll");
        ASSERT_NE(nullptr, plugin.module);
        bind(plugin.module, plugin.version, "PluginVersion");
        bind(plugin.module, plugin.require, "PluginRequire");
        bind(plugin.module, plugin.info, "PluginInfo");
        bind(plugin.module, plugin.init, "PluginInit");
        bind(plugin.module, plugin.import_functions, "ImportKumoFunction");
        bind(plugin.module, plugin.fin, "PluginFin");
    }
    Plugin plugin = {};
};

TEST_F(PluginFrame, VersionsAndDescriptionLengthNeedNoInit) {
    EXPECT_EQ(2, plugin.version());
    EXPECT_EQ(2, plugin.require());
    EXPECT_EQ(17, plugin.info(nullptr, 0));
    EXPECT_EQ(17, plugin.info(nullptr, 100)); // null writes nothing, whatever the length says
}

// Every length from 0 to 20 into a guarded buffer: nothing is written at or past `length`; what is written is
// whole characters and a NUL (length 0: nothing at all); 18 bytes and more get the whole description.
TEST_F(PluginFrame, DescriptionNeverPassesTheBufferAndNeverSplitsACharacter) {
    const char* expected[] = {
        nullptr,
        "",
        "w",
        "wi",
        "win",
        "wint",
        "winta",
        "wintab",
        "wintab ",
        "wintab ",
        "wintab プ",
        "wintab プ",
        "wintab プラ",
        "wintab プラ",
        "wintab プラグ",
        "wintab プラグ",
        "wintab プラグイ",
        "wintab プラグイ",
        "wintab プラグイン",
        "wintab プラグイン",
        "wintab プラグイン",
    };
    const unsigned char guard = 0xA5;
    for (DWORD length = 0; length <= 20; length++) {
        unsigned char buffer[32];
        std::memset(buffer, guard, sizeof buffer);
        EXPECT_EQ(17, plugin.info(reinterpret_cast<char*>(buffer), length)) << length;
        size_t written = 0;
        if (length > 0) {
            const void* terminator = std::memchr(buffer, '\0', length);
            ASSERT_NE(nullptr, terminator) << "no NUL within length " << length;
            std::string text(reinterpret_cast<const char*>(buffer),
                             static_cast<const unsigned char*>(terminator) - buffer);
            EXPECT_EQ(expected[length], cp932_to_utf8(text)) << "length " << length;
            written = text.size() + 1;
        }
        for (size_t i = written; i < sizeof buffer; i++)
            ASSERT_EQ(guard, buffer[i]) << "byte " << i << " changed with length " << length;
    }
    char exact[18];
    plugin.info(exact, sizeof exact);
    EXPECT_EQ(utf8_to_cp932("wintab プラグイン") + std::string(1, '\0'), std::string(exact, sizeof exact));
}

TEST_F(PluginFrame, ImportRegistersTheSixCommandsInOrder) {
    EXPECT_EQ(0, plugin.init(plugin.runtime) & ~1); // 1 or 0: whether subclassing is available
    EXPECT_EQ(0, plugin.host.command_count()) << "PluginInit registers nothing";
    plugin.import_functions();
    struct Row {
        const char* name;
        const char* argument_template;
    };
    const Row rows[] = {
        {"WT初期化", "{文字列=?}OPTIONで"},   {"WT破棄", ""},     {"WT有効", ""}, {"WT無効", ""},
        {"WT受信イベント設定", "FUNCNAMEを"}, {"WT情報取得", ""},
    };
    ASSERT_EQ(6, plugin.host.command_count());
    for (int i = 0; i < 6; i++) {
        EXPECT_EQ(rows[i].name, cp932_to_utf8(plugin.host.command_name(i))) << i;
        EXPECT_EQ(rows[i].argument_template, cp932_to_utf8(plugin.host.command_template(i))) << i;
        EXPECT_EQ(0, plugin.host.command_reserved(i)) << i;
    }
    // Each registered handler is a real entry point: called by the host, it answers with a value.
    for (const Row& row : rows) {
        std::string name = utf8_to_cp932(row.name);
        EXPECT_NE(nullptr, plugin.host.call_command(name.c_str(), nullptr, 0)) << row.name;
    }
    EXPECT_EQ(0, plugin.host.bad_frees());
}

TEST_F(PluginFrame, ImportBeforeInitRegistersNothingAndDoesNotCrash) {
    plugin.import_functions();
    EXPECT_EQ(0, plugin.host.command_count());
}

// Nothing was used: PluginFin closes, removes and frees nothing, loads no driver, and leaves no module
// behind.
TEST_F(PluginFrame, FinWithNothingLoadedReleasesNothingAndCanRepeat) {
    plugin.fin(); // before PluginInit
    HMODULE comctl32_before = GetModuleHandleA("comctl32.dll");
    plugin.init(plugin.runtime);
    plugin.import_functions();
    plugin.fin();
    plugin.fin();
    EXPECT_EQ(nullptr, GetModuleHandleA("wintab32.dll"));
    if (!comctl32_before) {
        EXPECT_EQ(nullptr, GetModuleHandleA("comctl32.dll")) << "PluginFin leaves comctl32 loaded";
    }
    EXPECT_EQ(0, plugin.host.eval_count());
    EXPECT_EQ(0, plugin.host.values_freed());
    EXPECT_EQ(0, plugin.host.bad_frees());
    EXPECT_EQ(6, plugin.host.command_count());
}

} // namespace
