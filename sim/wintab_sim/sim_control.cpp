// The control functions for tests and the host program, and the DLL's entry point.
#include <cstring>

#include "wintab_sim/sim_driver.h"

// Every control function marks the driver as driven by test code: the virtual tablet then stays off.

namespace {

Profile parsed_profile;

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(module);
        make_default_profile(active_profile);
        log_clear();
        reset_driver_state();
        virtual_tablet_attach(module);
    } else if (reason == DLL_PROCESS_DETACH) {
        virtual_tablet_detach();
    }
    return TRUE;
}

extern "C" void WINAPI sim_reset() {
    control_used = 1;
    reset_driver_state();
    clear_stroke();
    make_default_profile(active_profile);
    log_clear();
    clear_error();
}

extern "C" int WINAPI sim_load_profile(const char* text) {
    control_used = 1;
    if (!parse_profile(text, parsed_profile))
        return 0;
    active_profile = parsed_profile;
    return 1;
}

extern "C" int WINAPI sim_load_profile_file(const char* path) {
    control_used = 1;
    const char* text = nullptr;
    if (path == nullptr || !read_text_file(path, text))
        return 0;
    return sim_load_profile(text);
}

extern "C" const char* WINAPI sim_last_error() {
    control_used = 1;
    return last_error;
}

extern "C" int WINAPI sim_inject(const SimSample* sample) {
    control_used = 1;
    return sample != nullptr ? inject_sample(*sample) : 0;
}

extern "C" const char* WINAPI sim_log() {
    control_used = 1;
    return log_text();
}

extern "C" void WINAPI sim_clear_log() {
    control_used = 1;
    log_clear();
}

extern "C" int WINAPI sim_last_open(LOGCONTEXTA* out) {
    control_used = 1;
    if (!have_last_open)
        return 0;
    if (out != nullptr)
        memcpy(out, &last_open_description, sizeof(LOGCONTEXTA));
    return 1;
}

extern "C" int WINAPI sim_queue_length() {
    control_used = 1;
    return context.open ? context.queue_length : 0;
}

extern "C" int WINAPI sim_queue_size() {
    control_used = 1;
    return context.queue_size;
}

extern "C" int WINAPI sim_context_open() {
    control_used = 1;
    return context.open;
}

extern "C" int WINAPI sim_context_enabled() {
    control_used = 1;
    return context.open && context.enabled;
}

extern "C" int WINAPI sim_load_stroke_file(const char* path) {
    control_used = 1;
    const char* text = nullptr;
    if (path == nullptr || !read_text_file(path, text))
        return 0;
    return load_stroke_text(text);
}

extern "C" int WINAPI sim_stroke_sample(int index, SimSample* out) {
    control_used = 1;
    SimSample sample;
    if (out == nullptr || !stroke_sample(index, sample))
        return 0;
    *out = sample;
    return 1;
}

extern "C" int WINAPI sim_replay_stroke(int first, int count) {
    control_used = 1;
    return replay_stroke(first, count);
}
