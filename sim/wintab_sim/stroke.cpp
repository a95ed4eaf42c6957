// Recorded strokes (one sample per line, see sim/README.md) and the virtual tablet: a program without test
// code that finds wintab_profile.txt or wintab_stroke.txt beside this DLL gets that profile and a timed
// replay of that stroke on every context it enables.
#include <cstring>

#include "wintab_sim/sim_driver.h"

int control_used;

namespace {

struct StrokeSample {
    int64_t time; // milliseconds from the recording's start
    SimSample sample;
};

StrokeSample stroke[stroke_capacity];
int stroke_count;

constexpr int stroke_numbers = 11;

// Parses every line; stores the samples only when `store` (a first pass checks the whole text, so that a
// malformed file leaves the loaded stroke as it was). The sample count, or -1 with last_error set.
int parse_stroke(const char* text, int store) {
    int line = 0;
    int count = 0;
    int64_t previous_time = 0;
    const char* cursor = text;
    while (*cursor != 0) {
        ++line;
        const char* end = cursor;
        while (*end != 0 && *end != '\n')
            ++end;
        const char* next = *end == '\n' ? end + 1 : end;
        if (end > cursor && end[-1] == '\r')
            --end;
        const char* position = skip_blanks(cursor, end);
        cursor = next;
        if (position == end || *position == '#')
            continue;
        if (count == stroke_capacity) {
            set_error(line, "at most 16384 samples expected", nullptr, 0);
            return -1;
        }
        int64_t numbers[stroke_numbers];
        for (int i = 0; i < stroke_numbers; ++i) {
            const char* start = position;
            int64_t lowest = i < 3 ? 0 : -2147483648LL;
            int64_t highest = i == 0 ? 2147483647LL : i < 3 ? 4294967295LL : 2147483647LL;
            if (!read_number(position, end, numbers[i]) || numbers[i] < lowest || numbers[i] > highest ||
                (position < end && *position != ' ' && *position != '\t')) {
                set_error(line,
                          "11 numbers expected (time cursor buttons x y z pressure tangent azimuth altitude "
                          "twist; time and cursor and buttons not negative)",
                          start, int(end - start));
                return -1;
            }
            position = skip_blanks(position, end);
        }
        if (position != end) {
            set_error(line, "the end of the line after the 11 numbers expected", position,
                      int(end - position));
            return -1;
        }
        if (count > 0 && numbers[0] < previous_time) {
            set_error(line, "a time not before the previous sample's expected", nullptr, 0);
            return -1;
        }
        previous_time = numbers[0];
        if (store) {
            StrokeSample& out = stroke[count];
            out.time = numbers[0];
            out.sample.cursor = uint32_t(numbers[1]);
            out.sample.buttons = uint32_t(numbers[2]);
            out.sample.x = int32_t(numbers[3]);
            out.sample.y = int32_t(numbers[4]);
            out.sample.z = int32_t(numbers[5]);
            out.sample.pressure = int32_t(numbers[6]);
            out.sample.tangent = int32_t(numbers[7]);
            out.sample.azimuth = int32_t(numbers[8]);
            out.sample.altitude = int32_t(numbers[9]);
            out.sample.twist = int32_t(numbers[10]);
        }
        ++count;
    }
    if (count == 0) {
        set_error(line, "at least one sample line expected", nullptr, 0);
        return -1;
    }
    return count;
}

// ---- Virtual tablet
// -----------------------------------------------------------------------------------------

constexpr char profile_file_name[] = "wintab_profile.txt";
constexpr char stroke_file_name[] = "wintab_stroke.txt";
constexpr UINT replay_interval_ms = 10;
constexpr int path_capacity = MAX_PATH + 32;

int stroke_from_file;   // a stroke file beside the DLL was loaded
int first_open_decided; // the first WTOpenA decided whether this is a virtual tablet
int virtual_tablet;     // replays run: stroke file present, no test code before the first WTOpenA
int replay_pending;     // the open context has not replayed yet
UINT_PTR replay_timer;
DWORD replay_start;
int replay_next;

void report_virtual_failure(const char* file_name) {
    char message[error_capacity + 96] = "wintab32 (simulated tablet): ";
    size_t length = strlen(message);
    size_t name_length = strlen(file_name);
    memcpy(message + length, file_name, name_length);
    length += name_length;
    memcpy(message + length, ": ", 2);
    length += 2;
    size_t error_length = strlen(last_error);
    memcpy(message + length, last_error, error_length);
    length += error_length;
    memcpy(message + length, " (no tablet is simulated)\n", sizeof(" (no tablet is simulated)\n"));
    OutputDebugStringA(message);
}

// The path of `file_name` in the folder of `module`; 0 when it does not fit.
int path_beside(HINSTANCE module, const char* file_name, char* path) {
    DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 0;
    char* folder_end = path + length;
    while (folder_end > path && folder_end[-1] != '\\' && folder_end[-1] != '/')
        --folder_end;
    size_t name_length = strlen(file_name);
    if (size_t(folder_end - path) + name_length + 1 > size_t(path_capacity))
        return 0;
    memcpy(folder_end, file_name, name_length + 1);
    return 1;
}

int file_exists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

void stop_replay() {
    if (replay_timer != 0)
        KillTimer(nullptr, replay_timer);
    replay_timer = 0;
}

void CALLBACK replay_tick(HWND, UINT, UINT_PTR, DWORD) {
    DWORD elapsed = GetTickCount() - replay_start;
    while (replay_next < stroke_count && stroke[replay_next].time - stroke[0].time <= int64_t(elapsed)) {
        inject_sample(stroke[replay_next].sample);
        ++replay_next;
    }
    if (replay_next >= stroke_count)
        stop_replay();
}

} // namespace

