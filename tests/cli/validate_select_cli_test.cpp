// omxml validate and omxml select over files and trees, run as child processes.
#include <regex>

#include "backend/lxDocumentFactory.h"
#include "cli/cli_fixture.h"
#include "dom/omDocument.h"
#include "dom/omElement.h"
#include "dom/omNodeList.h"
#include "platform/syByteArray.h"
#include "platform/syQfsFile.h"

namespace {

const char* const kSchema = "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" targetNamespace=\"urn:shop\""
                            " xmlns=\"urn:shop\" elementFormDefault=\"qualified\">"
                            "<xs:element name=\"order\"><xs:complexType><xs:sequence>"
                            "<xs:element name=\"line\" maxOccurs=\"unbounded\"><xs:complexType>"
                            "<xs:attribute name=\"sku\" type=\"xs:string\"/>"
                            "<xs:attribute name=\"qty\" type=\"xs:int\"/>"
                            "</xs:complexType></xs:element></xs:sequence></xs:complexType></xs:element>"
                            "</xs:schema>";

class TreeCli : public CliFixture {
protected:
    // tree/: two valid orders (one through a link), one breaking the schema, one
    // malformed, a FIFO, a loop of links, a linked directory loop, an empty
    // directory, a link out of the tree and a file that is not *.xml.
    void make_tree() {
        for (const char* dir : {"tree/sub/deeper", "tree/empty", "outside"})
            ASSERT_EQ(std::system(("mkdir -p '" + m_dir + "/" + dir + "'").c_str()), 0);
        write("shop.xsd", kSchema);
        write("tree/a.xml", "<order xmlns=\"urn:shop\"><line sku=\"A\" qty=\"1\"/></order>");
        write("tree/sub/b.xml", "<order xmlns=\"urn:shop\">\n<line sku=\"B\" qty=\"x\"/></order>");
        write("tree/sub/deeper/c.xml", "<order xmlns=\"urn:shop\">\n<line></order>");
        write("tree/notes.txt", "<not checked");
        write("outside/o.xml", "<not checked");
        ASSERT_EQ(::mkfifo((m_dir + "/tree/fifo.xml").c_str(), 0600), 0);
        for (const auto& link : {std::pair<const char*, const char*>{"a.xml", "tree/alias.xml"},
                                 {"loop2.xml", "tree/loop1.xml"},
                                 {"loop1.xml", "tree/loop2.xml"},
                                 {"..", "tree/sub/up.xml"},
                                 {"../outside/o.xml", "tree/out.xml"}})
            ASSERT_EQ(::symlink(link.first, (m_dir + "/" + link.second).c_str()), 0);
    }
    CliRun validate(const std::string& args) {
        return omxml("validate --schema 'urn:shop=" + m_dir + "/shop.xsd' " + args);
    }
};

using ValidateCli = TreeCli;
using SelectCli = TreeCli;

// The time in the summary is the one part that changes from run to run.
std::string without_time(const std::string& text) {
    return std::regex_replace(text, std::regex(R"(\(\d+\.\d+ s\))"), "(T)");
}

} // namespace

TEST_F(ValidateCli, ATreeIsReportedInPathOrderWhateverTheThreads) {
    make_tree();
    const std::string t = m_dir + "/tree";
    const std::string expected_err =
        t + "/fifo.xml: cannot read: not a regular file\n" + t +
        "/loop1.xml: cannot read: Too many levels of symbolic links\n" + t +
        "/loop2.xml: cannot read: Too many levels of symbolic links\n" + t +
        "/sub/b.xml:2:22: Element '{urn:shop}line', attribute 'qty': 'x' is not a valid value of the atomic type "
        "'xs:int'.\n" +
        t + "/sub/deeper/c.xml:2:15: Opening and ending tag mismatch: line line 2 and order\n";
    for (const char* jobs : {"-j 1", "-j 4", "--jobs=3"}) {
        CliRun r = validate(std::string(jobs) + " '" + t + "'");
        EXPECT_EQ(r.status, 2) << jobs;
        EXPECT_EQ(r.err, expected_err) << jobs;
        EXPECT_EQ(without_time(r.out), "2 valid, 2 invalid, 3 unreadable (T)\n") << jobs;
    }
    // Without the unreadable files the worst is an invalid one; --quiet drops the summary.
    CliRun invalid = validate("-q '" + t + "/a.xml' '" + t + "/sub'");
    EXPECT_EQ(invalid.status, 1);
    EXPECT_EQ(invalid.out, "");
    EXPECT_EQ(invalid.err.find(t + "/sub/b.xml:2:22: "), 0u) << invalid.err;
}

