// Packets through the real plug-in DLL under Wine, on a real window with real message dispatch, beside the
// same messages to the same window without the plug-in. The simulated driver queues each packet and posts its
// message; the host runtime stand-in's evaluator only counts (and returns no value). Runs, in rounds:
// - no plug-in: the plug-in's context is not open; the bench opens the driver's context on the window itself,
//   injects and dispatches exactly as below, and the window procedure returns at once.
// - host evaluation: the same, and the window procedure hands the host one call text per packet, made
//   beforehand: what the host spends on a call (the stand-in's kumo_eval records the text).
// - bare subclass (when the plug-in hooks by comctl32 subclassing): the same again with a comctl32 subclass
// on
//   the window that routes messages as the plug-in's hook does and nothing more: what subclassing costs.
// - plug-in: its context is open; its hook takes the message, fetches the packet from the driver, builds the
//   call text and calls kumo_eval.
// Each run is timed whole (injection, posting, peeking, dispatch: packets per second) and inside
// DispatchMessageA alone, which leaves out the wineserver requests that post and fetch messages, the same in
// every run; the plug-in's own cost per packet is its dispatch time less that of the host-evaluation run.
// With the argument "window-procedure" the process gets a comctl32 without subclassing (the stand-in; run
// with KUMO_DLL_OVERRIDES=comctl32=n), so that the plug-in replaces the window procedure instead.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_stroke.h"
#include "events/call_text.h"
#include "host_control.h"
#include "plugin/command_texts.h"
#include "tablet/open_texts.h"
#include "text/bounded_text.h"
#include "wintab_sim/sim_control.h"

namespace {

using PluginInit_t = int(WINAPI*)(HMODULE);
using ImportKumoFunction_t = void(WINAPI*)();
using PluginFin_t = void(WINAPI*)();
using kumo_eval_t = HostValue(WINAPI*)(const char*);
using kumo_var_free_t = int(WINAPI*)(HostValue);
using SUBCLASSPROC_t = LRESULT(CALLBACK*)(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
using SetWindowSubclass_t = BOOL(WINAPI*)(HWND, SUBCLASSPROC_t, UINT_PTR, DWORD_PTR);
using RemoveWindowSubclass_t = BOOL(WINAPI*)(HWND, SUBCLASSPROC_t, UINT_PTR);
using DefSubclassProc_t = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);

// The largest layout the plug-in builds (z, pressure, tangent pressure, tilt, twist: 40-byte packets).
const char benchmark_profile[] = "include default\ndevice.0.tangent = 0 1023 0 0\n";
constexpr WTPKT benchmark_mask = 0x1FE0;
constexpr int pen_mode_batch = 8;    // the driver's queue in pen mode: the plug-in leaves its size alone
constexpr int mouse_mode_batch = 32; // the queue the plug-in asks for in mouse mode; one poll takes it all
constexpr int pen_mode_packets = 8000;
constexpr int mouse_mode_packets = 32000;
constexpr int measured_rounds = 7;

template <typename Function> int bind(HMODULE module, Function& entry, const char* name) {
    entry = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (entry == nullptr)
        std::fprintf(stderr, "dispatch_bench: %s not found\n", name);
    return entry != nullptr;
}

struct Modules {
    HostControl host;
    kumo_eval_t kumo_eval;
    kumo_var_free_t kumo_var_free;
    sim_reset_t sim_reset;
    sim_load_profile_t sim_load_profile;
    sim_last_error_t sim_last_error;
    sim_inject_t sim_inject;
    sim_clear_log_t sim_clear_log;
    sim_queue_length_t sim_queue_length;
    sim_queue_size_t sim_queue_size;
    sim_last_open_t sim_last_open;
    WTInfoA_t WTInfoA;
    WTOpenA_t WTOpenA;
    WTClose_t WTClose;
    WTQueueSizeSet_t WTQueueSizeSet;
    HMODULE runtime;
    PluginInit_t PluginInit;
    ImportKumoFunction_t ImportKumoFunction;
    PluginFin_t PluginFin;
    SetWindowSubclass_t SetWindowSubclass;
    RemoveWindowSubclass_t RemoveWindowSubclass;
    DefSubclassProc_t DefSubclassProc;
};
Modules modules;

enum class Mode { pen, mouse };
enum class HostWork { none, evaluate };

HWND window;
HostWork host_work = HostWork::none;
int evaluations;
std::vector<std::string> call_texts; // the call text of each stroke sample, as the plug-in builds it
std::vector<SimSample> samples;
int next_text;

HostValue WINAPI counting_evaluator(const char*) {
    ++evaluations;
    return nullptr;
}

void evaluate_precomputed(int count) {
    for (int i = 0; i < count; ++i) {
        HostValue value = modules.kumo_eval(call_texts[next_text].c_str());
        if (value != nullptr)
            modules.kumo_var_free(value);
        next_text = (next_text + 1) % stroke_length;
    }
}

LRESULT CALLBACK bench_window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WT_PACKET) {
        if (host_work == HostWork::evaluate)
            evaluate_precomputed(1);
        return 0;
    }
    if (message == WM_MOUSEMOVE) {
        if (host_work == HostWork::evaluate)
            evaluate_precomputed(mouse_mode_batch);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

// Routes messages as the plug-in's hook does, and does nothing else: it takes the packet message (handing the
// host its call text there, since the window procedure does not see it) and passes every other message on.
LRESULT CALLBACK passing_subclass_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                       DWORD_PTR) {
    if (message == WT_PACKET) {
        if (host_work == HostWork::evaluate)
            evaluate_precomputed(1);
        return 0;
    }
    return modules.DefSubclassProc(hwnd, message, wparam, lparam);
}
constexpr UINT_PTR passing_subclass_id = 0x6B62;

