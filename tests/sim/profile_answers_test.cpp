// The simulated driver's profile and WTInfoA answers, and its call log: what the plug-in's opening and report
// are tested against.
#include <cstring>

#include "sim_fixture.h"
#include "text_compare.h"

namespace {

constexpr unsigned char canary = 0xCD;
constexpr int buffer_size = 512;

template <typename Record> std::string bytes_of(const Record& record) {
    return std::string(reinterpret_cast<const char*>(&record), sizeof(record));
}

std::string word_bytes(uint32_t word, int size) {
    return std::string(reinterpret_cast<const char*>(&word), size);
}

std::string text_bytes(const char* text) {
    return std::string(text, strlen(text) + 1);
}

struct Answer {
    UINT category;
    UINT index;
    std::string bytes;
};

} // namespace

TEST_F(SimDriverTest, DefaultProfileAnswersWithExactBytesAndSizesFirst) {
    const AXIS x_axis{0, 44799, 2, 0x07D00000};
    const AXIS z_axis{-1023, 1023, 2, 0x07D00000};
    const AXIS pressure_axis{0, 1023, 0, 0};
    const AXIS orientation[3] = {
        {0, 3599, 3, 0x0E100000}, {-900, 900, 3, 0x0E100000}, {0, 3599, 3, 0x0E100000}};
    const Answer answers[] = {
        {WTI_INTERFACE, IFC_WINTABID, text_bytes("KUMO Simulated Wintab")},
        {WTI_INTERFACE, IFC_SPECVERSION, word_bytes(0x0104, 2)},
        {WTI_INTERFACE, IFC_IMPLVERSION, word_bytes(0x010A, 2)},
        {WTI_INTERFACE, IFC_NDEVICES, word_bytes(1, 4)},
        {WTI_INTERFACE, IFC_NCURSORS, word_bytes(3, 4)},
        {WTI_INTERFACE, IFC_CTXOPTIONS, word_bytes(0xC00F, 4)},
        {WTI_DEVICES, DVC_NAME, text_bytes("KUMO Simulated Pen Tablet")},
        {WTI_DEVICES, DVC_NCSRTYPES, word_bytes(3, 4)},
        {WTI_DEVICES, DVC_X, bytes_of(x_axis)},
        {WTI_DEVICES, DVC_Z, bytes_of(z_axis)},
        {WTI_DEVICES, DVC_NPRESSURE, bytes_of(pressure_axis)},
        {WTI_DEVICES, DVC_TPRESSURE, bytes_of(AXIS{0, 0, 0, 0})},
        {WTI_DEVICES, DVC_ORIENTATION, bytes_of(orientation)},
        {WTI_CURSORS + 1, CSR_NAME, text_bytes("Eraser")},
        {WTI_CURSORS + 0, CSR_ACTIVE, word_bytes(1, 4)},
        {WTI_CURSORS + 0, CSR_PKTDATA, word_bytes(0x17FF, 4)},
        {WTI_CURSORS + 2, CSR_BUTTONS, word_bytes(16, 1)},
        {WTI_CURSORS + 1, CSR_NPBUTTON, word_bytes(0, 1)},
        {WTI_CURSORS + 1, CSR_CAPABILITIES, word_bytes(5, 4)},
        {WTI_CURSORS + 2, CSR_MODE, word_bytes(2, 4)},
    };
    for (const Answer& answer : answers) {
        SCOPED_TRACE(testing::Message() << "WTInfoA " << answer.category << " " << answer.index);
        EXPECT_EQ(driver.WTInfoA(answer.category, answer.index, nullptr), answer.bytes.size());
        unsigned char buffer[buffer_size];
        memset(buffer, canary, sizeof(buffer));
        ASSERT_EQ(driver.WTInfoA(answer.category, answer.index, buffer), answer.bytes.size());
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), answer.bytes.size()), answer.bytes);
        EXPECT_EQ(buffer[answer.bytes.size()], canary) << "written past the answer";
    }
    EXPECT_EQ(driver.WTInfoA(0, 0, nullptr), sizeof(LOGCONTEXTA)) << "category 0: the largest answer";
}

