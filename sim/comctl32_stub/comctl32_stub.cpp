// A comctl32 of old: InitCommonControls only, without SetWindowSubclass, RemoveWindowSubclass and
// DefSubclassProc, so that the plug-in's fallback to replacing the window procedure can be exercised.
#include <windows.h>

extern "C" void WINAPI InitCommonControls() {}
