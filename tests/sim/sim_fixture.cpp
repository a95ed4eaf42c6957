#include "sim_fixture.h"
#include <cstring>

#include "test_window.h"
#include "wintab/packet_fields.h"

template <typename Function> static void bind(HMODULE module, const char* name, Function& out, int& missing) {
    out = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (out == nullptr)
        ++missing;
}

int bind_sim_driver(HMODULE module, SimDriver& driver) {
    int missing = 0;
    driver.module = module;
    bind(module, "WTInfoA", driver.WTInfoA, missing);
    bind(module, "WTOpenA", driver.WTOpenA, missing);
    bind(module, "WTClose", driver.WTClose, missing);
    bind(module, "WTPacketsGet", driver.WTPacketsGet, missing);
    bind(module, "WTPacket", driver.WTPacket, missing);
    bind(module, "WTEnable", driver.WTEnable, missing);
    bind(module, "WTOverlap", driver.WTOverlap, missing);
    bind(module, "WTQueueSizeGet", driver.WTQueueSizeGet, missing);
    bind(module, "WTQueueSizeSet", driver.WTQueueSizeSet, missing);
    bind(module, "sim_reset", driver.reset, missing);
    bind(module, "sim_load_profile", driver.load_profile, missing);
    bind(module, "sim_load_profile_file", driver.load_profile_file, missing);
    bind(module, "sim_last_error", driver.last_error, missing);
    bind(module, "sim_inject", driver.inject, missing);
    bind(module, "sim_log", driver.log, missing);
    bind(module, "sim_clear_log", driver.clear_log, missing);
    bind(module, "sim_last_open", driver.last_open, missing);
    bind(module, "sim_queue_length", driver.queue_length, missing);
    bind(module, "sim_queue_size", driver.queue_size, missing);
    bind(module, "sim_context_open", driver.context_open, missing);
    bind(module, "sim_context_enabled", driver.context_enabled, missing);
    bind(module, "sim_load_stroke_file", driver.load_stroke_file, missing);
    bind(module, "sim_stroke_sample", driver.stroke_sample, missing);
    bind(module, "sim_replay_stroke", driver.replay_stroke, missing);
    return missing == 0;
}

HWND create_test_window() {
    return create_top_level_window("sim_driver_test_window", DefWindowProcA, "sim driver test");
}

SimSample distinct_sample(int seed) {
    SimSample sample;
    sample.cursor = uint32_t(seed * 100 + 1);
    sample.buttons = uint32_t(seed * 100 + 2);
    sample.x = seed * 100 + 3;
    sample.y = seed * 100 + 4;
    sample.z = -(seed * 100 + 5);
    sample.pressure = seed * 100 + 6;
    sample.tangent = seed * 100 + 7;
    sample.azimuth = seed * 100 + 8;
    sample.altitude = -(seed * 100 + 9);
    sample.twist = seed * 100 + 10;
    return sample;
}

std::vector<uint32_t> packet_words(const unsigned char* bytes, int size) {
    std::vector<uint32_t> words(size_t(size) / 4);
    memcpy(words.data(), bytes, words.size() * 4);
    return words;
}

std::string sim_data_path(const char* file_name) {
    return std::string(KUMO_SOURCE_DIR "/sim/data/") + file_name;
}

void SimDriverTest::SetUp() {
    HMODULE module = LoadLibraryA(full_driver_path);
    ASSERT_NE(module, nullptr) << full_driver_path;
    ASSERT_TRUE(bind_sim_driver(module, driver));
    driver.reset();
    window = create_test_window();
    ASSERT_NE(window, nullptr);
}

void SimDriverTest::TearDown() {
    if (window != nullptr)
        DestroyWindow(window);
    if (driver.module != nullptr)
        FreeLibrary(driver.module);
}

HCTX SimDriverTest::open_context(WTPKT mask, UINT options, BOOL enable) {
    LOGCONTEXTA description{};
    if (driver.WTInfoA(WTI_DEFCONTEXT, 0, &description) != sizeof(LOGCONTEXTA))
        return nullptr;
    description.lcPktData = mask;
    description.lcOptions = options;
    return driver.WTOpenA(window, &description, enable);
}

SimSample SimDriverTest::inject_distinct(int seed) {
    SimSample sample = distinct_sample(seed);
    EXPECT_NE(driver.inject(&sample), 0);
    return sample;
}
