// The simulated driver's context, packet layout and queue: what the plug-in's packet handling is tested
// against.
#include <cstring>

#include "sim_fixture.h"

namespace {

constexpr int canary = 0xCD;
constexpr int buffer_size = 1024;

// What a packet word holds, in the order a case expects them.
enum class Word {
    context,
    status,
    time,
    changed,
    serial,
    cursor,
    buttons,
    x,
    y,
    z,
    pressure,
    tangent,
    azimuth,
    altitude,
    twist,
    zero
};

struct LayoutCase {
    WTPKT mask;
    std::vector<Word> words;
};

uint32_t expected_word(Word word, HCTX handle, UINT serial, WTPKT mask, const SimSample& sample) {
    switch (word) {
    case Word::context:
        return uint32_t(reinterpret_cast<uintptr_t>(handle));
    case Word::status:
        return 0;
    case Word::time:
        return 0; // checked apart: a tick count
    case Word::changed:
        return mask; // the first packet of a context: every field is new
    case Word::serial:
        return serial;
    case Word::cursor:
        return sample.cursor;
    case Word::buttons:
        return sample.buttons;
    case Word::x:
        return uint32_t(sample.x);
    case Word::y:
        return uint32_t(sample.y);
    case Word::z:
        return uint32_t(sample.z);
    case Word::pressure:
        return uint32_t(sample.pressure);
    case Word::tangent:
        return uint32_t(sample.tangent);
    case Word::azimuth:
        return uint32_t(sample.azimuth);
    case Word::altitude:
        return uint32_t(sample.altitude);
    case Word::twist:
        return uint32_t(sample.twist);
    case Word::zero:
        return 0;
    }
    return 0xFFFFFFFF;
}

} // namespace

TEST_F(SimDriverTest, LaysOutPacketsByMaskInBitOrder) {
    using enum Word;
    const LayoutCase cases[] = {
        {0x01E0, {cursor, buttons, x, y}},
        {0x1FE0, {cursor, buttons, x, y, z, pressure, tangent, azimuth, altitude, twist}},
        {PK_CONTEXT | PK_SERIAL_NUMBER | PK_X, {context, serial, x}},
        {PK_Y | PK_NORMAL_PRESSURE | PK_ROTATION, {y, pressure, zero, zero, zero}},
        {0x3FFF,
         {context, status, time, changed, serial, cursor, buttons, x, y, z, pressure, tangent, azimuth,
          altitude, twist, zero, zero, zero}},
    };
    for (const LayoutCase& layout : cases) {
        SCOPED_TRACE(testing::Message() << "mask 0x" << std::hex << layout.mask);
        HCTX handle = open_context(layout.mask, 0, TRUE);
        ASSERT_NE(handle, nullptr);
        SimSample sample = distinct_sample(7);
        DWORD before = GetTickCount();
        UINT serial = UINT(driver.inject(&sample));
        DWORD after = GetTickCount();
        ASSERT_NE(serial, 0u);

        unsigned char buffer[buffer_size];
        memset(buffer, canary, sizeof(buffer));
        ASSERT_EQ(driver.WTPacketsGet(handle, 1, buffer), 1);
        int size = int(layout.words.size()) * 4;
        std::vector<uint32_t> words = packet_words(buffer, size);
        std::vector<uint32_t> expected;
        for (size_t i = 0; i < layout.words.size(); ++i) {
            if (layout.words[i] == time) {
                EXPECT_GE(words[i], before);
                EXPECT_LE(words[i], after);
                words[i] = 0;
            }
            expected.push_back(expected_word(layout.words[i], handle, serial, layout.mask, sample));
        }
        EXPECT_EQ(words, expected);
        EXPECT_EQ(buffer[size], canary) << "written past the packet";
    }
}

TEST_F(SimDriverTest, ChangedFieldsNameWhatDiffersFromThePreviousPacket) {
    HCTX handle = open_context(PK_CHANGED | 0x1FE0, 0, TRUE);
    ASSERT_NE(handle, nullptr);
    SimSample sample = distinct_sample(1);
    ASSERT_NE(driver.inject(&sample), 0);
    sample.x += 1;
    sample.pressure += 1;
    sample.twist += 1;
    ASSERT_NE(driver.inject(&sample), 0);
    unsigned char buffer[buffer_size];
    ASSERT_EQ(driver.WTPacketsGet(handle, 2, buffer), 2);
    const int packet_size = 44;
    uint32_t first = 0, second = 0;
    memcpy(&first, buffer, 4);
    memcpy(&second, buffer + packet_size, 4);
    EXPECT_EQ(first, PK_CHANGED | 0x1FE0u);
    EXPECT_EQ(second, uint32_t(PK_X | PK_NORMAL_PRESSURE | PK_ORIENTATION));
}

