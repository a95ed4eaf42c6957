// Placeholders for the parts still being built: each is removed when its module brings the real one.
#include "report/info_command.h"

static HostValue __stdcall pending(ArgList) {
    HostValue result = host_api.kumo_var_new(nullptr);
    set_text_literal(result, "pending");
    return result;
}

HostValue __stdcall cmd_wt_info(ArgList args) {
    return pending(args);
}
