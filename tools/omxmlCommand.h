#pragma once

#include <cstdio>

// A subcommand of the omxml tool. Each subcommand's source registers itself
// with a static omxmlCommand object; main() dispatches by name.
// Exit codes: 0 success, 1 the document or a check failed, 2 usage or I/O error.
class omxmlCommand {
public:
    using Run = int (*)(int argc, char** argv); // argv[0] is the subcommand's name
    using Help = void (*)(std::FILE* out);

    omxmlCommand(const char* name, const char* summary, Run run, Help help);

    const char* name() const { return m_name; }
    const char* summary() const { return m_summary; }
    int run(int argc, char** argv) const { return m_run(argc, argv); }
    void help(std::FILE* out) const { m_help(out); }

    static const omxmlCommand* find(const char* name);
    static const omxmlCommand* first();
    const omxmlCommand* next() const { return m_next; }

private:
    const char* m_name;
    const char* m_summary;
    Run m_run;
    Help m_help;
    omxmlCommand* m_next = nullptr;
};

// True when argv holds "-h" or "--help".
bool omxml_wants_help(int argc, char** argv);
