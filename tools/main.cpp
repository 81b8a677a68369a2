#include <algorithm>
#include <cstdio>
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
        std::fprintf(stderr, "%s: %s (see '%s --help')\n", who.c_str(), e.what(), who.c_str());
        return 2;
    }
    if (help_all) {
        // One block per command under a heading, its summary and usage indented
        // beneath: the layout from which help2man makes a subsection of omxml(1).
        std::cout << app.help();
        for (const auto& command : commands) {
            std::string text = command.first->help("omxml");
            const std::size_t usage_end = text.find('\n', text.find('\n') + 1);
            std::string head = "  " + text.substr(0, usage_end);
            for (std::size_t at = head.find('\n'); at != std::string::npos; at = head.find('\n', at + 1))
                head.insert(at + 1, "  ");
            head.insert(head.find('\n'), ".");
            std::cout << "\nomxml " << command.first->get_name() << ":\n" << head << text.substr(usage_end);
        }
        return 0;
    }
    for (const auto& command : commands)
        if (command.first->parsed())
            return command.second();
    std::cerr << app.help();
    return 2;
}
