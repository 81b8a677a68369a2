#pragma once

#include <functional>

#include <CLI/CLI.hpp>

// A subcommand of the omxml tool. Each subcommand's source registers itself
// with a static omxmlCommand object; main() gives every one its own CLI11
// subcommand, so all of them share one parser, one help layout and one set of
// exit codes: 0 success, 1 the document or a check failed, 2 usage or I/O error.
class omxmlCommand {
public:
    using Run = std::function<int()>;
    // Declares the command's description, options and footer on app and
    // returns what runs the command once the arguments are parsed into it.
    using Setup = Run (*)(CLI::App& app);

    omxmlCommand(const char* name, const char* summary, Setup setup);

    const char* name() const { return m_name; }
    const char* summary() const { return m_summary; }
    Run setup(CLI::App& app) const { return m_setup(app); }

    static const omxmlCommand* first();
    const omxmlCommand* next() const { return m_next; }

private:
    const char* m_name;
    const char* m_summary;
    Setup m_setup;
    omxmlCommand* m_next = nullptr;
};

// Checks of option values that say in one line what the option takes.
// A whole number from least up, as -j takes: "--jobs: takes a whole number
// from 1 up, not '0'".
CLI::Validator omxml_whole_number(unsigned least);
// A number of seconds, 0 or more.
CLI::Validator omxml_seconds();
// NAME=VALUE with neither part empty; what names the parts, as "NAMESPACE=PATH".
CLI::Validator omxml_pair(const char* what);
