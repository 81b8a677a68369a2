#include <cstdio>
#include <cstring>

#include "factory/omVersion.h"
#include "tools/omxmlCommand.h"

namespace {

omxmlCommand* g_commands = nullptr;

void usage(std::FILE* out) {
    std::fprintf(out, "omxml %s - XML tools: pull reader, document back-end and conformance suites\n\n", om_version());
    std::fprintf(out, "usage: omxml [--version] [--help] <command> [<args>]\n\ncommands:\n");
    for (const omxmlCommand* c = omxmlCommand::first(); c; c = c->next())
        std::fprintf(out, "  %-13s %s\n", c->name(), c->summary());
    std::fprintf(out, "\n'omxml <command> --help' explains a command.\n");
}

} // namespace

omxmlCommand::omxmlCommand(const char* name, const char* summary, Run run, Help help)
    : m_name(name), m_summary(summary), m_run(run), m_help(help) {
    // Keep the list sorted by name so the usage text is stable.
    omxmlCommand** link = &g_commands;
    while (*link && std::strcmp((*link)->m_name, name) < 0)
        link = &(*link)->m_next;
    m_next = *link;
    *link = this;
}

const omxmlCommand* omxmlCommand::find(const char* name) {
    for (const omxmlCommand* c = g_commands; c; c = c->m_next)
        if (std::strcmp(c->m_name, name) == 0)
            return c;
    return nullptr;
}

const omxmlCommand* omxmlCommand::first() { return g_commands; }

bool omxml_wants_help(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return true;
    return false;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        usage(stderr);
        return 2;
    }
    const char* name = argv[1];
    if (std::strcmp(name, "--version") == 0 || std::strcmp(name, "-V") == 0) {
        std::printf("omxml %s\n", om_version());
        return 0;
    }
    if (std::strcmp(name, "--help") == 0 || std::strcmp(name, "-h") == 0 || std::strcmp(name, "help") == 0) {
        if (argc >= 3 && omxmlCommand::find(argv[2])) {
            omxmlCommand::find(argv[2])->help(stdout);
            return 0;
        }
        usage(stdout);
        return 0;
    }
    const omxmlCommand* command = omxmlCommand::find(name);
    if (!command) {
        std::fprintf(stderr, "omxml: unknown command '%s'\n\n", name);
        usage(stderr);
        return 2;
    }
    if (omxml_wants_help(argc - 1, argv + 1)) {
        command->help(stdout);
        return 0;
    }
    return command->run(argc - 1, argv + 1);
}
