// omxml read, run as a child process on files the tests write.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct ReadRun {
    int status;
    std::string out;
    std::string err;
};

class ReadCli : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = ::testing::TempDir() + "omxml-read-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_EQ(std::system(("mkdir -p '" + m_dir + "'").c_str()), 0);
    }
    void TearDown() override { std::system(("rm -rf '" + m_dir + "'").c_str()); }

    std::string write(const std::string& name, const std::string& text) {
        std::string path = m_dir + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    // Runs "omxml read ARGS" with ARGS given as shell words.
    ReadRun run(const std::string& args) {
        std::string out = m_dir + "/stdout", err = m_dir + "/stderr";
        std::string command = "'" + std::string(OMXML_TOOL) + "' read " + args + " >'" + out + "' 2>'" + err + "'";
        int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
    }

    std::string m_dir;
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
    ReadRun r = run(write("app.xml", kConfig) + " configuration/database/name");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "orders\narchive\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(ReadCli, PrintsAttributesAndSkipsElementsWithoutThem) {
    std::string file = write("app.xml", kConfig);
    ReadRun r = run(file + " configuration/database@host configuration/database@port configuration/feature@name");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "db.local\nbackup.local\n5432\na\nc\n");
}

TEST_F(ReadCli, AnAbsentPathPrintsNothing) {
    ReadRun r = run(write("app.xml", kConfig) + " configuration/server/port");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
}

TEST_F(ReadCli, AMissingFileExitsTwoNamingIt) {
    ReadRun r = run(m_dir + "/absent.xml configuration");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("absent.xml"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
}

TEST_F(ReadCli, AMalformedFileExitsOneWithTheRecordedError) {
    std::string file = write("bad.xml", "<?xml version=\"1.0\"?>\n<configuration><a>1</b></configuration>\n");
    ReadRun r = run(file + " configuration/x");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "omTagException:: Something wrong with tag a\n");
}

TEST_F(ReadCli, AMalformedDeclarationExitsOne) {
    ReadRun r = run(write("bad.xml", "<?xml encoding=\"utf-8\"?>\n<c/>\n") + " c");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "omCharException:: Xml file did not contain expected char v\n");
}

TEST_F(ReadCli, AWrongRootNameExplainsTheEndError) {
    ReadRun r = run(write("app.xml", kConfig) + " settings/database");
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

TEST_F(ReadCli, HelpExplainsWithAnExample) {
    ReadRun r = run("--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("omxml read FILE PATH"), std::string::npos);
    EXPECT_NE(r.out.find("example"), std::string::npos);
}
