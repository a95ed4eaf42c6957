// A top-level window of the test process, never shown: what the plug-in hooks as the host's main window, or
// where a driver posts its packet messages.
#pragma once

#include <windows.h>

// Registers `class_name` with `procedure` (a second registration fails harmlessly) and makes a window of it.
inline HWND create_top_level_window(const char* class_name, WNDPROC procedure, const char* title = "host",
                                    int width = 200, int height = 200) {
    WNDCLASSA description{};
    description.lpfnWndProc = procedure;
    description.hInstance = GetModuleHandleA(nullptr);
    description.lpszClassName = class_name;
    RegisterClassA(&description);
    return CreateWindowExA(0, class_name, title, WS_OVERLAPPEDWINDOW, 0, 0, width, height, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}