TEST_F(ValidateCli, ExitCodes) {
    make_tree();
    const std::string t = "'" + m_dir + "/tree";
    const struct {
        std::string args;
        int status;
    } cases[] = {
        {t + "/a.xml' " + t + "/alias.xml' " + t + "/empty'", 0},
        {t + "/sub/deeper'", 1},
        {t + "/none.xml'", 2},
        {t + "/a.xml' --schema no-equals-sign", 2},
        {t + "/a.xml' --no-namespace-schema " + t + "/gone.xsd'", 2},
        {t + "/a.xml' -j 0", 2},
        {t + "/a.xml' --bogus", 2},
        {"", 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(validate(c.args).status, c.status) << c.args;
}

TEST_F(ValidateCli, FifosAreRefusedAtOnceNeverWaitedOn) {
    const std::string fifo = m_dir + "/fifo.xml";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A hang here, rather than a failure, is what the fault would look like.
    omParseError error;
    EXPECT_FALSE(lxDocumentFactory().loadDocument(syPath(syString::from_utf8(fifo)), omLoadOptions(), error));
    EXPECT_NE(error.message().to_utf8().find("not a regular file"), std::string::npos);
    EXPECT_FALSE(syQfsFileStdio(kuString(fifo.c_str()), syQfsRead).is_open());
    EXPECT_EQ(omxml("validate '" + fifo + "'").status, 2);
    EXPECT_EQ(omxml("read '" + fifo + "' r").status, 2);
}

TEST_F(ValidateCli, JunitReportHasOneCasePerFile) {
    make_tree();
    const std::string t = m_dir + "/tree";
    ASSERT_EQ(validate("-q --junit '" + m_dir + "/report.xml' '" + t + "'").status, 2);
    const std::string bytes = slurp(m_dir + "/report.xml");
    omParseError error;
    std::shared_ptr<omDocument> junit =
        lxDocumentFactory().loadDocument(syByteArray(bytes.data(), bytes.size()), omLoadOptions(), error);
    ASSERT_TRUE(junit) << bytes;
    std::shared_ptr<omElement> root = junit->getDocumentElement();
    EXPECT_EQ(root->getAttribute(SYSTRING("tests")).to_utf8(), "7");
    EXPECT_EQ(root->getAttribute(SYSTRING("failures")).to_utf8(), "2");
    EXPECT_EQ(root->getAttribute(SYSTRING("errors")).to_utf8(), "3");
    std::shared_ptr<omNodeList> cases = junit->getElementsByTagName(SYSTRING("testcase"));
    ASSERT_EQ(cases->length(), 7);
    EXPECT_EQ(cases->at(0)->getAttribute(SYSTRING("name")).to_utf8(), t + "/a.xml");
    std::shared_ptr<omElement> failure = cases->at(6)->selectSingleNode(SYSTRING("failure"));
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->getAttribute(SYSTRING("message")).to_utf8(),
              "Opening and ending tag mismatch: line line 2 and order");
    EXPECT_EQ(failure->get_text().to_utf8(),
              t + "/sub/deeper/c.xml:2:15: Opening and ending tag mismatch: line line 2 and order");
}

TEST_F(ValidateCli, ProgressOnlyOnATerminal) {
    write("a.xml", "<a/>");
    write("b.xml", "<b/>");
    const std::string command = "'" + std::string(OMXML_TOOL) + "' validate --progress-delay 0 '" + m_dir + "'";
    // script(1) runs the command on a pseudo-terminal and copies what it writes to our stdout.
    CliRun terminal = CliFixture::run("script -qec \"" + command + "\" /dev/null </dev/null");
    EXPECT_EQ(terminal.status, 0) << terminal.err;
    EXPECT_NE(terminal.out.find("/2 files"), std::string::npos) << terminal.out;
    CliRun piped = omxml("validate --progress-delay 0 '" + m_dir + "'");
    EXPECT_EQ(piped.err, "");
}

TEST_F(SelectCli, MatchesAreGreppedInFileOrder) {
    const std::string a = write("a.xml", "<c><item id=\"1\"><title>A &amp; B</title></item><item id=\"2\"/></c>");
    const std::string b = write("sub/b.xml", "<c><item id=\"3\"/></c>");
    write("sub/bad.xml", "<c>");
    const struct {
        std::string args;
        int status;
        std::string out;
        std::string err;
    } cases[] = {
        {"'//item/title' '" + a + "'", 0, "<title>A &amp; B</title>\n", ""},
        {"'item/@id' '" + a + "' '" + b + "'", 0, a + ":id=\"1\"\n" + a + ":id=\"2\"\n" + b + ":id=\"3\"\n", ""},
        {"'//item[@id=3]' '" + m_dir + "'", 0, b + ":<item id=\"3\"/>\n", m_dir + "/sub/bad.xml:1:4: "},
        {"'//missing' '" + a + "'", 1, "", ""},
        {"'//[' '" + a + "'", 2, "",
         "omxml select: invalid XPath expression '//[': Invalid expression at character 3\n"},
        {"'" + a + "' '//item'", 2, "", "omxml select: cannot read //item: "},
        {"'//item'", 2, "", "omxml select: PATH is required"},
    };
    for (const auto& c : cases) {
        CliRun r = omxml("select " + c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_EQ(r.out, c.out) << c.args;
        EXPECT_EQ(r.err.substr(0, c.err.size()), c.err) << c.args;
    }
}
