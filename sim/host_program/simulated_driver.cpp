// The host program's use of the simulated Wintab driver: its control functions, bound by name only when a
// script's replay directive or a --profile / --stroke option asks for them.
#include "host_session.h"

template <typename Function> static int bind_control(HMODULE module, const char* name, Function& entry) {
    entry = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return entry != nullptr;
}

static std::string module_path(HMODULE module) {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    return wide_to_utf8(std::wstring(path, length < MAX_PATH ? length : 0));
}

int bind_simulated_driver(HostSession& session, std::string& error) {
    if (session.driver.module)
        return 1;
    // The plug-in's own LoadLibraryA("wintab32.dll") then finds this module: both use the same driver.
    HMODULE module = GetModuleHandleW(L"wintab32.dll");
    if (!module)
        module = LoadLibraryW(L"wintab32.dll");
    if (!module) {
        error = "cannot load wintab32.dll (expected the simulated driver; name its folder with !driver)";
        return 0;
    }
    SimulatedDriver driver = {};
    driver.module = module;
    if (!bind_control(module, "sim_load_profile_file", driver.load_profile_file) ||
        !bind_control(module, "sim_load_stroke_file", driver.load_stroke_file) ||
        !bind_control(module, "sim_stroke_sample", driver.stroke_sample) ||
        !bind_control(module, "sim_last_error", driver.last_error) ||
        !bind_control(module, "sim_inject", driver.inject) ||
        !bind_control(module, "sim_queue_size", driver.queue_size) ||
        !bind_control(module, "sim_context_enabled", driver.context_enabled)) {
        error = module_path(module) + " is not the simulated driver (expected its sim_ control functions)";
        return 0;
    }
    session.driver = driver;
    return 1;
}

// The driver takes paths in the ANSI code page.
static std::string ansi_path(const std::string& path) {
    std::wstring wide = utf8_to_wide(path);
    if (wide.empty())
        return {};
    int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                     nullptr, nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), out.data(), length, nullptr,
                        nullptr);
    return out;
}

int load_profile_file(HostSession& session, const std::string& path, std::string& error) {
    if (!bind_simulated_driver(session, error))
        return 0;
    if (session.driver.load_profile_file(ansi_path(path).c_str()))
        return 1;
    error = session.driver.last_error();
    return 0;
}

int load_stroke_file(HostSession& session, const std::string& path, std::string& error) {
    if (!bind_simulated_driver(session, error))
        return 0;
    int count = session.driver.load_stroke_file(ansi_path(path).c_str());
    if (count <= 0) {
        error = session.driver.last_error();
        return 0;
    }
    std::vector<SimSample> samples(static_cast<size_t>(count));
    for (int i = 0; i < count; i++) {
        if (!session.driver.stroke_sample(i, &samples[static_cast<size_t>(i)])) {
            error = "the driver lost sample " + std::to_string(i + 1) + " of " + std::to_string(count);
            return 0;
        }
    }
    session.stroke = samples;
    session.stroke_name = path;
    return 1;
}

void pump_messages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
