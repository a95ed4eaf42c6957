// Host directives: script lines beginning with "!". Each is one row of the table below.
#include <cstdlib>
#include <cstring>

#include "host_session.h"

static int parse_count(const std::string& argument, int& count, std::string& error) {
    if (argument.empty()) {
        count = 1;
        return 1;
    }
    char* end = nullptr;
    long value = std::strtol(argument.c_str(), &end, 10);
    if (*end != '\0' || value < 1 || value > 100000) {
        error = "expected a count from 1 to 100000, got \"" + argument + "\"";
        return 0;
    }
    count = static_cast<int>(value);
    return 1;
}

static int expect_no_argument(const std::string& argument, std::string& error) {
    if (argument.empty())
        return 1;
    error = "expected nothing after the directive, got \"" + argument + "\"";
    return 0;
}

// Dispatches every message waiting for this thread: posted tablet packets reach the plug-in's filter here.
static int directive_pump(HostSession&, const std::string& argument, std::string& error) {
    if (!expect_no_argument(argument, error))
        return 0;
    pump_messages();
    return 1;
}

// A message loop for MS milliseconds: timers fire (the virtual tablet replays on one) and posted packets are
// dispatched as they come.
static int directive_wait(HostSession&, const std::string& argument, std::string& error) {
    char* end = nullptr;
    long milliseconds = std::strtol(argument.c_str(), &end, 10);
    if (argument.empty() || *end != '\0' || milliseconds < 0 || milliseconds > 600000) {
        error = "expected milliseconds from 0 to 600000, got \"" + argument + "\"";
        return 0;
    }
    const DWORD start = GetTickCount();
    for (;;) {
        pump_messages();
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= static_cast<DWORD>(milliseconds))
            return 1;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(milliseconds) - elapsed, QS_ALLINPUT);
    }
}

// Prints the rest of the line: the phases of a session.
static int directive_print(HostSession&, const std::string& argument, std::string&) {
    print_line(argument);
    return 1;
}

// Sends WM_MOUSEMOVE to the main window, COUNT times (default once).
static int directive_mousemove(HostSession& session, const std::string& argument, std::string& error) {
    int count;
    if (!parse_count(argument, count, error))
        return 0;
    for (int i = 0; i < count; i++)
        SendMessageW(session.main_window, WM_MOUSEMOVE, 0, MAKELPARAM(10 + i, 10 + i));
    return 1;
}

static std::wstring full_folder(const std::wstring& path) {
    wchar_t full[MAX_PATH];
    DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    std::wstring folder(full, length < MAX_PATH ? length : 0);
    while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/'))
        folder.pop_back();
    return folder;
}

static int same_folder(HMODULE module, const std::string& folder) {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    std::wstring module_path(path, length < MAX_PATH ? length : 0);
    size_t separator = module_path.find_last_of(L"\\/");
    std::wstring module_folder =
        full_folder(module_path.substr(0, separator == std::wstring::npos ? 0 : separator));
    return CompareStringOrdinal(module_folder.c_str(), -1, full_folder(utf8_to_wide(folder)).c_str(), -1,
                                TRUE) == CSTR_EQUAL;
}

// Where the plug-in's LoadLibraryA("wintab32.dll") looks first; a relative folder is taken from the
// program's.
static int directive_driver(HostSession& session, const std::string& argument, std::string& error) {
    if (argument.empty()) {
        error = "expected a folder";
        return 0;
    }
    bool absolute = argument[0] == '/' || argument[0] == '\\' || (argument.size() > 1 && argument[1] == ':');
    std::string folder = absolute ? argument : session.program_folder + argument;
    DWORD attributes = GetFileAttributesW(utf8_to_wide(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = "expected an existing folder, got \"" + folder + "\"";
        return 0;
    }
    // Once a wintab32.dll is loaded, every later load by that name gets it, whatever the folder.
    HMODULE loaded = GetModuleHandleW(L"wintab32.dll");
    if (loaded && !same_folder(loaded, folder)) {
        error = "expected !driver before a wintab32.dll is loaded, but one is loaded from another folder";
        return 0;
    }
    SetDllDirectoryW(utf8_to_wide(folder).c_str());
    return 1;
}

// Lists what the plug-in registered: "command N: NAME TEMPLATE".
static int directive_commands(HostSession& session, const std::string& argument, std::string& error) {
    if (!expect_no_argument(argument, error))
        return 0;
    int count = session.control.command_count();
    for (int i = 0; i < count; i++) {
        const char* name = session.control.command_name(i);
        const char* argument_template = session.control.command_template(i);
        std::string line = "command ";
        line += std::to_string(i + 1);
        line += ": ";
        line += cp932_to_utf8(name, static_cast<int>(std::strlen(name)));
        if (*argument_template) {
            line += ' ';
            line += cp932_to_utf8(argument_template, static_cast<int>(std::strlen(argument_template)));
        }
        print_line(line);
    }
    return 1;
}

// The host's value counts: every value made and freed, and frees of values that were not alive.
static int directive_values(HostSession& session, const std::string& argument, std::string& error) {
    if (!expect_no_argument(argument, error))
        return 0;
    print_line("values: created " + std::to_string(session.control.values_created()) + ", freed " +
               std::to_string(session.control.values_freed()) + ", bad frees " +
               std::to_string(session.control.bad_frees()));
    return 1;
}

static int directive_quit(HostSession& session, const std::string& argument, std::string& error) {
    if (!expect_no_argument(argument, error))
        return 0;
    session.quit_requested = 1;
    return 1;
}

static const Directive directives[] = {
    {"!pump", "!pump", directive_pump},
    {"!mousemove", "!mousemove [COUNT]", directive_mousemove},
    {"!driver", "!driver FOLDER", directive_driver},
    {"!commands", "!commands", directive_commands},
    {"!values", "!values", directive_values},
    {"!quit", "!quit", directive_quit},
    {"!wait", "!wait MS", directive_wait},
    {"!print", "!print TEXT", directive_print},
    {"!stroke", "!stroke [FILE]", directive_stroke},
    {"!replay", "!replay pen|mouse", directive_replay},
    {"!summary", "!summary", directive_summary},
    {"!picture", "!picture FILE", directive_picture},
};

const Directive* find_directive(const std::string& name) {
    for (const Directive& directive : directives) {
        if (name == directive.name)
            return &directive;
    }
    return nullptr;
}

std::string directive_names() {
    std::string names;
    for (const Directive& directive : directives) {
        if (!names.empty())
            names += ", ";
        names += directive.name;
    }
    return names;
}
