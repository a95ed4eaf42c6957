#include "report/info_command.h"

#include "report/report.h"
#include "wintab/wintab_api.h"

// The report has a buffer of its own rather than sharing the event call text's: a handler that asks for the report
// while its own call is being evaluated then leaves that call text intact, whatever the host still reads of it.
static char report_buffer[text_buffer_size];

static int32_t ask_driver(void*, uint32_t category, uint32_t index, void* output) {
    return static_cast<int32_t>(wintab_api.WTInfoA(category, index, output));
}

HostValue __stdcall cmd_wt_info(ArgList) {
    HostValue result = host_api.kumo_var_new(nullptr);
    ReportDriver driver{};
    driver.module_loaded = require_wintab(result, WintabEntry::none);
    if (driver.module_loaded)
        driver.info_available = require_wintab(result, WintabEntry::WTInfoA);
    driver.query = ask_driver;
    driver.driver = nullptr;

    TextBuilder text;
    text_start(text, report_buffer, text_buffer_size);
    build_report(text, driver);
    // The report replaces any message the availability check stored.
    set_text(result, text.buffer, text.length);
    return result;
}
