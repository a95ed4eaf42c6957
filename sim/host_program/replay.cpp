// Replaying a recorded stroke through the simulated driver, checking that the handler received every sample
// once and in order, and drawing what it received.
//
//   !stroke [FILE]        loads a stroke (default: the --stroke file, else sample_stroke.txt beside the
//   program) !replay pen|mouse     injects the stroke into the open, enabled context in batches no larger
//   than the
//                         driver's queue; pen: every batch's packet messages are dispatched before the next;
//                         mouse: one mouse move on the main window after every batch polls the queue
//   !summary              matches the last replay's received call texts against the injected samples
//   !picture FILE         an SVG of every replay so far, pressure as line width
#include <cstdio>
#include <cstdlib>

#include "host_session.h"

static Replay* recording_replay;

int record_evaluation(const char* text) {
    if (!recording_replay)
        return 0;
    recording_replay->received.push_back(text);
    return 1;
}

static std::string utf8_of_cp932(const std::string& bytes) {
    return cp932_to_utf8(bytes.data(), static_cast<int>(bytes.size()));
}

int directive_stroke(HostSession& session, const std::string& argument, std::string& error) {
    if (!bind_simulated_driver(session, error))
        return 0;
    std::string path = argument;
    if (path.empty() && !session.stroke.empty()) {
        path = session.stroke_name; // the --stroke file, loaded at start
    } else if (path.empty()) {
        path = session.program_folder + "sample_stroke.txt";
    }
    if (path != session.stroke_name || session.stroke.empty()) {
        std::string reason;
        if (!load_stroke_file(session, path, reason)) {
            error = path + ": " + reason;
            return 0;
        }
    }
    print_line("stroke: " + std::to_string(session.stroke.size()) + " samples from " + path);
    return 1;
}

// The values a handler call text carries: its arguments, "" for an empty one. 0 when it is no call text.
static int split_call(const std::string& text, std::vector<std::string>& arguments) {
    size_t open = text.find('(');
    if (open == std::string::npos || text.empty() || text.back() != ')')
        return 0;
    arguments.clear();
    std::string current;
    for (size_t i = open + 1; i + 1 < text.size(); i++) {
        if (text[i] == ',') {
            arguments.push_back(current);
            current.clear();
        } else if (text[i] != '"') {
            current += text[i];
        }
    }
    arguments.push_back(current);
    return arguments.size() == 13;
}

static int parse_long(const std::string& text, long long& value) {
    if (text.empty())
        return 0;
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return *end == '\0';
}

// Cursor, buttons, x and y of a call text equal to those of the sample.
static int call_matches(const std::vector<std::string>& arguments, const SimSample& sample) {
    long long cursor, buttons, x, y;
    return parse_long(arguments[0], cursor) && parse_long(arguments[1], buttons) &&
           parse_long(arguments[2], x) && parse_long(arguments[3], y) && cursor == sample.cursor &&
           buttons == sample.buttons && x == sample.x && y == sample.y;
}

