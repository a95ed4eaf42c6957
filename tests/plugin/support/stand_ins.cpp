#include "stand_ins.h"

#include <type_traits>

#include "test_window.h"
#include "text_compare.h"

namespace {

template <typename Function> void bind(HMODULE module, Function& entry, const char* name) {
    entry = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

int window_mouse_moves;
int window_packet_messages;

LRESULT CALLBACK host_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_MOUSEMOVE)
        ++window_mouse_moves;
    if (message == 0x7FF0)
        ++window_packet_messages;
    return DefWindowProcA(window, message, wparam, lparam);
}

} // namespace

HMODULE load_host_runtime(HostControl& control) {
    HMODULE runtime = LoadLibraryA(KUMO_BIN_DIR "/kumo_runtime.dll");
    if (runtime == nullptr || !bind_host_control(runtime, &control))
        return nullptr;
    return runtime;
}

HMODULE load_sim_driver(const char* variant, SimControl& control) {
    const std::string folder = std::string(KUMO_BIN_DIR) + "/drivers/" + variant;
    SetDllDirectoryA(folder.c_str());
    HMODULE driver = LoadLibraryA((folder + "/wintab32.dll").c_str());
    if (driver == nullptr)
        return nullptr;
    bind(driver, control.reset, "sim_reset");
    bind(driver, control.load_profile, "sim_load_profile");
    bind(driver, control.last_error, "sim_last_error");
    bind(driver, control.inject, "sim_inject");
    bind(driver, control.log, "sim_log");
    bind(driver, control.clear_log, "sim_clear_log");
    bind(driver, control.last_open, "sim_last_open");
    bind(driver, control.queue_length, "sim_queue_length");
    bind(driver, control.queue_size, "sim_queue_size");
    bind(driver, control.context_open, "sim_context_open");
    bind(driver, control.context_enabled, "sim_context_enabled");
    if (!control.reset || !control.load_profile || !control.last_error || !control.inject || !control.log ||
        !control.clear_log || !control.last_open || !control.queue_length || !control.queue_size ||
        !control.context_open || !control.context_enabled)
        return nullptr;
    return driver;
}

HWND host_main_window() {
    static HWND window = create_top_level_window("kumo_test_host_window", host_window_proc, "host", 320, 240);
    return window;
}

int host_window_mouse_moves() {
    return window_mouse_moves;
}
int host_window_packet_messages() {
    return window_packet_messages;
}

void pump_messages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

std::string run_command(const HostControl& host, const char* name_utf8, const char* argument) {
    const std::string name = utf8_to_cp932(name_utf8);
    const char* const arguments[] = {argument};
    HostValue answer = host.call_command(name.c_str(), arguments, 1);
    if (answer == nullptr)
        return "<no such command>";
    int length = 0;
    const char* bytes = host.value_bytes(answer, &length);
    return cp932_to_utf8(std::string(bytes, static_cast<size_t>(length)));
}

std::string run_command_utf8(const HostControl& host, const char* name_utf8, const char* argument_utf8) {
    const std::string argument = utf8_to_cp932(argument_utf8);
    return run_command(host, name_utf8, argument.c_str());
}

std::vector<std::string> sim_log_lines(const SimControl& sim) {
    std::vector<std::string> lines;
    const std::string log = sim.log();
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        if (end == std::string::npos)
            end = log.size();
        lines.push_back(log.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> lines_starting(const std::vector<std::string>& lines, const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& line : lines)
        if (line.compare(0, prefix.size(), prefix) == 0)
            found.push_back(line);
    return found;
}
