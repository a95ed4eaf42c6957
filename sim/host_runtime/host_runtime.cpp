// A stand-in for the kumogiri host runtime: the kumo_ entry points that the plug-in calls, doing what the
// plug-in relies on, plus control functions (host_control.h) that let tests and the host program play the
// interpreter. Every other kumo_ name is exported as a function that does nothing and returns 0. Everything
// runs on one thread, as in the real host.
#include "host_control.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <type_traits>
#include <unordered_set>
#include <vector>

#include "host_sdk/host_api.h"

enum ValueKind : uint8_t { kind_empty, kind_text, kind_integer, kind_float };
enum ValueOwner : uint8_t {
    owner_script,   // made by kumo_var_new or an evaluation; kumo_var_free may free it once
    owner_argument, // an argument the host handed to a handler; never freed by the plug-in
};

#pragma pack(push, 1)
struct HostValueRecord {
    uint8_t kind;
    uint8_t owner;
    uint8_t alive;
    char reserved[22];
    char* text; // never null: empty_text or a heap copy, NUL-terminated
    int32_t length;
    int32_t integer;
    double number;
};
#pragma pack(pop)
static_assert(offsetof(HostValueRecord, text) == host_value_text_offset);

namespace {

char empty_text[1];

struct Command {
    std::string name;
    std::string argument_template;
    CommandHandler handler;
    int reserved;
};

struct ArgumentList {
    std::vector<HostValue> values;
};

struct Runtime {
    std::vector<HostValue> values;      // every record made since host_reset, freed or not
    std::unordered_set<HostValue> live; // records that kumo_var_free may still free
    std::deque<Command> commands;       // deque: references stay valid while a handler registers more
    std::deque<std::string> eval_log;   // deque: texts already handed out stay valid
    std::deque<ArgumentList> argument_lists;
    HostEvaluator evaluator;
    HMODULE runtime_handle;
    int values_created;
    int values_freed;
    int bad_frees;
};
Runtime runtime;

void release_text(HostValue value) {
    if (value->text != empty_text)
        std::free(value->text);
    value->text = empty_text;
    value->length = 0;
}

HostValue make_value(ValueOwner owner) {
    auto* value = static_cast<HostValue>(std::calloc(1, sizeof(HostValueRecord)));
    value->owner = owner;
    value->alive = 1;
    value->text = empty_text;
    runtime.values.push_back(value);
    if (owner == owner_script) {
        runtime.live.insert(value);
        runtime.values_created++;
    }
    return value;
}

void store_bytes(HostValue value, const char* bytes, int length, ValueKind kind) {
    release_text(value);
    if (length > 0) {
        value->text = static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1));
        std::memcpy(value->text, bytes, static_cast<size_t>(length));
        value->text[length] = '\0';
        value->length = length;
    }
    value->kind = kind;
}

void store_number_text(HostValue value, const char* first, const char* last, ValueKind kind) {
    store_bytes(value, first, static_cast<int>(last - first), kind);
}

HostValue WINAPI default_evaluator(const char*) {
    return make_value(owner_script);
}

} // namespace