int directive_replay(HostSession& session, const std::string& argument, std::string& error) {
    if (argument != "pen" && argument != "mouse") {
        error = "expected pen or mouse, got \"" + argument + "\"";
        return 0;
    }
    if (session.stroke.empty()) {
        error = "expected a stroke (load one with !stroke first)";
        return 0;
    }
    if (!bind_simulated_driver(session, error))
        return 0;
    if (!session.driver.context_enabled()) {
        error =
            "expected an open, enabled tablet context (open and enable it with the tablet commands first)";
        return 0;
    }
    const int mouse = argument == "mouse";
    Replay replay = {};
    replay.mode = argument;
    // A batch never exceeds the queue, so the driver drops nothing before it is taken.
    replay.batch_size = session.driver.queue_size() > 0 ? session.driver.queue_size() : 1;
    recording_replay = &replay;
    const size_t count = session.stroke.size();
    for (size_t first = 0; first < count; first += static_cast<size_t>(replay.batch_size)) {
        size_t end = first + static_cast<size_t>(replay.batch_size);
        for (size_t i = first; i < end && i < count; i++) {
            if (session.driver.inject(&session.stroke[i]) != 0)
                replay.injected.push_back(session.stroke[i]);
        }
        replay.batch_count++;
        if (mouse)
            SendMessageW(session.main_window, WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
        pump_messages();
    }
    recording_replay = nullptr;
    print_line("replay " + replay.mode + ": " + std::to_string(replay.injected.size()) + " of " +
               std::to_string(count) + " samples injected in " + std::to_string(replay.batch_count) +
               " batches of at most " + std::to_string(replay.batch_size) +
               (mouse ? ", a mouse move after each" : ", messages dispatched after each") + "; " +
               std::to_string(replay.received.size()) + " handler calls received");
    const size_t received = replay.received.size();
    for (size_t i = 0; i < received; i++) {
        if (i < 3 || i + 1 == received)
            print_line("  call " + std::to_string(i + 1) + ": " + utf8_of_cp932(replay.received[i]));
        else if (i == 3)
            print_line("  ...");
    }
    session.replays.push_back(replay);
    return 1;
}

int directive_summary(HostSession& session, const std::string& argument, std::string& error) {
    if (!argument.empty()) {
        error = "expected nothing after the directive, got \"" + argument + "\"";
        return 0;
    }
    if (session.replays.empty()) {
        error = "expected a !replay before";
        return 0;
    }
    const Replay& replay = session.replays.back();
    // In order: each call is matched to the first sample at or after the last match; a call that matches the
    // sample matched last, or any earlier one, is a repetition; a call that matches none is foreign.
    std::vector<int> times_received(replay.injected.size(), 0);
    size_t next = 0;
    int repeated = 0, foreign = 0;
    std::vector<std::string> arguments;
    for (const std::string& text : replay.received) {
        if (!split_call(text, arguments)) {
            foreign++;
            continue;
        }
        size_t found = next;
        while (found < replay.injected.size() && !call_matches(arguments, replay.injected[found]))
            found++;
        if (found < replay.injected.size()) {
            times_received[found]++;
            next = found + 1;
            continue;
        }
        size_t earlier = next;
        while (earlier > 0 && !call_matches(arguments, replay.injected[earlier - 1]))
            earlier--;
        if (earlier > 0) {
            times_received[earlier - 1]++;
            repeated++;
        } else {
            foreign++;
        }
    }
    int lost = 0;
    for (int times : times_received)
        lost += times == 0;
    std::string line = "summary " + replay.mode + ": " + std::to_string(replay.injected.size()) +
                       " samples injected, " + std::to_string(replay.received.size()) + " calls received, " +
                       std::to_string(lost) + " lost, " + std::to_string(repeated) + " repeated";
    if (foreign)
        line += ", " + std::to_string(foreign) + " not of the stroke";
    print_line(line);
    if (lost || repeated || foreign) {
        error = "expected every injected sample received exactly once, in order";
        return 0;
    }
    return 1;
}

// ---- The picture

namespace {

constexpr double panel_width = 560, panel_height = 400, panel_margin = 24, title_height = 28;

struct Point {
    double x, y, pressure; // pressure -1: the call had none
};

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string escape_xml(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '&')
            out += "&amp;";
        else
            out += c;
    }
    return out;
}

