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
    // that is not *.xml. Windows has no FIFOs and links need privileges there:
    // its tree has the rest (kLinks tells which).
    void make_tree() {
        std::filesystem::create_directories(fs_path(m_dir + "/tree/empty"));
        write("shop.xsd", kSchema);
        write("tree/a.xml", "<order xmlns=\"urn:shop\"><line sku=\"A\" qty=\"1\"/></order>");
        write("tree/sub/b.xml", "<order xmlns=\"urn:shop\">\n<line sku=\"B\" qty=\"x\"/></order>");
        write("tree/sub/deeper/c.xml", "<order xmlns=\"urn:shop\">\n<line></order>");
        write("tree/sub/latin.xml", "<order xmlns=\"urn:shop\">\n<line sku=\"caf\xE9\"/></order>");
        write("tree/notes.txt", "<not checked");
        write("tree/.git/hidden.xml", "<not checked");
        write("outside/o.xml", "<not checked");
        if (!kLinks)
            return;
        ASSERT_EQ(::mkfifo((m_dir + "/tree/fifo.xml").c_str(), 0600), 0);
        for (const auto& link : {std::pair<const char*, const char*>{"a.xml", "tree/alias.xml"},
                                 {"loop2.xml", "tree/loop1.xml"},
                                 {"loop1.xml", "tree/loop2.xml"},
                                 {"..", "tree/sub/up"},
                                 {"../outside/o.xml", "tree/out.xml"}})
            ASSERT_EQ(::symlink(link.first, (m_dir + "/" + link.second).c_str()), 0);
    }
    CliRun validate(Args args, const std::string& in = "") {
        args.insert(args.begin(), {"validate", "--schema", "urn:shop=" + m_dir + "/shop.xsd"});
        return omxml(args, in);
    }
    static constexpr bool kLinks = !kWindows;
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

// The summary of a run, its time left out as without_time leaves it.
std::string summary(int valid, int invalid, int unreadable, int skipped) {
    return std::to_string(valid) + " valid, " + std::to_string(invalid) + " invalid, " + std::to_string(unreadable) +
           " unreadable" + (skipped ? ", " + std::to_string(skipped) + " skipped" : "") + " (T)\n";
}

} // namespace

TEST_F(ValidateCli, ATreeIsReportedInPathOrderOneLineAFailureWhateverTheThreads) {
    make_tree();
    const std::string t = m_dir + "/tree", s = kSep, sub = t + s + "sub" + s;
    const std::string links_err = t + s + "fifo.xml: cannot read: not a regular file\n" + t + s +
                                  "loop1.xml: cannot read: Too many levels of symbolic links\n" + t + s +
                                  "loop2.xml: cannot read: Too many levels of symbolic links\n" + t + s +
                                  "out.xml: skipped: a symbolic link to " + m_dir + "/outside/o.xml, outside " + t +
                                  "\n";
    const std::string expected_err =
        (kLinks ? links_err : "") + sub +
        "b.xml:2:22: Element '{urn:shop}line', attribute 'qty': 'x' is not a valid value of the atomic type "
        "'xs:int'.\n" +
        library_says(t + "/sub/deeper/c.xml", sub + "deeper" + s + "c.xml") +
        library_says(t + "/sub/latin.xml", sub + "latin.xml") +
        (kLinks ? sub + "up: skipped: a symbolic link to a directory, not entered\n" : "");
    ASSERT_EQ(library_says(t + "/sub/deeper/c.xml", "c").find("c:2:15: Opening and ending tag mismatch"), 0u);
    for (const Args& jobs : {args("-j", "1", t), args("-j", "4", t), args("--jobs=3", t)}) {
        CliRun r = validate(jobs);
        EXPECT_EQ(r.status, kLinks ? 2 : 1) << jobs[1];
        EXPECT_EQ(r.err, expected_err) << jobs[1];
        EXPECT_EQ(without_time(r.out), summary(1 + kLinks, 3, 3 * kLinks, 2 * kLinks)) << jobs[1];
    }
    // Without the unreadable files the worst is an invalid one; --quiet drops the summary.
    CliRun invalid = validate({"-q", t + "/a.xml", t + "/sub"});
    EXPECT_EQ(invalid.status, 1);
    EXPECT_EQ(invalid.out, "");
    EXPECT_EQ(invalid.err.find(t + "/sub" + s + "b.xml:2:22: "), 0u) << invalid.err;
}