extern "C" {

// ---- The entries that the plug-in calls ----

int WINAPI kumo_addFunction(const char* name, const char* argument_template, CommandHandler handler,
                            int reserved) {
    if (!name || !handler)
        return 0;
    runtime.commands.push_back({name, argument_template ? argument_template : "", handler, reserved});
    return 1;
}

HostValue WINAPI kumo_getFuncArg(ArgList args, int position) {
    auto* list = static_cast<ArgumentList*>(args);
    if (!list || position < 0 || position >= static_cast<int>(list->values.size()))
        return nullptr;
    return list->values[static_cast<size_t>(position)];
}

// The plug-in always passes null; the stand-in makes an empty value whatever it gets.
HostValue WINAPI kumo_var_new(void*) {
    return make_value(owner_script);
}

int WINAPI kumo_bin2var(const char* bytes, int length, HostValue value) {
    if (!value || length < 0 || (!bytes && length > 0))
        return 0;
    store_bytes(value, bytes, length, kind_text);
    return 1;
}

HostValue WINAPI kumo_eval(const char* script_text) {
    // The text is read whole before any script code runs: the evaluator may re-enter the plug-in, which
    // reuses the buffer the text lies in.
    runtime.eval_log.emplace_back(script_text ? script_text : "");
    HostEvaluator evaluator = runtime.evaluator ? runtime.evaluator : default_evaluator;
    return evaluator(runtime.eval_log.back().c_str());
}

int WINAPI kumo_var_free(HostValue value) {
    auto found = runtime.live.find(value);
    if (found == runtime.live.end()) {
        runtime.bad_frees++;
        return 0;
    }
    runtime.live.erase(found);
    // The record stays until host_reset, so that its address is not reused and a second free is seen.
    release_text(value);
    value->alive = 0;
    runtime.values_freed++;
    return 1;
}

void WINAPI kumo_setCKUMO_DLL_handle(HMODULE module) {
    runtime.runtime_handle = module;
}

int WINAPI kumo_varCopyGensi(HostValue source, HostValue destination) {
    if (!source || !destination || source == destination)
        return source && destination ? 1 : 0;
    store_bytes(destination, source->text, source->length, static_cast<ValueKind>(source->kind));
    destination->integer = source->integer;
    destination->number = source->number;
    return 1;
}

int WINAPI kumo_int2var(int32_t number, HostValue value) {
    if (!value)
        return 0;
    char digits[16];
    auto written = std::to_chars(digits, digits + sizeof digits, number);
    store_number_text(value, digits, written.ptr, kind_integer);
    value->integer = number;
    value->number = number;
    return 1;
}

int WINAPI kumo_double2var(double number, HostValue value) {
    if (!value)
        return 0;
    char digits[64];
    auto written = std::to_chars(digits, digits + sizeof digits, number);
    store_number_text(value, digits, written.ptr, kind_float);
    value->number = number;
    value->integer = 0;
    return 1;
}

int32_t WINAPI kumo_var2int(HostValue value) {
    if (!value)
        return 0;
    switch (value->kind) {
    case kind_integer:
        return value->integer;
    case kind_float:
        if (value->number >= 2147483647.0)
            return INT32_MAX;
        if (value->number <= -2147483648.0)
            return INT32_MIN;
        return static_cast<int32_t>(value->number);
    case kind_text:
        return static_cast<int32_t>(std::strtol(value->text, nullptr, 10));
    default:
        return 0;
    }
}

double WINAPI kumo_var2double(HostValue value) {
    if (!value)
        return 0.0;
    switch (value->kind) {
    case kind_integer:
        return value->integer;
    case kind_float:
        return value->number;
    case kind_text:
        return std::strtod(value->text, nullptr);
    default:
        return 0.0;
    }
}

// ---- The entries the plug-in binds but never calls: present, doing nothing ----

#define KUMO_RUNTIME_STUB_FARPROC(name)                                                                      \
    int WINAPI name() {                                                                                      \
        return 0;                                                                                            \
    }
#define KUMO_RUNTIME_STUB_kumo_eval_t(name)
#define KUMO_RUNTIME_STUB_kumo_addFunction_t(name)
#define KUMO_RUNTIME_STUB_kumo_getFuncArg_t(name)
#define KUMO_RUNTIME_STUB_kumo_var_new_t(name)
#define KUMO_RUNTIME_STUB_kumo_bin2var_t(name)
#define KUMO_RUNTIME_STUB_kumo_var_free_t(name)
#define KUMO_RUNTIME_STUB_kumo_setCKUMO_DLL_handle_t(name)
#define KUMO_RUNTIME_STUB_kumo_varCopyGensi_t(name)
#define KUMO_RUNTIME_STUB_kumo_int2var_t(name)
#define KUMO_RUNTIME_STUB_kumo_double2var_t(name)
#define KUMO_RUNTIME_STUB_kumo_var2int_t(name)
#define KUMO_RUNTIME_STUB_kumo_var2double_t(name)
#define KUMO_RUNTIME_STUB(type, name) KUMO_RUNTIME_STUB_##type(name)
KUMO_HOST_ENTRY_POINTS(KUMO_RUNTIME_STUB)
#undef KUMO_RUNTIME_STUB

// ---- Control functions ----

void WINAPI host_reset() {
    for (HostValue value : runtime.values) {
        release_text(value);
        std::free(value);
    }
    runtime.values.clear();
    runtime.live.clear();
    runtime.commands.clear();
    runtime.eval_log.clear();
    runtime.argument_lists.clear();
    runtime.evaluator = nullptr;
    runtime.values_created = 0;
    runtime.values_freed = 0;
    runtime.bad_frees = 0;
}

int WINAPI host_command_count() {
    return static_cast<int>(runtime.commands.size());
}

static const Command* command_at(int i) {
    if (i < 0 || i >= static_cast<int>(runtime.commands.size()))
        return nullptr;
    return &runtime.commands[static_cast<size_t>(i)];
}

const char* WINAPI host_command_name(int i) {
    const Command* command = command_at(i);
    return command ? command->name.c_str() : nullptr;
}

const char* WINAPI host_command_template(int i) {
    const Command* command = command_at(i);
    return command ? command->argument_template.c_str() : nullptr;
}

int WINAPI host_command_reserved(int i) {
    const Command* command = command_at(i);
    return command ? command->reserved : 0;
}

HostValue WINAPI host_call_command(const char* name, const char* const* arguments, int argument_count) {
    if (!name)
        return nullptr;
    CommandHandler handler = nullptr;
    for (const Command& command : runtime.commands) {
        if (command.name == name)
            handler = command.handler;
    }
    if (!handler)
        return nullptr;
    ArgumentList& list = runtime.argument_lists.emplace_back();
    for (int i = 0; i < argument_count; i++) {
        const char* text = arguments ? arguments[i] : nullptr;
        if (!text) {
            list.values.push_back(nullptr);
            continue;
        }
        HostValue value = make_value(owner_argument);
        store_bytes(value, text, static_cast<int>(std::strlen(text)), kind_text);
        list.values.push_back(value);
    }
    return handler(&list);
}

const char* WINAPI host_value_bytes(HostValue value, int* length) {
    if (length)
        *length = value ? value->length : 0;
    return value ? value->text : empty_text;
}

int WINAPI host_eval_count() {
    return static_cast<int>(runtime.eval_log.size());
}

const char* WINAPI host_eval_text(int i) {
    if (i < 0 || i >= static_cast<int>(runtime.eval_log.size()))
        return nullptr;
    return runtime.eval_log[static_cast<size_t>(i)].c_str();
}

void WINAPI host_set_evaluator(HostEvaluator evaluator) {
    runtime.evaluator = evaluator;
}

int WINAPI host_values_created() {
    return runtime.values_created;
}
int WINAPI host_values_freed() {
    return runtime.values_freed;
}
int WINAPI host_bad_frees() {
    return runtime.bad_frees;
}

} // extern "C"

