// A tiny plug-in for testing the host program itself, independent of the tablet commands:
//   ECHO [TEXT]   answers its argument, or "(absent)" when it got none
//   EVAL TEXT     hands TEXT to kumo_eval, frees the result, answers "OK"
//   HOOK          replaces the window procedure of the process's first top-level window (as the real plug-in
//                 finds the host's), posts it a message, and answers that window's class name; afterwards
//                 every WM_MOUSEMOVE evaluates "mousemove X,Y" and the posted message evaluates "posted"
#include <windows.h>

#include <cstring>

struct Record;
using Value = Record*;
using Handler = Value(WINAPI*)(void*);

static int(WINAPI* add_function)(const char*, const char*, Handler, int);
static Value(WINAPI* get_argument)(void*, int);
static Value(WINAPI* new_value)(void*);
static int(WINAPI* store_bytes)(const char*, int, Value);
static Value(WINAPI* evaluate)(const char*);
static int(WINAPI* free_value)(Value);

static HWND hooked_window;
static WNDPROC saved_procedure;
static const UINT posted_message = WM_APP + 7;

template <typename Function> static void bind(HMODULE module, Function& entry, const char* name) {
    entry = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

static const char* argument_text(void* args) {
    Value value = get_argument(args, 0);
    if (!value)
        return nullptr;
    const char* text;
    std::memcpy(&text, reinterpret_cast<const char*>(value) + 25, sizeof text);
    return text;
}

static Value answer(const char* text) {
    Value value = new_value(nullptr);
    store_bytes(text, static_cast<int>(std::strlen(text)), value);
    return value;
}

static void evaluate_and_free(const char* text) {
    Value result = evaluate(text);
    if (result)
        free_value(result);
}

static Value WINAPI echo(void* args) {
    const char* text = argument_text(args);
    return answer(text ? text : "(absent)");
}

static Value WINAPI eval_command(void* args) {
    const char* text = argument_text(args);
    evaluate_and_free(text ? text : "");
    return answer("OK");
}

static LRESULT CALLBACK hook_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_MOUSEMOVE) {
        char text[64];
        wsprintfA(text, "mousemove %d,%d", LOWORD(lparam), HIWORD(lparam));
        evaluate_and_free(text);
    } else if (message == posted_message) {
        evaluate_and_free("posted");
        return 0;
    }
    return CallWindowProcA(saved_procedure, window, message, wparam, lparam);
}

static BOOL CALLBACK take_first_window(HWND window, LPARAM) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId())
        return TRUE;
    hooked_window = window;
    return FALSE;
}

static Value WINAPI hook(void*) {
    EnumWindows(take_first_window, 0);
    if (!hooked_window)
        return answer("(no window)");
    saved_procedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hooked_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hook_procedure)));
    PostMessageA(hooked_window, posted_message, 0, 0);
    char class_name[64] = {};
    GetClassNameA(hooked_window, class_name, sizeof class_name);
    return answer(class_name);
}

extern "C" {
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}

int WINAPI PluginInit(HMODULE runtime) {
    bind(runtime, add_function, "kumo_addFunction");
    bind(runtime, get_argument, "kumo_getFuncArg");
    bind(runtime, new_value, "kumo_var_new");
    bind(runtime, store_bytes, "kumo_bin2var");
    bind(runtime, evaluate, "kumo_eval");
    bind(runtime, free_value, "kumo_var_free");
    return 1;
}

void WINAPI ImportKumoFunction() {
    add_function("ECHO", "TEXT", echo, 0);
    add_function("EVAL", "TEXT", eval_command, 0);
    add_function("HOOK", "", hook, 0);
}

void WINAPI PluginFin() {
    if (hooked_window && saved_procedure)
        SetWindowLongPtrA(hooked_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(saved_procedure));
}
}