// One panel: the calls' x, y fitted into the panel; pen mode has Y growing upward (tablet units), mouse mode
// downward (screen). Each segment is drawn with the width of its end's pressure; a hover segment thin grey.
std::string panel(const Replay& replay, double left) {
    std::vector<Point> points;
    std::vector<std::string> arguments;
    for (const std::string& text : replay.received) {
        long long x, y;
        if (!split_call(text, arguments) || !parse_long(arguments[2], x) || !parse_long(arguments[3], y))
            continue;
        double pressure = arguments[5].empty() ? -1 : std::strtod(arguments[5].c_str(), nullptr);
        points.push_back({double(x), double(y), pressure});
    }
    std::string svg = "<g>\n<rect x=\"" + number(left) + "\" y=\"0\" width=\"" + number(panel_width) +
                      "\" height=\"" + number(panel_height) + "\" fill=\"#ffffff\" stroke=\"#cccccc\"/>\n";
    svg += "<text x=\"" + number(left + panel_margin) +
           "\" y=\"20\" font-family=\"sans-serif\" font-size=\"14\" fill=\"#333333\">" +
           escape_xml(replay.mode + " mode: " + std::to_string(replay.received.size()) + " calls received" +
                      (replay.mode == "pen" ? " (tablet units, Y up)" : " (as received, Y down)")) +
           "</text>\n";
    if (points.empty())
        return svg + "</g>\n";
    double min_x = points[0].x, max_x = min_x, min_y = points[0].y, max_y = min_y;
    for (const Point& p : points) {
        min_x = p.x < min_x ? p.x : min_x;
        max_x = p.x > max_x ? p.x : max_x;
        min_y = p.y < min_y ? p.y : min_y;
        max_y = p.y > max_y ? p.y : max_y;
    }
    const double area_width = panel_width - 2 * panel_margin;
    const double area_height = panel_height - title_height - 2 * panel_margin;
    double span_x = max_x - min_x > 0 ? max_x - min_x : 1, span_y = max_y - min_y > 0 ? max_y - min_y : 1;
    double scale = area_width / span_x < area_height / span_y ? area_width / span_x : area_height / span_y;
    double origin_x = left + panel_margin + (area_width - span_x * scale) / 2;
    double origin_y = title_height + panel_margin + (area_height - span_y * scale) / 2;
    const int y_up = replay.mode == "pen";
    auto screen_x = [&](const Point& p) { return origin_x + (p.x - min_x) * scale; };
    auto screen_y = [&](const Point& p) {
        return y_up ? origin_y + (max_y - p.y) * scale : origin_y + (p.y - min_y) * scale;
    };
    svg += "<g stroke-linecap=\"round\">\n";
    for (size_t i = 1; i < points.size(); i++) {
        const Point& a = points[i - 1];
        const Point& b = points[i];
        int hover = b.pressure <= 0;
        svg += "<line x1=\"" + number(screen_x(a)) + "\" y1=\"" + number(screen_y(a)) + "\" x2=\"" +
               number(screen_x(b)) + "\" y2=\"" + number(screen_y(b)) + "\" stroke=\"" +
               (hover ? "#b0b0b0" : "#1a3a8a") + "\" stroke-width=\"" +
               number(hover ? 0.8 : 1.0 + 9.0 * b.pressure) + "\"/>\n";
    }
    return svg + "</g>\n</g>\n";
}

} // namespace

int directive_picture(HostSession& session, const std::string& argument, std::string& error) {
    if (argument.empty()) {
        error = "expected a file name";
        return 0;
    }
    if (session.replays.empty()) {
        error = "expected a !replay before";
        return 0;
    }
    bool absolute = argument[0] == '/' || argument[0] == '\\' || (argument.size() > 1 && argument[1] == ':');
    std::string path = absolute ? argument : session.output_folder + argument;
    const double width = panel_width * double(session.replays.size());
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                      number(width) + "\" height=\"" + number(panel_height) + "\" viewBox=\"0 0 " +
                      number(width) + " " + number(panel_height) + "\">\n";
    for (size_t i = 0; i < session.replays.size(); i++)
        svg += panel(session.replays[i], panel_width * double(i));
    svg += "</svg>\n";
    FILE* file = _wfopen(utf8_to_wide(path).c_str(), L"wb");
    int written = file && std::fwrite(svg.data(), 1, svg.size(), file) == svg.size();
    if (file)
        written = std::fclose(file) == 0 && written;
    if (!written) {
        error = "cannot write \"" + path + "\" (expected a writable file in an existing folder)";
        return 0;
    }
    print_line("picture: " + path);
    return 1;
}