TEST_F(SimDriverTest, DefaultContextsDeriveFromDeviceAxesAndTakeFieldOverrides) {
    LOGCONTEXTA digitizing{}, system{};
    ASSERT_EQ(driver.WTInfoA(WTI_DEFCONTEXT, 0, &digitizing), sizeof(LOGCONTEXTA));
    ASSERT_EQ(driver.WTInfoA(WTI_DEFSYSCTX, 0, &system), sizeof(LOGCONTEXTA));
    EXPECT_STREQ(digitizing.lcName, "Digitizing");
    EXPECT_EQ(digitizing.lcMsgBase, WT_DEFBASE);
    EXPECT_EQ(digitizing.lcOptions & CXO_SYSTEM, 0u);
    EXPECT_EQ(digitizing.lcInExtX, 44800);
    EXPECT_EQ(digitizing.lcInExtY, 28000);
    EXPECT_EQ(digitizing.lcOutExtX, 44800);
    EXPECT_EQ(digitizing.lcPktData, 0x17FFu);
    EXPECT_STREQ(system.lcName, "System");
    EXPECT_EQ(system.lcOptions & CXO_SYSTEM, UINT(CXO_SYSTEM));
    EXPECT_EQ(system.lcMsgBase, WT_DEFBASE);
    EXPECT_EQ(system.lcInExtX, 44800);

    ASSERT_TRUE(driver.load_profile("device.0.x = 100 1099 2 1\n"
                                    "context.digitizing.lcMsgBase = 0x7100\n"
                                    "context.digitizing.lcName = タブレット\n"
                                    "context.system = unanswered\n"))
        << driver.last_error();
    ASSERT_EQ(driver.WTInfoA(WTI_DEFCONTEXT, 0, &digitizing), sizeof(LOGCONTEXTA));
    EXPECT_EQ(digitizing.lcInOrgX, 100);
    EXPECT_EQ(digitizing.lcInExtX, 1000);
    EXPECT_EQ(digitizing.lcInExtY, 0) << "no Y axis";
    EXPECT_EQ(digitizing.lcMsgBase, 0x7100u);
    EXPECT_EQ(cp932_to_utf8(digitizing.lcName), "タブレット");
    EXPECT_EQ(driver.WTInfoA(WTI_DEFSYSCTX, 0, &system), 0u);
}

TEST_F(SimDriverTest, UnansweredItemsReturnZeroAndWriteNothing) {
    struct Item {
        UINT category;
        UINT index;
    };
    const Item default_profile_gaps[] = {
        {WTI_INTERFACE, 0},
        {WTI_INTERFACE, 8},
        {WTI_STATUS, 0},
        {WTI_EXTENSIONS, 0},
        {WTI_DEFCONTEXT, 1},
        {WTI_DEVICES + 1, DVC_NAME},
        {WTI_DEVICES, 5},
        {WTI_CURSORS + 3, CSR_NAME},
        {WTI_CURSORS + 2, CSR_NPBUTTON},
        {999, 1},
    };
    unsigned char buffer[buffer_size];
    for (const Item& item : default_profile_gaps) {
        SCOPED_TRACE(testing::Message() << "WTInfoA " << item.category << " " << item.index);
        memset(buffer, canary, sizeof(buffer));
        EXPECT_EQ(driver.WTInfoA(item.category, item.index, buffer), 0u);
        EXPECT_EQ(buffer[0], canary);
    }

    // An empty profile answers the two default contexts and nothing else.
    ASSERT_TRUE(driver.load_profile("")) << driver.last_error();
    EXPECT_EQ(driver.WTInfoA(WTI_INTERFACE, IFC_WINTABID, buffer), 0u);
    EXPECT_EQ(driver.WTInfoA(WTI_DEVICES, DVC_X, buffer), 0u);
    EXPECT_EQ(driver.WTInfoA(WTI_DEFCONTEXT, 0, buffer), sizeof(LOGCONTEXTA));
    EXPECT_EQ(driver.WTInfoA(WTI_DEFSYSCTX, 0, buffer), sizeof(LOGCONTEXTA));

    // 'unanswered' takes one item out of the built-in profile.
    ASSERT_TRUE(driver.load_profile("include default\ndevice.0.pressure = unanswered\n"
                                    "cursor.0.name = unanswered\ncontext.digitizing = unanswered\n"))
        << driver.last_error();
    EXPECT_EQ(driver.WTInfoA(WTI_DEVICES, DVC_NPRESSURE, nullptr), 0u);
    EXPECT_EQ(driver.WTInfoA(WTI_CURSORS, CSR_NAME, nullptr), 0u);
    EXPECT_EQ(driver.WTInfoA(WTI_DEFCONTEXT, 0, nullptr), 0u);
    EXPECT_EQ(driver.WTInfoA(WTI_DEVICES, DVC_Z, nullptr), sizeof(AXIS));
}

