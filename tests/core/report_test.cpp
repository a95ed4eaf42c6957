#include "report/report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "text_compare.h"

namespace {

// A driver that answers from a table keyed by category and item; every item not in it is unanswered.
struct Answer {
    std::string bytes;          // written to the output
    int32_t returned = -2;      // what the query returns (-2: the size of `bytes`)
    int32_t size_for_null = -2; // what it returns for a null output (-2: as `returned`)
};

struct FakeDriver {
    std::map<std::pair<uint32_t, uint32_t>, Answer> answers;
    std::vector<std::tuple<uint32_t, uint32_t, bool>> asked; // category, item, with an output
    int writes_past_announced_size = 0; // an item answered into a buffer although its size was too large
};

int32_t fake_query(void* context, uint32_t category, uint32_t index, void* output) {
    FakeDriver& driver = *static_cast<FakeDriver*>(context);
    driver.asked.emplace_back(category, index, output != nullptr);
    auto found = driver.answers.find({category, index});
    if (found == driver.answers.end())
        return 0;
    const Answer& answer = found->second;
    int32_t returned = answer.returned == -2 ? static_cast<int32_t>(answer.bytes.size()) : answer.returned;
    if (output == nullptr)
        return answer.size_for_null == -2 ? returned : answer.size_for_null;
    if (answer.size_for_null > 65536)
        driver.writes_past_announced_size++;
    else
        std::memcpy(output, answer.bytes.data(), answer.bytes.size());
    return returned;
}

std::string name(const std::string& utf8) {
    return utf8_to_cp932(utf8) + '\0';
}
std::string raw_name(const std::string& bytes) {
    return bytes + '\0';
}
std::string uint32_answer(uint32_t value) {
    return std::string(reinterpret_cast<const char*>(&value), 4);
}
std::string word_answer(uint16_t value) {
    return std::string(reinterpret_cast<const char*>(&value), 2);
}
std::string byte_answer(uint8_t value) {
    return std::string(1, static_cast<char>(value));
}
std::string axis(int32_t minimum, int32_t maximum, uint32_t resolution) {
    return uint32_answer(static_cast<uint32_t>(minimum)) + uint32_answer(static_cast<uint32_t>(maximum)) +
           uint32_answer(0) + uint32_answer(resolution);
}

constexpr uint32_t interface_category = 1;
constexpr uint32_t device_category = 100;
constexpr uint32_t cursor_category = 200;
constexpr uint32_t resolution = 0x03E80000;

// The interface items of a working driver with the given counts.
void add_interface(FakeDriver& driver, int devices, int cursors) {
    driver.answers[{interface_category, 1}] = {name("Kumo Tablet Driver")};
    driver.answers[{interface_category, 2}] = {word_answer(0x0104)};
    driver.answers[{interface_category, 3}] = {word_answer(0x010A)};
    driver.answers[{interface_category, 4}] = {uint32_answer(static_cast<uint32_t>(devices))};
    driver.answers[{interface_category, 5}] = {uint32_answer(static_cast<uint32_t>(cursors))};
}

// The report as bytes, with the capacity of the real text buffer unless told otherwise.
std::string report_bytes(FakeDriver& driver, int capacity = text_buffer_size, int module_loaded = 1,
                         int info_available = 1) {
    static std::vector<char> buffer;
    buffer.assign(static_cast<size_t>(capacity) + 64, 'G');
    TextBuilder text;
    text_start(text, buffer.data(), capacity);
    ReportDriver report_driver{module_loaded, info_available, fake_query, &driver};
    build_report(text, report_driver);
    EXPECT_EQ(std::string(64, 'G'), std::string(buffer.data() + capacity, 64)) << "written past the buffer";
    EXPECT_EQ(static_cast<int>(std::strlen(buffer.data())), text.length);
    return std::string(buffer.data(), static_cast<size_t>(text.length));
}

std::string report(FakeDriver& driver, int module_loaded = 1, int info_available = 1) {
    return cp932_to_utf8(report_bytes(driver, text_buffer_size, module_loaded, info_available));
}

// The lines of a report that begin with `head` (the line end kept).
std::vector<std::string> lines_starting(const std::string& text, const std::string& head) {
    std::vector<std::string> found;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        end = end == std::string::npos ? text.size() : end + 2;
        if (text.compare(start, head.size(), head) == 0)
            found.push_back(text.substr(start, end - start));
        start = end;
    }
    return found;
}

} // namespace

