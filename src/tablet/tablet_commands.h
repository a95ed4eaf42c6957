// Script commands on the tablet context: open, close, enable, disable, and naming the packet handler.
#pragma once

#include "host_sdk/host_api.h"

HostValue __stdcall cmd_wt_init(ArgList args);
HostValue __stdcall cmd_wt_dispose(ArgList args);
HostValue __stdcall cmd_wt_enable(ArgList args);
HostValue __stdcall cmd_wt_disable(ArgList args);
HostValue __stdcall cmd_wt_set_event(ArgList args);
