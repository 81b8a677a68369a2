// omxml validate and omxml select over files and trees, run as child processes.
#include <algorithm>
#include <regex>

#include "backend/lxDocumentFactory.h"
#include "backend/lxStreamValidator.h"
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
    // malformed, one not UTF-8, a FIFO, a loop of links, a link to a directory,
    // a link out of the tree, an empty directory, a hidden folder and a file
    // that is not *.xml.
    void make_tree() {
        for (const char* dir : {"tree/sub/deeper", "tree/empty", "tree/.git", "outside"})
            ASSERT_EQ(std::system(("mkdir -p '" + m_dir + "/" + dir + "'").c_str()), 0);
        write("shop.xsd", kSchema);
        write("tree/a.xml", "<order xmlns=\"urn:shop\"><line sku=\"A\" qty=\"1\"/></order>");
        write("tree/sub/b.xml", "<order xmlns=\"urn:shop\">\n<line sku=\"B\" qty=\"x\"/></order>");
        write("tree/sub/deeper/c.xml", "<order xmlns=\"urn:shop\">\n<line></order>");
        write("tree/sub/latin.xml", "<order xmlns=\"urn:shop\">\n<line sku=\"caf\xE9\"/></order>");
        write("tree/notes.txt", "<not checked");
        write("tree/.git/hidden.xml", "<not checked");
        write("outside/o.xml", "<not checked");
        ASSERT_EQ(::mkfifo((m_dir + "/tree/fifo.xml").c_str(), 0600), 0);
        for (const auto& link : {std::pair<const char*, const char*>{"a.xml", "tree/alias.xml"},
                                 {"loop2.xml", "tree/loop1.xml"},
                                 {"loop1.xml", "tree/loop2.xml"},
                                 {"..", "tree/sub/up"},
                                 {"../outside/o.xml", "tree/out.xml"}})
            ASSERT_EQ(::symlink(link.first, (m_dir + "/" + link.second).c_str()), 0);
    }
    CliRun validate(const std::string& args) {
        return omxml("validate --schema 'urn:shop=" + m_dir + "/shop.xsd' " + args);
    }
};

using ValidateCli = TreeCli;
using SelectCli = TreeCli;

// What the library says of a malformed file, one "SHOWN:LINE:COLUMN: message"
// line a problem (up to 20): the tool must print the same. libxml2's wording
// and how many problems follow the first differ between its releases.
std::string library_says(const std::string& path, const std::string& shown, bool huge = false) {
    lxStreamValidator validator;
    validator.set_huge_input(huge);
    omParseError first;
    std::vector<omParseError> further;
    if (validator.check(syPath(syString::from_utf8(path)), omLoadOptions(), first, &further, 20))
        return "";
    further.insert(further.begin(), first);
    std::string lines;
    for (const omParseError& e : further)
        lines += shown + ":" + std::to_string(e.line_number()) + ":" + std::to_string(e.column_number()) + ": " +
                 e.message().to_utf8() + "\n";
    return lines;
}

// The time in the summary is the one part that changes from run to run.
std::string without_time(const std::string& text) {
    return std::regex_replace(text, std::regex(R"(\(\d+\.\d+ s\))"), "(T)");
}

} // namespace

TEST_F(ValidateCli, ATreeIsReportedInPathOrderOneLineAFailureWhateverTheThreads) {
    make_tree();
    const std::string t = m_dir + "/tree";
    const std::string expected_err =
        t + "/fifo.xml: cannot read: not a regular file\n" + t +
        "/loop1.xml: cannot read: Too many levels of symbolic links\n" + t +
        "/loop2.xml: cannot read: Too many levels of symbolic links\n" + t + "/out.xml: skipped: a symbolic link to " +
        m_dir + "/outside/o.xml, outside " + t + "\n" + t +
        "/sub/b.xml:2:22: Element '{urn:shop}line', attribute 'qty': 'x' is not a valid value of the atomic type "
        "'xs:int'.\n" +
        library_says(t + "/sub/deeper/c.xml", t + "/sub/deeper/c.xml") +
        library_says(t + "/sub/latin.xml", t + "/sub/latin.xml") + t +
        "/sub/up: skipped: a symbolic link to a directory, not entered\n";
    ASSERT_EQ(library_says(t + "/sub/deeper/c.xml", "c").find("c:2:15: Opening and ending tag mismatch"), 0u);
    for (const char* jobs : {"-j 1", "-j 4", "--jobs=3"}) {
        CliRun r = validate(std::string(jobs) + " '" + t + "'");
        EXPECT_EQ(r.status, 2) << jobs;
        EXPECT_EQ(r.err, expected_err) << jobs;
        EXPECT_EQ(without_time(r.out), "2 valid, 3 invalid, 3 unreadable, 2 skipped (T)\n") << jobs;
    }
    // Without the unreadable files the worst is an invalid one; --quiet drops the summary.
    CliRun invalid = validate("-q '" + t + "/a.xml' '" + t + "/sub'");
    EXPECT_EQ(invalid.status, 1);
    EXPECT_EQ(invalid.out, "");
    EXPECT_EQ(invalid.err.find(t + "/sub/b.xml:2:22: "), 0u) << invalid.err;
}

