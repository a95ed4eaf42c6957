// The host program as the demo and a script writer use it: the demo session's replay in both modes, the
// --profile and --stroke options, and the virtual tablet replaying its own stroke to a script with no test
// code.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "host_run.h"

namespace {

int count_of(const std::string& text, const std::string& piece) {
    int count = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size()))
        count++;
    return count;
}

std::vector<std::string> lines_starting_with(const std::string& text, const std::string& prefix) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line))
        if (line.compare(0, prefix.size(), prefix) == 0)
            lines.push_back(line);
    return lines;
}

std::string in_quotes(const std::string& path) {
    return "\"" + path + "\"";
}

TEST(Demo, EverySampleReachesTheHandlerOnceInBothModesAndIsDrawn) {
    std::string folder = temporary_path("out");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    HostRun run = run_host("--demo --out " + in_quotes(folder));
    EXPECT_EQ(0u, run.exit_code) << run.err;
    EXPECT_EQ("", run.err);
    const std::string first_call =
        "  call 1: ペン受信(0,0,22400,14000,0.00000,0.00000,\"\",1800,800,0.0,\"\",\"\",\"\")\n";
    const std::string last_call =
        "  call 300: ペン受信(0,0,22400,14000,0.00000,0.00000,\"\",1800,800,359.9,\"\",\"\",\"\")\n";
    // Batches as large as the driver's queue: 8 for a pen-mode context, 32 negotiated in mouse mode.
    const char* expected_lines[] = {
        "stroke: 300 samples from ",
        "replay pen: 300 of 300 samples injected in 38 batches of at most 8, messages dispatched after each; "
        "300 handler calls received\n",
        "summary pen: 300 samples injected, 300 calls received, 0 lost, 0 repeated\n",
        "replay mouse: 300 of 300 samples injected in 10 batches of at most 32, a mouse move after each; 300 "
        "handler calls received\n",
        "summary mouse: 300 samples injected, 300 calls received, 0 lost, 0 repeated\n",
        "picture: ",
        // Ten answers and 600 evaluation results; the plug-in gave every result back.
        "values: created 610, freed 600, bad frees 0\n",
    };
    size_t position = 0;
    for (const char* line : expected_lines) {
        size_t found = run.out.find(line, position);
        EXPECT_NE(std::string::npos, found) << "in order: " << line << "\n" << run.out;
        position = found == std::string::npos ? position : found;
    }
    EXPECT_EQ(2, count_of(run.out, first_call)) << run.out;
    EXPECT_EQ(2, count_of(run.out, last_call)) << run.out;
    EXPECT_EQ(1, count_of(run.out, "ドライバの名称:KUMO Simulated Wintab\n")) << run.out;

    std::string picture_path = folder + "\\kumo_demo_stroke.svg";
    std::string svg = read_all(picture_path);
    EXPECT_EQ(0u, svg.find("<?xml")) << picture_path;
    EXPECT_EQ(1, count_of(svg, ">pen mode: 300 calls received"));
    EXPECT_EQ(1, count_of(svg, ">mouse mode: 300 calls received"));
    EXPECT_EQ(2 * 299, count_of(svg, "<line "));
    // The strongest pressures (984 and 985 of 1023, four samples) draw the widest lines, 1 + 9 x 0.96 = 9.7;
    // the hover in and out (pressure 0) thin grey.
    EXPECT_EQ(2 * 4, count_of(svg, "stroke-width=\"9.7\""));
    EXPECT_LT(0, count_of(svg, "stroke=\"#b0b0b0\" stroke-width=\"0.8\""));
    EXPECT_TRUE(svg.size() > 6 && svg.compare(svg.size() - 7, 7, "</svg>\n") == 0);
    DeleteFileA(picture_path.c_str());
    RemoveDirectoryA(folder.c_str());
}

std::string numbered_stroke(int count) {
    std::string text;
    for (int i = 0; i < count; i++)
        text += std::to_string(8 * i) + " 0 1 " + std::to_string(100 + i) + " " + std::to_string(200 + i) +
                " 0 512 0 0 900 0\n";
    return text;
}

// Drivers that misreport how many packets a poll gave: the summary shows what the handler missed or got
// twice, and the session fails.
TEST(Demo, SummaryCountsLostAndRepeatedCalls) {
    struct Case {
        const char* driver_setting;
        int samples;
        const char* expected; // the replay's last call and the summary
    };
    const Case cases[] = {
        // One packet claimed per poll while the whole queue was removed.
        {"driver.packets_get_result = 1", 5,
         "  call 1: ペン受信(0,1,100,200,0.00000,0.50049,\"\",0,900,0.0,\"\",\"\",\"\")\n"
         "summary mouse: 5 samples injected, 1 calls received, 4 lost, 0 repeated\n"},
        // Two more claimed than given: the second poll (8 packets) dispatches two left from the first.
        {"driver.packets_get_extra = 2", 40,
         "  call 42: ペン受信(0,1,109,209,0.00000,0.50049,\"\",0,900,0.0,\"\",\"\",\"\")\n"
         "summary mouse: 40 samples injected, 42 calls received, 0 lost, 2 repeated\n"},
    };
    for (const Case& c : cases) {
        std::string profile = temporary_path("profile.txt"), stroke = temporary_path("stroke.txt");
        write_all(profile, "include default\n" + std::string(c.driver_setting) + "\n");
        write_all(stroke, numbered_stroke(c.samples));
        std::string script = "!driver drivers/full\n"
                             "WT受信イベント設定 ペン受信\n"
                             "WT初期化 マウスモード\n"
                             "WT有効\n"
                             "!stroke\n"
                             "!replay mouse\n"
                             "!summary\n";
        HostRun run = run_host("--profile " + in_quotes(profile) + " --stroke " + in_quotes(stroke), &script);
        EXPECT_EQ(2u, run.exit_code) << c.driver_setting;
        EXPECT_NE(std::string::npos, run.out.find(c.expected)) << c.driver_setting << "\n" << run.out;
        EXPECT_NE(std::string::npos,
                  run.err.find(":7: expected every injected sample received exactly once, in order"))
            << run.err;
        DeleteFileA(profile.c_str());
        DeleteFileA(stroke.c_str());
    }
}

