// What a plug-in test under Wine drives: the host runtime stand-in, the simulated Wintab driver and a
// top-level window of the test process, all real modules loaded from the build's bin folder.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "host_runtime/host_control.h"
#include "plugin_module.h"
#include "wintab_sim/sim_control.h"

// The plug-in's answers that several suites check, in UTF-8.
inline constexpr char mouse_word[] = "MOUSEモード";
inline constexpr char no_tablet[] =
    "タブレットの情報を取得できませんでした。機器が接続されていない可能性があります";
inline constexpr char hook_failed[] = "タブレットのためのメッセージのフックに失敗しました";
inline constexpr char open_failed[] = "タブレットの初期化に失敗しました";
inline constexpr char no_queue[] = "タブレット用の受信キューを確保できませんでした";
inline constexpr char no_buffer[] = "タブレット用の受信バッファが確保できませんでした";

// A profile with cursor, buttons, x and y only: a call text is easy to write down.
inline const std::string plain_tablet = R"(interface.devices = 1
device.0.x = 0 44799 2 1
device.0.y = 0 27999 2 1
)";

struct SimControl {
    sim_reset_t reset;
    sim_load_profile_t load_profile;
    sim_last_error_t last_error;
    sim_inject_t inject;
    sim_log_t log;
    sim_clear_log_t clear_log;
    sim_last_open_t last_open;
    sim_queue_length_t queue_length;
    sim_queue_size_t queue_size;
    sim_context_open_t context_open;
    sim_context_enabled_t context_enabled;
};

// Loads bin/kumo_runtime.dll and fills `control`; null when either fails.
HMODULE load_host_runtime(HostControl& control);
// Makes bin/drivers/<variant> the folder where "wintab32.dll" is found, loads that driver (so that the
// plug-in's own load finds the same module) and fills `control`; null when either fails.
HMODULE load_sim_driver(const char* variant, SimControl& control);

// The test process's top-level window, made once and kept: the plug-in takes the first window it finds as the
// host's main window for good. Its procedure counts what reaches the host.
HWND host_main_window();
int host_window_mouse_moves();
int host_window_packet_messages();
// Dispatches every message waiting for this thread.
void pump_messages();

// Runs a command by its UTF-8 name with one optional argument (code page 932 bytes, or none), and gives the
// answer in UTF-8.
std::string run_command(const HostControl& host, const char* name_utf8, const char* argument = nullptr);
std::string run_command_utf8(const HostControl& host, const char* name_utf8, const char* argument_utf8);

// The driver's call log, one entry per line.
std::vector<std::string> sim_log_lines(const SimControl& sim);
// Lines of `lines` that begin with `prefix`.
std::vector<std::string> lines_starting(const std::vector<std::string>& lines, const std::string& prefix);