TEST_F(SimDriverTest, PacketBySerialRemovesItAndEveryOlderOne) {
    HCTX handle = open_context(PK_SERIAL_NUMBER | PK_X, 0, TRUE);
    ASSERT_NE(handle, nullptr);
    UINT serials[5];
    for (int i = 0; i < 5; ++i) {
        SimSample sample = distinct_sample(i);
        serials[i] = UINT(driver.inject(&sample));
    }
    EXPECT_EQ(serials[0], 1u) << "serial numbers count from 1";
    EXPECT_EQ(serials[4], 5u);

    unsigned char buffer[buffer_size];
    memset(buffer, canary, sizeof(buffer));
    ASSERT_TRUE(driver.WTPacket(handle, serials[2], buffer));
    EXPECT_EQ(packet_words(buffer, 8), (std::vector<uint32_t>{serials[2], uint32_t(distinct_sample(2).x)}));
    EXPECT_EQ(buffer[8], canary);
    EXPECT_EQ(driver.queue_length(), 2);

    // Gone: the packet itself, the older ones, and a serial never given out. A miss removes nothing.
    for (UINT missing : {serials[2], serials[1], serials[0], 999u}) {
        memset(buffer, canary, sizeof(buffer));
        EXPECT_FALSE(driver.WTPacket(handle, missing, buffer)) << missing;
        EXPECT_EQ(buffer[0], canary);
    }
    EXPECT_EQ(driver.queue_length(), 2);
    ASSERT_EQ(driver.WTPacketsGet(handle, 8, buffer), 2);
    EXPECT_EQ(packet_words(buffer, 16), (std::vector<uint32_t>{serials[3], uint32_t(distinct_sample(3).x),
                                                               serials[4], uint32_t(distinct_sample(4).x)}));
}

