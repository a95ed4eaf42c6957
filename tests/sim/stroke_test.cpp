// Stroke files, their replay, the virtual tablet (profile and stroke beside the DLL) and the comctl32
// stand-in.
#include <cstdio>
#include <cstring>

#include "sim_fixture.h"

namespace {

// A folder of this test process's own under the temporary folder.
std::string scratch_folder() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "sim_driver_test_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

void write_file(const std::string& path, const std::string& text) {
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    fwrite(text.data(), 1, text.size(), file);
    fclose(file);
}

// Runs the thread's message loop (timers included) for up to `timeout_ms`, taking the packet messages of
// `window` until `wanted` have come.
std::vector<MSG> pump_packet_messages(HWND window, size_t wanted, DWORD timeout_ms) {
    std::vector<MSG> packets;
    DWORD start = GetTickCount();
    while (packets.size() < wanted && GetTickCount() - start < timeout_ms) {
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            continue;
        }
        if (msg.message == WT_PACKET && msg.hwnd == window)
            packets.push_back(msg);
        else
            DispatchMessageA(&msg);
    }
    return packets;
}

// A copy of the full driver in a scratch folder with the given files beside it, loaded from there.
// Unloaded and deleted again at the end of the test.
struct VirtualTablet {
    std::string folder;
    SimDriver driver{};

    ~VirtualTablet() {
        if (driver.module != nullptr)
            FreeLibrary(driver.module);
        for (const char* name : {"wintab32.dll", "wintab_profile.txt", "wintab_stroke.txt"})
            DeleteFileA((folder + "\\" + name).c_str());
        RemoveDirectoryA(folder.c_str());
        RemoveDirectoryA(scratch_folder().c_str()); // only once empty
    }
};

void load_virtual_tablet(VirtualTablet& tablet, const char* name, const char* profile, const char* stroke) {
    tablet.folder = scratch_folder() + "\\" + name;
    CreateDirectoryA(tablet.folder.c_str(), nullptr);
    std::string dll = tablet.folder + "\\wintab32.dll";
    ASSERT_TRUE(CopyFileA(full_driver_path, dll.c_str(), FALSE));
    if (profile != nullptr)
        write_file(tablet.folder + "\\wintab_profile.txt", profile);
    if (stroke != nullptr)
        write_file(tablet.folder + "\\wintab_stroke.txt", stroke);
    HMODULE module = LoadLibraryA(dll.c_str());
    ASSERT_NE(module, nullptr);
    ASSERT_TRUE(bind_sim_driver(module, tablet.driver));
}

HCTX open_with_messages(const SimDriver& driver, HWND window) {
    LOGCONTEXTA description{};
    if (driver.WTInfoA(WTI_DEFCONTEXT, 0, &description) != sizeof(description))
        return nullptr;
    description.lcOptions |= CXO_MESSAGES;
    description.lcPktData = PK_SERIAL_NUMBER | PK_X | PK_NORMAL_PRESSURE;
    return driver.WTOpenA(window, &description, FALSE);
}

constexpr char five_sample_stroke[] = "# time cursor buttons x y z pressure tangent azimuth altitude twist\n"
                                      "0 0 1 100 0 0 10 0 0 0 0\n"
                                      "10 0 1 200 0 0 20 0 0 0 0\n"
                                      "20 0 1 300 0 0 30 0 0 0 0\n"
                                      "\n"
                                      "30 0 1 400 0 0 40 0 0 0 0\n"
                                      "60 0 0 500 0 0 0 0 0 0 0\n";

} // namespace

TEST_F(SimDriverTest, SampleStrokeLoadsAndReplaysIntoTheQueue) {
    ASSERT_EQ(driver.load_stroke_file(sim_data_path("sample_stroke.txt").c_str()), 300)
        << driver.last_error();
    SimSample first{};
    ASSERT_TRUE(driver.stroke_sample(0, &first));
    EXPECT_EQ(first.x, 22400);
    EXPECT_EQ(first.y, 14000);
    EXPECT_EQ(first.altitude, 800);
    SimSample sample{};
    EXPECT_EQ(driver.stroke_sample(300, &sample), 0);
    EXPECT_EQ(driver.stroke_sample(-1, &sample), 0);

    HCTX handle = open_context(PK_X | PK_NORMAL_PRESSURE, 0, FALSE);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(driver.replay_stroke(0, 3), 0) << "nothing is queued for a disabled context";
    ASSERT_TRUE(driver.WTQueueSizeSet(handle, 16));
    ASSERT_TRUE(driver.WTEnable(handle, TRUE));
    EXPECT_EQ(driver.replay_stroke(150, 4), 4);
    EXPECT_EQ(driver.replay_stroke(298, 10), 2) << "clipped at the stroke's end";
    EXPECT_EQ(driver.replay_stroke(300, 1), 0);
    unsigned char buffer[256];
    ASSERT_EQ(driver.WTPacketsGet(handle, 16, buffer), 6);
    std::vector<uint32_t> expected;
    for (int i : {150, 151, 152, 153, 298, 299}) {
        ASSERT_TRUE(driver.stroke_sample(i, &sample));
        expected.push_back(uint32_t(sample.x));
        expected.push_back(uint32_t(sample.pressure));
    }
    EXPECT_EQ(packet_words(buffer, 48), expected);
}

