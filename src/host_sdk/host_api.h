// The kumogiri host runtime as the plug-in sees it: entry points bound by name from the runtime module, and
// the small functions around host values.
#pragma once

#include <windows.h>
#include <cstdint>

// A host-owned value record. Its text pointer lies unaligned at byte offset 25; nothing else of it is read.
struct HostValueRecord;
using HostValue = HostValueRecord*;
inline constexpr int host_value_text_offset = 25;

// Opaque handle to a command's arguments.
using ArgList = void*;

using CommandHandler = HostValue(__stdcall*)(ArgList);

// Signatures of the entries that are called. The rest are bound and never called.
using kumo_addFunction_t = int(__stdcall*)(const char* name, const char* argument_template,
                                           CommandHandler handler, int reserved);
using kumo_getFuncArg_t = HostValue(__stdcall*)(ArgList args, int position);
using kumo_var_new_t = HostValue(__stdcall*)(void* initial);
using kumo_bin2var_t = int(__stdcall*)(const char* bytes, int length, HostValue value);
using kumo_eval_t = HostValue(__stdcall*)(const char* script_text);
using kumo_var_free_t = int(__stdcall*)(HostValue value);
using kumo_setCKUMO_DLL_handle_t = void(__stdcall*)(HMODULE module);
using kumo_varCopyGensi_t = int(__stdcall*)(HostValue source, HostValue destination);
using kumo_int2var_t = int(__stdcall*)(int32_t number, HostValue value);
using kumo_double2var_t = int(__stdcall*)(double number, HostValue value);
using kumo_var2int_t = int32_t(__stdcall*)(HostValue value);
using kumo_var2double_t = double(__stdcall*)(HostValue value);

