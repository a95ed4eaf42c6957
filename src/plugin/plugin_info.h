// The plug-in's description as PluginInfo hands it out. No Win32 here.
#pragma once

#include <cstdint>

// Writes the description into `buffer` (null: nothing) of `length` bytes and returns its full length, 17.
// A buffer of 18 bytes or more gets the whole text and its NUL. A shorter one gets as many whole characters
// as fit before a NUL inside the buffer, never half of a double-byte character; a length of 0 gets nothing.
int write_plugin_description(char* buffer, uint32_t length);