TEST(Report, WithoutDriverOrInformationFunction) {
    FakeDriver driver;
    add_interface(driver, 1, 1);
    EXPECT_EQ("wintabのDLL:×\r\n", report(driver, 0, 0));
    EXPECT_EQ("wintabのDLL:○\r\n情報取得関数:×\r\n", report(driver, 1, 0));
    EXPECT_TRUE(driver.asked.empty());
}

TEST(Report, DriverWithoutIdentificationEndsTheReport) {
    FakeDriver driver;
    add_interface(driver, 1, 1);
    driver.answers.erase({interface_category, 1});
    EXPECT_EQ("wintabのDLL:○\r\n状態:デバイスが接続されていません\r\n", report(driver));
    for (auto [category, index, with_output] : driver.asked)
        EXPECT_EQ(std::make_pair(interface_category, 1u), std::make_pair(category, index))
            << "nothing else asked";
}

TEST(Report, RichProfile) {
    FakeDriver driver;
    add_interface(driver, 2, 3);
    auto& a = driver.answers;
    a[{interface_category, 6}] = {uint32_answer(16)};
    a[{interface_category, 7}] = {uint32_answer(0xC00F)};

    a[{device_category, 1}] = {name("KT-1 ペンタブレット")};
    a[{device_category, 2}] = {uint32_answer(0x000F)};
    a[{device_category, 4}] = {uint32_answer(0)};
    a[{device_category, 3}] = {uint32_answer(3)};
    a[{device_category, 12}] = {axis(0, 44704, resolution)};
    a[{device_category, 13}] = {axis(-100, 27940, resolution)};
    a[{device_category, 14}] = {axis(-1023, 1023, resolution)};
    a[{device_category, 15}] = {axis(0, 8191, 0)};
    a[{device_category, 16}] = {axis(-1023, 1023, 0)};
    a[{device_category, 17}] = {axis(0, 3599, resolution) + axis(-900, 900, resolution) +
                                axis(0, 3599, resolution)};

    // Device 1: no name, no hardware, and every axis in a form the event calls cannot use.
    a[{device_category + 1, 4}] = {uint32_answer(5)};
    a[{device_category + 1, 3}] = {uint32_answer(3)};
    a[{device_category + 1, 12}] = {axis(0, 1000, 0)};
    a[{device_category + 1, 14}] = {axis(0, 1023, resolution)};
    a[{device_category + 1, 15}] = {axis(0, 0, resolution)};
    a[{device_category + 1, 17}] = {axis(0, 3599, 0) + axis(-900, 900, resolution) +
                                    axis(0, 359, resolution)};

    a[{cursor_category, 1}] = {name("Pressure Stylus")};
    a[{cursor_category, 2}] = {uint32_answer(1)};
    a[{cursor_category, 3}] = {uint32_answer(0x3FFF)};
    a[{cursor_category, 4}] = {byte_answer(3)};
    a[{cursor_category, 9}] = {byte_answer(0)};
    a[{cursor_category, 12}] = {byte_answer(255)};
    a[{cursor_category, 19}] = {uint32_answer(0x0007)};
    a[{cursor_category, 16}] = {uint32_answer(2)};

    // Cursor 1: no name, no connection state, zero words; its mode is not shown without the multimode bit.
    a[{cursor_category + 1, 3}] = {uint32_answer(0)};
    a[{cursor_category + 1, 19}] = {uint32_answer(0)};
    a[{cursor_category + 1, 16}] = {uint32_answer(4)};

    // Cursor 2: words with none of the listed bits.
    a[{cursor_category + 2, 1}] = {name("消しゴム")};
    a[{cursor_category + 2, 2}] = {uint32_answer(0)};
    a[{cursor_category + 2, 3}] = {uint32_answer(0x4000)};
    a[{cursor_category + 2, 4}] = {byte_answer(2)};
    a[{cursor_category + 2, 19}] = {uint32_answer(0x0008)};
    a[{cursor_category + 2, 16}] = {uint32_answer(1)};

    EXPECT_EQ(
        "wintabのDLL:○\r\n"
        "ドライバの名称:Kumo Tablet Driver\r\n"
        "　仕様バージョン:1.4\r\n"
        "　実装バージョン:1.10\r\n"
        "　サポートしているデバイスの数:2\r\n"
        "　サポートしているカーソル(ペンや消しゴムやマウス)の数:3\r\n"
        "　サポートしているコンテキスト(作業領域)の数:16\r\n"
        "　サポートしているコンテキストオプション:システム ペン メッセージによる通知 マージン 内部マージン "
        "カーソル変更メッセージ \r\n"
        "デバイスの番号:0\r\n"
        "　デバイスの名称:KT-1 ペンタブレット\r\n"
        "　ハードの持つ能力:液晶タブレット カーソルの位置測定には接触が必要 "
        "空中でのカーソルの認識の通知が可能 カーソルの持つ固有IDを識別可能 \r\n"
        "　サポートしているカーソルの番号の範囲:0-2\r\n"
        "　Ｘ軸の範囲:0-44704\r\n"
        "　Ｙ軸の範囲:-100-27940\r\n"
        "　筆圧の検出:○(8191)\r\n"
        "　エアブラシのホイール:○(1023)\r\n"
        "　ペンの傾きの検出:○\r\n"
        "　4D Mouse Rotation:○\r\n"
        "　4D Mouse ThumbWheel:○\r\n"
        "デバイスの番号:1\r\n"
        "　サポートしているカーソルの番号の範囲:5-7\r\n"
        "　Ｘ軸の範囲:？\r\n"
        "　Ｙ軸の範囲:－\r\n"
        "　筆圧の検出:×\r\n"
        "　エアブラシのホイール:－\r\n"
        "　ペンの傾きの検出:×\r\n"
        "　4D Mouse Rotation:△(本プラグインでは使えません)\r\n"
        "　4D Mouse ThumbWheel:△(本プラグインでは使えません)\r\n"
        "カーソルの番号:0\r\n"
        "　カーソルの名称:Pressure Stylus\r\n"
        "　接続状態:接続\r\n"
        "　取得可能な情報:コンテキスト 状態 時刻 変化項目 連番 カーソル番号 ボタン状態 Ｘ軸 Ｙ軸 "
        "4DMouseThumbWheel 筆圧 エアブラシ/バレル値 傾き 4DMouseRotation ROTATION \r\n"
        "　サポートしているボタンの数:3\r\n"
        "　筆圧のボタン番号:0\r\n"
        "　エアブラシ/バレルのボタン番号:255\r\n"
        "　機能:マルチモード 集合 上下反転 \r\n"
        "　カーソルモード番号:2\r\n"
        "カーソルの番号:1\r\n"
        "　カーソルの名称:\r\n"
        "　接続状態:－\r\n"
        "　取得可能な情報:なし\r\n"
        "　機能:なし\r\n"
        "カーソルの番号:2\r\n"
        "　カーソルの名称:消しゴム\r\n"
        "　接続状態:切断\r\n"
        "　取得可能な情報:\r\n"
        "　サポートしているボタンの数:2\r\n"
        "　機能:\r\n",
        report(driver));
}