TEST_F(SimDriverTest, PacketsGetCopiesOldestFirstAndRemovesThem) {
    HCTX handle = open_context(PK_SERIAL_NUMBER, 0, TRUE);
    ASSERT_NE(handle, nullptr);
    for (int i = 0; i < 5; ++i)
        inject_distinct(i);
    unsigned char buffer[buffer_size];
    memset(buffer, canary, sizeof(buffer));
    EXPECT_EQ(driver.WTPacketsGet(handle, 0, buffer), 0);
    EXPECT_EQ(driver.WTPacketsGet(handle, -3, buffer), 0);
    EXPECT_EQ(buffer[0], canary);
    EXPECT_EQ(driver.queue_length(), 5);

    ASSERT_EQ(driver.WTPacketsGet(handle, 2, buffer), 2);
    EXPECT_EQ(packet_words(buffer, 8), (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(buffer[8], canary) << "copied more than asked";
    ASSERT_EQ(driver.WTPacketsGet(handle, 10, buffer), 3);
    EXPECT_EQ(packet_words(buffer, 12), (std::vector<uint32_t>{3, 4, 5}));
    EXPECT_EQ(driver.WTPacketsGet(handle, 10, buffer), 0);

    // A null buffer flushes.
    inject_distinct(6);
    EXPECT_EQ(driver.WTPacketsGet(handle, 10, nullptr), 1);
    EXPECT_EQ(driver.queue_length(), 0);
}

TEST_F(SimDriverTest, FullQueueDropsItsOldestPacket) {
    HCTX handle = open_context(PK_SERIAL_NUMBER, 0, TRUE);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(driver.WTQueueSizeGet(handle), 8) << "the default queue size";
    for (int i = 0; i < 10; ++i)
        inject_distinct(i);
    EXPECT_EQ(driver.queue_length(), 8);
    unsigned char buffer[buffer_size];
    ASSERT_EQ(driver.WTPacketsGet(handle, 20, buffer), 8);
    EXPECT_EQ(packet_words(buffer, 32), (std::vector<uint32_t>{3, 4, 5, 6, 7, 8, 9, 10}));

    // After a resize the new size bounds the queue.
    ASSERT_TRUE(driver.WTQueueSizeSet(handle, 3));
    for (int i = 0; i < 5; ++i)
        inject_distinct(i);
    ASSERT_EQ(driver.WTPacketsGet(handle, 20, buffer), 3);
    EXPECT_EQ(packet_words(buffer, 12), (std::vector<uint32_t>{13, 14, 15}));
}

TEST_F(SimDriverTest, QueueSizeSetAcceptsOneToTheLimitAndEmptiesTheQueue) {
    ASSERT_TRUE(driver.load_profile("include default\ndriver.queue_limit = 32\n")) << driver.last_error();
    HCTX handle = open_context(PK_SERIAL_NUMBER, 0, TRUE);
    ASSERT_NE(handle, nullptr);
    struct Request {
        int size;
        BOOL accepted;
        int size_after;
    };
    const Request requests[] = {{33, FALSE, 8}, {32, TRUE, 32}, {0, FALSE, 32},   {-1, FALSE, 32},
                                {1, TRUE, 1},   {16, TRUE, 16}, {1024, FALSE, 16}};
    for (const Request& request : requests) {
        SCOPED_TRACE(request.size);
        inject_distinct(1);
        int length_before = driver.queue_length();
        EXPECT_EQ(driver.WTQueueSizeSet(handle, request.size) != 0, request.accepted != 0);
        EXPECT_EQ(driver.WTQueueSizeGet(handle), request.size_after);
        EXPECT_EQ(driver.queue_size(), request.size_after);
        EXPECT_EQ(driver.queue_length(), request.accepted ? 0 : length_before);
    }

    ASSERT_TRUE(driver.load_profile("include default\ndriver.queue_limit = 0\ndriver.queue_get = zero\n"));
    handle = open_context(PK_SERIAL_NUMBER, 0, TRUE);
    EXPECT_FALSE(driver.WTQueueSizeSet(handle, 1)) << "a limit of 0 accepts no size";
    EXPECT_EQ(driver.WTQueueSizeGet(handle), 0);
    EXPECT_EQ(driver.queue_size(), 8);
}

TEST_F(SimDriverTest, PostsPacketMessagesOnlyWhileEnabledWithMessagesOption) {
    auto take_messages = [&](UINT message) {
        std::vector<MSG> taken;
        MSG msg;
        while (PeekMessageA(&msg, window, message, message, PM_REMOVE))
            taken.push_back(msg);
        return taken;
    };
    HCTX handle = open_context(0x01E0, CXO_MESSAGES, FALSE);
    ASSERT_NE(handle, nullptr);
    SimSample sample = distinct_sample(1);
    EXPECT_EQ(driver.inject(&sample), 0) << "a disabled context queues nothing";
    EXPECT_EQ(driver.queue_length(), 0);
    EXPECT_TRUE(take_messages(WT_PACKET).empty());

    ASSERT_TRUE(driver.WTEnable(handle, TRUE));
    int serial = driver.inject(&sample);
    ASSERT_NE(serial, 0);
    std::vector<MSG> posted = take_messages(WT_PACKET);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].wParam, WPARAM(serial));
    EXPECT_EQ(posted[0].lParam, reinterpret_cast<LPARAM>(handle));

    ASSERT_TRUE(driver.WTEnable(handle, FALSE));
    EXPECT_EQ(driver.inject(&sample), 0);
    EXPECT_TRUE(take_messages(WT_PACKET).empty());

    // Without CXO_MESSAGES packets are queued but not announced.
    handle = open_context(0x01E0, CXO_SYSTEM, TRUE);
    ASSERT_NE(driver.inject(&sample), 0);
    EXPECT_EQ(driver.queue_length(), 1);
    EXPECT_TRUE(take_messages(WT_PACKET).empty());

    // The message number follows the context's lcMsgBase, as a real driver's does.
    LOGCONTEXTA description{};
    ASSERT_EQ(driver.WTInfoA(WTI_DEFCONTEXT, 0, &description), sizeof(LOGCONTEXTA));
    description.lcOptions = CXO_MESSAGES;
    description.lcMsgBase = 0x7000;
    handle = driver.WTOpenA(window, &description, TRUE);
    serial = driver.inject(&sample);
    EXPECT_TRUE(take_messages(WT_PACKET).empty());
    posted = take_messages(0x7000);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].wParam, WPARAM(serial));
}