// The time each DispatchMessageA took while `timing` is set, in performance-counter ticks: the window's own
// handling of a message, without the wineserver requests that post, peek and fetch it.
int timing;
std::vector<long long> dispatch_ticks;

void pump_messages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        LARGE_INTEGER before, after;
        QueryPerformanceCounter(&before);
        DispatchMessageA(&message);
        QueryPerformanceCounter(&after);
        if (timing)
            dispatch_ticks.push_back(after.QuadPart - before.QuadPart);
    }
}

// The dispatch time of a run: the sum over its messages, less the slowest hundredth of them. On a shared
// machine a message now and then waits out another process's time slice, which would swamp a sub-microsecond
// cost; the same share is dropped from every run.
long long dispatch_ticks_without_preemption() {
    std::sort(dispatch_ticks.begin(), dispatch_ticks.end());
    const size_t kept = dispatch_ticks.size() - dispatch_ticks.size() / 100;
    long long sum = 0;
    for (size_t i = 0; i < kept; ++i)
        sum += dispatch_ticks[i];
    return sum;
}

int load_modules(int replace_window_procedure) {
    window = [] {
        WNDCLASSA description{};
        description.lpfnWndProc = bench_window_proc;
        description.hInstance = GetModuleHandleA(nullptr);
        description.lpszClassName = "kumo_bench_host_window";
        RegisterClassA(&description);
        return CreateWindowExA(0, "kumo_bench_host_window", "host", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }();
    if (window == nullptr)
        return 0;
    modules.runtime = LoadLibraryA(KUMO_BIN_DIR "/kumo_runtime.dll");
    if (modules.runtime == nullptr || !bind_host_control(modules.runtime, &modules.host))
        return 0;
    const char driver_folder[] = KUMO_BIN_DIR "/drivers/full";
    SetDllDirectoryA(driver_folder);
    HMODULE driver = LoadLibraryA(KUMO_BIN_DIR "/drivers/full/wintab32.dll");
    HMODULE plugin = LoadLibraryA(KUMO_BIN_DIR "/kumo_wintab.dll");
    if (driver == nullptr || plugin == nullptr)
        return 0;
    // The plug-in loads "comctl32.dll" in PluginInit and finds whichever is loaded by now.
    HMODULE comctl32 = replace_window_procedure ? LoadLibraryA(KUMO_BIN_DIR "/comctl32_stub/comctl32.dll")
                                                : LoadLibraryA("comctl32.dll");
    if (comctl32 == nullptr)
        return 0;
    if (!replace_window_procedure && !(bind(comctl32, modules.SetWindowSubclass, "SetWindowSubclass") &
                                       bind(comctl32, modules.RemoveWindowSubclass, "RemoveWindowSubclass") &
                                       bind(comctl32, modules.DefSubclassProc, "DefSubclassProc")))
        return 0;
    return bind(modules.runtime, modules.kumo_eval, "kumo_eval") &
           bind(modules.runtime, modules.kumo_var_free, "kumo_var_free") &
           bind(driver, modules.sim_reset, "sim_reset") &
           bind(driver, modules.sim_load_profile, "sim_load_profile") &
           bind(driver, modules.sim_last_error, "sim_last_error") &
           bind(driver, modules.sim_inject, "sim_inject") &
           bind(driver, modules.sim_clear_log, "sim_clear_log") &
           bind(driver, modules.sim_queue_length, "sim_queue_length") &
           bind(driver, modules.sim_queue_size, "sim_queue_size") &
           bind(driver, modules.sim_last_open, "sim_last_open") & bind(driver, modules.WTInfoA, "WTInfoA") &
           bind(driver, modules.WTOpenA, "WTOpenA") & bind(driver, modules.WTClose, "WTClose") &
           bind(driver, modules.WTQueueSizeSet, "WTQueueSizeSet") &
           bind(plugin, modules.PluginInit, "PluginInit") &
           bind(plugin, modules.ImportKumoFunction, "ImportKumoFunction") &
           bind(plugin, modules.PluginFin, "PluginFin");
}

// The samples, and the text the plug-in makes of each, for the host-evaluation run.
void prepare_stroke() {
    PacketLayout layout{benchmark_mask, 40, 1, bench_axis_max, 1, bench_axis_max, 1, bench_axis_max, 1, 1};
    static char text[text_buffer_size];
    for (int i = 0; i < stroke_length; ++i) {
        const StrokeValues v = stroke_values(i);
        samples.push_back(SimSample{v.cursor, v.buttons, v.x, v.y, v.z, v.pressure, v.tangent, v.azimuth,
                                    v.altitude, v.twist});
        unsigned char packet[40];
        write_packet(packet, benchmark_mask, v);
        build_call_text(text, text_buffer_size, "OnPen", layout, packet, sizeof packet);
        call_texts.emplace_back(text);
    }
}

// A fresh host: an empty record of evaluations, the commands registered, the counting evaluator.
void reset_host() {
    modules.host.reset();
    modules.ImportKumoFunction();
    modules.host.set_evaluator(counting_evaluator);
    evaluations = 0;
}

int command(const char* name, const char* argument) {
    const char* const arguments[] = {argument};
    HostValue answer = modules.host.call_command(name, arguments, 1);
    int length = 0;
    const char* text = modules.host.value_bytes(answer, &length);
    return answer != nullptr && length == 2 && std::memcmp(text, "OK", 2) == 0;
}

HCTX bare_context;

int open_without_plugin(Mode mode) {
    LOGCONTEXTA record{};
    if (modules.WTInfoA(mode == Mode::pen ? WTI_DEFCONTEXT : WTI_DEFSYSCTX, 0, &record) == 0)
        return 0;
    record.lcPktData = benchmark_mask;
    record.lcMoveMask = benchmark_mask;
    if (mode == Mode::pen)
        record.lcOptions |= CXO_MESSAGES;
    else
        record.lcOptions &= ~CXO_MESSAGES;
    bare_context = modules.WTOpenA(window, &record, TRUE);
    if (bare_context == nullptr)
        return 0;
    if (mode == Mode::mouse && !modules.WTQueueSizeSet(bare_context, mouse_mode_batch))
        return 0;
    return 1;
}

void close_without_plugin() {
    modules.WTClose(bare_context);
    bare_context = nullptr;
    pump_messages();
}

int open_plugin(Mode mode) {
    reset_host();
    return command(command_name_set_event, "OnPen") == 0 && // an empty answer
           command(command_name_init, mode == Mode::mouse ? mouse_mode_word_latin : nullptr) &&
           command(command_name_enable, nullptr);
}

void close_plugin() {
    command(command_name_dispose, nullptr);
    pump_messages();
}

double ticks_per_microsecond() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart) / 1e6;
}

