// Host binding and value functions, linked from the plug-in's modules (kumo_plugin), against the runtime
// stand-in and its partial variant.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "host_control.h"
#include "host_sdk/host_api.h"
#include "plugin/plugin_exports.h"
#include "tablet/tablet_state.h"

namespace {

const char full_runtime[] = KUMO_BIN_DIR "/kumo_runtime.dll";
const char partial_runtime[] = KUMO_BIN_DIR "/host_variants/partial/kumo_runtime.dll";

struct BoundEntry {
    const char* name;
    void* pointer;
};

// Every entry of host_api with its name, in binding order.
std::vector<BoundEntry> bound_entries() {
    std::vector<BoundEntry> entries;
#define KUMO_LIST_ENTRY(type, name) entries.push_back({#name, reinterpret_cast<void*>(host_api.name)});
    KUMO_HOST_ENTRY_POINTS(KUMO_LIST_ENTRY)
#undef KUMO_LIST_ENTRY
    return entries;
}

TEST(HostBinding, AModuleLackingNamesStillGetsEveryOtherEntryBound) {
    HMODULE partial = LoadLibraryA(partial_runtime);
    ASSERT_NE(nullptr, partial);
    bind_host_api(partial);
    const std::set<std::string> missing = {"kumo_resetAll", "kumo_hash_keys",  "kumo_setCKUMO_DLL_handle",
                                           "test",          "kumo_getVersion", "kumo_getLastUserFuncID"};
    std::vector<BoundEntry> entries = bound_entries();
    ASSERT_EQ(86u, entries.size());
    for (const BoundEntry& entry : entries) {
        if (missing.count(entry.name)) {
            EXPECT_EQ(nullptr, entry.pointer) << entry.name;
        } else {
            void* exported = reinterpret_cast<void*>(GetProcAddress(partial, entry.name));
            ASSERT_NE(nullptr, exported) << entry.name;
            EXPECT_EQ(exported, entry.pointer) << entry.name;
        }
    }
    EXPECT_EQ(0, is_host_loaded()) << "bind_host_api holds no module";
}

TEST(HostBinding, PluginInitBindsWithoutHoldingTheModule) {
    HMODULE runtime = LoadLibraryA(full_runtime);
    ASSERT_NE(nullptr, runtime);
    PluginInit(runtime);
    EXPECT_EQ(0, is_host_loaded());
    EXPECT_EQ(nullptr, host_module);
    for (const BoundEntry& entry : bound_entries())
        EXPECT_NE(nullptr, entry.pointer) << entry.name;
    EXPECT_EQ(1, unload_host_module()) << "with no module held";
    EXPECT_NE(nullptr, host_api.kumo_var_new) << "unloading nothing clears nothing";
}

TEST(HostBinding, LoadingAgainFreesTheFirstModule) {
    ASSERT_EQ(1, load_host_module(partial_runtime)); // lacks kumo_setCKUMO_DLL_handle: not called
    HMODULE first = host_module;
    EXPECT_EQ(1, is_host_loaded());
    EXPECT_EQ(first, GetModuleHandleA(partial_runtime));
    ASSERT_EQ(1, load_host_module(partial_runtime));
    // Had the first load not been freed, the module would now be held twice and survive one unload.
    EXPECT_EQ(1, unload_host_module());
    EXPECT_EQ(0, is_host_loaded());
    EXPECT_EQ(nullptr, GetModuleHandleA(partial_runtime));
    EXPECT_EQ(1, unload_host_module());
}

// Entries into a freed module would be dangling: they are cleared with it, also when a failed load freed it.
TEST(HostBinding, EntriesDoNotOutliveTheModuleTheyPointInto) {
    ASSERT_EQ(1, load_host_module(full_runtime));
    EXPECT_NE(nullptr, host_api.kumo_var_new);
    EXPECT_EQ(0, load_host_module("Z:/no/such/folder/kumo_runtime.dll"));
    EXPECT_EQ(0, is_host_loaded());
    EXPECT_EQ(nullptr, GetModuleHandleA(full_runtime));
    for (const BoundEntry& entry : bound_entries())
        EXPECT_EQ(nullptr, entry.pointer) << entry.name;
}

class ValueFunctions : public ::testing::Test {
  protected:
    void SetUp() override {
        runtime = LoadLibraryA(full_runtime);
        ASSERT_NE(nullptr, runtime);
        ASSERT_EQ(1, bind_host_control(runtime, &host));
        host.reset();
        bind_host_api(runtime);
    }
    std::string bytes_of(HostValue value) {
        int length = -1;
        const char* text = host.value_bytes(value, &length);
        return std::string(text, static_cast<size_t>(length));
    }
    HMODULE runtime = nullptr;
    HostControl host = {};
};

TEST_F(ValueFunctions, NumbersAndFlagsAreStoredAsTheHostExpects) {
    HostValue flag = new_value(nullptr);
    set_bool(flag, 5);
    EXPECT_EQ(1, host_api.kumo_var2int(flag));
    set_bool(flag, 0);
    EXPECT_EQ(0, host_api.kumo_var2int(flag));

    HostValue negative = new_int_value(-3);
    EXPECT_EQ(-3, value_int(negative));
    EXPECT_EQ(1, value_bool(negative));
    EXPECT_EQ(0, value_bool(new_int_value(0)));

    HostValue largest = new_float_value(4294967295u); // unsigned: not -1.0
    EXPECT_EQ(4294967295.0, value_float(largest));
    EXPECT_EQ("4294967295", bytes_of(largest));

    EXPECT_EQ(4, host.values_created());
}

TEST_F(ValueFunctions, TextsKeepTheirExactBytes) {
    HostValue empty = new_text_value("");
    EXPECT_EQ(0u, bytes_of(empty).size());
    EXPECT_STREQ("", value_text(empty));

    HostValue with_nul = new_value(nullptr);
    set_text(with_nul, "a\0b", 3);
    EXPECT_EQ(std::string("a\0b", 3), bytes_of(with_nul));

    HostValue source = new_text_value("\x83\x79\x83\x93"); // two double-byte characters
    HostValue copy = copy_value(source);
    EXPECT_NE(source, copy);
    EXPECT_EQ("\x83\x79\x83\x93", bytes_of(copy));
    // value_text reads the record's own text pointer (unaligned, at byte offset 25).
    EXPECT_EQ(host.value_bytes(copy, nullptr), value_text(copy));
    EXPECT_EQ(host.value_bytes(with_nul, nullptr), value_text(with_nul));

    HostValue literal = new_value(nullptr);
    set_text_literal(literal, "OK");
    EXPECT_EQ("OK", bytes_of(literal));
}

// PluginFin frees the two heap blocks whatever else is loaded, and clears them, so a second call frees
// nothing.
TEST(PluginFinLinked, FreesHandlerNameAndPacketBufferOnce) {
    tablet_state.handler_name = static_cast<char*>(std::malloc(6));
    std::memcpy(tablet_state.handler_name, "onPen", 6);
    tablet_state.packet_buffer = static_cast<unsigned char*>(std::malloc(64));
    PluginFin();
    EXPECT_EQ(nullptr, tablet_state.handler_name);
    EXPECT_EQ(nullptr, tablet_state.packet_buffer);
    PluginFin();
}

} // namespace
