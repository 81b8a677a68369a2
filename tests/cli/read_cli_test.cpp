// omxml read, run as a child process on files the tests write.
#include "cli/cli_fixture.h"

namespace {

class ReadCli : public CliFixture {
protected:
    // Runs "omxml read ARGS" with ARGS given as shell words.
    CliRun run(const std::string& args) { return omxml("read " + args); }
};

const char* const kConfig = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                            "<!-- application settings -->\n"
                            "<configuration>\n"
                            "  <database host=\"db.local\" port='5432'>\n"
                            "    <name>orders</name>\n"
                            "  </database>\n"
                            "  <database host=\"backup.local\">\n"
                            "    <name>archive</name>\n"
                            "  </database>\n"
                            "  <feature name=\"a\"/>\n"
                            "  <feature/>\n"
                            "  <feature name=\"c\"/>\n"
                            "</configuration>\n";

} // namespace

TEST_F(ReadCli, PrintsTheTextOfEveryMatchingElement) {
    CliRun r = run(write("app.xml", kConfig) + " configuration/database/name");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "orders\narchive\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(ReadCli, PrintsAttributesAndSkipsElementsWithoutThem) {
    std::string file = write("app.xml", kConfig);
    CliRun r = run(file + " configuration/database@host configuration/database@port configuration/feature@name");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "db.local\nbackup.local\n5432\na\nc\n");
}

TEST_F(ReadCli, AnAbsentPathPrintsNothing) {
    CliRun r = run(write("app.xml", kConfig) + " configuration/server/port");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
}

TEST_F(ReadCli, AMissingFileExitsTwoNamingIt) {
    CliRun r = run(m_dir + "/absent.xml configuration");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("absent.xml"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
}

TEST_F(ReadCli, AMalformedFileExitsOneWithTheRecordedError) {
    std::string file = write("bad.xml", "<?xml version=\"1.0\"?>\n<configuration><a>1</b></configuration>\n");
    CliRun r = run(file + " configuration/x");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "omTagException:: Something wrong with tag a\n");
}

TEST_F(ReadCli, AMalformedDeclarationExitsOne) {
    CliRun r = run(write("bad.xml", "<?xml encoding=\"utf-8\"?>\n<c/>\n") + " c");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "omCharException:: Xml file did not contain expected char v\n");
}

TEST_F(ReadCli, AWrongRootNameExplainsTheEndError) {
    CliRun r = run(write("app.xml", kConfig) + " settings/database");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("omEndException:: Xml reader moved of the end of the file\n", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("no root element 'settings'"), std::string::npos) << r.err;
}

TEST_F(ReadCli, UsageErrorsExitTwo) {
    std::string file = write("app.xml", kConfig);
    EXPECT_EQ(run("").status, 2);
    EXPECT_EQ(run(file).status, 2);
    EXPECT_EQ(run(file + " 'configuration//name'").status, 2);
    EXPECT_EQ(run(file + " configuration@").status, 2);
}

TEST_F(ReadCli, EveryCommandExplainsItselfWithAnExample) {
    for (const std::string command : {"read", "validate", "select", "conformance"}) {
        CliRun r = omxml(command + " --help");
        EXPECT_EQ(r.status, 0) << command;
        EXPECT_EQ(r.out.find("Usage: omxml " + command + " [OPTIONS]"), r.out.find('\n') + 1) << r.out;
        EXPECT_NE(r.out.find("Example"), std::string::npos) << command;
        EXPECT_EQ(omxml("help " + command).out, r.out);
    }
}

TEST_F(ReadCli, FilesOutsideTheReadersSubsetAreExplainedInOneLine) {
    const struct {
        std::string text;
        const char* cause;
    } cases[] = {
        {"<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig><dir>d</dir></fontconfig>",
         "document type declaration"},
        {"<!-- c --><?xml-stylesheet href=\"s.css\"?><fontconfig><dir>d</dir></fontconfig>", "processing instruction"},
        {"<?xml version=\"1.0\" encoding='UTF-16'?><fontconfig/>", "UTF-16"},
        {std::string("\xFF\xFE<\0f\0/\0>\0", 10), "UTF-16"},
    };
    for (const auto& c : cases) {
        const std::string file = write("fonts.conf", c.text);
        CliRun r = run(file + " fontconfig/dir");
        EXPECT_EQ(r.status, 1) << c.cause;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
        EXPECT_NE(r.err.find(c.cause), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("omxml select '/fontconfig/dir' '" + file + "'"), std::string::npos) << r.err;
    }
}