// Microseconds per packet: for the whole round trip, and inside DispatchMessageA alone.
struct RunTime {
    double whole;
    double dispatch;
};

// Injects `packets` samples in batches that the queue holds, and lets the message loop deliver each batch: in
// pen mode by the driver's packet messages, in mouse mode by one posted mouse move.
RunTime deliver(Mode mode, int packets) {
    const int batch = mode == Mode::pen ? pen_mode_batch : mouse_mode_batch;
    next_text = 0;
    modules.sim_clear_log(); // the driver logs each call while its log has room: the same for every run
    int sample = 0;
    dispatch_ticks.clear();
    dispatch_ticks.reserve(static_cast<size_t>(packets) + 16); // no allocation while timing
    timing = 1;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int sent = 0; sent < packets;) {
        for (int i = 0; i < batch && sent < packets; ++i, ++sent) {
            modules.sim_inject(&samples[sample]);
            sample = (sample + 1) % stroke_length;
        }
        if (mode == Mode::mouse)
            PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
        pump_messages();
    }
    QueryPerformanceCounter(&end);
    timing = 0;
    const double scale = ticks_per_microsecond() * packets;
    return {static_cast<double>(end.QuadPart - start.QuadPart) / scale,
            static_cast<double>(dispatch_ticks_without_preemption()) / scale};
}

