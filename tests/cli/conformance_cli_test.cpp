// omxml conformance, run as a child process: results, suite selection,
// working directory layout, exit codes and the JUnit file (read back with the
// libxml2 back-end).
#include <filesystem>
#include <memory>
#include <string>

#include "backend/lxDocumentFactory.h"
#include "cli/cli_fixture.h"
#include "dom/omDocument.h"
#include "dom/omElement.h"
#include "dom/omNodeList.h"
#include "platform/syByteArray.h"

namespace {

namespace fs = std::filesystem;

class ConformanceCommand : public CliFixture {
protected:
    // The JUnit file as a document, or null with a failure if it is not well-formed.
    std::shared_ptr<omDocument> load_junit(const std::string& path) {
        const std::string bytes = slurp(path);
        omParseError error;
        std::shared_ptr<omDocument> doc =
            lxDocumentFactory().loadDocument(syByteArray(bytes.data(), bytes.size()), omLoadOptions(), error);
        EXPECT_TRUE(doc) << error.message().to_utf8() << "\n" << bytes;
        return doc;
    }
};

TEST_F(ConformanceCommand, SuiteOptionSelectsInSuiteOrderAndUsageErrorsExitWithTwo) {
    const CliRun r =
        omxml({"conformance", "--suite", "omTextNodeUtest", "--suite=omElementUtest", "--suite", "omTextNodeUtest"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "omElementUtest: 16 checks, 0 failed\nomTextNodeUtest: 5 checks, 0 failed\n21 passed, 0 failed\n");
    const CliRun unknown = omxml({"conformance", "--suite", "omNoSuchUtest"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("omNoSuchUtest"), std::string::npos);
    EXPECT_TRUE(unknown.out.empty());
    for (const Args& wrong : {args("conformance", "--suite"), args("conformance", "--frobnicate"),
                              args("conformance", "stray"), args("conformance", "--junit", "/no/such/dir/r.xml")})
        EXPECT_EQ(omxml(wrong).status, 2) << wrong[1];
}

TEST_F(ConformanceCommand, WorkdirIsLaidOutAndKept) {
    const Args work = {"conformance", "--suite", "omDocumentFactoryUtest", "--workdir", m_dir + "/work dir"};
    const CliRun r = omxml(work);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(slurp(m_dir + "/work dir/data/in_memory_test_schema.xsd"),
              slurp(std::string(OMXML_SOURCE_DIR) + "/data/in_memory_test_schema.xsd"));
    EXPECT_TRUE(fs::exists(fs_path(m_dir + "/work dir/run/save_test.xml")));
    // A second run in the same directory replaces the files and passes again.
    EXPECT_EQ(omxml(work).status, 0);
}

TEST_F(ConformanceCommand, FailedChecksAreListedAndExitWithOne) {
    // A directory where the suite saves its document makes the save and the reload fail.
    fs::create_directories(fs_path(m_dir + "/work/run/save_test.xml"));
    const CliRun r = omxml({"conformance", "--suite", "omDocumentFactoryUtest", "--workdir", m_dir + "/work", "--junit",
                            m_dir + "/failed.xml"});
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    EXPECT_NE(
        r.out.find("omDocumentFactoryUtest::test_save: test save to disc [factory->saveDocument(document_in,path)]"),
        std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find(" passed, 0 failed"), std::string::npos);
    std::shared_ptr<omDocument> junit = load_junit(m_dir + "/failed.xml");
    ASSERT_TRUE(junit);
    const int failures = junit->getElementsByTagName(SYSTRING("failure"))->length();
    EXPECT_GT(failures, 0);
    EXPECT_EQ(junit->getDocumentElement()->getAttribute(SYSTRING("failures")).to_utf8(), std::to_string(failures));
}

TEST_F(ConformanceCommand, AllSuitesPassAndTheJunitFileHasOneCasePerCheck) {
    const CliRun r = omxml({"conformance", "--junit", m_dir + "/report.xml"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(r.out.rfind("omValidationUtest")),
              "omValidationUtest: 39 checks, 0 failed\n361 passed, 0 failed\n");
    std::shared_ptr<omDocument> junit = load_junit(m_dir + "/report.xml");
    ASSERT_TRUE(junit);
    EXPECT_EQ(junit->getElementsByTagName(SYSTRING("testsuite"))->length(), 9);
    EXPECT_EQ(junit->getElementsByTagName(SYSTRING("failure"))->length(), 0);
    std::shared_ptr<omNodeList> cases = junit->getElementsByTagName(SYSTRING("testcase"));
    ASSERT_EQ(cases->length(), 361);
    // Quotes, markup and a line feed of the descriptions come back unchanged;
    // each case names the repository file of its suite.
    std::string names;
    for (int i = 0; i < cases->length(); ++i) {
        names += cases->at(i)->getAttribute(SYSTRING("name")).to_utf8() + "|\n";
        const std::string file = cases->at(i)->getAttribute(SYSTRING("file")).to_utf8();
        EXPECT_TRUE(fs::is_regular_file(fs_path(OMXML_SOURCE_DIR "/" + file))) << file;
    }
    for (const char* name : {"omDocumentFactoryUtest::test_remove_white: test remove white from \"<root> </root>\"",
                             "omDocumentFactoryUtest::test_remove_white: test remove white from \"<root>\n<tag>Hello "
                             "World</tag>\n</root>\"",
                             "omNodeListUtest::test_next_node: test name after reset 2 2"})
        EXPECT_NE(names.find(std::string(name) + "|\n"), std::string::npos) << name;
}

} // namespace
