// Inner records of the simulated Wintab driver, shared by its source files. One process-wide driver: one
// profile, at most one open context with its packet queue, one call log, one loaded stroke.
#pragma once

#include <windows.h>
#include <cstdint>

#include "wintab/wintab_types.h"
#include "wintab_sim/sim_control.h"

// ---- Profile
// ------------------------------------------------------------------------------------------------

inline constexpr int max_devices = 4;
inline constexpr int max_cursors = 16;
// Code page 932 bytes of a name, its NUL included.
inline constexpr int name_capacity = 256;
// Longest name (without NUL) accepted unless driver.name_overrun = 1: it fits an 80-byte buffer.
inline constexpr int polite_name_length = 79;
// Hard bound of the packet queue; driver.queue_limit cannot exceed it.
inline constexpr int queue_capacity = 1024;
inline constexpr int default_queue_size = 8;
inline constexpr int default_queue_limit = 128;

struct AnsweredValue {
    int answered;
    uint32_t value;
};

struct AnsweredName {
    int answered;
    int line; // profile line that set it, for the late length check
    int length;
    char text[name_capacity];
};

struct AnsweredAxis {
    int answered;
    AXIS axis;
};

struct DeviceProfile {
    AnsweredName name;
    AnsweredValue hardware;
    AnsweredValue first_cursor;
    AnsweredValue cursor_types;
    AnsweredAxis x;
    AnsweredAxis y;
    AnsweredAxis z;
    AnsweredAxis pressure;
    AnsweredAxis tangent;
    int orientation_answered;
    AXIS orientation[3]; // azimuth, altitude, twist
};

struct CursorProfile {
    AnsweredName name;
    AnsweredValue active;
    AnsweredValue packet_data;
    AnsweredValue buttons;
    AnsweredValue pressure_button;
    AnsweredValue tangent_button;
    AnsweredValue capabilities;
    AnsweredValue mode;
};

// A default context is derived from device 0's axes, then the profile's field overrides apply.
struct ContextProfile {
    int unanswered;
    uint64_t override_mask; // bit n: field n of the LOGCONTEXTA field table was set
    LOGCONTEXTA overrides;
};

inline constexpr int never_fail = -1;

struct DriverSwitches {
    int refuse_open;
    int queue_limit;
    int queue_get_zero;
    int name_overrun;
    int packets_get_extra;
    int packets_get_result_fixed; // 1: WTPacketsGet returns packets_get_result whatever it copied
    int packets_get_result;
    int packet_result_count; // 1: WTPacket returns the number of packets removed
    int open_fail_after;     // successful opens before WTOpenA refuses; never_fail: no limit
};

struct Profile {
    AnsweredName interface_id;
    AnsweredValue spec_version;
    AnsweredValue impl_version;
    AnsweredValue device_count;
    AnsweredValue cursor_count;
    AnsweredValue context_count;
    AnsweredValue context_options;
    DeviceProfile devices[max_devices];
    CursorProfile cursors[max_cursors];
    ContextProfile digitizing;
    ContextProfile system;
    DriverSwitches driver;
};

extern Profile active_profile;

// The built-in rich profile's text (what `include default` starts from).
extern const char default_profile_text[];

// Parses `text` into `out`: 1, or 0 with the error in last_error. `out` is written either way.
int parse_profile(const char* text, Profile& out);
// Converts UTF-8 to code page 932 into out (capacity bytes, NUL included); the length, or -1 when the text is
// not valid UTF-8, has a character code page 932 lacks, or does not fit.
int utf8_to_cp932(const char* text, int length, char* out, int capacity);
// A profile that answers nothing at all, default contexts included (a driver without a tablet).
void make_deviceless_profile(Profile& out);
void make_default_profile(Profile& out);

// The default context of the profile: WTI_DEFCONTEXT (digitizing) or WTI_DEFSYSCTX (system).
void derive_default_context(const Profile& profile, int system, LOGCONTEXTA& out);

// ---- Errors and text input
// ----------------------------------------------------------------------------------

