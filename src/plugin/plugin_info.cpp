#include "plugin/plugin_info.h"

#include <cstring>

#include "plugin/command_texts.h"

static int is_cp932_lead_byte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || byte >= 0xE0;
}

int write_plugin_description(char* buffer, uint32_t length) {
    constexpr int description_length = sizeof(plugin_description) - 1;
    if (!buffer || length == 0)
        return description_length;
    // Room for text in front of the NUL, then the longest run of whole characters that fits in it.
    const int room = length > description_length ? description_length : static_cast<int>(length) - 1;
    int kept = 0;
    while (kept < description_length) {
        const int width = is_cp932_lead_byte(static_cast<unsigned char>(plugin_description[kept])) ? 2 : 1;
        if (kept + width > room)
            break;
        kept += width;
    }
    std::memcpy(buffer, plugin_description, static_cast<size_t>(kept));
    buffer[kept] = '\0';
    return description_length;
}
