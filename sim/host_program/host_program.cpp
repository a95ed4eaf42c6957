// kumo_host.exe: a small kumogiri host for tests and the demo. It makes its main window, loads the host
// runtime stand-in and the plug-in, has the plug-in register its commands, then runs a command script
// (script.cpp), printing every answer and every text the plug-in hands to kumo_eval, in UTF-8.
//
//   kumo_host.exe [--runtime PATH] [--plugin PATH] [--profile FILE] [--stroke FILE] [--out DIR]
//                 [SCRIPT | --demo]
//
// Without SCRIPT and --demo the script is read from standard input. The runtime and the plug-in default to
// kumo_runtime.dll and kumo_wintab.dll in the program's own folder; --demo runs kumo_host_demo.txt from
// there. --profile and --stroke give the simulated driver (drivers/full beside the program, unless a script
// names another with !driver before) a profile and the stroke that !stroke loads, before the script runs;
// --out is the folder where !picture writes. Without them the program calls no control function of the
// driver until the script asks for a replay, so a virtual tablet replays its own stroke.
// Exit code: 0 when the script ran through, 1 when the session could not start, 2 at a script error or a
// missing or malformed --profile / --stroke file.
#include "host_session.h"

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <vector>

static const wchar_t main_window_class[] = L"KumoHostMainWindow";
static const char usage[] = "usage: kumo_host.exe [--runtime PATH] [--plugin PATH] [--profile FILE] "
                            "[--stroke FILE] [--out DIR] [SCRIPT | --demo]";

using PluginInit_t = int(WINAPI*)(HMODULE);
using PluginProcedure_t = void(WINAPI*)();
using kumo_var_new_t = HostValue(WINAPI*)(void*);

static kumo_var_new_t runtime_var_new;

// Every text the plug-in evaluates is printed; the answer is a new value, which the plug-in is to free.
static HostValue WINAPI print_evaluation(const char* text) {
    if (!record_evaluation(text))
        print_line("eval: " + cp932_to_utf8(text, static_cast<int>(std::strlen(text))));
    return runtime_var_new(nullptr);
}

static LRESULT CALLBACK main_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcW(window, message, wparam, lparam);
}

static HWND create_main_window() {
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = main_window_procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = main_window_class;
    if (!RegisterClassW(&window_class))
        return nullptr;
    HWND window = CreateWindowExW(0, main_window_class, L"kumo_host", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 640, 480, nullptr, nullptr, window_class.hInstance, nullptr);
    if (window)
        ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

static int read_file(const std::string& path, std::string& text) {
    FILE* file = _wfopen(utf8_to_wide(path).c_str(), L"rb");
    if (!file)
        return 0;
    char chunk[4096];
    size_t count;
    while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, count);
    int ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

static std::string system_error_text(DWORD code) {
    return "Windows error " + std::to_string(code);
}

static HMODULE load_module(const std::string& path, const char* what) {
    HMODULE module = LoadLibraryW(utf8_to_wide(path).c_str());
    if (!module)
        print_error("kumo_host: cannot load " + std::string(what) + " " + path + " (" +
                    system_error_text(GetLastError()) + ")");
    return module;
}

template <typename Function> static Function entry(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

struct Options {
    std::string runtime_path;
    std::string plugin_path;
    std::string script_path; // empty: standard input
    std::string profile_path;
    std::string stroke_path;
    std::string output_folder;
    int demo;
};

static int parse_options(const std::vector<std::string>& arguments, Options& options) {
    for (size_t i = 1; i < arguments.size(); i++) {
        const std::string& argument = arguments[i];
        std::string* value = argument == "--runtime"   ? &options.runtime_path
                             : argument == "--plugin"  ? &options.plugin_path
                             : argument == "--profile" ? &options.profile_path
                             : argument == "--stroke"  ? &options.stroke_path
                             : argument == "--out"     ? &options.output_folder
                                                       : nullptr;
        if (value && i + 1 < arguments.size() && !arguments[i + 1].empty()) {
            *value = arguments[++i];
        } else if (value) {
            print_error("kumo_host: " + argument + " expects a value");
            return 0;
        } else if (argument == "--demo") {
            options.demo = 1;
        } else if (!argument.empty() && argument[0] != '-' && options.script_path.empty()) {
            options.script_path = argument;
        } else {
            print_error("kumo_host: unexpected argument \"" + argument + "\"");
            return 0;
        }
    }
    if (options.demo && !options.script_path.empty()) {
        print_error("kumo_host: --demo runs its own script; give either --demo or SCRIPT");
        return 0;
    }
    return 1;
}

static std::vector<std::string> command_line_arguments() {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 0; wide && i < count; i++)
        arguments.push_back(wide_to_utf8(wide[i]));
    LocalFree(wide);
    return arguments;
}

static std::string program_folder() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    size_t separator = folder.find_last_of(L"\\/");
    return wide_to_utf8(separator == std::wstring::npos ? std::wstring() : folder.substr(0, separator + 1));
}

