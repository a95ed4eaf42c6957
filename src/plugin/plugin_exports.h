// The seven entry points that the kumogiri host calls, exported under their plain names.
#pragma once

#include <windows.h>

extern "C" {
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);
int WINAPI PluginVersion();
int WINAPI PluginRequire();
int WINAPI PluginInfo(char* buffer, DWORD length);
int WINAPI PluginInit(HMODULE host_runtime);
void WINAPI ImportKumoFunction();
void WINAPI PluginFin();
}