inline constexpr int error_capacity = 512;
extern char last_error[error_capacity];
void clear_error();
// Sets last_error to "line N: <what>" (line 0: no line prefix), with an excerpt of `found` when given.
void set_error(int line, const char* what, const char* found, int found_length);

// A whole file read into a static buffer, NUL-terminated; 0 with last_error set when unreadable or too large.
inline constexpr int file_text_capacity = 2 * 1024 * 1024;
int read_text_file(const char* path, const char*& text);

// Reads a number (decimal, optionally negative, or 0x hex) at `cursor`, which advances past it; 0 if none.
int read_number(const char*& cursor, const char* end, int64_t& out);
const char* skip_blanks(const char* cursor, const char* end);

// ---- Context, queue, packets
// --------------------------------------------------------------------------------

inline constexpr int max_packet_size = 11 * packet_word_size + 2 * packet_triple_size;

struct QueuedPacket {
    UINT serial;
    int size;
    unsigned char bytes[max_packet_size];
};

struct SimContext {
    int open;
    int enabled;
    HCTX handle;
    HWND window;
    LOGCONTEXTA description;
    int queue_size;
    int queue_first; // ring index of the oldest packet
    int queue_length;
    int has_previous;
    SimSample previous; // for PK_CHANGED
    QueuedPacket queue[queue_capacity];
};

extern SimContext context;
extern int have_last_open;
extern LOGCONTEXTA last_open_description;

void reset_driver_state();
int is_open_context(HCTX handle);
// Lays out one sample for `mask`; returns the packet's size in bytes.
int lay_out_packet(WTPKT mask, HCTX handle, UINT serial, DWORD time, WTPKT changed, const SimSample& sample,
                   unsigned char* out);
// Queues the sample on the open, enabled context and posts WT_PACKET; the serial, or 0.
int inject_sample(const SimSample& sample);

// ---- Call log
// -----------------------------------------------------------------------------------------------

inline constexpr int log_capacity = 1024 * 1024;
inline constexpr int log_line_capacity = 128;
void log_clear();
const char* log_text();

// One log line under construction: the entry point's name, then words each after one blank.
struct LogLine {
    char text[log_line_capacity];
    int length;
};
void log_line_start(LogLine& line, const char* name);
void log_line_number(LogLine& line, int64_t number);
void log_line_word(LogLine& line, const char* word);
// Appends the line and its "\n" to the log (or, once the log is full, a last "log full" line).
void log_line_finish(LogLine& line);

// ---- Strokes and the virtual tablet
// -------------------------------------------------------------------------

inline constexpr int stroke_capacity = 16384;
int load_stroke_text(const char* text);
void clear_stroke();
int stroke_length();
int stroke_sample(int index, SimSample& out);
int replay_stroke(int first, int count);

// Virtual tablet: profile and stroke beside the DLL, a timed replay once a context is enabled.
extern int control_used; // a sim_* call was made: test code drives the driver
void virtual_tablet_attach(HINSTANCE module);
void virtual_tablet_detach();
void virtual_tablet_context_opened();
void virtual_tablet_context_enabled();
void virtual_tablet_context_closed();

// ---- Entry points (exported through the variant's .def)
// -----------------------------------------------------

extern "C" {
UINT WINAPI WTInfoA(UINT category, UINT index, LPVOID output);
HCTX WINAPI WTOpenA(HWND window, LOGCONTEXTA* description, BOOL enable);
BOOL WINAPI WTClose(HCTX handle);
int WINAPI WTPacketsGet(HCTX handle, int max_packets, LPVOID packets);
BOOL WINAPI WTPacket(HCTX handle, UINT serial, LPVOID packet);
BOOL WINAPI WTEnable(HCTX handle, BOOL enable);
BOOL WINAPI WTOverlap(HCTX handle, BOOL to_top);
int WINAPI WTQueueSizeGet(HCTX handle);
BOOL WINAPI WTQueueSizeSet(HCTX handle, int packets);
}
