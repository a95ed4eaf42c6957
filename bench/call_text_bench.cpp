// The call text of one packet, natively: build_call_text beside a builder written the literal way (snprintf
// of each argument into a field buffer, strcat onto the text), for the smallest and the largest packet
// layout, over a stroke of varying values. Prints nanoseconds per packet and how many times faster the
// plug-in's builder is.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "bench_stroke.h"
#include "events/call_text.h"
#include "reference_call_text.h"
#include "text/bounded_text.h"

namespace {

constexpr char handler_name[] = "OnPen";
constexpr int largest_packet_bytes = 40;

struct BenchLayout {
    const char* label;
    PacketLayout layout;
    unsigned char packets[stroke_length][largest_packet_bytes];
};

BenchLayout smallest{
    "smallest 0x01E0 (16 bytes)", {PK_CURSOR | PK_BUTTONS | PK_X | PK_Y, 16, 0, 0, 0, 0, 0, 0, 0, 0}, {}};
BenchLayout largest{
    "largest 0x1FE0 (40 bytes)",
    {PK_CURSOR | PK_BUTTONS | PK_X | PK_Y | PK_Z | PK_NORMAL_PRESSURE | PK_TANGENT_PRESSURE | PK_ORIENTATION,
     40, 1, bench_axis_max, 1, bench_axis_max, 1, bench_axis_max, 1, 1},
    {}};

void fill_packets(BenchLayout& bench) {
    for (int i = 0; i < stroke_length; ++i) {
        const int written = write_packet(bench.packets[i], bench.layout.packet_mask, stroke_values(i));
        if (written != bench.layout.packet_size) {
            std::fprintf(stderr, "%s: a packet of %d bytes, %d expected\n", bench.label, written,
                         bench.layout.packet_size);
            std::exit(1);
        }
    }
}

char plugin_text[text_buffer_size];
char reference_text[text_buffer_size];

// Both builders must write the same bytes for every packet of the stroke, or the comparison means nothing.
int outputs_agree(const BenchLayout& bench) {
    for (int i = 0; i < stroke_length; ++i) {
        const int length = build_call_text(plugin_text, text_buffer_size, handler_name, bench.layout,
                                           bench.packets[i], bench.layout.packet_size);
        const int reference_length =
            reference_call_text(reference_text, handler_name, bench.layout, bench.packets[i]);
        if (length != reference_length || std::strcmp(plugin_text, reference_text) != 0) {
            std::fprintf(stderr,
                         "%s, packet %d: the builders differ\n  build_call_text: %s\n  reference:       %s\n",
                         bench.label, i, plugin_text, reference_text);
            return 0;
        }
    }
    return 1;
}

void plugin_builder(benchmark::State& state, const BenchLayout* bench) {
    int i = 0;
    for (auto _ : state) {
        int length = build_call_text(plugin_text, text_buffer_size, handler_name, bench->layout,
                                     bench->packets[i], bench->layout.packet_size);
        benchmark::DoNotOptimize(length);
        benchmark::ClobberMemory();
        i = (i + 1) % stroke_length;
    }
    state.SetItemsProcessed(state.iterations());
}

void reference_builder(benchmark::State& state, const BenchLayout* bench) {
    int i = 0;
    for (auto _ : state) {
        int length = reference_call_text(reference_text, handler_name, bench->layout, bench->packets[i]);
        benchmark::DoNotOptimize(length);
        benchmark::ClobberMemory();
        i = (i + 1) % stroke_length;
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK_CAPTURE(plugin_builder, smallest, &smallest);
BENCHMARK_CAPTURE(reference_builder, smallest, &smallest);
BENCHMARK_CAPTURE(plugin_builder, largest, &largest);
BENCHMARK_CAPTURE(reference_builder, largest, &largest);

// The console output, and each benchmark's time per packet kept for the closing comparison: the median when
// repetitions were asked for, else the single run. CPU time is what the builder costs; wall time also counts
// the moments another process had the core.
struct PacketTimes {
    double cpu;
    double wall;
};

class ComparingReporter : public benchmark::ConsoleReporter {
  public:
    ComparingReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            const std::string name = run.run_name.str();
            const PacketTimes times{run.GetAdjustedCPUTime(), run.GetAdjustedRealTime()};
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                medians[name] = times;
            else if (run.run_type == Run::RT_Iteration)
                singles[name] = times;
        }
    }
    PacketTimes times(const std::string& name) const {
        auto found = medians.find(name);
        if (found != medians.end())
            return found->second;
        found = singles.find(name);
        return found != singles.end() ? found->second : PacketTimes{0.0, 0.0};
    }

  private:
    std::map<std::string, PacketTimes> medians;
    std::map<std::string, PacketTimes> singles;
};

} // namespace

int main(int argc, char** argv) {
    fill_packets(smallest);
    fill_packets(largest);
    if (!outputs_agree(smallest) || !outputs_agree(largest))
        return 1;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    ComparingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf(
        "\ncall text per packet, natively (CPU time, wall time in brackets; both builders write the same "
        "bytes):\n");
    for (const BenchLayout* bench : {&smallest, &largest}) {
        const char* which = bench == &smallest ? "smallest" : "largest";
        const PacketTimes ours = reporter.times(std::string("plugin_builder/") + which);
        const PacketTimes reference = reporter.times(std::string("reference_builder/") + which);
        if (ours.cpu <= 0.0 || reference.cpu <= 0.0)
            continue;
        std::printf(
            "  %-27s build_call_text %6.1f ns (%6.1f)   snprintf+strcat %7.1f ns (%7.1f)   %4.1fx faster\n",
            bench->label, ours.cpu, ours.wall, reference.cpu, reference.wall, reference.cpu / ours.cpu);
    }
    return 0;
}
