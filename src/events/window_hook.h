// The filter in front of the host main window's procedure: comctl32 subclassing, or replacing the procedure.
#pragma once

#include <windows.h>
#include <commctrl.h>

using SetWindowSubclass_t = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR);
using RemoveWindowSubclass_t = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR);
using DefSubclassProc_t = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);

struct SubclassApi {
    HMODULE module;
    SetWindowSubclass_t SetWindowSubclass;
    RemoveWindowSubclass_t RemoveWindowSubclass;
    DefSubclassProc_t DefSubclassProc;
};
extern SubclassApi subclass_api;

struct WindowHook {
    HWND main_window;
    int subclassed;
    WNDPROC saved_window_proc;
};
extern WindowHook window_hook;

inline constexpr UINT_PTR hook_subclass_id = 1;

int load_subclass_api();
void unload_subclass_api();
void find_main_window();
void install_hook();
void remove_hook();
LRESULT CALLBACK hook_subclass_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR subclass_id,
                                    DWORD_PTR reference_data);
LRESULT CALLBACK hook_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
int filter_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result);