TEST_F(SimDriverTest, OpenKeepsTheDescriptionAndASecondOpenReplacesTheFirst) {
    LOGCONTEXTA description{};
    ASSERT_EQ(driver.WTInfoA(WTI_DEFCONTEXT, 0, &description), sizeof(LOGCONTEXTA));
    strcpy(description.lcName, "received as is");
    description.lcPktData = 0x1234;
    description.lcOutExtY = -768;
    EXPECT_EQ(driver.last_open(nullptr), 0);
    HCTX first = driver.WTOpenA(window, &description, FALSE);
    ASSERT_NE(first, nullptr);
    LOGCONTEXTA kept{};
    ASSERT_EQ(driver.last_open(&kept), 1);
    EXPECT_EQ(memcmp(&kept, &description, sizeof(kept)), 0);
    EXPECT_EQ(driver.context_open(), 1);
    EXPECT_EQ(driver.context_enabled(), 0);

    HCTX second = driver.WTOpenA(window, &description, TRUE);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(driver.context_enabled(), 1);
    driver.clear_log();
    EXPECT_FALSE(driver.WTEnable(first, TRUE)) << "the replaced context's handle is stale";
    EXPECT_FALSE(driver.WTClose(first));
    EXPECT_STREQ(driver.log(), "WTEnable 1 wrong_context\nWTClose wrong_context\n");
    EXPECT_EQ(driver.context_open(), 1);

    inject_distinct(1);
    EXPECT_TRUE(driver.WTClose(second));
    EXPECT_EQ(driver.context_open(), 0);
    EXPECT_EQ(driver.queue_length(), 0);
    SimSample sample = distinct_sample(2);
    EXPECT_EQ(driver.inject(&sample), 0) << "no context, no packet";

    EXPECT_EQ(driver.WTOpenA(nullptr, &description, FALSE), nullptr) << "a context needs a window";
    EXPECT_EQ(driver.WTOpenA(window, nullptr, FALSE), nullptr);
    ASSERT_TRUE(driver.load_profile("include default\ndriver.open = refuse\n"));
    description.lcPktData = 0x5678;
    EXPECT_EQ(driver.WTOpenA(window, &description, FALSE), nullptr);
    ASSERT_EQ(driver.last_open(&kept), 1);
    EXPECT_EQ(kept.lcPktData, 0x5678u) << "a refused description is kept as well";
}

TEST_F(SimDriverTest, HostileSwitchesMisreportResults) {
    unsigned char buffer[buffer_size];
    ASSERT_TRUE(driver.load_profile("include default\ndriver.packets_get_extra = 3\n"))
        << driver.last_error();
    HCTX handle = open_context(PK_SERIAL_NUMBER, 0, TRUE);
    inject_distinct(1);
    inject_distinct(2);
    EXPECT_EQ(driver.WTPacketsGet(handle, 8, buffer), 5);
    EXPECT_EQ(driver.queue_length(), 0);

    ASSERT_TRUE(driver.load_profile("include default\ndriver.packets_get_result = -1\n"))
        << driver.last_error();
    inject_distinct(3);
    EXPECT_EQ(driver.WTPacketsGet(handle, 8, buffer), -1);

    ASSERT_TRUE(driver.load_profile("include default\ndriver.packet_result = count\n"))
        << driver.last_error();
    UINT serials[3];
    for (UINT& serial : serials) {
        SimSample sample = distinct_sample(4);
        serial = UINT(driver.inject(&sample));
    }
    EXPECT_EQ(driver.WTPacket(handle, serials[2], buffer), 3);
    EXPECT_EQ(driver.WTPacket(handle, serials[2], buffer), 0);

    driver.reset();
    ASSERT_TRUE(driver.load_profile("include default\ndriver.open_fail_after = 2\n")) << driver.last_error();
    EXPECT_NE(open_context(PK_X, 0, FALSE), nullptr);
    EXPECT_NE(open_context(PK_X, 0, FALSE), nullptr);
    EXPECT_EQ(open_context(PK_X, 0, FALSE), nullptr);
    EXPECT_EQ(open_context(PK_X, 0, FALSE), nullptr);
}
