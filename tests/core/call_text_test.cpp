#include "events/call_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "text/bounded_text.h"

namespace {

constexpr WTPKT smallest_mask = PK_CURSOR | PK_BUTTONS | PK_X | PK_Y;
constexpr WTPKT every_field = 0x3FFF;

// A packet as the driver lays it out: little-endian words, placed one byte off alignment so that a direct
// 32-bit load would be caught by the sanitizers. The vector holds exactly the packet, so reading past it is
// caught as well.
struct Packet {
    std::vector<unsigned char> storage;
    const unsigned char* bytes() const { return storage.data() + 1; }
    int32_t size() const { return static_cast<int32_t>(storage.size()) - 1; }
};

Packet packet_of(const std::vector<int64_t>& words) {
    Packet packet;
    packet.storage.assign(1 + 4 * words.size(), 0xEE);
    for (size_t i = 0; i < words.size(); ++i) {
        uint32_t word = static_cast<uint32_t>(words[i]);
        for (int b = 0; b < 4; ++b)
            packet.storage[1 + 4 * i + b] = static_cast<unsigned char>(word >> (8 * b));
    }
    return packet;
}

PacketLayout layout_of(WTPKT mask) {
    PacketLayout layout{};
    layout.packet_mask = mask;
    layout.packet_size = packet_bytes_for_mask(mask);
    return layout;
}

std::string call_text(const char* name, const PacketLayout& layout, const Packet& packet) {
    static char out[text_buffer_size];
    int length = build_call_text(out, text_buffer_size, name, layout, packet.bytes(), packet.size());
    EXPECT_EQ(static_cast<int>(std::strlen(out)), length < 0 ? 0 : length);
    return length < 0 ? "<refused>" : std::string(out, static_cast<size_t>(length));
}

} // namespace

TEST(CallText, WorkedExamples) {
    PacketLayout pressure_and_tilt = layout_of(smallest_mask | PK_NORMAL_PRESSURE | PK_ORIENTATION);
    pressure_and_tilt.has_pressure = 1;
    pressure_and_tilt.pressure_max = 255;
    pressure_and_tilt.has_orientation = 1;
    EXPECT_EQ(32, pressure_and_tilt.packet_size);
    EXPECT_EQ("OnPen(1,1,640,480,\"\",0.50196,\"\",900,450,\"\",\"\",\"\",\"\")",
              call_text("OnPen", pressure_and_tilt, packet_of({1, 1, 640, 480, 128, 900, 450, 0})));

    PacketLayout wheel_and_twist = layout_of(smallest_mask | PK_Z | PK_ORIENTATION);
    wheel_and_twist.has_z = 1;
    wheel_and_twist.z_max = 511;
    wheel_and_twist.has_twist = 1;
    EXPECT_EQ(32, wheel_and_twist.packet_size);
    EXPECT_EQ("OnPen(2,0,100,200,-0.50098,\"\",\"\",\"\",\"\",90.5,\"\",\"\",\"\")",
              call_text("OnPen", wheel_and_twist, packet_of({2, 0, 100, 200, -256, 0, 0, 905})));
}