int load_stroke_text(const char* text) {
    clear_error();
    int count = parse_stroke(text, 0);
    if (count < 0)
        return 0;
    parse_stroke(text, 1);
    stroke_count = count;
    return count;
}

void clear_stroke() {
    stop_replay();
    stroke_count = 0;
    stroke_from_file = 0;
    replay_pending = 0;
}

int stroke_length() {
    return stroke_count;
}

int stroke_sample(int index, SimSample& out) {
    if (index < 0 || index >= stroke_count)
        return 0;
    out = stroke[index].sample;
    return 1;
}

int replay_stroke(int first, int count) {
    if (first < 0 || count <= 0 || first >= stroke_count)
        return 0;
    int last = count > stroke_count - first ? stroke_count : first + count;
    int queued = 0;
    for (int i = first; i < last; ++i)
        if (inject_sample(stroke[i].sample) != 0)
            ++queued;
    return queued;
}

void virtual_tablet_attach(HINSTANCE module) {
    char path[path_capacity];
    if (path_beside(module, profile_file_name, path) && file_exists(path)) {
        const char* text = nullptr;
        static Profile loaded;
        if (!read_text_file(path, text) || !parse_profile(text, loaded)) {
            report_virtual_failure(profile_file_name);
            make_deviceless_profile(active_profile);
            return;
        }
        active_profile = loaded;
    }
    if (path_beside(module, stroke_file_name, path) && file_exists(path)) {
        const char* text = nullptr;
        if (!read_text_file(path, text) || !load_stroke_text(text)) {
            report_virtual_failure(stroke_file_name);
            make_deviceless_profile(active_profile);
            return;
        }
        stroke_from_file = 1;
    }
}

void virtual_tablet_detach() {
    stop_replay();
}

void virtual_tablet_context_opened() {
    if (!first_open_decided) {
        first_open_decided = 1;
        virtual_tablet = stroke_from_file && !control_used;
    }
    replay_pending = virtual_tablet && stroke_from_file;
}

void virtual_tablet_context_enabled() {
    if (!replay_pending || replay_timer != 0 || stroke_count == 0)
        return;
    replay_pending = 0;
    replay_start = GetTickCount();
    replay_next = 0;
    replay_timer = SetTimer(nullptr, 0, replay_interval_ms, replay_tick);
}

void virtual_tablet_context_closed() {
    stop_replay();
    replay_pending = 0;
}
