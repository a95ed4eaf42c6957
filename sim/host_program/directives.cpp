// Host directives: script lines beginning with "!". Each is one row of the table below.
#include <cstdlib>

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
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
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
    SetDllDirectoryW(utf8_to_wide(folder).c_str());
    return 1;
}

// Lists what the plug-in registered: "command N: NAME TEMPLATE".
static int directive_commands(HostSession& session, const std::string& argument, std::string& error) {
    if (!expect_no_argument(argument, error))
        return 0;
    int count = session.control.command_count();
    for (int i = 0; i < count; i++) {
        std::string name = session.control.command_name(i);
        std::string argument_template = session.control.command_template(i);
        std::string line =
            "command " + std::to_string(i + 1) + ": " + cp932_to_utf8(name.data(), int(name.size()));
        if (!argument_template.empty())
            line += " " + cp932_to_utf8(argument_template.data(), static_cast<int>(argument_template.size()));
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
