// The "WT情報取得" command: the report on the driver, its devices and its cursors.
#pragma once

#include "host_sdk/host_api.h"

HostValue __stdcall cmd_wt_info(ArgList args);
