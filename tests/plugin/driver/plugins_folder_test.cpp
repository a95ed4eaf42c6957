// A driver found only as "plug-ins\wintab32.dll" beside the program is used like the first.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "../tablet/command_session.h"
#include "wintab/wintab_api.h"

TEST(PluginsFolderDriver, IsLoadedWhenNoOtherIsFound) {
    char program[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, program, MAX_PATH);
    ASSERT_GT(length, 0u);
    std::string folder(program, length);
    folder.resize(folder.find_last_of("\\/"));
    std::string plugins = folder + "\\plug-ins";
    CreateDirectoryA(plugins.c_str(), nullptr);
    // Several runs of this program may copy at once; one copy in place is all it takes.
    std::string copy = plugins + "\\wintab32.dll";
    CopyFileA((driver_folder("full") + "/wintab32.dll").c_str(), copy.c_str(), FALSE);
    ASSERT_NE(GetFileAttributesA(copy.c_str()), INVALID_FILE_ATTRIBUTES);

    CommandSession session;
    session.start();
    ASSERT_TRUE(SetDllDirectoryA(no_driver_folder));
    EXPECT_EQ(session.call("WT破棄"), "OK");
    EXPECT_EQ(session.call("WT有効"), not_open_answer);
    ASSERT_NE(wintab_api.driver_module, nullptr);
    char loaded[MAX_PATH];
    DWORD loaded_length = GetModuleFileNameA(wintab_api.driver_module, loaded, MAX_PATH);
    EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, loaded, static_cast<int>(loaded_length),
                             copy.c_str(), -1),
              CSTR_EQUAL)
        << loaded;
    unload_wintab();
    EXPECT_EQ(GetModuleHandleA("wintab32.dll"), nullptr);
}