struct Runs {
    std::vector<double> whole, dispatch;
    void add(RunTime time) {
        whole.push_back(time.whole);
        dispatch.push_back(time.dispatch);
    }
};
struct Timings {
    Runs round_trip, host_evaluation, bare_subclass, plugin;
};
int subclass_hook; // the plug-in hooks by comctl32 subclassing (else by replacing the window procedure)

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One round of the runs; 0 when a run did not go as it must (then its figures would mean nothing).
int measure_round(Mode mode, int packets, Timings& timings) {
    reset_host();
    if (!open_without_plugin(mode))
        return 0;
    host_work = HostWork::none;
    timings.round_trip.add(deliver(mode, packets));
    if (evaluations != 0)
        return 0;
    host_work = HostWork::evaluate;
    timings.host_evaluation.add(deliver(mode, packets));
    if (subclass_hook) {
        if (!modules.SetWindowSubclass(window, passing_subclass_proc, passing_subclass_id, 0))
            return 0;
        timings.bare_subclass.add(deliver(mode, packets));
        modules.RemoveWindowSubclass(window, passing_subclass_proc, passing_subclass_id);
    }
    host_work = HostWork::none;
    close_without_plugin();
    if (evaluations != (subclass_hook ? 2 : 1) * packets) {
        std::fprintf(stderr, "host evaluation run: %d evaluations for %d packets\n", evaluations, packets);
        return 0;
    }

    if (!open_plugin(mode)) {
        std::fprintf(stderr, "the plug-in did not open (%s mode)\n", mode == Mode::pen ? "pen" : "mouse");
        return 0;
    }
    LOGCONTEXTA opened{};
    if (!modules.sim_last_open(&opened) || opened.lcPktData != benchmark_mask) {
        std::fprintf(stderr, "the plug-in opened with packet data 0x%04X\n",
                     static_cast<unsigned>(opened.lcPktData));
        return 0;
    }
    timings.plugin.add(deliver(mode, packets));
    const int delivered = evaluations;
    // The host evaluation runs handed over the very texts the plug-in makes.
    const char* first_text = modules.host.eval_text(0);
    const int same_texts = first_text != nullptr && call_texts[0] == first_text;
    close_plugin();
    if (delivered != packets || !same_texts) {
        std::fprintf(stderr, "plug-in run: %d handler calls for %d packets, first call %s\n", delivered,
                     packets, first_text != nullptr ? first_text : "none");
        return 0;
    }
    return 1;
}