TEST_F(SimDriverTest, NamesAreCodePage932AndLongOnesNeedTheOverrunSwitch) {
    ASSERT_TRUE(driver.load_profile("device.0.name = 模擬ペンタブレット\n")) << driver.last_error();
    char name[buffer_size];
    UINT size = driver.WTInfoA(WTI_DEVICES, DVC_NAME, name);
    EXPECT_EQ(std::string(name, size), utf8_to_cp932("模擬ペンタブレット") + '\0');

    const std::string longest_polite(79, 'P');
    ASSERT_TRUE(driver.load_profile(("cursor.0.name = " + longest_polite + "\n").c_str()))
        << driver.last_error();
    EXPECT_EQ(driver.WTInfoA(WTI_CURSORS, CSR_NAME, nullptr), 80u);

    const std::string long_name(200, 'L');
    const std::string long_profile = "# long\ninterface.id = " + long_name + "\n";
    EXPECT_FALSE(driver.load_profile(long_profile.c_str()));
    EXPECT_EQ(std::string(driver.last_error()).substr(0, 70),
              "line 2: a name of at most 79 bytes in code page 932 expected (driver.n");

    ASSERT_TRUE(driver.load_profile((long_profile + "driver.name_overrun = 1\n").c_str()))
        << driver.last_error();
    EXPECT_EQ(driver.WTInfoA(WTI_INTERFACE, IFC_WINTABID, nullptr), 201u);
    EXPECT_EQ(driver.WTInfoA(0, 0, nullptr), 201u) << "category 0: the long name is now the largest answer";
    unsigned char buffer[buffer_size];
    memset(buffer, canary, sizeof(buffer));
    ASSERT_EQ(driver.WTInfoA(WTI_INTERFACE, IFC_WINTABID, buffer), 201u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 201), long_name + '\0') << "written whole";
    EXPECT_EQ(buffer[201], canary);
}

TEST_F(SimDriverTest, MalformedProfilesNameTheLineAndLeaveTheProfileUnchanged) {
    struct Malformed {
        const char* text;
        const char* error;
    };
    const Malformed cases[] = {
        {"interface.id = x\nbogus line\n",
         "line 2: 'key = value', 'include default' or a '#' comment expected, found 'bogus line'"},
        {"# comment\n\r\n  device.4.name = x\n", "line 3: a device number from 0 to 3 expected, found '4'"},
        {"device.0.x = 0 100 2\n", "line 1: an axis 'MIN MAX UNITS RESOLUTION' (four 32-bit numbers) "
                                   "expected, found the end of the line"},
        {"device.0.x = 0 100 2 1 5\n",
         "line 1: the end of the line after the axis's four numbers expected, found '5'"},
        {"device.0.preasure = 0 1 0 0\n",
         "line 1: a device key (name, hardware, first_cursor, cursor_types, x, y, z, pressure, tangent, "
         "orientation) expected, found 'device.0.preasure'"},
        {"device.0.orientation = 0 3599 3 1 | 0 1 2 3\n",
         "line 1: '|' between the azimuth, altitude and twist axes expected, found the end of the line"},
        {"interface.spec_version = 0x10000\n",
         "line 1: a version word 0..0xFFFF or 'unanswered' expected, found '0x10000'"},
        {"interface.devices = 4294967296\n",
         "line 1: a 32-bit number or 'unanswered' expected, found '4294967296'"},
        {"cursor.0.active = 2\n", "line 1: 0, 1 or 'unanswered' expected, found '2'"},
        {"cursor.16.name = x\n", "line 1: a cursor number from 0 to 15 expected, found '16'"},
        {"driver.queue_limit = 1025\n", "line 1: a queue limit from 0 to 1024 expected, found '1025'"},
        {"driver.open = maybe\n", "line 1: 'accept' or 'refuse' expected, found 'maybe'"},
        {"interface.id = a\ninclude default\n",
         "line 2: 'include default' before every setting expected, found 'include default'"},
        {"context.digitizing.lcFoo = 1\n",
         "line 1: a LOGCONTEXTA field name (lcName, lcOptions, ... lcSysSensY) expected, found 'lcFoo'"},
        {"interface.id = \xFF\xFE\n",
         "line 1: a UTF-8 text whose characters code page 932 has, of at most 255 bytes in code page 932, "
         "expected, found '?\?'"},
    };
    for (const Malformed& malformed : cases) {
        SCOPED_TRACE(visible(malformed.text));
        EXPECT_EQ(driver.load_profile(malformed.text), 0);
        EXPECT_STREQ(driver.last_error(), malformed.error);
    }
    char id[buffer_size];
    ASSERT_GT(driver.WTInfoA(WTI_INTERFACE, IFC_WINTABID, id), 0u);
    EXPECT_STREQ(id, "KUMO Simulated Wintab") << "a failed load changes nothing";
}