// The driver is asked in the order of the report's lines, and only what a line needs.
TEST(Report, QueryOrder) {
    FakeDriver driver;
    add_interface(driver, 1, 1);
    driver.answers[{device_category, 4}] = {uint32_answer(0)};
    driver.answers[{cursor_category, 19}] = {uint32_answer(1)};
    report(driver);
    std::vector<std::tuple<uint32_t, uint32_t, bool>> expected = {
        {1, 1, false},   {1, 1, true},    {1, 2, true},    {1, 3, true},    {1, 4, true},    {1, 5, true},
        {1, 6, true},    {1, 7, true}, // interface
        {100, 1, false}, {100, 1, true},  {100, 2, true},  {100, 4, true},  {100, 3, true},  {100, 12, true},
        {100, 13, true}, {100, 15, true}, {100, 16, true}, {100, 17, true}, {100, 14, true}, // device 0
        {200, 1, false}, {200, 1, true},  {200, 2, true},  {200, 3, true},  {200, 4, true},  {200, 9, true},
        {200, 12, true}, {200, 19, true}, {200, 16, true}, // cursor 0, multimode: its mode is asked
    };
    EXPECT_EQ(expected, driver.asked);
}

TEST(Report, InterfaceLines) {
    struct Case {
        uint32_t index;
        std::string answer;
        const char* expected_line; // the last line of the interface section
    } cases[] = {
        {7, uint32_answer(0), "　サポートしているコンテキストオプション:なし\r\n"},
        {7, uint32_answer(0x0010), "　サポートしているコンテキストオプション:\r\n"},
        {7, uint32_answer(0x0013), "　サポートしているコンテキストオプション:システム ペン \r\n"},
        {7, uint32_answer(0x4008),
         "　サポートしているコンテキストオプション:内部マージン カーソル変更メッセージ \r\n"},
        {3, word_answer(0xFF00), "　実装バージョン:255.0\r\n"},
        {6, uint32_answer(0xFFFFFFFF), "　サポートしているコンテキスト(作業領域)の数:-1\r\n"},
    };
    for (const Case& c : cases) {
        FakeDriver driver;
        driver.answers[{interface_category, 1}] = {name("D")};
        driver.answers[{interface_category, c.index}] = {c.answer};
        EXPECT_EQ(std::string("wintabのDLL:○\r\nドライバの名称:D\r\n") + c.expected_line, report(driver));
    }
}

