#include "events/window_hook.h"

#include "events/packet_dispatch.h"
#include "host_sdk/entry_point.h"
#include "tablet/tablet_state.h"
#include "wintab/wintab_types.h"

SubclassApi subclass_api;
WindowHook window_hook;

int load_subclass_api() {
    if (subclass_api.module)
        unload_subclass_api();
    HMODULE module = LoadLibraryA("comctl32.dll");
    if (!module)
        return 0;
    subclass_api.SetWindowSubclass = lookup_entry_point<SetWindowSubclass_t>(module, "SetWindowSubclass");
    subclass_api.RemoveWindowSubclass =
        lookup_entry_point<RemoveWindowSubclass_t>(module, "RemoveWindowSubclass");
    subclass_api.DefSubclassProc = lookup_entry_point<DefSubclassProc_t>(module, "DefSubclassProc");
    if (subclass_api.SetWindowSubclass && subclass_api.RemoveWindowSubclass && subclass_api.DefSubclassProc) {
        subclass_api.module = module;
        return 1;
    }
    // Never a partial set: without all three the window procedure is replaced instead.
    FreeLibrary(module);
    subclass_api = SubclassApi{};
    return 0;
}

void unload_subclass_api() {
    if (subclass_api.module) {
        FreeLibrary(subclass_api.module);
        subclass_api = SubclassApi{};
    }
}

static BOOL CALLBACK take_first_window_of_process(HWND window, LPARAM) {
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    if (process_id != GetCurrentProcessId())
        return TRUE;
    window_hook.main_window = window;
    return FALSE;
}

void find_main_window() {
    EnumWindows(take_first_window_of_process, 0);
}

static WNDPROC current_window_proc(HWND window) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
}

void install_hook() {
    if (!window_hook.main_window)
        find_main_window();
    if (!window_hook.main_window)
        return;
    if (subclass_api.module) {
        // Registering the same procedure and identifier again leaves one registration.
        window_hook.subclassed = 1;
        if (!subclass_api.SetWindowSubclass(window_hook.main_window, hook_subclass_proc, hook_subclass_id, 0))
            window_hook.subclassed = 0;
    }
    // A replacement already in place stays: replacing again would make hook_window_proc its own successor.
    if (!window_hook.subclassed && !window_hook.saved_window_proc) {
        window_hook.saved_window_proc = current_window_proc(window_hook.main_window);
        if (window_hook.saved_window_proc)
            SetWindowLongPtrA(window_hook.main_window, GWLP_WNDPROC,
                              reinterpret_cast<LONG_PTR>(hook_window_proc));
    }
}

// hook_window_proc is still called through another party's chain, maybe after the host has unloaded the
// plug-in: the module stays mapped until the process ends, so the procedure goes on passing messages.
static void keep_module_loaded() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCSTR>(reinterpret_cast<void*>(hook_window_proc)), &module);
}

void remove_hook() {
    if (!window_hook.main_window)
        return;
    if (subclass_api.module && window_hook.subclassed)
        subclass_api.RemoveWindowSubclass(window_hook.main_window, hook_subclass_proc, hook_subclass_id);
    window_hook.subclassed = 0;
    if (window_hook.saved_window_proc) {
        WNDPROC current = current_window_proc(window_hook.main_window);
        if (current == hook_window_proc) {
            SetWindowLongPtrA(window_hook.main_window, GWLP_WNDPROC,
                              reinterpret_cast<LONG_PTR>(window_hook.saved_window_proc));
            window_hook.saved_window_proc = nullptr;
        } else if (current) {
            // Another party replaced the procedure after us and calls ours in turn: it cannot be taken out of
            // that chain, and saved_window_proc stays so that a later install does not replace it again.
            keep_module_loaded();
        }
    }
}

LRESULT CALLBACK hook_subclass_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                    DWORD_PTR) {
    LRESULT result = 0;
    if (filter_message(window, message, wparam, lparam, &result))
        return result;
    return subclass_api.DefSubclassProc(window, message, wparam, lparam);
}

LRESULT CALLBACK hook_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    // Read first: a handler run by the filter may remove the hook, and the message still goes to the host.
    WNDPROC next_window_proc = window_hook.saved_window_proc;
    LRESULT result = 0;
    if (filter_message(window, message, wparam, lparam, &result))
        return result;
    return CallWindowProcA(next_window_proc, window, message, wparam, lparam);
}

int filter_message(HWND, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
    if (!tablet_state.is_open)
        return 0;
    if (message == WM_MOUSEMOVE) {
        // The host handles every mouse move itself, after the queue is drained.
        on_mouse_move();
        return 0;
    }
    if (message == WT_PACKET) {
        on_packet_message(wparam, lparam);
        *result = 0;
        return 1;
    }
    return 0;
}
