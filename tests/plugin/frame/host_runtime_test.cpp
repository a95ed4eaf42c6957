// The host runtime stand-in where a fault of its own would hide one of the plug-in: the eval log, frees, and
// argument lists.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host_control.h"
#include "host_sdk/host_api.h"

namespace {

class HostRuntime : public ::testing::Test {
  protected:
    void SetUp() override {
        HMODULE runtime = LoadLibraryA(KUMO_BIN_DIR "/kumo_runtime.dll");
        ASSERT_NE(nullptr, runtime);
        ASSERT_EQ(1, bind_host_control(runtime, &host));
        host.reset();
        bind_host_api(runtime);
    }
    HostControl host = {};
};

char caller_buffer[16];
std::string text_seen_by_evaluator;

HostValue WINAPI overwriting_evaluator(const char* text) {
    text_seen_by_evaluator = text;
    std::memcpy(caller_buffer, "clobbered", 10); // as a re-entered plug-in would reuse its buffer
    return nullptr;
}

TEST_F(HostRuntime, EvalRecordsTheTextBeforeTheEvaluatorRuns) {
    std::memcpy(caller_buffer, "f(1,2)", 7);
    host.set_evaluator(overwriting_evaluator);
    EXPECT_EQ(nullptr, host_api.kumo_eval(caller_buffer));
    EXPECT_EQ("f(1,2)", text_seen_by_evaluator);
    ASSERT_EQ(1, host.eval_count());
    EXPECT_STREQ("f(1,2)", host.eval_text(0));

    host.set_evaluator(nullptr); // the default answers a new value, for the caller to free
    HostValue result = host_api.kumo_eval("g()");
    ASSERT_NE(nullptr, result);
    EXPECT_EQ(1, host_api.kumo_var_free(result));
    EXPECT_EQ(2, host.eval_count());
    EXPECT_EQ(1, host.values_created());
    EXPECT_EQ(1, host.values_freed());
}

HostValue first_argument;
HostValue WINAPI freeing_handler(ArgList args) {
    first_argument = host_api.kumo_getFuncArg(args, 0);
    host_api.kumo_var_free(first_argument); // wrong: arguments belong to the host
    return host_api.kumo_var_new(nullptr);
}

TEST_F(HostRuntime, EveryFreeOfAValueNotAliveIsABadFree) {
    HostValue value = host_api.kumo_var_new(nullptr);
    EXPECT_EQ(1, host_api.kumo_var_free(value));
    EXPECT_EQ(0, host_api.kumo_var_free(value)); // twice
    EXPECT_EQ(0, host_api.kumo_var_free(nullptr));
    host_api.kumo_addFunction("F", "", freeing_handler, 0);
    const char* arguments[] = {"x"};
    HostValue result = host.call_command("F", arguments, 1);
    ASSERT_NE(nullptr, first_argument);
    EXPECT_STREQ("x", value_text(first_argument)) << "an argument that the plug-in may not free stays intact";
    EXPECT_NE(nullptr, result);
    EXPECT_EQ(1, host.values_freed());
    EXPECT_EQ(3, host.bad_frees());

    host.reset();
    EXPECT_EQ(0, host.bad_frees());
    EXPECT_EQ(0, host.values_created());
    EXPECT_EQ(0, host.command_count());
    EXPECT_EQ(0, host.eval_count());
    EXPECT_EQ(nullptr, host.call_command("F", nullptr, 0));
}

std::string positions_seen;
HostValue WINAPI recording_handler(ArgList args) {
    positions_seen.clear();
    for (int position = -1; position <= 3; position++) {
        HostValue value = host_api.kumo_getFuncArg(args, position);
        positions_seen += value ? value_text(value) : "-";
        positions_seen += ' ';
    }
    return host_api.kumo_var_new(nullptr);
}

TEST_F(HostRuntime, ArgumentsAreFetchedByPositionAndAbsentOnesAreNull) {
    host_api.kumo_addFunction("\x82\xa0", "TEMPLATE", recording_handler, 7);
    const char* arguments[] = {"a", nullptr, ""};
    host.call_command("\x82\xa0", arguments, 3);
    EXPECT_EQ("- a -  - ", positions_seen);
    host.call_command("\x82\xa0", nullptr, 0);
    EXPECT_EQ("- - - - - ", positions_seen);
    EXPECT_STREQ("TEMPLATE", host.command_template(0));
    EXPECT_EQ(7, host.command_reserved(0));
    EXPECT_EQ(nullptr, host.command_name(1));
}

} // namespace