TEST(Report, CountsAndCursorRanges) {
    {
        FakeDriver driver; // no device count, but cursors: no device section, every cursor section
        add_interface(driver, 0, 2);
        driver.answers.erase({interface_category, 4});
        driver.answers[{device_category, 1}] = {name("never asked")};
        std::string text = report(driver);
        EXPECT_EQ(0u, lines_starting(text, "　サポートしているデバイスの数:").size());
        EXPECT_EQ(0u, lines_starting(text, "デバイスの番号:").size());
        EXPECT_EQ((std::vector<std::string>{"カーソルの番号:0\r\n", "カーソルの番号:1\r\n"}),
                  lines_starting(text, "カーソルの番号:"));
    }
    for (uint32_t count : {0u, 0xFFFFFFFFu}) {
        FakeDriver driver; // a count of 0 or below: the count line, no section
        add_interface(driver, static_cast<int>(count), static_cast<int>(count));
        std::string text = report(driver);
        EXPECT_EQ(1u, lines_starting(text, "　サポートしているデバイスの数:").size());
        EXPECT_EQ(0u, lines_starting(text, "デバイスの番号:").size());
        EXPECT_EQ(0u, lines_starting(text, "カーソルの番号:").size());
    }
    struct Case {
        int first_cursor;          // -1: unanswered
        int cursor_types;          // -1: unanswered
        const char* expected_line; // "" : no line
    } cases[] = {
        {5, 3, "　サポートしているカーソルの番号の範囲:5-7\r\n"},
        {5, 0, "　サポートしているカーソルの番号の範囲:5-4\r\n"},
        {5, -1, "　サポートしているカーソルの最初の番号:5\r\n"},
        {-1, 3, "　サポートしているカーソルの数:3\r\n"},
        {-1, -1, ""},
    };
    for (const Case& c : cases) {
        FakeDriver driver;
        add_interface(driver, 1, 0);
        if (c.first_cursor >= 0)
            driver.answers[{device_category, 4}] = {uint32_answer(static_cast<uint32_t>(c.first_cursor))};
        if (c.cursor_types >= 0)
            driver.answers[{device_category, 3}] = {uint32_answer(static_cast<uint32_t>(c.cursor_types))};
        std::string text = report(driver);
        size_t after_number = text.find("デバイスの番号:0\r\n") + std::strlen("デバイスの番号:0\r\n");
        std::string next_line = text.substr(after_number, text.find("\r\n", after_number) + 2 - after_number);
        if (*c.expected_line)
            EXPECT_EQ(c.expected_line, next_line);
        else
            EXPECT_EQ("　Ｘ軸の範囲:－\r\n", next_line);
    }
}

// Past 100, a device or cursor number would name the next category range (device 100 is cursor 0, cursor 100
// the extensions): the report stops at 99 instead of showing another range's answers as a device or cursor.
TEST(Report, DeviceAndCursorNumbersStayInTheirCategoryRange) {
    FakeDriver driver;
    add_interface(driver, 150, 150);
    std::string text = report(driver);
    EXPECT_EQ(100u, lines_starting(text, "デバイスの番号:").size());
    EXPECT_EQ("デバイスの番号:99\r\n", lines_starting(text, "デバイスの番号:").back());
    EXPECT_EQ(100u, lines_starting(text, "カーソルの番号:").size());
    for (auto [category, index, with_output] : driver.asked)
        EXPECT_LT(category, 300u);
    EXPECT_EQ("　サポートしているデバイスの数:150\r\n",
              lines_starting(text, "　サポートしているデバイスの数:")[0]);
}