TEST(Demo, ProfileOptionGivesTheDriverItsTablet) {
    std::string profile = temporary_path("profile.txt");
    write_all(profile, "include default\ninterface.id = 試作タブレット\n");
    std::string script = "!driver drivers/full\nWT情報取得\n";
    HostRun run = run_host("--profile " + in_quotes(profile), &script);
    EXPECT_EQ(0u, run.exit_code) << run.err;
    EXPECT_NE(std::string::npos, run.out.find("\nドライバの名称:試作タブレット\n")) << run.out;

    // The profile went to the driver in drivers/full, loaded before the script: a script may not switch to
    // another driver after that, since every later load of wintab32.dll would still get the first.
    std::string other_driver = "!driver virtual_tablet\nWT情報取得\n";
    HostRun switched = run_host("--profile " + in_quotes(profile), &other_driver);
    EXPECT_EQ(2u, switched.exit_code);
    EXPECT_EQ("", switched.out);
    EXPECT_NE(
        std::string::npos,
        switched.err.find(":1: expected !driver before a wintab32.dll is loaded, but one is loaded from "
                          "another folder (usage: !driver FOLDER)\n"))
        << switched.err;
    DeleteFileA(profile.c_str());
}

TEST(Demo, MissingOrMalformedOptionFilesStopBeforeTheSessionNamingLineAndExpectation) {
    struct Case {
        const char* option;
        const char* contents;       // null: no such file
        const char* expected_error; // after "kumo_host: OPTION PATH: "
    };
    const Case cases[] = {
        {"--profile", nullptr, "cannot open the file 'PATH'"},
        {"--profile", "include default\ndevice.0.x = 0 44799 2\n",
         "line 2: an axis 'MIN MAX UNITS RESOLUTION' (four 32-bit numbers) expected, found the end of the "
         "line"},
        {"--stroke", nullptr, "cannot open the file 'PATH'"},
        {"--stroke", "0 0 0 1 2 0 0 0 0 0 0\n\n8 0 0 1 2 0 heavy 0 0 0 0\n",
         "line 3: 11 numbers expected (time cursor buttons x y z pressure tangent azimuth altitude twist; "
         "time "
         "and cursor and buttons not negative), found 'heavy 0 0 0 0'"},
    };
    for (const Case& c : cases) {
        std::string path = temporary_path("option.txt");
        if (c.contents)
            write_all(path, c.contents);
        std::string expected = c.expected_error;
        size_t mark = expected.find("PATH");
        if (mark != std::string::npos)
            expected.replace(mark, 4, path);
        HostRun run = run_host("--demo " + std::string(c.option) + " " + in_quotes(path));
        EXPECT_EQ(2u, run.exit_code) << c.option << " " << expected;
        EXPECT_EQ("", run.out);
        EXPECT_EQ("kumo_host: " + std::string(c.option) + " " + path + ": " + expected + "\n", run.err);
        DeleteFileA(path.c_str());
    }
}

// bin/virtual_tablet: the driver with the sample profile and stroke beside it. A script that only uses the
// tablet commands gets the stroke replayed at its recorded timing while it lets messages be dispatched.
TEST(HostVirtualTablet, ReplaysItsStrokeToTheHandlerOfAScriptWithoutTestCode) {
    std::string script = "!driver virtual_tablet\n"
                         "WT受信イベント設定 ペン受信\n"
                         "WT初期化\n"
                         "WT有効\n"
                         "!wait 4000\n"
                         "WT無効\n"
                         "WT破棄\n";
    HostRun run = run_host("", &script);
    EXPECT_EQ(0u, run.exit_code) << run.err;
    EXPECT_EQ("", run.err);
    std::vector<std::string> calls = lines_starting_with(run.out, "eval: ");

    std::istringstream stroke(read_all(KUMO_BIN_DIR "/virtual_tablet/wintab_stroke.txt"));
    std::vector<std::string> expected_starts;
    std::string line;
    while (std::getline(stroke, line)) {
        unsigned time, cursor, buttons;
        int x, y;
        if (line.empty() || line[0] == '#' ||
            std::sscanf(line.c_str(), "%u %u %u %d %d", &time, &cursor, &buttons, &x, &y) != 5)
            continue;
        expected_starts.push_back("eval: ペン受信(" + std::to_string(cursor) + "," + std::to_string(buttons) +
                                  "," + std::to_string(x) + "," + std::to_string(y) + ",");
    }
    ASSERT_EQ(300u, expected_starts.size());
    ASSERT_EQ(expected_starts.size(), calls.size()) << run.out;
    for (size_t i = 0; i < calls.size(); i++)
        ASSERT_EQ(expected_starts[i], calls[i].substr(0, expected_starts[i].size())) << "call " << i + 1;
    EXPECT_EQ("eval: ペン受信(0,0,22400,14000,0.00000,0.00000,\"\",1800,800,0.0,\"\",\"\",\"\")",
              calls.front());
    EXPECT_EQ("eval: ペン受信(0,0,22400,14000,0.00000,0.00000,\"\",1800,800,359.9,\"\",\"\",\"\")",
              calls.back());
}

} // namespace
