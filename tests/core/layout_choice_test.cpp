// The Win32-free decisions of an opening: which option text chooses mouse mode, and which packet layout the
// first device's axis answers give.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "tablet/mode_option.h"
#include "tablet/packet_layout.h"
#include "text_compare.h"

namespace {

TEST(ModeOption, OnlyTheTwoWordsExactlyChooseMouseMode) {
    struct Case {
        const char* option_utf8;
        int mouse_mode;
    };
    const Case cases[] = {
        {"マウスモード", 1},  {"MOUSEモード", 1},      {"", 0},      {"mouseモード", 0}, // letter case counts
        {"Mouseモード", 0},   {"ＭＯＵＳＥモード", 0}, // full-width letters are other bytes
        {"マウスモード ", 0},                          // no trimming
        {" MOUSEモード", 0},  {"マウスモード　", 0},   // ideographic blank
        {"MOUSEモードで", 0},                          // further text
        {"マウス", 0},                                 // a prefix of the word
        {"マウスモ", 0},      {"ペンモード", 0},       {"MOUSE", 0},
    };
    for (const Case& c : cases) {
        const std::string option = utf8_to_cp932(c.option_utf8);
        EXPECT_EQ(is_mouse_mode_option(option.c_str()), c.mouse_mode) << "option \"" << c.option_utf8 << "\"";
    }
    EXPECT_EQ(is_mouse_mode_option(nullptr), 0);
}

constexpr AxisBounds usable{-1023, 1023, 0x07D00000};
constexpr AxisBounds no_axis{0, 0, 0};
constexpr AxisBounds angle{0, 3599, 0x0E100000};
constexpr AxisBounds tilt{-900, 900, 0x0E100000};
constexpr int32_t answered_axis = 16;
constexpr int32_t answered_orientation = 48;

DeviceAxisAnswers nothing_answered() {
    return DeviceAxisAnswers{};
}

struct LayoutCase {
    const char* name;
    DeviceAxisAnswers answers;
    WTPKT mask;
    int32_t size;
    int has_z, has_pressure, has_tangent, has_orientation, has_twist;
    uint32_t z_max, pressure_max, tangent_max; // checked only when the flag is set
};

DeviceAxisAnswers with_z(int32_t answer, AxisBounds z) {
    DeviceAxisAnswers answers = nothing_answered();
    answers.z_answer = answer;
    answers.z = z;
    return answers;
}

DeviceAxisAnswers with_pressure(int32_t answer, AxisBounds pressure) {
    DeviceAxisAnswers answers = nothing_answered();
    answers.pressure_answer = answer;
    answers.pressure = pressure;
    return answers;
}

DeviceAxisAnswers with_tangent(AxisBounds tangent) {
    DeviceAxisAnswers answers = nothing_answered();
    answers.tangent_answer = answered_axis;
    answers.tangent = tangent;
    return answers;
}

DeviceAxisAnswers with_orientation(int32_t answer, AxisBounds azimuth, AxisBounds altitude,
                                   AxisBounds twist) {
    DeviceAxisAnswers answers = nothing_answered();
    answers.orientation_answer = answer;
    answers.azimuth = azimuth;
    answers.altitude = altitude;
    answers.twist = twist;
    return answers;
}

DeviceAxisAnswers everything() {
    DeviceAxisAnswers answers = with_orientation(answered_orientation, angle, tilt, angle);
    answers.z_answer = answered_axis;
    answers.z = AxisBounds{-511, 511, 1};
    answers.pressure_answer = answered_axis;
    answers.pressure = AxisBounds{0, 1023, 0};
    answers.tangent_answer = answered_axis;
    answers.tangent = AxisBounds{0, 255, 0};
    return answers;
}

TEST(PacketLayoutChoice, AxisRules) {
    const LayoutCase cases[] = {
        {"nothing answered", nothing_answered(), 0x01E0, 16, 0, 0, 0, 0, 0, 0, 0, 0},
        {"z symmetric", with_z(answered_axis, usable), 0x03E0, 20, 1, 0, 0, 0, 0, 1023, 0, 0},
        {"z from 0", with_z(answered_axis, {0, 1023, 1}), 0x01E0, 16, 0, 0, 0, 0, 0, 0, 0, 0},
        {"z no resolution", with_z(answered_axis, {-1023, 1023, 0}), 0x01E0, 16, 0, 0, 0, 0, 0, 0, 0, 0},
        {"z unanswered", with_z(0, usable), 0x01E0, 16, 0, 0, 0, 0, 0, 0, 0, 0},
        {"z answer negative", with_z(-16, usable), 0x01E0, 16, 0, 0, 0, 0, 0, 0, 0, 0},
        // -2^31 is its own negation modulo 2^32.
        {"z min and max -2^31", with_z(answered_axis, {INT32_MIN, INT32_MIN, 1}), 0x03E0, 20, 1, 0, 0, 0, 0,
         0x80000000u, 0, 0},
        {"z off by one", with_z(answered_axis, {-1023, 1022, 1}), 0x01E0, 16, 0, 0, 0, 0, 0, 0, 0, 0},
        // Bounds 0 and 0 pass the rule: the packet carries Z, with divisor 0 (the call text leaves it empty).
        {"z both bounds 0", with_z(answered_axis, {0, 0, 1}), 0x03E0, 20, 1, 0, 0, 0, 0, 0, 0, 0},
        {"pressure", with_pressure(answered_axis, {0, 1023, 0}), 0x05E0, 20, 0, 1, 0, 0, 0, 0, 1023, 0},
        {"pressure min not read", with_pressure(answered_axis, {600, 255, 0}), 0x05E0, 20, 0, 1, 0, 0, 0, 0,
         255, 0},
        {"pressure max 0", with_pressure(answered_axis, {0, 0, 0x10000}), 0x01E0, 16, 0, 0, 0, 0, 0, 0, 0, 0},
        {"pressure max negative", with_pressure(answered_axis, {0, -1, 0}), 0x05E0, 20, 0, 1, 0, 0, 0, 0,
         0xFFFFFFFFu, 0},
        {"pressure unanswered", with_pressure(0, {0, 1023, 0}), 0x01E0, 16, 0, 0, 0, 0, 0, 0, 0, 0},
        {"tangent", with_tangent({0, 255, 0}), 0x09E0, 20, 0, 0, 1, 0, 0, 0, 0, 255},
        {"tangent max 0", with_tangent({0, 0, 1}), 0x01E0, 16, 0, 0, 0, 0, 0, 0, 0, 0},
        {"tilt and twist", with_orientation(answered_orientation, angle, tilt, angle), 0x11E0, 28, 0, 0, 0, 1,
         1, 0, 0, 0},
        {"twist only: azimuth without resolution",
         with_orientation(answered_orientation, {0, 3599, 0}, tilt, angle), 0x11E0, 28, 0, 0, 0, 0, 1, 0, 0,
         0},
        {"tilt only: altitude without resolution is no tilt",
         with_orientation(answered_orientation, angle, {-900, 900, 0}, no_axis), 0x01E0, 16, 0, 0, 0, 0, 0, 0,
         0, 0},
        {"tilt, twist to 3600", with_orientation(answered_orientation, angle, tilt, {0, 3600, 1}), 0x11E0, 28,
         0, 0, 0, 1, 0, 0, 0, 0},
        {"twist to 359", with_orientation(answered_orientation, no_axis, no_axis, {0, 359, 1}), 0x01E0, 16, 0,
         0, 0, 0, 0, 0, 0, 0},
        {"twist from 1", with_orientation(answered_orientation, no_axis, no_axis, {1, 3599, 1}), 0x01E0, 16,
         0, 0, 0, 0, 0, 0, 0, 0},
        {"twist without resolution", with_orientation(answered_orientation, no_axis, no_axis, {0, 3599, 0}),
         0x01E0, 16, 0, 0, 0, 0, 0, 0, 0, 0},
        {"orientation unanswered", with_orientation(0, angle, tilt, angle), 0x01E0, 16, 0, 0, 0, 0, 0, 0, 0,
         0},
        {"everything", everything(), 0x1FE0, 40, 1, 1, 1, 1, 1, 511, 1023, 255},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        PacketLayout layout{};
        choose_packet_layout(layout, c.answers);
        EXPECT_EQ(layout.packet_mask, c.mask);
        EXPECT_EQ(layout.packet_size, c.size);
        EXPECT_EQ(layout.has_z, c.has_z);
        EXPECT_EQ(layout.has_pressure, c.has_pressure);
        EXPECT_EQ(layout.has_tangent, c.has_tangent);
        EXPECT_EQ(layout.has_orientation, c.has_orientation);
        EXPECT_EQ(layout.has_twist, c.has_twist);
        if (c.has_z) {
            EXPECT_EQ(layout.z_max, c.z_max);
        }
        if (c.has_pressure) {
            EXPECT_EQ(layout.pressure_max, c.pressure_max);
        }
        if (c.has_tangent) {
            EXPECT_EQ(layout.tangent_max, c.tangent_max);
        }
    }
}

TEST(PacketLayoutChoice, EveryFlagDecidedAfreshAndMaximaWrittenOnlyWithTheirFlag) {
    PacketLayout layout{};
    choose_packet_layout(layout, everything());
    ASSERT_EQ(layout.packet_mask, 0x1FE0u);

    // A poorer device next: every flag clears, and the maxima keep the older values (they mean nothing now).
    choose_packet_layout(layout, with_pressure(answered_axis, {0, 0, 0}));
    EXPECT_EQ(layout.packet_mask, 0x01E0u);
    EXPECT_EQ(layout.packet_size, 16);
    EXPECT_EQ(layout.has_z + layout.has_pressure + layout.has_tangent + layout.has_orientation +
                  layout.has_twist,
              0);
    EXPECT_EQ(layout.z_max, 511u);
    EXPECT_EQ(layout.pressure_max, 1023u);
    EXPECT_EQ(layout.tangent_max, 255u);

    // And back: the flags come back with their new maxima.
    choose_packet_layout(layout, with_pressure(answered_axis, {0, 2047, 0}));
    EXPECT_EQ(layout.packet_mask, 0x05E0u);
    EXPECT_EQ(layout.pressure_max, 2047u);
}

} // namespace