// Every host entry point, in binding order: (type, exported name). 86 in all.
#define KUMO_HOST_ENTRY_POINTS(X)                                                                            \
    X(FARPROC, kumo_resetAll)                                                                                \
    X(FARPROC, kumo_free)                                                                                    \
    X(FARPROC, kumo_load)                                                                                    \
    X(FARPROC, kumo_loadSource)                                                                              \
    X(FARPROC, kumo_run)                                                                                     \
    X(FARPROC, kumo_run_ex)                                                                                  \
    X(FARPROC, kumo_error_continue)                                                                          \
    X(FARPROC, kumo_getError)                                                                                \
    X(FARPROC, kumo_clearError)                                                                              \
    X(kumo_eval_t, kumo_eval)                                                                                \
    X(FARPROC, kumo_evalEx)                                                                                  \
    X(FARPROC, kumo_addFileCommand)                                                                          \
    X(FARPROC, kumo_getVariable)                                                                             \
    X(FARPROC, kumo_setVariable)                                                                             \
    X(kumo_addFunction_t, kumo_addFunction)                                                                  \
    X(FARPROC, kumo_addFunction2)                                                                            \
    X(kumo_getFuncArg_t, kumo_getFuncArg)                                                                    \
    X(FARPROC, kumo_getSore)                                                                                 \
    X(FARPROC, kumo_addIntVar)                                                                               \
    X(FARPROC, kumo_addStrVar)                                                                               \
    X(FARPROC, kumo_stop)                                                                                    \
    X(FARPROC, kumo_continue)                                                                                \
    X(FARPROC, kumo_id2tango)                                                                                \
    X(FARPROC, kumo_tango2id)                                                                                \
    X(FARPROC, kumo_var2str)                                                                                 \
    X(FARPROC, kumo_var2cstr)                                                                                \
    X(kumo_var2int_t, kumo_var2int)                                                                          \
    X(kumo_var2double_t, kumo_var2double)                                                                    \
    X(FARPROC, kumo_var2extended)                                                                            \
    X(FARPROC, kumo_str2var)                                                                                 \
    X(kumo_bin2var_t, kumo_bin2var)                                                                          \
    X(kumo_int2var_t, kumo_int2var)                                                                          \
    X(kumo_double2var_t, kumo_double2var)                                                                    \
    X(kumo_var_new_t, kumo_var_new)                                                                          \
    X(FARPROC, kumo_var_clear)                                                                               \
    X(kumo_var_free_t, kumo_var_free)                                                                        \
    X(FARPROC, kumo_ary_get)                                                                                 \
    X(FARPROC, kumo_ary_getCsv)                                                                              \
    X(FARPROC, kumo_ary_count)                                                                               \
    X(FARPROC, kumo_varCopyData)                                                                             \
    X(kumo_varCopyGensi_t, kumo_varCopyGensi)                                                                \
    X(FARPROC, kumo_setMainWindowHandle)                                                                     \
    X(FARPROC, kumo_getMainWindowHandle)                                                                     \
    X(FARPROC, kumo_getGroupMember)                                                                          \
    X(FARPROC, kumo_hasEvent)                                                                                \
    X(FARPROC, kumo_addSetterGetter)                                                                         \
    X(FARPROC, kumo_setDebugEditorHandle)                                                                    \
    X(FARPROC, kumo_setDebugLineNo)                                                                          \
    X(FARPROC, kumo_group_create)                                                                            \
    X(FARPROC, kumo_group_addMember)                                                                         \
    X(FARPROC, kumo_group_findMember)                                                                        \
    X(FARPROC, kumo_group_exec)                                                                              \
    X(FARPROC, kumo_debug_kumogiri)                                                                          \
    X(FARPROC, kumo_ary_create)                                                                              \
    X(FARPROC, kumo_ary_add)                                                                                 \
    X(FARPROC, kumo_check_tag)                                                                               \
    X(FARPROC, kumo_DebugNextStop)                                                                           \
    X(FARPROC, kumo_LoadPlugins)                                                                             \
    X(FARPROC, kumo_openPackfile)                                                                            \
    X(FARPROC, kumo_runPackfile)                                                                             \
    X(FARPROC, kumo_openPackfileBin)                                                                         \
    X(FARPROC, kumo_closePackfile)                                                                           \
    X(FARPROC, kumo_getPackFileHandle)                                                                       \
    X(FARPROC, kumo_setPackFileHandle)                                                                       \
    X(FARPROC, kumo_makeReport)                                                                              \
    X(FARPROC, kumo_reportDLL)                                                                               \
    X(FARPROC, kumo_hasPlugins)                                                                              \
    X(FARPROC, kumo_hash_create)                                                                             \
    X(FARPROC, kumo_hash_get)                                                                                \
    X(FARPROC, kumo_hash_set)                                                                                \
    X(FARPROC, kumo_hash_keys)                                                                               \
    X(FARPROC, kumo_getLineNo)                                                                               \
    X(FARPROC, kumo_getSourceText)                                                                           \
    X(FARPROC, kumo_getFilename)                                                                             \
    X(FARPROC, kumo_pushRunFlag)                                                                             \
    X(FARPROC, kumo_popRunFlag)                                                                              \
    X(FARPROC, kumo_callSysFunction)                                                                         \
    X(kumo_setCKUMO_DLL_handle_t, kumo_setCKUMO_DLL_handle)                                                  \
    X(FARPROC, kumo_setPluginsDir)                                                                           \
    X(FARPROC, kumo_getPluginsDir)                                                                           \
    X(FARPROC, test)                                                                                         \
    X(FARPROC, kumo_getVersion)                                                                              \
    X(FARPROC, kumo_getUpdateDate)                                                                           \
    X(FARPROC, kumo_getKUMOGIRI_GUID)                                                                        \
    X(FARPROC, kumo_getEmbedFile)                                                                            \
    X(FARPROC, kumo_getLastUserFuncID)

// One pointer per host entry point; null until bound, and null for a name the module does not export.
struct HostApi {
#define KUMO_HOST_API_FIELD(type, name) type name;
    KUMO_HOST_ENTRY_POINTS(KUMO_HOST_API_FIELD)
#undef KUMO_HOST_API_FIELD
};
inline constexpr int host_entry_point_count = 86;
#define KUMO_COUNT_ENTRY(type, name) +1
static_assert(0 KUMO_HOST_ENTRY_POINTS(KUMO_COUNT_ENTRY) == host_entry_point_count);
#undef KUMO_COUNT_ENTRY

extern HostApi host_api;
extern HMODULE host_module; // held by load_host_module only

void bind_host_api(HMODULE module);
int load_host_module(const char* file_name);
int unload_host_module();
int is_host_loaded();

// Value functions.
HostValue new_value(void* initial);
HostValue copy_value(HostValue value);
HostValue new_int_value(int32_t number);
HostValue new_text_value(const char* text);
HostValue new_float_value(uint32_t number);
void set_int(HostValue value, int32_t number);
void set_float(HostValue value, uint32_t number);
void set_bool(HostValue value, int flag);
void set_text(HostValue value, const char* bytes, int length);
int value_bool(HostValue value);
int32_t value_int(HostValue value);
double value_float(HostValue value);
const char* value_text(HostValue value); // value must be non-null

// Stores a text literal; its byte count is fixed at compile time.
template <int N> inline void set_text_literal(HostValue value, const char (&literal)[N]) {
    set_text(value, literal, N - 1);
}