// The called entries keep the signatures that the plug-in binds them with.
static_assert(std::is_same_v<decltype(&kumo_addFunction), kumo_addFunction_t>);
static_assert(std::is_same_v<decltype(&kumo_getFuncArg), kumo_getFuncArg_t>);
static_assert(std::is_same_v<decltype(&kumo_var_new), kumo_var_new_t>);
static_assert(std::is_same_v<decltype(&kumo_bin2var), kumo_bin2var_t>);
static_assert(std::is_same_v<decltype(&kumo_eval), kumo_eval_t>);
static_assert(std::is_same_v<decltype(&kumo_var_free), kumo_var_free_t>);
static_assert(std::is_same_v<decltype(&kumo_setCKUMO_DLL_handle), kumo_setCKUMO_DLL_handle_t>);
static_assert(std::is_same_v<decltype(&kumo_varCopyGensi), kumo_varCopyGensi_t>);
static_assert(std::is_same_v<decltype(&kumo_int2var), kumo_int2var_t>);
static_assert(std::is_same_v<decltype(&kumo_double2var), kumo_double2var_t>);
static_assert(std::is_same_v<decltype(&kumo_var2int), kumo_var2int_t>);
static_assert(std::is_same_v<decltype(&kumo_var2double), kumo_var2double_t>);