TEST(Report, AxisRules) {
    struct Case {
        uint32_t index;
        std::string answer; // empty: unanswered
        const char* label;
        const char* expected;
    } cases[] = {
        {12, axis(-5, 5, 0), "　Ｘ軸の範囲:", "？"},
        {12, "", "　Ｘ軸の範囲:", "－"},
        {13, axis(-2147483647 - 1, 2147483647, 1), "　Ｙ軸の範囲:", "-2147483648-2147483647"},
        {15, axis(0, 1023, 0), "　筆圧の検出:", "○(1023)"},
        {15, axis(0, 0, resolution), "　筆圧の検出:", "×"},
        {16, axis(0, -1, resolution), "　エアブラシのホイール:", "○(-1)"},
        {14, axis(-1023, 1023, resolution), "　4D Mouse ThumbWheel:", "○"},
        {14, axis(0, 1023, resolution), "　4D Mouse ThumbWheel:", "△(本プラグインでは使えません)"},
        {14, axis(0, 0, resolution), "　4D Mouse ThumbWheel:", "○"},
        {14, axis(-1023, 1023, 0), "　4D Mouse ThumbWheel:", "×"},
        {14, axis(-2147483647 - 1, -2147483647 - 1, 1), "　4D Mouse ThumbWheel:", "○"},
        {14, axis(-2147483647 - 1, 2147483647, 1), "　4D Mouse ThumbWheel:", "△(本プラグインでは使えません)"},
        {17, axis(0, 359, 1) + axis(0, 90, 1) + axis(0, 3599, 1), "　ペンの傾きの検出:", "○"},
        {17, axis(0, 359, 1) + axis(0, 90, 0) + axis(0, 3599, 1), "　ペンの傾きの検出:", "×"},
        {17, axis(0, 359, 0) + axis(0, 90, 1) + axis(0, 3599, 1), "　ペンの傾きの検出:", "×"},
        {17, axis(0, 359, 0) + axis(0, 90, 0) + axis(0, 3599, 1), "　4D Mouse Rotation:", "○"},
        {17, axis(0, 359, 1) + axis(0, 90, 1) + axis(0, 359, 1),
         "　4D Mouse Rotation:", "△(本プラグインでは使えません)"},
        {17, axis(0, 359, 1) + axis(0, 90, 1) + axis(1, 3599, 1),
         "　4D Mouse Rotation:", "△(本プラグインでは使えません)"},
        {17, axis(0, 359, 1) + axis(0, 90, 1) + axis(0, 3599, 0), "　4D Mouse Rotation:", "×"},
        {17, "", "　ペンの傾きの検出:", "－"},
        {17, "", "　4D Mouse Rotation:", "－"},
    };
    for (const Case& c : cases) {
        FakeDriver driver;
        add_interface(driver, 1, 0);
        if (!c.answer.empty())
            driver.answers[{device_category, c.index}] = {c.answer};
        std::vector<std::string> lines = lines_starting(report(driver), c.label);
        ASSERT_EQ(1u, lines.size()) << c.label;
        EXPECT_EQ(std::string(c.label) + c.expected + "\r\n", lines[0]) << c.index;
    }
}

// An answer shorter than its type reads as zeros, never as the bytes of an earlier answer.
TEST(Report, ShortAnswerReadsAsZeros) {
    FakeDriver driver;
    add_interface(driver, 1, 0);
    // A pressure answer of three records (written past its type), then an orientation answer of one record.
    driver.answers[{device_category, 15}] = {axis(0, 1023, 1) + axis(0, 90, 1) + axis(0, 3599, 1)};
    driver.answers[{device_category, 17}] = {axis(0, 359, 1)};
    std::string text = report(driver);
    EXPECT_EQ("　ペンの傾きの検出:×\r\n", lines_starting(text, "　ペンの傾きの検出:").at(0));
    EXPECT_EQ("　4D Mouse Rotation:×\r\n", lines_starting(text, "　4D Mouse Rotation:").at(0));
}