// Each case: which fields the packet holds, which axes are usable, the packet's words and the call text.
TEST(CallText, FieldsAreReadFromTheirPlaceForEveryMask) {
    struct Flags {
        int z, pressure, tangent, orientation, twist;
    };
    struct Case {
        const char* what;
        WTPKT mask;
        Flags flags;
        std::vector<int64_t> words;
        const char* expected;
    } cases[] = {
        {"no field at all", 0, {1, 1, 1, 1, 1}, {}, R"(h("","","","","","","","","","","","",""))"},
        {"smallest layout: arguments 5 to 13 empty",
         smallest_mask,
         {1, 1, 1, 1, 1},
         {7, 3, -5, 9},
         R"(h(7,3,-5,9,"","","","","","","","",""))"},
        {"every leading field stepped over",
         0x001F | smallest_mask,
         {0, 0, 0, 0, 0},
         {91, 92, 93, 94, 95, 1, 2, 3, 4},
         R"(h(1,2,3,4,"","","","","","","","",""))"},
        {"some leading fields stepped over",
         PK_TIME | PK_SERIAL_NUMBER | PK_BUTTONS | PK_Y,
         {0, 0, 0, 0, 0},
         {93, 95, 2, 4},
         R"(h("",2,"",4,"","","","","","","","",""))"},
        {"unsigned cursor and buttons, signed x and y",
         smallest_mask,
         {0, 0, 0, 0, 0},
         {4294967295, 2147483648, -2147483648, 2147483647},
         R"(h(4294967295,2147483648,-2147483648,2147483647,"","","","","","","","",""))"},
        {"axes present but unusable still consume their words",
         smallest_mask | PK_Z | PK_NORMAL_PRESSURE | PK_TANGENT_PRESSURE | PK_ORIENTATION,
         {0, 0, 0, 0, 0},
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
         R"(h(1,2,3,4,"","","","","","","","",""))"},
        {"unusable z and pressure before a usable tangent",
         PK_Z | PK_NORMAL_PRESSURE | PK_TANGENT_PRESSURE,
         {0, 0, 1, 0, 0},
         {-1, 99, 1023},
         R"(h("","","","","","",1.00000,"","","","","",""))"},
        {"usable z before unusable pressure before usable tilt",
         PK_Z | PK_NORMAL_PRESSURE | PK_ORIENTATION,
         {1, 0, 0, 1, 0},
         {-512, 77, 1800, 600, 3599},
         R"(h("","","","",-1.00000,"","",1800,600,"","","",""))"},
        {"tilt only: twist empty",
         PK_ORIENTATION,
         {0, 0, 0, 1, 0},
         {-10, 20, 30},
         R"(h("","","","","","","",-10,20,"","","",""))"},
        {"twist only: azimuth and altitude empty",
         PK_ORIENTATION,
         {0, 0, 0, 0, 1},
         {10, 20, 3599},
         R"(h("","","","","","","","","",359.9,"","",""))"},
        {"orientation field present but nothing usable",
         PK_ORIENTATION,
         {0, 0, 0, 0, 0},
         {10, 20, 30},
         R"(h("","","","","","","","","","","","",""))"},
        {"rotation present: still empty",
         smallest_mask | PK_ORIENTATION | PK_ROTATION,
         {0, 0, 0, 1, 1},
         {1, 2, 3, 4, 5, 6, -7, 100, 200, 300},
         R"(h(1,2,3,4,"","","",5,6,-0.7,"","",""))"},
        {"every field",
         every_field,
         {1, 1, 1, 1, 1},
         {90, 91, 92, 93, 94, 1, 2, 3, 4, 256, 0, 1023, 45, 60, 0, 100, 200, 300},
         R"(h(1,2,3,4,0.50000,0.00000,1.00000,45,60,0.0,"","",""))"},
    };
    for (const Case& c : cases) {
        PacketLayout layout = layout_of(c.mask);
        layout.has_z = c.flags.z;
        layout.z_max = 512;
        layout.has_pressure = c.flags.pressure;
        layout.pressure_max = 1023;
        layout.has_tangent = c.flags.tangent;
        layout.tangent_max = 1023;
        layout.has_orientation = c.flags.orientation;
        layout.has_twist = c.flags.twist;
        Packet packet = packet_of(c.words);
        EXPECT_EQ(layout.packet_size, packet.size()) << c.what;
        EXPECT_EQ(c.expected, call_text("h", layout, packet)) << c.what;
    }
}

TEST(CallText, ScaledValues) {
    struct Case {
        int64_t word;
        uint32_t divisor;
        const char* expected;
    } cases[] = {
        {0, 1023, "0.00000"},
        {1023, 1023, "1.00000"},
        {-511, 511, "-1.00000"},
        {-1, 3, "-0.33333"},
        {2046, 1023, "2.00000"},
        {1, 200000, "0.00001"}, // no clamping
        {1, 300000, "0.00000"},
        {-1, 300000, "-0.00000"},
        {-2147483648, 1, "-2147483648.00000"},
        {2147483647, 4294967295, "0.50000"},
        {4294967295, 1, "-1.00000"}, // the word is signed
        {12345, 0, "\"\""},          // no divisor: no division, an empty argument
    };
    for (const Case& c : cases) {
        PacketLayout layout = layout_of(PK_NORMAL_PRESSURE);
        layout.has_pressure = 1;
        layout.pressure_max = c.divisor;
        std::string expected =
            std::string("h(\"\",\"\",\"\",\"\",\"\",") + c.expected + R"(,"","","","","","",""))";
        EXPECT_EQ(expected, call_text("h", layout, packet_of({c.word}))) << c.word << "/" << c.divisor;
    }
    // A zero divisor on z and tangent alike.
    PacketLayout layout = layout_of(PK_Z | PK_TANGENT_PRESSURE);
    layout.has_z = 1;
    layout.has_tangent = 1;
    EXPECT_EQ(R"(h("","","","","","","","","","","","",""))", call_text("h", layout, packet_of({5, 5})));
}

TEST(CallText, TwistIsTenthsOfADegree) {
    PacketLayout layout = layout_of(PK_ORIENTATION);
    layout.has_twist = 1;
    for (auto [word, expected] : {std::pair<int64_t, const char*>{0, "0.0"},
                                  {3599, "359.9"},
                                  {5, "0.5"},
                                  {-1, "-0.1"},
                                  {-2147483648, "-214748364.8"}}) {
        EXPECT_EQ(std::string(R"(h("","","","","","","","","",)") + expected + R"(,"","",""))",
                  call_text("h", layout, packet_of({0, 0, word})));
    }
}

