// The host program's session: its main window, the runtime and plug-in it loaded, and the script being run.
// Directives (lines beginning with "!") are rows of a table in directives.cpp; adding one is adding a row.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "host_control.h"
#include "wintab_sim/sim_control.h"

// The simulated driver's control functions, bound only when a replay directive or option needs them: a
// process that calls none of them is a program without test code to the driver (its virtual tablet replays).
struct SimulatedDriver {
    HMODULE module;
    sim_load_profile_file_t load_profile_file;
    sim_load_stroke_file_t load_stroke_file;
    sim_stroke_sample_t stroke_sample;
    sim_last_error_t last_error;
    sim_inject_t inject;
    sim_queue_size_t queue_size;
    sim_context_enabled_t context_enabled;
};

// One !replay: the samples the driver queued, in order, and every call text the handler received meanwhile.
struct Replay {
    std::string mode; // "pen" or "mouse"
    std::vector<SimSample> injected;
    std::vector<std::string> received;
    int batch_size;
    int batch_count;
};

struct HostSession {
    HWND main_window;
    HMODULE runtime;
    HMODULE plugin;
    HostControl control;
    std::string program_folder; // UTF-8, with a trailing separator
    std::string script_name;    // as given, for messages
    std::string output_folder;  // where !picture writes a relative FILE (UTF-8, trailing separator or empty)
    int line_number;
    int quit_requested;
    SimulatedDriver driver;
    std::string stroke_name;       // the stroke file loaded last (empty: none)
    std::vector<SimSample> stroke; // its samples
    std::vector<Replay> replays;   // every finished !replay, in order
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

// Directives of the replay and the picture (replay.cpp); rows of the table in directives.cpp.
int directive_stroke(HostSession& session, const std::string& argument, std::string& error);
int directive_replay(HostSession& session, const std::string& argument, std::string& error);
int directive_summary(HostSession& session, const std::string& argument, std::string& error);
int directive_picture(HostSession& session, const std::string& argument, std::string& error);

// The simulated driver (simulated_driver.cpp). bind_simulated_driver takes the wintab32.dll already loaded
// or loads it by the usual search (the folder of !driver first); 0 with `error` set when it is not there or
// not the simulated one.
int bind_simulated_driver(HostSession& session, std::string& error);
// A profile file given to the driver; 0 with `error` set to the driver's "line N: ..." or "cannot open ...".
int load_profile_file(HostSession& session, const std::string& path, std::string& error);
// A stroke file read through the driver's parser into session.stroke; 0 with `error` set, stroke unchanged.
int load_stroke_file(HostSession& session, const std::string& path, std::string& error);
// Dispatches every message waiting for this thread.
void pump_messages();

// While a replay runs, the evaluator hands every call text here instead of printing it: 1 when it was kept.
int record_evaluation(const char* text);

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
