// No packet may cost a heap allocation: a stroke of packets goes through build_call_text while every
// allocation of the process is counted, whichever allocator serves it (malloc, calloc, realloc, operator
// new).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <set>
#include <string>

#include "events/call_text.h"
#include "text/bounded_text.h"

// The sanitizer's allocator serves every allocation of the process, operator new included, and reports each
// to hooks; the tree that builds this test always has it (CMakeLists.txt).
#include <sanitizer/allocator_interface.h>

namespace {

// Allocations seen while `counting` is set. The tests are single-threaded.
int counting;
int allocations;

void on_allocate(const volatile void*, size_t) {
    if (counting)
        ++allocations;
}
void on_free(const volatile void*) {}
const int hooks_installed = __sanitizer_install_malloc_and_free_hooks(on_allocate, on_free);

} // namespace

namespace {

struct AllocationCount {
    AllocationCount() {
        allocations = 0;
        counting = 1;
    }
    ~AllocationCount() { counting = 0; }
    int seen() const { return allocations; }
};

// The counter must see what it is there to see, or a zero below would prove nothing.
TEST(AllocationCounter, SeesMallocAndOperatorNew) {
    ASSERT_TRUE(hooks_installed);
    void* (*volatile allocate)(size_t) = std::malloc;
    void* (*volatile allocate_object)(size_t) = ::operator new;
    int seen_malloc = 0;
    int seen_new = 0;
    {
        AllocationCount count;
        void* block = allocate(64);
        seen_malloc = count.seen();
        void* object = allocate_object(64);
        seen_new = count.seen() - seen_malloc;
        ::operator delete(object);
        std::free(block);
    }
    EXPECT_EQ(seen_malloc, 1);
    EXPECT_EQ(seen_new, 1);
}

constexpr WTPKT every_field = 0x3FFF;
constexpr WTPKT largest_layout_mask =
    PK_CURSOR | PK_BUTTONS | PK_X | PK_Y | PK_Z | PK_NORMAL_PRESSURE | PK_TANGENT_PRESSURE | PK_ORIENTATION;
constexpr int stroke_packets = 1000;
constexpr int largest_packet_bytes = 72; // every field, leading ones and rotation included

// Packet words that reach every number length and both ways of scaling an axis (a quotient within the range
// and one far outside it): extremes now and then, scattered words otherwise.
uint32_t packet_word(int packet, int word) {
    static const uint32_t extremes[] = {0u,          1u,    0xFFFFFFFFu, 0x80000000u,
                                        0x7FFFFFFFu, 1023u, 3599u,       0xFFFFFC01u};
    const uint32_t mixed = static_cast<uint32_t>(packet * 131 + word) * 2654435761u;
    if (packet % 7 == 0)
        return extremes[(packet / 7 + word) % 8];
    return word % 2 == 0 ? mixed : mixed % 4096;
}

TEST(CallTextAllocation, StrokeThroughEveryLayoutAllocatesNothing) {
    struct Case {
        const char* label;
        PacketLayout layout;
    };
    const Case cases[] = {
        {"smallest", {PK_CURSOR | PK_BUTTONS | PK_X | PK_Y, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"largest", {largest_layout_mask, 0, 1, 1023, 1, 1023, 1, 1023, 1, 1}},
        {"every field, odd divisors", {every_field, 0, 1, 511, 1, 255, 1, 7, 1, 1}},
        {"bits set, axes unusable", {every_field, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"z of both bounds 0", {largest_layout_mask, 0, 1, 0, 1, 1023, 0, 0, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        PacketLayout layout = c.layout;
        layout.packet_size = packet_bytes_for_mask(layout.packet_mask);
        ASSERT_LE(layout.packet_size, largest_packet_bytes);

        static unsigned char stroke[stroke_packets][largest_packet_bytes];
        for (int packet = 0; packet < stroke_packets; ++packet)
            for (int word = 0; word < layout.packet_size / 4; ++word) {
                const uint32_t value = packet_word(packet, word);
                std::memcpy(&stroke[packet][word * 4], &value, sizeof value);
            }

        static int lengths[stroke_packets];
        static uint32_t text_sums[stroke_packets];
        int seen = 0;
        {
            AllocationCount count;
            for (int packet = 0; packet < stroke_packets; ++packet) {
                lengths[packet] = build_call_text(text_buffer, text_buffer_size, "OnPen", layout,
                                                  stroke[packet], layout.packet_size);
                // A cheap fingerprint of the text, taken inside the stroke: copying it would allocate.
                uint32_t sum = 0;
                for (int i = 0; i < lengths[packet]; ++i)
                    sum = sum * 31 + static_cast<unsigned char>(text_buffer[i]);
                text_sums[packet] = sum;
            }
            seen = count.seen();
        }
        EXPECT_EQ(seen, 0);
        // Every packet was built in full, and the values did vary.
        std::set<uint32_t> distinct;
        for (int packet = 0; packet < stroke_packets; ++packet) {
            ASSERT_GT(lengths[packet], 0) << "packet " << packet;
            distinct.insert(text_sums[packet]);
        }
        EXPECT_GT(distinct.size(), stroke_packets / 2u);
    }
}

TEST(CallTextAllocation, RefusedTextsAllocateNothing) {
    const PacketLayout layout{largest_layout_mask, 40, 1, 1023, 1, 1023, 1, 1023, 1, 1};
    unsigned char packet[40] = {};
    static char long_name[text_buffer_size + 16];
    std::memset(long_name, 'f', sizeof long_name - 1);
    char small[24];
    int results[3] = {};
    int seen = 0;
    {
        AllocationCount count;
        results[0] = build_call_text(small, sizeof small, "OnPen", layout, packet, sizeof packet);
        results[1] = build_call_text(text_buffer, text_buffer_size, long_name, layout, packet, sizeof packet);
        results[2] = build_call_text(text_buffer, text_buffer_size, "OnPen", layout, packet, 39);
        seen = count.seen();
    }
    EXPECT_EQ(seen, 0);
    EXPECT_EQ(results[0], -1);
    EXPECT_EQ(results[1], -1);
    EXPECT_EQ(results[2], -1);
}

} // namespace