// Whatever the mask and the flags: 13 arguments, the name directly followed by "(", rotation empty, and no
// byte read beyond the packet (its vector is exactly as long as the mask needs).
TEST(CallText, ThirteenArgumentsForEveryMaskAndFlags) {
    static char out[text_buffer_size];
    for (WTPKT mask = 0; mask <= every_field; ++mask) {
        std::vector<int64_t> words(static_cast<size_t>(packet_bytes_for_mask(mask) / 4), 1);
        Packet packet = packet_of(words);
        for (int flags = 0; flags < 32; ++flags) {
            PacketLayout layout = layout_of(mask);
            layout.has_z = flags & 1;
            layout.z_max = 3;
            layout.has_pressure = flags & 2;
            layout.pressure_max = 3;
            layout.has_tangent = flags & 4;
            layout.tangent_max = 3;
            layout.has_orientation = flags & 8;
            layout.has_twist = flags & 16;
            int length = build_call_text(out, text_buffer_size, "Pen", layout, packet.bytes(), packet.size());
            ASSERT_GT(length, 0);
            std::string text(out, static_cast<size_t>(length));
            ASSERT_EQ(0, text.find("Pen("));
            ASSERT_EQ(12, std::count(text.begin(), text.end(), ',')) << text;
            ASSERT_EQ(text.size() - 10, text.rfind(R"(,"","",""))")) << text;
        }
    }
}

TEST(CallText, PacketShorterThanItsMaskIsRefused) {
    char out[256];
    PacketLayout layout = layout_of(smallest_mask | PK_ORIENTATION | PK_ROTATION);
    EXPECT_EQ(40, layout.packet_size);
    Packet packet = packet_of(std::vector<int64_t>(10, 1));
    std::strcpy(out, "stale");
    EXPECT_EQ(-1, build_call_text(out, sizeof out, "h", layout, packet.bytes(), packet.size() - 1));
    EXPECT_EQ('\0', out[0]);
    EXPECT_EQ(-1, build_call_text(out, sizeof out, "h", layout, nullptr, 0));
    EXPECT_GT(build_call_text(out, sizeof out, "h", layout, packet.bytes(), packet.size()), 0);
    // With no field at all there is nothing to read.
    EXPECT_EQ(41, build_call_text(out, sizeof out, "h", layout_of(0), nullptr, 0));
}

// The widest values: 147 bytes after the name, so a name of 32620 bytes is the longest that fits the text
// buffer.
TEST(CallText, LongestNameThatFitsAndOneByteMore) {
    PacketLayout layout = layout_of(smallest_mask | PK_Z | PK_NORMAL_PRESSURE | PK_TANGENT_PRESSURE |
                                    PK_ORIENTATION | PK_ROTATION);
    layout.has_z = layout.has_pressure = layout.has_tangent = layout.has_orientation = layout.has_twist = 1;
    layout.z_max = layout.pressure_max = layout.tangent_max = 1;
    Packet packet = packet_of({4294967295, 4294967295, -2147483648, -2147483648, -2147483648, -2147483648,
                               -2147483648, -2147483648, -2147483648, -2147483648, 0, 0, 0});
    const char* widest = "(4294967295,4294967295,-2147483648,-2147483648,-2147483648.00000,-2147483648.00000,"
                         "-2147483648.00000,-2147483648,-2147483648,-214748364.8,\"\",\"\",\"\")";
    ASSERT_EQ(147u, std::strlen(widest));

    constexpr int guard = 64;
    std::vector<char> out(text_buffer_size + guard, 'G');
    for (int name_length : {32620, 32621, 32767, 32768, 40000}) {
        std::string name(static_cast<size_t>(name_length), 'n');
        std::fill(out.begin(), out.end(), 'G');
        int length = build_call_text(out.data(), text_buffer_size, name.c_str(), layout, packet.bytes(),
                                     packet.size());
        if (name_length == 32620) {
            ASSERT_EQ(text_buffer_size - 1, length);
            EXPECT_EQ(name + widest, std::string(out.data()));
        } else {
            EXPECT_EQ(-1, length) << name_length;
            EXPECT_EQ('\0', out[0]) << name_length;
        }
        EXPECT_EQ(std::string(guard, 'G'), std::string(out.data() + text_buffer_size, guard)) << name_length;
    }
    // A shorter text fits after a longer name: only the whole text counts.
    std::string name(32700, 'n');
    char* text = out.data();
    EXPECT_EQ(32700 + 40, build_call_text(text, text_buffer_size, name.c_str(), layout_of(0), nullptr, 0));
}

TEST(CallText, TinyBuffers) {
    char out[8];
    std::memset(out, 'G', sizeof out);
    EXPECT_EQ(-1, build_call_text(out, 0, "h", layout_of(0), nullptr, 0));
    EXPECT_EQ('G', out[0]);
    EXPECT_EQ(-1, build_call_text(out, 1, "", layout_of(0), nullptr, 0));
    EXPECT_EQ('\0', out[0]);
    EXPECT_EQ('G', out[1]);
}