TEST_F(ValidateCli, PatternsPickTheFilesOfADirectory) {
    make_tree();
    const std::string t = m_dir + "/tree";
    const struct {
        Args argv;
        std::string out;
    } cases[] = {
        {args("--include", "*.txt", t), summary(0, 1, 0, kLinks)},
        {args("--include", "[ab]*.xml", "--include", "c.?ml", t), summary(1 + kLinks, 2, 0, kLinks)},
        {args("--exclude", "*o*", "--exclude", "[!a-c]*", t), summary(1 + kLinks, 2, 0, kLinks)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(without_time(validate(c.argv).out), c.out) << c.argv[1];
    // Standard input, also among files.
    CliRun in = validate({"-", t + "/a.xml"}, t + "/sub/b.xml");
    EXPECT_EQ(in.status, 1);
    EXPECT_EQ(in.err.substr(0, in.err.find(": ")), "-:2:22");
    EXPECT_EQ(without_time(in.out), summary(1, 1, 0, 0));
}

TEST_F(ValidateCli, UsageErrorsAreOneLineAndExitWithTwo) {
    make_tree();
    const std::string t = m_dir + "/tree", a = t + "/a.xml";
    const std::string see = " (see 'omxml validate --help')\n";
    const struct {
        Args argv;
        int status;
        std::string err; // all of stderr, when not empty
    } cases[] = {
        {args(a, t + (kLinks ? "/alias.xml" : "/a.xml"), a), 0, ""},
        {args(t + "/sub/deeper"), 1, ""},
        {args(t + "/none.xml"), 2, t + "/none.xml: cannot read: No such file or directory\n"},
        {args(a, "--schema", "no-equals-sign"), 2,
         "omxml validate: --schema: takes NAMESPACE=PATH, not 'no-equals-sign'" + see},
        {args(a, "--no-namespace-schema", t + "/gone.xsd"), 2,
         t + "/gone.xsd: cannot read: No such file or directory\n"},
        {args(a, "-j", "0"), 2, "omxml validate: --jobs: takes a whole number from 1 up, not '0'" + see},
        {args(a, "-j", "2.5"), 2, "omxml validate: --jobs: takes a whole number from 1 up, not '2.5'" + see},
        {args(a, "-j"), 2, "omxml validate: --jobs needs a value" + see},
        {args(a, "--progress-delay=-1"), 2,
         "omxml validate: --progress-delay: takes a number of seconds, 0 or more, not '-1'" + see},
        {args(a, "--bogus"), 2, "omxml validate: unknown option --bogus" + see},
        {args(), 2, "omxml validate: PATH is required" + see},
        {args(t + "/empty"), 2,
         "omxml validate: nothing to check: no file under " + t +
             "/empty matches *.xml; --include GLOB takes other names\n"},
        // The report path is checked before any document: nothing else is said.
        {args("--junit", a + "/report.xml", t), 2,
         "omxml validate: cannot write " + a +
             "/report.xml: " + (kWindows ? "No such file or directory\n" : "Not a directory\n")},
    };
    for (const auto& c : cases) {
        CliRun r = validate(c.argv);
        const std::string what = ::testing::PrintToString(c.argv);
        EXPECT_EQ(r.status, c.status) << what;
        if (!c.err.empty()) {
            EXPECT_EQ(r.err, c.err) << what;
        }
    }
    EXPECT_EQ(omxml({"frobnicate"}).err, "omxml: unknown command 'frobnicate' (see 'omxml --help')\n");
}

// Windows has no FIFOs; a device name (CON waits on the console) stands in there.
TEST_F(ValidateCli, FifosAndDevicesAreRefusedAtOnceNeverWaitedOn) {
    const std::string fifo = m_dir + (kWindows ? "/con.xml" : "/fifo.xml");
    ASSERT_TRUE(kWindows || ::mkfifo(fifo.c_str(), 0600) == 0);
    // A hang here, rather than a failure, is what the fault would look like.
    omParseError error;
    EXPECT_FALSE(lxDocumentFactory().loadDocument(syPath(syString::from_utf8(fifo)), omLoadOptions(), error));
    EXPECT_NE(error.message().to_utf8().find("not a regular file"), std::string::npos);
    EXPECT_FALSE(syQfsFileStdio(kuString(fifo.c_str()), syQfsRead).is_open());
    EXPECT_EQ(omxml({"validate", fifo}).status, 2);
    EXPECT_EQ(omxml({"read", fifo, "r"}).status, 2);
}

TEST_F(ValidateCli, JunitReportHasOneCasePerFile) {
    make_tree();
    const std::string t = m_dir + "/tree";
    ASSERT_EQ(validate({"-q", "--junit", m_dir + "/report.xml", t}).status, kLinks ? 2 : 1);
    const std::string bytes = slurp(m_dir + "/report.xml");
    omParseError error;
    std::shared_ptr<omDocument> junit =
        lxDocumentFactory().loadDocument(syByteArray(bytes.data(), bytes.size()), omLoadOptions(), error);
    ASSERT_TRUE(junit) << bytes;
    std::shared_ptr<omElement> root = junit->getDocumentElement();
    EXPECT_EQ(root->getAttribute(SYSTRING("tests")).to_utf8(), kLinks ? "10" : "4");
    EXPECT_EQ(root->getAttribute(SYSTRING("failures")).to_utf8(), "3");
    EXPECT_EQ(root->getAttribute(SYSTRING("errors")).to_utf8(), kLinks ? "3" : "0");
    std::shared_ptr<omNodeList> cases = junit->getElementsByTagName(SYSTRING("testcase"));
    ASSERT_EQ(cases->length(), kLinks ? 10 : 4);
    EXPECT_EQ(cases->at(0)->getAttribute(SYSTRING("name")).to_utf8(), t + kSep + "a.xml");
    EXPECT_EQ(cases->at(0)->getAttribute(SYSTRING("file")).to_utf8(), t + kSep + "a.xml");
    ASSERT_TRUE(!kLinks || cases->at(5)->selectSingleNode(SYSTRING("skipped")));
    std::shared_ptr<omElement> failure = cases->at(kLinks ? 8 : 3)->selectSingleNode(SYSTRING("failure"));
    ASSERT_TRUE(failure);
    const std::string latin = t + kSep + "sub" + kSep + "latin.xml";
    const std::string said = library_says(t + "/sub/latin.xml", latin);
    EXPECT_EQ(failure->getAttribute(SYSTRING("message")).to_utf8(),
              said.substr(said.find(": ", latin.size()) + 2, said.find('\n') - said.find(": ", latin.size()) - 2));
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
    // Run in m_dir, with the names as given there.
    auto validate = [this](Args args) {
        args.insert(args.begin(), {"validate", "-q"});
        return omxml(args, "", m_dir);
    };
    std::string all;
    for (char v : std::string("abc"))
        all += "three.xml:" + std::to_string(v - 'a' + 2) + ":9: Element 'i', attribute 'n': '" + v +
               "' is not a valid value of the atomic type 'xs:int'.\n";
    EXPECT_EQ(validate({"--no-namespace-schema", "r.xsd", "three.xml"}).err, all);
    CliRun two = validate({"--no-namespace-schema", "r.xsd", "--max-errors", "2", "three.xml", "latin.xml"});
    EXPECT_EQ(two.status, 1);
    const std::string latin = library_says(m_dir + "/latin.xml", "latin.xml");
    EXPECT_EQ(latin.find("latin.xml:1:4: "), 0u) << latin;
    EXPECT_EQ(two.err, all.substr(0, all.rfind("three.xml")) + latin.substr(0, latin.find('\n') + 1));
    CliRun bad = validate({"--no-namespace-schema", "bad.xsd", "three.xml", "latin.xml"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err.find("bad.xsd:2: schema error: "), 0u) << bad.err;
    EXPECT_EQ(std::count(bad.err.begin(), bad.err.end(), '\n'), 1) << bad.err;

    std::string deep;
    for (int i = 0; i < 1000000; ++i)
        deep += "<a>";
    write("deep.xml", deep);
    CliRun limited = validate({"deep.xml"}), huge = validate({"--huge", "deep.xml"});
    EXPECT_NE(limited.err.find("depth over 256, a limit for untrusted input"), std::string::npos) << limited.err;
    EXPECT_EQ(huge.status, 1);
    EXPECT_EQ(huge.err, library_says(m_dir + "/deep.xml", "deep.xml", true));
    EXPECT_NE(huge.err.find(", a limit even for trusted input\n"), std::string::npos) << huge.err;
}

TEST_F(ValidateCli, ProgressOnlyOnATerminal) {
    write("a.xml", "<a/>");
    write("b.xml", "<b>" + std::string(1000, 'b') + "</b>");
    CliRun piped = omxml({"validate", "--progress-delay", "0", m_dir});
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.err, "");
    SKIP_ON_WINDOWS("no script(1) to run the tool on a terminal; the run above, on a pipe, stands in");
    // script(1) runs the tool on a pseudo-terminal and copies what it writes to our stdout.
    const std::string command = "'" + std::string(OMXML_TOOL) + "' validate -j 1 --progress-delay 0 '" + m_dir + "'";
    CliRun terminal = run({"script", "-qec", command, "/dev/null"});
    EXPECT_EQ(terminal.status, 0) << terminal.err;
    // The share done goes by bytes: after a.xml, 4 of 1011 bytes.
    EXPECT_NE(terminal.out.find("omxml validate: 0% (4 B of 1.0 kB), 1/2 files, "), std::string::npos) << terminal.out;
}

TEST_F(SelectCli, MatchesAndValuesAreGreppedInFileOrder) {
    const std::string a = write("a.xml", "<c><item id=\"1\"><title>A &amp; B</title></item><item id=\"2\"/></c>");
    const std::string b = write("sub/b.xml", "<c><item id=\"3\"/></c>");
    const std::string n = write("one/n.xml", "<c xmlns=\"urn:n\" xmlns:p=\"urn:p\"><p:item/></c>");
    write("sub/bad.xml", "<c>");
    // The same files as the tool names them when it walks their folders.
    const std::string sub = m_dir + "/sub", b_found = sub + kSep + "b.xml", n_found = m_dir + "/one" + kSep + "n.xml";
    const std::string invalid = "omxml select: invalid XPath expression ";
    const struct {
        Args argv;
        int status;
        std::string out;
        std::string err; // the start of stderr
    } cases[] = {
        {args("select", "//item/title", a), 0, "<title>A &amp; B</title>\n", ""},
        {args("select", "item/@id", a, b), 0, a + ":id=\"1\"\n" + a + ":id=\"2\"\n" + b + ":id=\"3\"\n", ""},
        {args("select", "//item/@id", "-"), 0, "id=\"3\"\n", ""}, // b.xml on standard input
        // A failed file makes the exit 2 even when others matched.
        {args("select", "//item[@id=3]", sub), 2, b_found + ":<item id=\"3\"/>\n", sub + kSep + "bad.xml:1:4: "},
        {args("select", "//missing", a), 1, "", ""},
        // Values, printed as XPath tools print them; a directory of one file still names it.
        {args("select", "count(//item)", a, b), 0, a + ":2\n" + b + ":1\n", ""},
        {args("select", "string(//title)", a), 0, "A & B\n", ""},
        {args("select", "//item/@id = 2", a), 0, "true\n", ""},
        {args("select", "count(//item) * 1000000 div 0", a), 0, "Infinity\n", ""},
        {args("select", "0 div 0", a), 0, "NaN\n", ""},
        {args("select", "-1234567 - count(//c)", m_dir + "/one"), 0, n_found + ":-1.23457e+06\n", ""},
        // Prefixes mean only what --ns binds, whatever the document declares.
        {args("select", "//p:item", n), 2, "", invalid + "'//p:item': Undefined namespace prefix"},
        {args("select", "--ns", "p=urn:n", "--ns", "q=urn:p", "/p:c/q:item", n), 0, "<p:item xmlns:p=\"urn:p\"/>\n",
         ""},
        {args("select", "--ns", "p", "//p:item", n), 2, "", "omxml select: --ns: takes PREFIX=URI, not 'p'"},
        {args("select", "//[", a), 2, "", invalid + "'//[': Invalid expression at character 3\n"},
        {args("select", "count(1)", a), 2, "", invalid + "'count(1)': Invalid type"},
        {args("select", "nope()", a), 2, "", invalid + "'nope()': Unregistered function"},
        // An error that only a document's data meets is that document's.
        {args("select", "//item[q:x]", b), 2, "", b + ": cannot evaluate '//item[q:x]': Undefined namespace prefix"},
        // A path where the expression belongs is one (on Windows an invalid one).
        {args("select", a, "//item"), 2, "",
         kWindows ? invalid + "'" + a + "'" : "//item: cannot read: No such file or directory\n"},
        {args("select", "//item"), 2, "", "omxml select: PATH is required"},
    };
    for (const auto& c : cases) {
        CliRun r = omxml(c.argv, c.argv.back() == "-" ? b : "");
        EXPECT_EQ(r.status, c.status) << c.argv[1];
        EXPECT_EQ(r.out, c.out) << c.argv[1];
        EXPECT_EQ(r.err.substr(0, c.err.size()), c.err) << c.argv[1];
    }
}

// The examples of the help name files of a Debian machine; those present here must match.
TEST_F(SelectCli, HelpExamplesMatch) {
    const std::string help = omxml({"select", "--help"}).out;
    std::regex example(R"(\n  omxml select (.*'.*' (/[^ ]+))(?=\n))");
    int ran = 0;
    for (std::sregex_iterator it(help.begin(), help.end(), example), end; it != end; ++it) {
        if (::access((*it)[2].str().c_str(), R_OK) != 0)
            continue;
        Args words = {"select"}; // the example's, quotes taken off
        const std::string line = (*it)[1];
        std::regex word(R"('([^']*)'|(\S+))");
        for (std::sregex_iterator w(line.begin(), line.end(), word); w != std::sregex_iterator(); ++w)
            words.push_back((*w)[1].matched ? (*w)[1] : (*w)[2]);
        CliRun r = omxml(words);
        EXPECT_EQ(r.status, 0) << (*it)[1] << "\n" << r.err;
        EXPECT_NE(r.out, "") << (*it)[1];
        ++ran;
    }
    if (ran == 0)
        GTEST_SKIP() << "none of the files the examples name is on this machine";
}
