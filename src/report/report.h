// The report text on the driver, its devices and its cursors. No Win32 here: the driver is asked through a
// function pointer, so the assembly also builds natively for sanitizer and fuzz runs.
#pragma once

#include <cstdint>

#include "text/bounded_text.h"

// WTInfoA as the report asks it: bytes of the answer (0 or less: not answered); a null output asks for the size.
using InfoQuery = int32_t (*)(void* driver, uint32_t category, uint32_t index, void* output);

struct ReportDriver {
    int module_loaded;  // a driver module is held
    int info_available; // it has WTInfoA
    InfoQuery query;    // used only when both are set
    void* driver;       // handed to query
};

// Builds the whole report into `text` (emptied first). Never writes past its buffer; a report that would not fit
// ends after the last whole line that does.
void build_report(TextBuilder& text, const ReportDriver& driver);
