// The host program's session: its main window, the runtime and plug-in it loaded, and the script being run.
// Directives (lines beginning with "!") are rows of a table in directives.cpp; adding one is adding a row.
#pragma once

#include <windows.h>

#include <string>

#include "host_control.h"

struct HostSession {
    HWND main_window;
    HMODULE runtime;
    HMODULE plugin;
    HostControl control;
    std::string program_folder; // UTF-8, with a trailing separator
    std::string script_name;    // as given, for messages
    int line_number;
    int quit_requested;
};

// A directive's work. `argument` is the rest of the line after the directive's name, trimmed (UTF-8).
// Returns 1 on success; 0 after putting what went wrong (what was expected) into `error`.
using DirectiveHandler = int (*)(HostSession& session, const std::string& argument, std::string& error);

struct Directive {
    const char* name; // with the "!"
    const char* usage;
    DirectiveHandler handler;
};
const Directive* find_directive(const std::string& name);
std::string directive_names(); // "!pump, !mousemove, ..." for messages

// Runs a script's text; 1 when every line ran, 0 after printing an error naming the file and line.
int run_script(HostSession& session, const std::string& text);

// Output, always UTF-8 and "\n"-terminated lines.
void print_line(const std::string& line);
void print_error(const std::string& line);

// Code page conversions. utf8_to_cp932 answers 0 (with `error` set) for text that is not UTF-8 or has a
// character that code page 932 lacks; cp932_to_utf8 shows bytes that are not code page 932 as <XX>.
int utf8_to_cp932(const std::string& text, std::string& out, std::string& error);
std::string cp932_to_utf8(const char* bytes, int length);
std::wstring utf8_to_wide(const std::string& text);
std::string wide_to_utf8(const std::wstring& text);
