#include "tablet/tablet_commands.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "events/window_hook.h"
#include "tablet/tablet_state.h"
#include "tablet/tablet_texts.h"
#include "text/bounded_text.h"
#include "wintab/wintab_api.h"

void* (*handler_name_allocator)(size_t size) = std::malloc;

HostValue __stdcall cmd_wt_dispose(ArgList) {
    HostValue result = host_api.kumo_var_new(nullptr);
    if (!require_wintab(result, WintabEntry::WTClose))
        return result;
    close_context();
    // Also without an open context: a hook left behind by a failed opening goes too.
    remove_hook();
    set_text_literal(result, command_ok_text);
    return result;
}

static HostValue switch_context(BOOL enable) {
    HostValue result = host_api.kumo_var_new(nullptr);
    if (!require_wintab(result, WintabEntry::WTEnable))
        return result;
    if (!tablet_state.is_open) {
        set_text_literal(result, tablet_not_open_text);
        return result;
    }
    wintab_api.WTEnable(tablet_state.context, enable);
    set_text_literal(result, command_ok_text);
    return result;
}

HostValue __stdcall cmd_wt_enable(ArgList) {
    return switch_context(TRUE);
}
HostValue __stdcall cmd_wt_disable(ArgList) {
    return switch_context(FALSE);
}

static void release_handler_name() {
    char* old_name = tablet_state.handler_name;
    tablet_state.handler_name = nullptr;
    std::free(old_name);
}

// The name is made whole before it is published: when no room can be had the handler stays unnamed.
static void store_handler_name(const char* text) {
    size_t length = std::strlen(text);
    if (length >= static_cast<size_t>(INT_MAX))
        return;
    int size = static_cast<int>(length) + 1;
    char* copy = static_cast<char*>(handler_name_allocator(static_cast<size_t>(size)));
    if (!copy)
        return;
    TextBuilder name;
    text_start(name, copy, size);
    text_append(name, text, size - 1);
    tablet_state.handler_name = copy;
}

HostValue __stdcall cmd_wt_set_event(ArgList args) {
    HostValue argument = host_api.kumo_getFuncArg(args, 0);
    const char* text = argument ? value_text(argument) : nullptr;
    HostValue result = host_api.kumo_var_new(nullptr);
    release_handler_name();
    // Any text is taken byte for byte, however long: a name too long for one call text is the dispatch's to
    // drop.
    if (text && text[0])
        store_handler_name(text);
    return result;
}
