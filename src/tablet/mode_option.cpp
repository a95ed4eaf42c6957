#include "tablet/mode_option.h"

#include <cstring>

#include "tablet/open_texts.h"

int is_mouse_mode_option(const char* option) {
    if (option == nullptr)
        return 0;
    return std::strcmp(option, mouse_mode_word_katakana) == 0 ||
           std::strcmp(option, mouse_mode_word_latin) == 0;
}
