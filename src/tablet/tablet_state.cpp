#include "tablet/tablet_state.h"

#include "wintab/wintab_api.h"

TabletState tablet_state;

void close_context() {
    if (!tablet_state.is_open)
        return;
    // The record is closed before the driver is called, so nothing reached from WTClose sees a dead handle.
    HCTX context = tablet_state.context;
    tablet_state.context = nullptr;
    tablet_state.is_open = 0;
    if (context && wintab_api.WTClose)
        wintab_api.WTClose(context);
}