// Names longer than the 79 bytes the field holds are cut at a character boundary; they are received in a
// buffer of their own, so a driver that writes more than it announced overruns nothing.
TEST(Report, LongNames) {
    const std::string two_hundred(200, 'n');
    std::string double_byte_82 = "ab";
    std::string double_byte_81 = "a";
    for (int i = 0; i < 40; ++i) {
        double_byte_82 += utf8_to_cp932("あ");
        double_byte_81 += utf8_to_cp932("能"); // trail byte 0x5C
    }
    std::string unterminated(65536, 'u');
    struct Case {
        const char* what;
        Answer answer;
        std::string expected; // code page 932 bytes shown as the name
    } cases[] = {
        {"200 bytes", {raw_name(two_hundred)}, std::string(79, 'n')},
        {"a double-byte character across byte 79 is left out",
         {raw_name(double_byte_82)},
         double_byte_82.substr(0, 78)},
        {"a double-byte character ending at byte 79 is kept",
         {raw_name(double_byte_81)},
         double_byte_81.substr(0, 79)},
        {"a lead byte without its trail byte is left out", {raw_name("abc\x82")}, "abc"},
        {"size unknown for a null output", {raw_name(two_hundred), -2, 0}, std::string(79, 'n')},
        {"more written than announced", {raw_name(two_hundred), 10, 10}, std::string(79, 'n')},
        {"no terminator in the whole receive buffer", {unterminated, 65536}, std::string(79, 'u')},
        {"larger than the receive buffer: shown empty, never fetched", {raw_name("x"), 100000, 100000}, ""},
    };
    for (const Case& c : cases) {
        FakeDriver driver;
        add_interface(driver, 1, 1);
        driver.answers[{interface_category, 1}] = c.answer;
        driver.answers[{device_category, 1}] = c.answer;
        driver.answers[{cursor_category, 1}] = c.answer;
        std::string text = report_bytes(driver);
        EXPECT_EQ(0, driver.writes_past_announced_size) << c.what;
        for (const char* label : {"ドライバの名称:", "　デバイスの名称:", "　カーソルの名称:"}) {
            std::vector<std::string> lines = lines_starting(text, utf8_to_cp932(label));
            ASSERT_EQ(1u, lines.size()) << c.what << " " << label;
            EXPECT_EQ(utf8_to_cp932(label) + c.expected + "\r\n", lines[0]) << c.what << " " << label;
        }
        // The report goes on after the names.
        EXPECT_EQ(1u, lines_starting(text, utf8_to_cp932("　接続状態:")).size()) << c.what;
    }
}

// A report that does not fit ends after the last whole line that does, whatever the buffer's size, and asks
// the driver nothing more once it is full.
TEST(Report, TooLongForTheBufferEndsAtAWholeLine) {
    FakeDriver driver;
    add_interface(driver, 5000, 5000);
    for (uint32_t n = 0; n < 100; ++n) {
        driver.answers[{device_category + n, 1}] = {raw_name(std::string(120, 'd'))};
        driver.answers[{device_category + n, 2}] = {uint32_answer(0xF)};
        driver.answers[{cursor_category + n, 1}] = {raw_name(std::string(120, 'c'))};
        driver.answers[{cursor_category + n, 3}] = {uint32_answer(0x3FFF)};
        driver.answers[{cursor_category + n, 19}] = {uint32_answer(0x7)};
        driver.answers[{cursor_category + n, 16}] = {uint32_answer(1)};
    }
    constexpr int whole_size = 1 << 20;
    const std::string whole = report_bytes(driver, whole_size);
    ASSERT_GT(whole.size(), 32767u);

    for (int capacity : {text_buffer_size, 20000, 1000, 17, 16, 15, 1}) {
        size_t asked_before = driver.asked.size();
        const std::string text = report_bytes(driver, capacity);
        ASSERT_LE(text.size(), static_cast<size_t>(capacity - 1));
        EXPECT_EQ(whole.substr(0, text.size()), text) << capacity;
        // Ends at a line end, and the next line would not have fitted.
        if (!text.empty())
            EXPECT_EQ("\r\n", text.substr(text.size() - 2)) << capacity;
        size_t next_end = whole.find("\r\n", text.size()) + 2;
        EXPECT_GT(next_end, static_cast<size_t>(capacity - 1)) << capacity;
        // Every line of what was kept ends with CR LF: no bare CR or LF.
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r')
                ASSERT_EQ('\n', text[i + 1]) << capacity;
            if (text[i] == '\n')
                ASSERT_EQ('\r', text[i - 1]) << capacity;
        }
        // A full report asks nothing more: a line takes at most two queries, and the line that did not fit
        // a section's worth.
        size_t asked = driver.asked.size() - asked_before;
        size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
        EXPECT_LE(asked, 2 * lines + 16) << capacity;
    }
    EXPECT_EQ("wintabのDLL:○\r\n", cp932_to_utf8(report_bytes(driver, 17)));
    EXPECT_EQ("", report_bytes(driver, 16));
}
