// A session with the host runtime stand-in: its entry points bound for the plug-in's modules, its control
// functions for the test, and the control commands registered the way the host registers them.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "host_control.h"
#include "host_sdk/entry_point.h"
#include "host_sdk/host_api.h"
#include "sim_control.h"
#include "tablet/tablet_commands.h"
#include "text_compare.h"

// The texts the commands answer with, as a script sees them.
inline const std::string load_failed_answer = "Wintab.dllの読み込みに失敗しているため、機能を利用できません";
inline const std::string entry_missing_answer =
    "該当する関数がWintab.dllに見つからないための、機能を利用できません";
inline const std::string not_open_answer = "タブレットは初期化されていません";

inline std::string driver_folder(const char* variant) {
    return std::string(KUMO_BIN_DIR "/drivers/") + variant;
}
// A folder without any wintab32.dll in it.
inline const char* no_driver_folder = KUMO_BIN_DIR "/drivers";

struct CommandSession {
    HMODULE runtime = nullptr;
    HostControl host{};

    // Loads the runtime, binds it; with `register_commands` the four control commands are added as the
    // plug-in's command table adds them.
    void start(bool register_commands = true) {
        runtime = LoadLibraryA(KUMO_BIN_DIR "/kumo_runtime.dll");
        ASSERT_NE(runtime, nullptr) << "kumo_runtime.dll";
        ASSERT_EQ(bind_host_control(runtime, &host), 1);
        host.reset();
        bind_host_api(runtime);
        if (!register_commands)
            return;
        add("WT破棄", "", cmd_wt_dispose);
        add("WT有効", "", cmd_wt_enable);
        add("WT無効", "", cmd_wt_disable);
        add("WT受信イベント設定", "FUNCNAMEを", cmd_wt_set_event);
    }
    void add(const char* name, const char* argument_template, CommandHandler handler) {
        std::string name_bytes = utf8_to_cp932(name);
        std::string template_bytes = utf8_to_cp932(argument_template);
        host_api.kumo_addFunction(name_bytes.c_str(), template_bytes.c_str(), handler, 0);
    }

    // Calls a registered command; the answer's bytes exactly (code page 932).
    std::string call_bytes(const char* name, const char* const* arguments = nullptr, int argument_count = 0) {
        std::string name_bytes = utf8_to_cp932(name);
        HostValue answer = host.call_command(name_bytes.c_str(), arguments, argument_count);
        if (!answer) {
            ADD_FAILURE() << "no command " << name;
            return "<no command>";
        }
        int length = 0;
        const char* bytes = host.value_bytes(answer, &length);
        return std::string(bytes, static_cast<size_t>(length));
    }
    // The answer as UTF-8 text.
    std::string call(const char* name) { return cp932_to_utf8(call_bytes(name)); }
};

// The control functions of whichever simulated driver is loaded.
struct DriverControl {
    sim_log_t log = nullptr;
    sim_clear_log_t clear_log = nullptr;
    sim_context_open_t context_open = nullptr;
    sim_context_enabled_t context_enabled = nullptr;

    bool bind() {
        HMODULE driver = GetModuleHandleA("wintab32.dll");
        if (!driver)
            return false;
        log = lookup_entry_point<sim_log_t>(driver, "sim_log");
        clear_log = lookup_entry_point<sim_clear_log_t>(driver, "sim_clear_log");
        context_open = lookup_entry_point<sim_context_open_t>(driver, "sim_context_open");
        context_enabled = lookup_entry_point<sim_context_enabled_t>(driver, "sim_context_enabled");
        return log && clear_log && context_open && context_enabled;
    }
};
