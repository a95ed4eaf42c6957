#include "host_sdk/host_api.h"

#include <cstring>

#include "host_sdk/entry_point.h"

HostApi host_api;
HMODULE host_module;
// The module the entries were last bound from: when load_host_module's module is freed, entries into it would
// point into unmapped memory, so they are cleared then.
static HMODULE entries_module;

static void bind_entry_points(HMODULE module) {
    // Every name in order; a name the module lacks leaves its entry null.
#define KUMO_BIND_ENTRY(type, name) host_api.name = lookup_entry_point<type>(module, #name);
    KUMO_HOST_ENTRY_POINTS(KUMO_BIND_ENTRY)
#undef KUMO_BIND_ENTRY
    entries_module = module;
}

void bind_host_api(HMODULE module) { bind_entry_points(module); }

int load_host_module(const char* file_name) {
    if (host_module)
        unload_host_module();
    host_module = LoadLibraryA(file_name);
    if (!host_module)
        return 0;
    bind_entry_points(host_module);
    if (host_api.kumo_setCKUMO_DLL_handle)
        host_api.kumo_setCKUMO_DLL_handle(host_module);
    return 1;
}

int unload_host_module() {
    if (host_module) {
        if (entries_module == host_module) {
            host_api = HostApi{};
            entries_module = nullptr;
        }
        FreeLibrary(host_module);
        host_module = nullptr;
    }
    return 1;
}

int is_host_loaded() { return host_module ? 1 : 0; }

HostValue new_value(void* initial) { return host_api.kumo_var_new(initial); }

HostValue copy_value(HostValue value) {
    HostValue copy = new_value(nullptr);
    host_api.kumo_varCopyGensi(value, copy);
    return copy;
}

HostValue new_int_value(int32_t number) {
    HostValue value = new_value(nullptr);
    set_int(value, number);
    return value;
}

HostValue new_text_value(const char* text) {
    HostValue value = new_value(nullptr);
    set_text(value, text, static_cast<int>(std::strlen(text)));
    return value;
}

HostValue new_float_value(uint32_t number) {
    HostValue value = new_value(nullptr);
    set_float(value, number);
    return value;
}

void set_int(HostValue value, int32_t number) { host_api.kumo_int2var(number, value); }

// The argument is unsigned: 4294967295 is stored as 4294967295.0, not -1.0.
void set_float(HostValue value, uint32_t number) { host_api.kumo_double2var(static_cast<double>(number), value); }

void set_bool(HostValue value, int flag) { host_api.kumo_int2var(flag ? 1 : 0, value); }

void set_text(HostValue value, const char* bytes, int length) { host_api.kumo_bin2var(bytes, length, value); }

int value_bool(HostValue value) { return host_api.kumo_var2int(value) ? 1 : 0; }

int32_t value_int(HostValue value) { return host_api.kumo_var2int(value); }

double value_float(HostValue value) { return host_api.kumo_var2double(value); }

const char* value_text(HostValue value) {
    // The record is packed: the pointer may sit at any address.
    const char* text;
    std::memcpy(&text, reinterpret_cast<const char*>(value) + host_value_text_offset, sizeof text);
    return text;
}
