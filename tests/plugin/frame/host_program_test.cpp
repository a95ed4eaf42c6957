// kumo_host.exe run as a separate process on small scripts: exact output lines, exit codes and error
// messages. The echo plug-in (echo_plugin.cpp) stands in for the tablet plug-in where the host program itself
// is tested.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "host_run.h"
#include "text_compare.h"

namespace {

const std::string echo_plugin = "--plugin \"" ECHO_PLUGIN_PATH "\"";

TEST(HostProgram, RunsCommandsAndDirectivesAndPrintsEveryEvaluation) {
    const std::string script = "\xEF\xBB\xBF# a comment, then an empty line\r\n"
                               "\r\n"
                               "ECHO hello   world  \r\n"
                               "ECHO\n"
                               "ECHO \"\"\n"
                               "ECHO \"  kept  \"\n"
                               "ECHO 日本語の引数\n"
                               "EVAL ハンドラ(1,2)\n"
                               "HOOK\n"
                               "!mousemove 2\n"
                               "!pump\n"
                               "!values\n"
                               "!quit\n"
                               "ECHO not reached\n";
    HostRun run = run_host(echo_plugin, &script);
    EXPECT_EQ(0u, run.exit_code) << run.err;
    EXPECT_EQ("", run.err);
    EXPECT_EQ("ECHO -> hello   world\n"
              "ECHO -> (absent)\n"
              "ECHO -> \n"
              "ECHO ->   kept  \n"
              "ECHO -> 日本語の引数\n"
              "eval: ハンドラ(1,2)\n"
              "EVAL -> OK\n"
              "HOOK -> KumoHostMainWindow\n"
              "eval: mousemove 10,10\n"
              "eval: mousemove 11,11\n"
              "eval: posted\n"
              // Seven answers and four evaluation results made; the plug-in freed the four results.
              "values: created 11, freed 4, bad frees 0\n",
              run.out);
}

TEST(HostProgram, ScriptErrorsNameFileLineAndWhatWasExpected) {
    struct Case {
        const char* script;
        const char* expected_out;
        const char* expected_error; // after "<script path>:"
    };
    const Case cases[] = {
        {"ECHO a\n!bogus 1\nECHO b\n", "ECHO -> a\n",
         "2: unknown directive !bogus (expected one of !pump, !mousemove, !driver, !commands, !values, "
         "!quit, !wait, !print, !stroke, !replay, !summary, !picture)\n"},
        {"NOSUCH x\n", "",
         "1: no command named NOSUCH is registered (expected a command or a directive "
         "beginning with !)\n"},
        {"\n\n!mousemove many\n", "",
         "3: expected a count from 1 to 100000, got \"many\" (usage: !mousemove [COUNT])\n"},
        {"!pump now\n", "", "1: expected nothing after the directive, got \"now\" (usage: !pump)\n"},
        {"!driver\n", "", "1: expected a folder (usage: !driver FOLDER)\n"},
        {"!wait soon\n", "", "1: expected milliseconds from 0 to 600000, got \"soon\" (usage: !wait MS)\n"},
        {"!replay sideways\n", "", "1: expected pen or mouse, got \"sideways\" (usage: !replay pen|mouse)\n"},
        {"!replay pen\n", "",
         "1: expected a stroke (load one with !stroke first) (usage: !replay pen|mouse)\n"},
        {"!print phase one\n!summary\n", "phase one\n", "2: expected a !replay before (usage: !summary)\n"},
        // The echo plug-in's folder has no wintab32.dll.
        {"!stroke\n", "",
         "1: cannot load wintab32.dll (expected the simulated driver; name its folder with !driver) (usage: "
         "!stroke [FILE])\n"},
        {"ECHO \xFF\xFE\n", "", "1: the text is not valid UTF-8\n"},
        {"ECHO 😀\n", "", "1: the text has a character that code page 932 lacks\n"},
    };
    for (const Case& c : cases) {
        std::string script = c.script;
        HostRun run = run_host(echo_plugin, &script);
        EXPECT_EQ(2u, run.exit_code) << c.script;
        EXPECT_EQ(c.expected_out, run.out) << c.script;
        size_t colon = run.err.find("script.txt:");
        ASSERT_NE(std::string::npos, colon) << run.err;
        EXPECT_EQ(c.expected_error, run.err.substr(colon + sizeof("script.txt:") - 1)) << c.script;
    }
}

TEST(HostProgram, StartupFailuresAreReportedNotCrashed) {
    HostRun unreadable = run_host(echo_plugin + " Z:/no/such/folder/script.txt");
    EXPECT_EQ(2u, unreadable.exit_code);
    EXPECT_EQ("Z:/no/such/folder/script.txt: cannot read the script (expected a readable UTF-8 text file)\n",
              unreadable.err);

    std::string script = "!values\n";
    HostRun no_plugin = run_host("--plugin Z:/no/such/plugin.dll", &script);
    EXPECT_EQ(1u, no_plugin.exit_code);
    EXPECT_EQ(0u,
              no_plugin.err.find("kumo_host: cannot load the plug-in Z:/no/such/plugin.dll (Windows error "))
        << no_plugin.err;
    EXPECT_EQ("", no_plugin.out);

    HostRun bad_option = run_host("--frobnicate", &script);
    EXPECT_EQ(1u, bad_option.exit_code);
    EXPECT_EQ(0u, bad_option.err.find("kumo_host: unexpected argument \"--frobnicate\"\n")) << bad_option.err;
}

TEST(HostProgram, LoadsTheRuntimeAndThePluginFromItsOwnFolder) {
    std::string script = "!commands\n!driver drivers_that_are_not_there\n";
    HostRun run = run_host("", &script);
    EXPECT_EQ(2u, run.exit_code);
    EXPECT_EQ("command 1: WT初期化 {文字列=?}OPTIONで\n"
              "command 2: WT破棄\n"
              "command 3: WT有効\n"
              "command 4: WT無効\n"
              "command 5: WT受信イベント設定 FUNCNAMEを\n"
              "command 6: WT情報取得\n",
              run.out);
    // A relative driver folder is taken from the program's folder.
    std::string program_folder = KUMO_BIN_DIR;
    for (char& c : program_folder)
        c = c == '/' ? '\\' : c;
    size_t colon = run.err.find("script.txt:");
    ASSERT_NE(std::string::npos, colon) << run.err;
    EXPECT_EQ("2: expected an existing folder, got \"" + program_folder +
                  "\\drivers_that_are_not_there\" (usage: !driver FOLDER)\n",
              run.err.substr(colon + sizeof("script.txt:") - 1));
}

} // namespace
