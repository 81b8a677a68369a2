// What every command shares: its help, its part of the manual page, its
// wording for a file it cannot read.
#include <regex>
#include <set>

#include "cli/cli_fixture.h"

namespace {

using HelpCli = CliFixture;

const char* const kCommands[] = {"conformance", "read", "select", "validate"};

// The long options a command's help lists.
std::set<std::string> options_of(const std::string& help) {
    std::set<std::string> options;
    std::regex option(R"(\n  (?:-\w,)?(--[\w-]+))");
    for (std::sregex_iterator it(help.begin(), help.end(), option), end; it != end; ++it)
        options.insert((*it)[1]);
    return options;
}

} // namespace

TEST_F(HelpCli, EveryCommandExplainsItselfWithAnExample) {
    for (const std::string command : kCommands) {
        CliRun r = omxml({command, "--help"});
        EXPECT_EQ(r.status, 0) << command;
        EXPECT_EQ(r.out.find("Usage: omxml " + command + " [OPTIONS]"), r.out.find('\n') + 1) << r.out;
        EXPECT_NE(r.out.find("Example"), std::string::npos) << command;
        EXPECT_EQ(omxml({"help", command}).out, r.out);
    }
}

TEST_F(HelpCli, ManualPageHasOneSectionPerCommandWithItsOwnOptions) {
    CliRun r = run({"help2man", "--no-info", "--help-option=--help-all", "--version-option=--version", "--name=omxml",
                    OMXML_TOOL});
    if (kWindows || r.status == 127)
        GTEST_SKIP() << "help2man is not installed";
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string& page = r.out;
    EXPECT_EQ(page.find(".SH EXAMPLES"), std::string::npos) << page;
    std::map<std::string, std::string> sections;
    for (const std::string command : kCommands) {
        const std::size_t start = page.find(".SS \"omxml " + command + ":\"");
        ASSERT_NE(start, std::string::npos) << command << "\n" << page;
        const std::size_t end = std::min(page.find(".SS \"omxml ", start + 1), page.find(".SH", start + 1));
        sections[command] = page.substr(start, end - start);
        EXPECT_NE(sections[command].find("Usage: omxml " + command), std::string::npos) << sections[command];
        EXPECT_NE(sections[command].find("\\f(CW$ omxml " + command), std::string::npos) << sections[command];
    }
    for (const std::string command : kCommands)
        for (const std::string& option : options_of(omxml({command, "--help"}).out)) {
            const std::string roff = std::regex_replace(option, std::regex("-"), "\\-");
            for (const std::string other : kCommands) {
                const bool listed = options_of(omxml({other, "--help"}).out).count(option) != 0;
                EXPECT_EQ(sections[other].find(roff) != std::string::npos, listed)
                    << option << " of " << command << " in the section of " << other;
            }
        }
}

TEST_F(HelpCli, AFileThatCannotBeReadIsWordedAlikeByEveryCommand) {
    const std::string absent = m_dir + "/absent.xml";
    const std::string line = absent + ": cannot read: No such file or directory\n";
    for (const Args& args : {Args{"validate", absent}, Args{"select", "/a", absent}, Args{"read", absent, "a"}}) {
        CliRun r = omxml(args);
        EXPECT_EQ(r.status, 2) << args[0];
        EXPECT_EQ(r.err.substr(0, line.size()), line) << args[0];
    }
}