TEST_F(SimDriverTest, MalformedStrokeFilesNameTheLineAndKeepTheLoadedStroke) {
    std::string folder = scratch_folder();
    std::string good = folder + "\\good.txt";
    write_file(good, five_sample_stroke);
    ASSERT_EQ(driver.load_stroke_file(good.c_str()), 5) << driver.last_error();
    struct Malformed {
        const char* text;
        const char* error;
    };
    const Malformed cases[] = {
        {"0 0 1 100 0 0 10 0 0 0\n", "line 1: 11 numbers expected (time cursor buttons x y z pressure "
                                     "tangent azimuth altitude twist; time "
                                     "and cursor and buttons not negative), found the end of the line"},
        {"# c\n0 0 1 100 0 0 10 0 0 0 0 7\n",
         "line 2: the end of the line after the 11 numbers expected, found '7'"},
        {"10 0 1 100 0 0 10 0 0 0 0\n5 0 1 100 0 0 10 0 0 0 0\n",
         "line 2: a time not before the previous sample's expected"},
        {"0 -1 1 100 0 0 10 0 0 0 0\n",
         "line 1: 11 numbers expected (time cursor buttons x y z pressure tangent azimuth altitude twist; "
         "time "
         "and cursor and buttons not negative), found '-1 1 100 0 0 10 0 0 0 0'"},
        {"0 0 1 1x0 0 0 10 0 0 0 0\n", "line 1: 11 numbers expected (time cursor buttons x y z pressure "
                                       "tangent azimuth altitude twist; time "
                                       "and cursor and buttons not negative), found '1x0 0 0 10 0 0 0 0'"},
        {"# only a comment\n\n", "line 2: at least one sample line expected"},
    };
    std::string bad = folder + "\\bad.txt";
    for (const Malformed& malformed : cases) {
        SCOPED_TRACE(malformed.text);
        write_file(bad, malformed.text);
        EXPECT_EQ(driver.load_stroke_file(bad.c_str()), 0);
        EXPECT_STREQ(driver.last_error(), malformed.error);
    }
    SimSample sample{};
    ASSERT_TRUE(driver.stroke_sample(4, &sample)) << "the loaded stroke is kept";
    EXPECT_EQ(sample.x, 500);
    EXPECT_EQ(driver.load_stroke_file("Z:/no/such/stroke.txt"), 0);
    EXPECT_STREQ(driver.last_error(), "cannot open the file 'Z:/no/such/stroke.txt'");
    DeleteFileA(good.c_str());
    DeleteFileA(bad.c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST(VirtualTablet, ReplaysTheStrokeBesideItAtItsTimingOnceEnabled) {
    VirtualTablet tablet;
    ASSERT_NO_FATAL_FAILURE(load_virtual_tablet(tablet, "replay", "include default\ninterface.id = Virtual\n",
                                                five_sample_stroke));
    const SimDriver& driver = tablet.driver;
    char id[256];
    ASSERT_EQ(driver.WTInfoA(WTI_INTERFACE, IFC_WINTABID, id), 8u);
    EXPECT_STREQ(id, "Virtual");

    HWND window = create_test_window();
    HCTX handle = open_with_messages(driver, window);
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(pump_packet_messages(window, 1, 150).empty()) << "nothing before the context is enabled";
    DWORD enabled_at = GetTickCount();
    ASSERT_TRUE(driver.WTEnable(handle, TRUE));
    std::vector<MSG> packets = pump_packet_messages(window, 5, 3000);
    DWORD elapsed = GetTickCount() - enabled_at;
    ASSERT_EQ(packets.size(), 5u);
    EXPECT_GE(elapsed, 50u) << "the last sample comes 60 ms after the first";
    unsigned char buffer[64];
    int expected_x = 100;
    for (const MSG& packet : packets) {
        EXPECT_EQ(packet.lParam, reinterpret_cast<LPARAM>(handle));
        ASSERT_TRUE(driver.WTPacket(handle, UINT(packet.wParam), buffer));
        EXPECT_EQ(packet_words(buffer, 8)[1], uint32_t(expected_x));
        expected_x += 100;
    }
    EXPECT_TRUE(pump_packet_messages(window, 1, 150).empty()) << "one replay per opening";
    driver.WTClose(handle);
    DestroyWindow(window);
}

TEST(VirtualTablet, StaysStillWhenTestCodeDrivesTheDriver) {
    VirtualTablet tablet;
    ASSERT_NO_FATAL_FAILURE(load_virtual_tablet(tablet, "driven", nullptr, five_sample_stroke));
    const SimDriver& driver = tablet.driver;
    driver.clear_log();
    HWND window = create_test_window();
    HCTX handle = open_with_messages(driver, window);
    ASSERT_NE(handle, nullptr);
    ASSERT_TRUE(driver.WTEnable(handle, TRUE));
    EXPECT_TRUE(pump_packet_messages(window, 1, 200).empty());
    EXPECT_EQ(driver.queue_length(), 0);
    DestroyWindow(window);
}

TEST(VirtualTablet, MalformedFilesLeaveADriverWithoutTablet) {
    struct Case {
        const char* name;
        const char* profile;
        const char* stroke;
    };
    const Case cases[] = {{"bad_profile", "interface.id = ok\ndevice.0.x = nonsense\n", nullptr},
                          {"bad_stroke", nullptr, "0 0 0\n"}};
    for (const Case& files : cases) {
        SCOPED_TRACE(files.name);
        VirtualTablet tablet;
        ASSERT_NO_FATAL_FAILURE(load_virtual_tablet(tablet, files.name, files.profile, files.stroke));
        EXPECT_EQ(tablet.driver.WTInfoA(WTI_INTERFACE, IFC_WINTABID, nullptr), 0u);
        EXPECT_EQ(tablet.driver.WTInfoA(WTI_DEFCONTEXT, 0, nullptr), 0u);
    }
}
