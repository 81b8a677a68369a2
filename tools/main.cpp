#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "factory/omVersion.h"
#include "platform/syProcessControl.h"
#include "tools/omxmlCommand.h"

namespace {

omxmlCommand* g_commands = nullptr;

// A command's help as one block of --help-all: every line indented, so that
// its headings (Options:, Examples:) stay inside the block, and each example
// marked "$ ", which help2man sets as a line of its own. help2man makes a
// subsection of omxml(1) of each block.
std::string command_block(const CLI::App& command) {
    std::string text = command.help("omxml"), block;
    bool examples = false;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        const std::string line = text.substr(start, end - start);
        if (line.empty())
            examples = false;
        else
            block += examples && line.compare(0, 2, "  ") == 0 ? "  " + line.substr(0, 2) + "$ " + line.substr(2)
                                                               : "  " + line;
        block += "\n";
        // The summary and the usage line are paragraphs of their own.
        if (start == 0 && text.compare(end + 1, 6, "Usage:") == 0)
            block += "\n";
        examples = examples || line == "Example:" || line == "Examples:";
        start = end + 1;
    }
    return block;
}

// CLI11's message for a usage error, in the tool's words where they differ.
std::string usage_error(const CLI::ParseError& error, bool in_command) {
    std::string text = error.what();
    const std::size_t colon = text.find(": ");
    if (dynamic_cast<const CLI::ExtrasError*>(&error) && colon != std::string::npos) {
        const std::string extra = text.substr(colon + 2);
        if (extra[0] == '-')
            return "unknown option " + extra;
        return in_command ? "unexpected argument '" + extra + "'" : "unknown command '" + extra + "'";
    }
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) && colon != std::string::npos)
        return text.substr(0, colon) + " needs a value";
    return text;
}

} // namespace

omxmlCommand::omxmlCommand(const char* name, const char* summary, Setup setup)
    : m_name(name), m_summary(summary), m_setup(setup) {
    // Keep the list sorted by name so the usage text is stable.
    omxmlCommand** link = &g_commands;
    while (*link && std::strcmp((*link)->m_name, name) < 0)
        link = &(*link)->m_next;
    m_next = *link;
    *link = this;
}

const omxmlCommand* omxmlCommand::first() { return g_commands; }

CLI::Validator omxml_whole_number(unsigned least) {
    return CLI::Validator(
        [least](std::string& value) {
            char* end = nullptr;
            errno = 0;
            const unsigned long n = value.empty() || value[0] == '-' ? 0 : std::strtoul(value.c_str(), &end, 10);
            if (end && *end == '\0' && errno == 0 && n >= least && n <= UINT_MAX)
                return std::string();
            return "takes a whole number from " + std::to_string(least) + " up, not '" + value + "'";
        },
        "");
}

CLI::Validator omxml_seconds() {
    return CLI::Validator(
        [](std::string& value) {
            char* end = nullptr;
            const double seconds = value.empty() ? -1 : std::strtod(value.c_str(), &end);
            if (end && *end == '\0' && seconds >= 0 && seconds < 1e9)
                return std::string();
            return "takes a number of seconds, 0 or more, not '" + value + "'";
        },
        "");
}

CLI::Validator omxml_pair(const char* what) {
    return CLI::Validator(
        [what](std::string& value) {
            const std::size_t eq = value.find('=');
            if (eq != std::string::npos && eq > 0 && eq + 1 < value.size())
                return std::string();
            return std::string("takes ") + what + ", not '" + value + "'";
        },
        "");
}

int main(int argc, char** argv) {
    syProcessControl::binary_output();
    CLI::App app("omxml " OMXML_TOOL_VERSION " - XML tools: pull reader, document back-end and conformance suites",
                 "omxml");
    app.set_help_flag("-h,--help", "print this help and exit");
    app.set_version_flag("-V,--version", std::string("omxml " OMXML_TOOL_VERSION " (library ") + om_version() + ")",
                         "print the version and exit");
    bool help_all = false;
    app.add_flag("--help-all", help_all, "print this help and the help of every command, then exit");
    app.require_subcommand(0, 1);
    // "/..." is an XPath or a path, never an option, on Windows too; commands inherit this.
    app.allow_windows_style_options(false);
    app.footer("'omxml COMMAND --help' (or 'omxml help COMMAND') explains a command.\n"
               "Version 0.2 changed 'omxml select' to take the expression first: omxml select XPATH PATH...\n"
               "\n"
               "Exit status: 0 success, 1 a document or a check failed, 2 usage error or unreadable file.");
    app.get_formatter()->column_width(32);

    std::vector<std::pair<CLI::App*, omxmlCommand::Run>> commands;
    for (const omxmlCommand* c = omxmlCommand::first(); c; c = c->next()) {
        CLI::App* sub = app.add_subcommand(c->name(), c->summary());
        commands.emplace_back(sub, c->setup(*sub));
    }

    // CLI11 takes the arguments last first. "omxml help [COMMAND]" is "omxml [COMMAND] --help".
    std::vector<std::string> args = syProcessControl::arguments(argc, argv);
    if (!args.empty() && args.front() == "help")
        args.front() = "--help";
    std::reverse(args.begin(), args.end());
    try {
        app.parse(args);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success))
            return app.exit(e); // --help or --version, on stdout
        std::string who = "omxml";
        for (const auto& command : commands)
            if (command.first->parsed())
                who += " " + command.first->get_name();
        std::fprintf(stderr, "%s: %s (see '%s --help')\n", who.c_str(), usage_error(e, who != "omxml").c_str(),
                     who.c_str());
        return 2;
    }
    if (help_all) {
        std::cout << app.help();
        for (const auto& command : commands)
            std::cout << "\nomxml " << command.first->get_name() << ":\n" << command_block(*command.first);
        return 0;
    }
    for (const auto& command : commands)
        if (command.first->parsed())
            return command.second();
    std::cerr << app.help();
    return 2;
}
