// Running a command script: one command or directive per line.
//
//   # a comment              (also empty lines: skipped)
//   COMMAND                  calls the command without an argument (kumo_getFuncArg answers null)
//   COMMAND ARGUMENT         calls it with one text argument: the rest of the line, trimmed; in double quotes
//                            it is taken as written between them ("" is an empty argument)
//   !DIRECTIVE [ARGUMENT]    a host action (directives.cpp)
//
// Lines are UTF-8 (a byte order mark is skipped), end in LF or CRLF, and are converted to code page 932 for
// the plug-in. Every answer prints as "COMMAND -> ANSWER" in UTF-8.
#include "host_session.h"

static std::string trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

static std::string unquote(const std::string& argument) {
    if (argument.size() >= 2 && argument.front() == '"' && argument.back() == '"')
        return argument.substr(1, argument.size() - 2);
    return argument;
}

// Answers may hold CRLF line breaks (the report): printed with plain line feeds, like every other line.
static std::string plain_line_breaks(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i];
    }
    return out;
}

static int run_command(HostSession& session, const std::string& name, const std::string* argument,
                       std::string& error) {
    std::string name_bytes, argument_bytes;
    if (!utf8_to_cp932(name, name_bytes, error) ||
        (argument && !utf8_to_cp932(*argument, argument_bytes, error)))
        return 0;
    const char* arguments[1] = {argument ? argument_bytes.c_str() : nullptr};
    HostValue answer = session.control.call_command(name_bytes.c_str(), arguments, argument ? 1 : 0);
    if (!answer) {
        error = "no command named " + name +
                " is registered (expected a command or a directive beginning with !)";
        return 0;
    }
    int length = 0;
    const char* bytes = session.control.value_bytes(answer, &length);
    print_line(name + " -> " + plain_line_breaks(cp932_to_utf8(bytes, length)));
    return 1;
}

static int run_line(HostSession& session, const std::string& line, std::string& error) {
    std::string text = trim(line);
    if (text.empty() || text[0] == '#')
        return 1;
    size_t space = text.find_first_of(" \t");
    std::string word = text.substr(0, space);
    std::string rest = space == std::string::npos ? std::string() : trim(text.substr(space));
    if (word[0] == '!') {
        const Directive* directive = find_directive(word);
        if (!directive) {
            error = "unknown directive " + word + " (expected one of " + directive_names() + ")";
            return 0;
        }
        if (!directive->handler(session, rest, error)) {
            error = error + " (usage: " + directive->usage + ")";
            return 0;
        }
        return 1;
    }
    if (space == std::string::npos)
        return run_command(session, word, nullptr, error);
    std::string argument = unquote(rest);
    return run_command(session, word, &argument, error);
}

int run_script(HostSession& session, const std::string& text) {
    size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    session.line_number = 0;
    while (start < text.size() && !session.quit_requested) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        session.line_number++;
        std::string error;
        if (!run_line(session, line, error)) {
            print_error(session.script_name + ":" + std::to_string(session.line_number) + ": " + error);
            return 0;
        }
        start = end + 1;
    }
    return 1;
}
