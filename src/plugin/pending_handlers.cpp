// Placeholders for the parts still being built: each is removed when its module brings the real one.
#include "events/packet_dispatch.h"
#include "events/window_hook.h"
#include "report/info_command.h"
#include "tablet/tablet_commands.h"
#include "tablet/tablet_state.h"
#include "wintab/wintab_api.h"

static HostValue __stdcall pending(ArgList) {
    HostValue result = host_api.kumo_var_new(nullptr);
    set_text_literal(result, "pending");
    return result;
}

HostValue __stdcall cmd_wt_init(ArgList args) {
    return pending(args);
}
HostValue __stdcall cmd_wt_info(ArgList args) {
    return pending(args);
}

int on_packet_message(WPARAM, LPARAM) {
    return 1;
}
int on_mouse_move() {
    return 1;
}
