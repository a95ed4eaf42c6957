// The script commands that ImportKumoFunction registers, in this order.
#pragma once

#include "host_sdk/host_api.h"

struct CommandRow {
    const char* name;              // code page 932, static
    const char* argument_template; // code page 932, static; "" (never null) for a command without arguments
    CommandHandler handler;
};

inline constexpr int command_count = 6;
extern const CommandRow command_table[command_count];
