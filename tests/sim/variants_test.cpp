// The built stand-ins' exports: each driver variant lacks exactly its one entry point, and the comctl32
// stand-in has no subclassing functions. A wrong export here would let a loader fault of the plug-in pass
// unseen.
#include <cstring>

#include "sim_fixture.h"

TEST(DriverVariants, EachLacksExactlyItsEntryPoint) {
    const char* const entry_points[] = {"WTInfoA",      "WTOpenA",        "WTClose",
                                        "WTPacketsGet", "WTPacket",       "WTEnable",
                                        "WTOverlap",    "WTQueueSizeGet", "WTQueueSizeSet"};
    const char* const control_functions[] = {"sim_reset",
                                             "sim_load_profile",
                                             "sim_load_profile_file",
                                             "sim_last_error",
                                             "sim_inject",
                                             "sim_log",
                                             "sim_clear_log",
                                             "sim_last_open",
                                             "sim_queue_length",
                                             "sim_queue_size",
                                             "sim_context_open",
                                             "sim_context_enabled",
                                             "sim_load_stroke_file",
                                             "sim_stroke_sample",
                                             "sim_replay_stroke"};
    std::vector<std::string> variants = {"full"};
    for (const char* name : entry_points)
        variants.push_back(std::string("no_") + name);
    for (const std::string& variant : variants) {
        SCOPED_TRACE(variant);
        std::string path = std::string(KUMO_BIN_DIR "/drivers/") + variant + "/wintab32.dll";
        HMODULE module = LoadLibraryA(path.c_str());
        ASSERT_NE(module, nullptr) << path;
        for (const char* name : entry_points) {
            bool expected = variant != std::string("no_") + name;
            EXPECT_EQ(GetProcAddress(module, name) != nullptr, expected) << name;
        }
        for (const char* name : control_functions)
            EXPECT_NE(GetProcAddress(module, name), nullptr) << name;
        FreeLibrary(module);
    }
}

TEST(Comctl32Stub, ExportsInitCommonControlsOnly) {
    HMODULE module = LoadLibraryA(KUMO_BIN_DIR "/comctl32_stub/comctl32.dll");
    ASSERT_NE(module, nullptr);
    char path[MAX_PATH];
    GetModuleFileNameA(module, path, MAX_PATH);
    EXPECT_NE(strstr(path, "comctl32_stub"), nullptr) << "loaded " << path;
    EXPECT_NE(GetProcAddress(module, "InitCommonControls"), nullptr);
    for (const char* name : {"SetWindowSubclass", "RemoveWindowSubclass", "DefSubclassProc"})
        EXPECT_EQ(GetProcAddress(module, name), nullptr) << name;
}
