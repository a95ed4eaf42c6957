// Control functions of the simulated Wintab driver (bin/drivers/<variant>/wintab32.dll), for tests and the
// host program. Every variant exports all of them. Reach them with GetModuleHandleA("wintab32.dll") +
// GetProcAddress once the driver is loaded (the *_t pointer types below fit lookup_entry_point), or by
// loading the same path.
#pragma once

#include <windows.h>
#include <cstdint>

#include "wintab/wintab_types.h"

extern "C" {

// One pen sample, as a test or a stroke file gives it. The driver lays it out for the open context's
// lcPktData.
struct SimSample {
    uint32_t cursor;
    uint32_t buttons;
    int32_t x;
    int32_t y;
    int32_t z;
    int32_t pressure;
    int32_t tangent;
    int32_t azimuth;
    int32_t altitude;
    int32_t twist;
};

// The built-in rich profile, no context, empty queue, empty log, no stroke loaded.
void WINAPI sim_reset();
// Replaces the profile with one parsed from `text`: 1 on success; 0 when malformed, the profile unchanged and
// sim_last_error() naming the line and what was expected.
int WINAPI sim_load_profile(const char* text);
int WINAPI sim_load_profile_file(const char* path);
// The last error of a profile or stroke load ("" when none).
const char* WINAPI sim_last_error();

// With an open, enabled context: queues the sample with the next serial number (a full queue drops its oldest
// packet), posts WT_PACKET when the context's lcOptions carry CXO_MESSAGES, and returns the serial. Else 0.
int WINAPI sim_inject(const SimSample* sample);

// Every entry-point call received, one line each (format in sim/README.md).
const char* WINAPI sim_log();
void WINAPI sim_clear_log();

// The description last passed to WTOpenA, as received (before any adjustment); 1 when there was one.
int WINAPI sim_last_open(LOGCONTEXTA* out);
int WINAPI sim_queue_length();
int WINAPI sim_queue_size();
int WINAPI sim_context_open();
int WINAPI sim_context_enabled();

// Stroke files (format in sim/README.md): the sample count, or 0 with sim_last_error() on failure.
int WINAPI sim_load_stroke_file(const char* path);
// Copies sample i of the loaded stroke: 1, or 0 when there is no such sample.
int WINAPI sim_stroke_sample(int index, SimSample* out);
// Injects `count` samples of the loaded stroke from `first` at once (sim_inject each); the number queued.
int WINAPI sim_replay_stroke(int first, int count);

} // extern "C"

using sim_reset_t = void(WINAPI*)();
using sim_load_profile_t = int(WINAPI*)(const char* text);
using sim_load_profile_file_t = int(WINAPI*)(const char* path);
using sim_last_error_t = const char*(WINAPI*)();
using sim_inject_t = int(WINAPI*)(const SimSample* sample);
using sim_log_t = const char*(WINAPI*)();
using sim_clear_log_t = void(WINAPI*)();
using sim_last_open_t = int(WINAPI*)(LOGCONTEXTA* out);
using sim_queue_length_t = int(WINAPI*)();
using sim_queue_size_t = int(WINAPI*)();
using sim_context_open_t = int(WINAPI*)();
using sim_context_enabled_t = int(WINAPI*)();
using sim_load_stroke_file_t = int(WINAPI*)(const char* path);
using sim_stroke_sample_t = int(WINAPI*)(int index, SimSample* out);
using sim_replay_stroke_t = int(WINAPI*)(int first, int count);