TEST_F(SimDriverTest, ProfileParserSurvivesGarbage) {
    std::string very_long_line = "interface.id = " + std::string(100000, 'x') + "\n";
    std::string long_key(5000, 'k');
    const std::string garbage[] = {
        "=",
        "=\n=",
        "device..name = x",
        "device.0x1.name = x",
        "cursor.-1.name = x",
        "device.0.x = -",
        "device.0.x = 0x",
        "device.0.x = 0 1 2 3 |",
        "a.b.c.d.e = 1",
        very_long_line,
        long_key + " = 1",
        "context.digitizing.lcName = " + std::string(40, 'n'),
        "driver.packets_get_result = x",
        "device.0.z = 99999999999999999999999 0 0 0",
    };
    for (const std::string& text : garbage) {
        SCOPED_TRACE(visible(text.substr(0, 60)));
        EXPECT_EQ(driver.load_profile(text.c_str()), 0);
        EXPECT_EQ(std::string(driver.last_error()).substr(0, 7), "line 1:");
    }
    EXPECT_EQ(driver.load_profile(nullptr), 0);
    EXPECT_STRNE(driver.last_error(), "");
}

TEST_F(SimDriverTest, ProfileFilesLoadAndTheSampleProfileParses) {
    ASSERT_TRUE(driver.load_profile_file(sim_data_path("sample_profile.txt").c_str())) << driver.last_error();
    char name[buffer_size];
    ASSERT_GT(driver.WTInfoA(WTI_CURSORS + 1, CSR_NAME, name), 0u);
    EXPECT_EQ(cp932_to_utf8(name), "消しゴム");
    EXPECT_EQ(driver.load_profile_file("Z:/no/such/profile.txt"), 0);
    EXPECT_STREQ(driver.last_error(), "cannot open the file 'Z:/no/such/profile.txt'");
}

TEST_F(SimDriverTest, LogsEveryCallOneLineEachInOrder) {
    LOGCONTEXTA description{};
    unsigned char buffer[buffer_size];
    driver.WTInfoA(WTI_DEFCONTEXT, 0, &description);
    driver.WTInfoA(WTI_INTERFACE, IFC_WINTABID, nullptr);
    HCTX handle = driver.WTOpenA(window, &description, FALSE);
    driver.WTQueueSizeSet(handle, 32);
    driver.WTQueueSizeGet(handle);
    driver.WTEnable(handle, TRUE);
    driver.WTOverlap(handle, TRUE);
    driver.WTPacketsGet(handle, 8, buffer);
    driver.WTPacketsGet(handle, 8, nullptr);
    driver.WTPacket(handle, 5, buffer);
    driver.WTClose(handle);
    driver.WTEnable(handle, FALSE);
    driver.WTOpenA(window, &description, TRUE);
    EXPECT_STREQ(driver.log(), "WTInfoA 3 0\n"
                               "WTInfoA 1 1 null\n"
                               "WTOpenA enable=0\n"
                               "WTQueueSizeSet 32\n"
                               "WTQueueSizeGet\n"
                               "WTEnable 1\n"
                               "WTOverlap 1\n"
                               "WTPacketsGet 8\n"
                               "WTPacketsGet 8 null\n"
                               "WTPacket 5\n"
                               "WTClose\n"
                               "WTEnable 0 wrong_context\n"
                               "WTOpenA enable=1\n");
    driver.clear_log();
    EXPECT_STREQ(driver.log(), "");
    driver.WTInfoA(WTI_INTERFACE, IFC_NDEVICES, buffer);
    driver.reset();
    EXPECT_STREQ(driver.log(), "") << "a reset empties the log";
    EXPECT_EQ(driver.context_open(), 0);
    EXPECT_EQ(driver.last_open(nullptr), 0);
}
