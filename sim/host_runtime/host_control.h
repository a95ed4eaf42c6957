// Control functions of the host runtime stand-in (kumo_runtime.dll), for tests and the host program.
// They are exported beside the 86 kumo_ names. A test either links the import library and calls them
// directly, or loads the DLL from KUMO_BIN_DIR and fills a HostControl table with bind_host_control.
//
// What the stand-in keeps:
// - every command that kumo_addFunction registered, in order (name and template copied at registration);
// - every text given to kumo_eval, copied when the call begins, before the evaluator runs: the host has read
// the
//   whole text before any script code (a handler that may re-enter the plug-in) runs;
// - every value: kumo_var_new and the default evaluator make values that count as created; kumo_var_free of a
//   live value counts as freed; kumo_var_free of anything else (null, a freed value, an argument value that
//   the host owns, an unknown pointer) counts as a bad free and touches nothing. Records are kept until
//   host_reset, so a freed address is never reused within one session and a second free is always seen.
#pragma once

#include <windows.h>
#include <type_traits>

// The value record is the runtime's own; plug-in code sees only this pointer (and the text pointer at byte
// offset 25 of the record).
struct HostValueRecord;
using HostValue = HostValueRecord*;

using HostEvaluator = HostValue(WINAPI*)(const char* text);

extern "C" {
// Frees every value, empties the command registry and the eval log, sets every count to 0, restores the
// default evaluator.
void WINAPI host_reset();

// What kumo_addFunction registered, in order. Out-of-range positions answer null (or 0 for reserved).
int WINAPI host_command_count();
const char* WINAPI host_command_name(int i);
const char* WINAPI host_command_template(int i);
int WINAPI host_command_reserved(int i);

// Calls the handler registered last under that code page 932 name with text arguments (a null pointer is an
// absent argument: kumo_getFuncArg answers null for it). Returns the handler's result, which stays alive
// until host_reset; null when no command has that name.
HostValue WINAPI host_call_command(const char* name, const char* const* arguments, int argument_count);

// A value's text (never null) and its byte length (when length is non-null). Null value: "" and 0.
const char* WINAPI host_value_bytes(HostValue value, int* length);

// Every text given to kumo_eval, in order.
int WINAPI host_eval_count();
const char* WINAPI host_eval_text(int i);

// The evaluator that kumo_eval calls after recording the text; its result is kumo_eval's. Null restores the
// default, which returns a new empty value (so that the plug-in has one to free).
void WINAPI host_set_evaluator(HostEvaluator evaluator);

int WINAPI host_values_created();
int WINAPI host_values_freed();
int WINAPI host_bad_frees();
}

// The same functions as a table filled by name, for callers that load the runtime at run time.
struct HostControl {
    decltype(&host_reset) reset;
    decltype(&host_command_count) command_count;
    decltype(&host_command_name) command_name;
    decltype(&host_command_template) command_template;
    decltype(&host_command_reserved) command_reserved;
    decltype(&host_call_command) call_command;
    decltype(&host_value_bytes) value_bytes;
    decltype(&host_eval_count) eval_count;
    decltype(&host_eval_text) eval_text;
    decltype(&host_set_evaluator) set_evaluator;
    decltype(&host_values_created) values_created;
    decltype(&host_values_freed) values_freed;
    decltype(&host_bad_frees) bad_frees;
};

// Fills `control` from the runtime module; 1 when every function was found, else 0 (missing ones stay null).
inline int bind_host_control(HMODULE runtime, HostControl* control) {
    int found = 1;
    auto bind = [&](auto& entry, const char* name) {
        entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(
            reinterpret_cast<void*>(GetProcAddress(runtime, name)));
        if (!entry)
            found = 0;
    };
    bind(control->reset, "host_reset");
    bind(control->command_count, "host_command_count");
    bind(control->command_name, "host_command_name");
    bind(control->command_template, "host_command_template");
    bind(control->command_reserved, "host_command_reserved");
    bind(control->call_command, "host_call_command");
    bind(control->value_bytes, "host_value_bytes");
    bind(control->eval_count, "host_eval_count");
    bind(control->eval_text, "host_eval_text");
    bind(control->set_evaluator, "host_set_evaluator");
    bind(control->values_created, "host_values_created");
    bind(control->values_freed, "host_values_freed");
    bind(control->bad_frees, "host_bad_frees");
    return found;
}
