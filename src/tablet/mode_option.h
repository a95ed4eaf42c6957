// Which mode the option text of an opening asks for. No Win32 here.
#pragma once

// 1 when `option` is exactly one of the two mouse-mode words: whole text, byte for byte, letter case as
// given, no trimming. 0 (pen mode) for anything else, null included.
int is_mouse_mode_option(const char* option);
