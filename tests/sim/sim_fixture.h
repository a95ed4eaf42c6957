// The simulated driver loaded by full path, its entry points and control functions bound by name, and a real
// window for its packet messages.
#pragma once

#include <windows.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "wintab_sim/sim_control.h"

struct SimDriver {
    HMODULE module;
    WTInfoA_t WTInfoA;
    WTOpenA_t WTOpenA;
    WTClose_t WTClose;
    WTPacketsGet_t WTPacketsGet;
    WTPacket_t WTPacket;
    WTEnable_t WTEnable;
    WTOverlap_t WTOverlap;
    WTQueueSizeGet_t WTQueueSizeGet;
    WTQueueSizeSet_t WTQueueSizeSet;
    sim_reset_t reset;
    sim_load_profile_t load_profile;
    sim_load_profile_file_t load_profile_file;
    sim_last_error_t last_error;
    sim_inject_t inject;
    sim_log_t log;
    sim_clear_log_t clear_log;
    sim_last_open_t last_open;
    sim_queue_length_t queue_length;
    sim_queue_size_t queue_size;
    sim_context_open_t context_open;
    sim_context_enabled_t context_enabled;
    sim_load_stroke_file_t load_stroke_file;
    sim_stroke_sample_t stroke_sample;
    sim_replay_stroke_t replay_stroke;
};

inline constexpr char full_driver_path[] = KUMO_BIN_DIR "/drivers/full/wintab32.dll";

// Binds every name; 1 when all were found.
int bind_sim_driver(HMODULE module, SimDriver& driver);

// A top-level window of a class of its own (never shown) that keeps the packet messages in its queue.
HWND create_test_window();

// A sample whose fields are all distinct, so that a word in the wrong place shows.
SimSample distinct_sample(int seed);

// The packet's 32-bit words.
std::vector<uint32_t> packet_words(const unsigned char* bytes, int size);

// The folder of sim/data in the source tree, as a Windows path.
std::string sim_data_path(const char* file_name);

class SimDriverTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The digitizing default context with this packet mask and these options, opened for `window`.
    HCTX open_context(WTPKT mask, UINT options, BOOL enable);
    SimSample inject_distinct(int seed);

    SimDriver driver{};
    HWND window = nullptr;
};