int main() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);

    Options options = {};
    if (!parse_options(command_line_arguments(), options)) {
        print_error(usage);
        return 1;
    }
    HostSession session = {};
    session.program_folder = program_folder();

    // The window comes first: the plug-in takes the first top-level window of the process for the host's.
    session.main_window = create_main_window();
    if (!session.main_window) {
        print_error("kumo_host: cannot create the main window (" + system_error_text(GetLastError()) + ")");
        return 1;
    }

    std::string script;
    if (options.demo) {
        session.script_name = session.program_folder + "kumo_host_demo.txt";
        options.script_path = session.script_name;
    } else {
        session.script_name = options.script_path.empty() ? "<stdin>" : options.script_path;
    }
    int script_read = 1;
    if (options.script_path.empty()) {
        char chunk[4096];
        size_t count;
        while ((count = std::fread(chunk, 1, sizeof chunk, stdin)) > 0)
            script.append(chunk, count);
    } else {
        script_read = read_file(options.script_path, script);
    }
    if (!script_read) {
        print_error(session.script_name + ": cannot read the script (expected a readable UTF-8 text file)");
        return 2;
    }

    std::string runtime_path =
        options.runtime_path.empty() ? session.program_folder + "kumo_runtime.dll" : options.runtime_path;
    std::string plugin_path =
        options.plugin_path.empty() ? session.program_folder + "kumo_wintab.dll" : options.plugin_path;
    session.runtime = load_module(runtime_path, "the host runtime");
    if (!session.runtime)
        return 1;
    runtime_var_new = entry<kumo_var_new_t>(session.runtime, "kumo_var_new");
    if (!bind_host_control(session.runtime, &session.control) || !runtime_var_new) {
        print_error("kumo_host: " + runtime_path +
                    " is not the host runtime stand-in (its control functions "
                    "are missing)");
        return 1;
    }
    session.control.set_evaluator(print_evaluation);

    session.plugin = load_module(plugin_path, "the plug-in");
    if (!session.plugin)
        return 1;
    auto plugin_init = entry<PluginInit_t>(session.plugin, "PluginInit");
    auto import_functions = entry<PluginProcedure_t>(session.plugin, "ImportKumoFunction");
    auto plugin_fin = entry<PluginProcedure_t>(session.plugin, "PluginFin");
    if (!plugin_init || !import_functions || !plugin_fin) {
        print_error("kumo_host: " + plugin_path + " lacks PluginInit, ImportKumoFunction or PluginFin");
        return 1;
    }
    plugin_init(session.runtime);
    import_functions();

    if (!options.output_folder.empty()) {
        session.output_folder = options.output_folder;
        if (session.output_folder.back() != '/' && session.output_folder.back() != '\\')
            session.output_folder += '/';
    }
    if (!options.profile_path.empty() || !options.stroke_path.empty()) {
        if (!GetModuleHandleW(L"wintab32.dll"))
            SetDllDirectoryW(utf8_to_wide(session.program_folder + "drivers\\full").c_str());
        std::string error;
        if (!options.profile_path.empty() && !load_profile_file(session, options.profile_path, error)) {
            print_error("kumo_host: --profile " + options.profile_path + ": " + error);
            return 2;
        }
        if (!options.stroke_path.empty() && !load_stroke_file(session, options.stroke_path, error)) {
            print_error("kumo_host: --stroke " + options.stroke_path + ": " + error);
            return 2;
        }
    }

    int ran = run_script(session, script);

    plugin_fin();
    FreeLibrary(session.plugin);
    DestroyWindow(session.main_window);
    return ran ? 0 : 2;
}