int report_mode(Mode mode) {
    const int packets = mode == Mode::pen ? pen_mode_packets : mouse_mode_packets;
    Timings timings;
    Timings warm_up;
    if (!measure_round(mode, packets / 4, warm_up))
        return 0;
    for (int round = 0; round < measured_rounds; ++round)
        if (!measure_round(mode, packets, timings))
            return 0;

    if (mode == Mode::pen)
        std::printf("pen mode: %d packets a run in batches of %d, one WT_PACKET message each\n", packets,
                    pen_mode_batch);
    else
        std::printf("mouse mode: %d packets a run in polls of %d, one WM_MOUSEMOVE each\n", packets,
                    mouse_mode_batch);
    std::printf("  us per packet (median)            whole round trip    inside DispatchMessage\n");
    auto line = [](const char* label, const Runs& runs) {
        const double whole = median(runs.whole);
        std::printf("  %-32s %8.3f (%7.0f/s)    %8.3f\n", label, whole, 1e6 / whole, median(runs.dispatch));
    };
    line("no plug-in", timings.round_trip);
    line("no plug-in + host evaluation", timings.host_evaluation);
    if (subclass_hook)
        line("  + a bare comctl32 subclass", timings.bare_subclass);
    line("through the plug-in", timings.plugin);

    // Costs from the dispatch times (the posting and fetching of messages, equal in every run, left out), as
    // a share of the whole round trip without the plug-in.
    const double round_trip = median(timings.round_trip.whole);
    const double host_evaluation = median(timings.host_evaluation.dispatch);
    auto cost = [&](const char* label, double microseconds) {
        std::printf("  %-32s %8.3f us/packet = %5.1f%% of the round trip; alone %9.0f packets/s\n", label,
                    microseconds, 100.0 * microseconds / round_trip,
                    microseconds > 0 ? 1e6 / microseconds : 0.0);
    };
    const double plugin = median(timings.plugin.dispatch) - host_evaluation;
    cost("plug-in's own cost, hook included", plugin);
    if (subclass_hook) {
        const double subclass = median(timings.bare_subclass.dispatch) - host_evaluation;
        cost("a bare comctl32 subclass alone", subclass);
    }
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    const int replace_window_procedure = argc > 1 && std::strcmp(argv[1], "window-procedure") == 0;
    if (!load_modules(replace_window_procedure)) {
        std::fprintf(stderr, "dispatch_bench: the stand-ins or the plug-in did not load from %s\n",
                     KUMO_BIN_DIR);
        return 1;
    }
    prepare_stroke();
    modules.sim_reset();
    if (!modules.sim_load_profile(benchmark_profile)) {
        std::fprintf(stderr, "dispatch_bench: profile: %s\n", modules.sim_last_error());
        return 1;
    }
    modules.host.reset();
    subclass_hook = modules.PluginInit(modules.runtime);
    if (subclass_hook == replace_window_procedure) {
        std::fprintf(stderr, "dispatch_bench: comctl32 %s subclassing, not what was asked for\n",
                     subclass_hook ? "has" : "lacks");
        return 1;
    }
    std::printf(
        "packets through kumo_wintab.dll under Wine, hook: %s; layout 0x%04X (40-byte packets); median "
        "of %d rounds\n",
        subclass_hook ? "comctl32 subclass (Wine's comctl32)" : "replaced window procedure", benchmark_mask,
        measured_rounds);
    if (subclass_hook) {
        // Wine's comctl32 finds a window's subclasses through a window property on every message it routes.
        constexpr int lookups = 2000;
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        for (int i = 0; i < lookups; ++i)
            GetPropA(window, "kumo_bench_property");
        QueryPerformanceCounter(&end);
        std::printf("one window-property lookup (GetPropA): %.3f us\n",
                    static_cast<double>(end.QuadPart - start.QuadPart) / ticks_per_microsecond() / lookups);
    }
    const int done = report_mode(Mode::pen) && report_mode(Mode::mouse);
    modules.PluginFin();
    return done ? 0 : 1;
}