TEST_F(ValidateCli, PatternsPickTheFilesOfADirectory) {
    make_tree();
    const std::string t = "'" + m_dir + "/tree'";
    const struct {
        std::string args;
        std::string out;
    } cases[] = {
        {"--include '*.txt' " + t, "0 valid, 1 invalid, 0 unreadable, 1 skipped (T)\n"},
        {"--include '[ab]*.xml' --include 'c.?ml' " + t, "2 valid, 2 invalid, 0 unreadable, 1 skipped (T)\n"},
        {"--exclude '*o*' --exclude '[!a-c]*' " + t, "2 valid, 2 invalid, 0 unreadable, 1 skipped (T)\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(without_time(validate(c.args).out), c.out) << c.args;
    // Standard input, also among files.
    CliRun in = validate("- '" + m_dir + "/tree/a.xml' < '" + m_dir + "/tree/sub/b.xml'");
    EXPECT_EQ(in.status, 1);
    EXPECT_EQ(in.err.substr(0, in.err.find(": ")), "-:2:22");
    EXPECT_EQ(without_time(in.out), "1 valid, 1 invalid, 0 unreadable (T)\n");
}

TEST_F(ValidateCli, UsageErrorsAreOneLineAndExitWithTwo) {
    make_tree();
    const std::string t = "'" + m_dir + "/tree";
    const std::string see = " (see 'omxml validate --help')\n";
    const struct {
        std::string args;
        int status;
        std::string err; // all of stderr, when not empty
    } cases[] = {
        {t + "/a.xml' " + t + "/alias.xml' " + t + "/a.xml'", 0, ""},
        {t + "/sub/deeper'", 1, ""},
        {t + "/none.xml'", 2, m_dir + "/tree/none.xml: cannot read: No such file or directory\n"},
        {t + "/a.xml' --schema no-equals-sign", 2,
         "omxml validate: --schema: takes NAMESPACE=PATH, not 'no-equals-sign'" + see},
        {t + "/a.xml' --no-namespace-schema " + t + "/gone.xsd'", 2,
         m_dir + "/tree/gone.xsd: cannot read: No such file or directory\n"},
        {t + "/a.xml' -j 0", 2, "omxml validate: --jobs: takes a whole number from 1 up, not '0'" + see},
        {t + "/a.xml' -j 2.5", 2, "omxml validate: --jobs: takes a whole number from 1 up, not '2.5'" + see},
        {t + "/a.xml' -j", 2, "omxml validate: --jobs needs a value" + see},
        {t + "/a.xml' --progress-delay=-1", 2,
         "omxml validate: --progress-delay: takes a number of seconds, 0 or more, not '-1'" + see},
        {t + "/a.xml' --bogus", 2, "omxml validate: unknown option --bogus" + see},
        {"", 2, "omxml validate: PATH is required" + see},
        {t + "/empty'", 2,
         "omxml validate: nothing to check: no file under " + m_dir +
             "/tree/empty matches *.xml; --include GLOB takes other names\n"},
        // The report path is checked before any document: nothing else is said.
        {"--junit " + t + "/a.xml/report.xml' " + t + "'", 2,
         "omxml validate: cannot write " + m_dir + "/tree/a.xml/report.xml: Not a directory\n"},
    };
    for (const auto& c : cases) {
        CliRun r = validate(c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        if (!c.err.empty()) {
            EXPECT_EQ(r.err, c.err) << c.args;
        }
    }
    EXPECT_EQ(omxml("frobnicate").err, "omxml: unknown command 'frobnicate' (see 'omxml --help')\n");
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
    EXPECT_EQ(root->getAttribute(SYSTRING("tests")).to_utf8(), "10");
    EXPECT_EQ(root->getAttribute(SYSTRING("failures")).to_utf8(), "3");
    EXPECT_EQ(root->getAttribute(SYSTRING("errors")).to_utf8(), "3");
    std::shared_ptr<omNodeList> cases = junit->getElementsByTagName(SYSTRING("testcase"));
    ASSERT_EQ(cases->length(), 10);
    EXPECT_EQ(cases->at(0)->getAttribute(SYSTRING("name")).to_utf8(), t + "/a.xml");
    EXPECT_EQ(cases->at(0)->getAttribute(SYSTRING("file")).to_utf8(), t + "/a.xml");
    ASSERT_TRUE(cases->at(5)->selectSingleNode(SYSTRING("skipped")));
    std::shared_ptr<omElement> failure = cases->at(8)->selectSingleNode(SYSTRING("failure"));
    ASSERT_TRUE(failure);
    const std::string said = library_says(t + "/sub/latin.xml", t + "/sub/latin.xml");
    EXPECT_EQ(failure->getAttribute(SYSTRING("message")).to_utf8(),
              said.substr(said.find(": ", t.size()) + 2, said.find('\n') - said.find(": ", t.size()) - 2));
    EXPECT_EQ(failure->get_text().to_utf8() + "\n", said);
}

// Each problem of a file on a line of its own, up to --max-errors; a schema
// that fails is reported once, against its own file; --huge lifts libxml2's
// depth limit, not ours.
TEST_F(ValidateCli, EveryProblemOnItsLineSchemaFailuresOnceAndHugeInput) {
    write("r.xsd", "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"><xs:element name=\"r\"><xs:complexType>"
                   "<xs:sequence><xs:element name=\"i\" maxOccurs=\"unbounded\"><xs:complexType><xs:attribute "
                   "name=\"n\" type=\"xs:int\"/></xs:complexType></xs:element></xs:sequence></xs:complexType>"
                   "</xs:element></xs:schema>");
    write("bad.xsd",
          "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\">\n<xs:element name=\"r\" type=\"xs:no\"/>"
          "</xs:schema>");
    write("three.xml", "<r>\n<i n=\"a\"/>\n<i n=\"b\"/>\n<i n=\"c\"/>\n</r>");
    write("latin.xml", "<r>\xe9t\xe9</r>");
    const std::string tool = "cd '" + m_dir + "' && '" + OMXML_TOOL + "' validate -q ";
    std::string all;
    for (char v : std::string("abc"))
        all += "three.xml:" + std::to_string(v - 'a' + 2) + ":9: Element 'i', attribute 'n': '" + v +
               "' is not a valid value of the atomic type 'xs:int'.\n";
    EXPECT_EQ(run(tool + "--no-namespace-schema r.xsd three.xml").err, all);
    CliRun two = run(tool + "--no-namespace-schema r.xsd --max-errors 2 three.xml latin.xml");
    EXPECT_EQ(two.status, 1);
    const std::string latin = library_says(m_dir + "/latin.xml", "latin.xml");
    EXPECT_EQ(latin.find("latin.xml:1:4: "), 0u) << latin;
    EXPECT_EQ(two.err, all.substr(0, all.rfind("three.xml")) + latin.substr(0, latin.find('\n') + 1));
    CliRun bad = run(tool + "--no-namespace-schema bad.xsd three.xml latin.xml");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err.find("bad.xsd:2: schema error: "), 0u) << bad.err;
    EXPECT_EQ(std::count(bad.err.begin(), bad.err.end(), '\n'), 1) << bad.err;

    std::string deep;
    for (int i = 0; i < 1000000; ++i)
        deep += "<a>";
    write("deep.xml", deep);
    CliRun limited = run(tool + "deep.xml"), huge = run(tool + "--huge deep.xml");
    EXPECT_NE(limited.err.find("depth over 256, a limit for untrusted input"), std::string::npos) << limited.err;
    EXPECT_EQ(huge.status, 1);
    EXPECT_EQ(huge.err, library_says(m_dir + "/deep.xml", "deep.xml", true));
    EXPECT_NE(huge.err.find(", a limit even for trusted input\n"), std::string::npos) << huge.err;
}

TEST_F(ValidateCli, ProgressOnlyOnATerminal) {
    write("a.xml", "<a/>");
    write("b.xml", "<b>" + std::string(1000, 'b') + "</b>");
    const std::string command = "'" + std::string(OMXML_TOOL) + "' validate -j 1 --progress-delay 0 '" + m_dir + "'";
    // script(1) runs the command on a pseudo-terminal and copies what it writes to our stdout.
    CliRun terminal = CliFixture::run("script -qec \"" + command + "\" /dev/null </dev/null");
    EXPECT_EQ(terminal.status, 0) << terminal.err;
    // The share done goes by bytes: after a.xml, 4 of 1011 bytes.
    EXPECT_NE(terminal.out.find("omxml validate: 0% (4 B of 1.0 kB), 1/2 files, "), std::string::npos) << terminal.out;
    CliRun piped = omxml("validate --progress-delay 0 '" + m_dir + "'");
    EXPECT_EQ(piped.err, "");
}

TEST_F(SelectCli, MatchesAndValuesAreGreppedInFileOrder) {
    const std::string a = write("a.xml", "<c><item id=\"1\"><title>A &amp; B</title></item><item id=\"2\"/></c>");
    const std::string b = write("sub/b.xml", "<c><item id=\"3\"/></c>");
    const std::string n = write("one/n.xml", "<c xmlns=\"urn:n\" xmlns:p=\"urn:p\"><p:item/></c>");
    write("sub/bad.xml", "<c>");
    const std::string invalid = "omxml select: invalid XPath expression ";
    const struct {
        std::string args;
        int status;
        std::string out;
        std::string err; // the start of stderr
    } cases[] = {
        {"'//item/title' '" + a + "'", 0, "<title>A &amp; B</title>\n", ""},
        {"'item/@id' '" + a + "' '" + b + "'", 0, a + ":id=\"1\"\n" + a + ":id=\"2\"\n" + b + ":id=\"3\"\n", ""},
        {"'//item/@id' - < '" + b + "'", 0, "id=\"3\"\n", ""},
        // A failed file makes the exit 2 even when others matched.
        {"'//item[@id=3]' '" + m_dir + "/sub'", 2, b + ":<item id=\"3\"/>\n", m_dir + "/sub/bad.xml:1:4: "},
        {"'//missing' '" + a + "'", 1, "", ""},
        // Values, printed as XPath tools print them; a directory of one file still names it.
        {"'count(//item)' '" + a + "' '" + b + "'", 0, a + ":2\n" + b + ":1\n", ""},
        {"'string(//title)' '" + a + "'", 0, "A & B\n", ""},
        {"'//item/@id = 2' '" + a + "'", 0, "true\n", ""},
        {"'count(//item) * 1000000 div 0' '" + a + "'", 0, "Infinity\n", ""},
        {"'0 div 0' '" + a + "'", 0, "NaN\n", ""},
        {"'-1234567 - count(//c)' '" + m_dir + "/one'", 0, n + ":-1.23457e+06\n", ""},
        // Prefixes mean only what --ns binds, whatever the document declares.
        {"'//p:item' '" + n + "'", 2, "", invalid + "'//p:item': Undefined namespace prefix"},
        {"--ns p=urn:n --ns q=urn:p '/p:c/q:item' '" + n + "'", 0, "<p:item xmlns:p=\"urn:p\"/>\n", ""},
        {"--ns p '//p:item' '" + n + "'", 2, "", "omxml select: --ns: takes PREFIX=URI, not 'p'"},
        {"'//[' '" + a + "'", 2, "", invalid + "'//[': Invalid expression at character 3\n"},
        {"'count(1)' '" + a + "'", 2, "", invalid + "'count(1)': Invalid type"},
        {"'nope()' '" + a + "'", 2, "", invalid + "'nope()': Unregistered function"},
        // An error that only a document's data meets is that document's.
        {"'//item[q:x]' '" + b + "'", 2, "", b + ": cannot evaluate '//item[q:x]': Undefined namespace prefix"},
        {"'" + a + "' '//item'", 2, "", "//item: cannot read: No such file or directory\n"},
        {"'//item'", 2, "", "omxml select: PATH is required"},
    };
    for (const auto& c : cases) {
        CliRun r = omxml("select " + c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_EQ(r.out, c.out) << c.args;
        EXPECT_EQ(r.err.substr(0, c.err.size()), c.err) << c.args;
    }
}

// The examples of the help name files of a Debian machine; those present here must match.
TEST_F(SelectCli, HelpExamplesMatch) {
    const std::string help = omxml("select --help").out;
    std::regex example(R"(\n  omxml select (.*'.*' (/[^ ]+))(?=\n))");
    int ran = 0;
    for (std::sregex_iterator it(help.begin(), help.end(), example), end; it != end; ++it) {
        if (::access((*it)[2].str().c_str(), R_OK) != 0)
            continue;
        CliRun r = omxml("select " + (*it)[1].str());
        EXPECT_EQ(r.status, 0) << (*it)[1] << "\n" << r.err;
        EXPECT_NE(r.out, "") << (*it)[1];
        ++ran;
    }
    if (ran == 0)
        GTEST_SKIP() << "none of the files the examples name is on this machine";
}
