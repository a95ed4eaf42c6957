// Script commands on the tablet context: open, close, enable, disable, and naming the packet handler.
#pragma once

#include <cstddef>

#include "host_sdk/host_api.h"

HostValue __stdcall cmd_wt_init(ArgList args);
HostValue __stdcall cmd_wt_dispose(ArgList args);
HostValue __stdcall cmd_wt_enable(ArgList args);
HostValue __stdcall cmd_wt_disable(ArgList args);
HostValue __stdcall cmd_wt_set_event(ArgList args);

// Allocates the copy of the handler name (std::malloc; freed with std::free). Tests swap in a failing one.
extern void* (*handler_name_allocator)(size_t size);
