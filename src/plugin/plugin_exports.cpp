#include "plugin/plugin_exports.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
int WINAPI PluginVersion() { return 2; }
int WINAPI PluginRequire() { return 2; }
int WINAPI PluginInfo(char*, DWORD) { return 17; }
int WINAPI PluginInit(HMODULE) { return 0; }
void WINAPI ImportKumoFunction() {}
void WINAPI PluginFin() {}
