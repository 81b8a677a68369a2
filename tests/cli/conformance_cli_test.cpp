// omxml conformance, run as a child process: results, suite selection,
// working directory layout, exit codes and the JUnit file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

struct ToolRun {
    int status;
    std::string out;
    std::string err;
    std::vector<std::string> lines() const { return split_lines(out); }
};

// One element of a parsed XML file: its name and its unescaped attributes.
struct XmlElement {
    std::string name;
    std::map<std::string, std::string> attributes;
};

// A strict reader for the JUnit file: well-formed elements, quoted attributes
// and valid references, or an error text.
class XmlChecker {
public:
    explicit XmlChecker(std::string text) : m_text(std::move(text)) {}

    std::string check(std::vector<XmlElement>& elements) {
        if (m_text.compare(0, 5, "<?xml") == 0) {
            std::size_t end = m_text.find("?>");
            if (end == std::string::npos)
                return "unterminated declaration";
            m_pos = end + 2;
        }
        std::vector<std::string> open;
        bool had_root = false;
        while (m_pos < m_text.size()) {
            if (m_text[m_pos] != '<') {
                std::string text;
                if (!read_text('<', text))
                    return "bad character data at " + std::to_string(m_pos);
                if (open.empty() && text.find_first_not_of(" \t\r\n") != std::string::npos)
                    return "text outside the root element";
                continue;
            }
            if (m_text.compare(m_pos, 2, "</") == 0) {
                m_pos += 2;
                std::string name = read_name();
                skip_blanks();
                if (open.empty() || open.back() != name || !take('>'))
                    return "mismatched end tag " + name;
                open.pop_back();
                continue;
            }
            ++m_pos;
            if (open.empty() && had_root)
                return "second root element";
            XmlElement element;
            element.name = read_name();
            if (element.name.empty())
                return "missing element name at " + std::to_string(m_pos);
            for (;;) {
                skip_blanks();
                if (take('>')) {
                    open.push_back(element.name);
                    break;
                }
                if (m_text.compare(m_pos, 2, "/>") == 0) {
                    m_pos += 2;
                    break;
                }
                std::string name = read_name();
                skip_blanks();
                if (name.empty() || !take('='))
                    return "bad attribute in " + element.name;
                skip_blanks();
                if (m_pos >= m_text.size() || (m_text[m_pos] != '"' && m_text[m_pos] != '\''))
                    return "unquoted attribute " + name;
                const char quote = m_text[m_pos++];
                std::string value;
                if (!read_text(quote, value) || !take(quote))
                    return "bad value of attribute " + name;
                if (!element.attributes.emplace(name, value).second)
                    return "repeated attribute " + name;
            }
            had_root = true;
            elements.push_back(element);
        }
        if (!open.empty())
            return "unclosed element " + open.back();
        return had_root ? "" : "no root element";
    }

private:
    bool take(char c) {
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    void skip_blanks() {
        while (m_pos < m_text.size() && std::string(" \t\r\n").find(m_text[m_pos]) != std::string::npos)
            ++m_pos;
    }
    std::string read_name() {
        std::size_t start = m_pos;
        while (m_pos < m_text.size() && (std::isalnum(static_cast<unsigned char>(m_text[m_pos])) ||
                                         std::string("_-.:").find(m_text[m_pos]) != std::string::npos))
            ++m_pos;
        return m_text.substr(start, m_pos - start);
    }
    // Reads up to stop, resolving references; false on a raw '<' or a bad reference.
    bool read_text(char stop, std::string& out) {
        static const std::map<std::string, std::string> named = {
            {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}};
        while (m_pos < m_text.size() && m_text[m_pos] != stop) {
            const char c = m_text[m_pos];
            if (c == '<')
                return false;
            if (c != '&') {
                out += c;
                ++m_pos;
                continue;
            }
            std::size_t end = m_text.find(';', m_pos);
            if (end == std::string::npos)
                return false;
            std::string ref = m_text.substr(m_pos + 1, end - m_pos - 1);
            m_pos = end + 1;
            if (named.count(ref)) {
                out += named.at(ref);
            } else if (ref.size() > 1 && ref[0] == '#') {
                const bool hex = ref[1] == 'x';
                const std::string digits = ref.substr(hex ? 2 : 1);
                if (digits.empty() ||
                    digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos)
                    return false;
                const unsigned long code = std::stoul(digits, nullptr, hex ? 16 : 10);
                if (code != 9 && code != 10 && code != 13 && code < 0x20)
                    return false;
                if (code < 0x80)
                    out += static_cast<char>(code);
                else
                    out += '?';
            } else {
                return false;
            }
        }
        return true;
    }

    std::string m_text;
    std::size_t m_pos = 0;
};

class ConformanceCommand : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "omxml-cli-XXXXXX").string();
        ASSERT_NE(::mkdtemp(&pattern[0]), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    // Runs "omxml conformance ARGS" with the environment assignments env.
    ToolRun run(const std::string& args, const std::string& env = "") {
        const fs::path out = m_dir / "stdout.txt";
        const fs::path err = m_dir / "stderr.txt";
        const std::string command = env + " " + quoted(OMXML_TOOL) + " conformance " + args + " >" +
                                    quoted(out.string()) + " 2>" + quoted(err.string());
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_file(out), read_file(err)};
    }

    fs::path m_dir;
};

TEST_F(ConformanceCommand, AllSuitesPassAgainstTheBackEnd) {
    const ToolRun r = run("");
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    const std::vector<std::string> lines = r.lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "361 passed, 0 failed");
    const std::vector<std::string> expected = {
        "omDocumentFactoryUtest: 157 checks, 0 failed", "omNodeUtest: 43 checks, 0 failed",
        "omNodeListUtest: 65 checks, 0 failed",         "omNamedNodeMapUtest: 25 checks, 0 failed",
        "omElementUtest: 16 checks, 0 failed",          "omDocumentUtest: 6 checks, 0 failed",
        "omTextNodeUtest: 5 checks, 0 failed",          "omCommentNodeUtest: 5 checks, 0 failed",
        "omValidationUtest: 39 checks, 0 failed",       "361 passed, 0 failed"};
    EXPECT_EQ(lines, expected);
}

TEST_F(ConformanceCommand, DefaultWorkingDirectoryIsRemovedAfterTheRun) {
    const fs::path tmp = m_dir / "tmp";
    fs::create_directories(tmp);
    const ToolRun r = run("--suite omDocumentFactoryUtest", "TMPDIR=" + quoted(tmp.string()));
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(fs::is_empty(tmp));
}

TEST_F(ConformanceCommand, SuiteOptionSelectsInSuiteOrder) {
    const ToolRun r = run("--suite omTextNodeUtest --suite=omElementUtest --suite omTextNodeUtest");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.lines(), (std::vector<std::string>{"omElementUtest: 16 checks, 0 failed",
                                                   "omTextNodeUtest: 5 checks, 0 failed", "21 passed, 0 failed"}));
}

TEST_F(ConformanceCommand, VerbosePrintsTheDiagnosticLines) {
    const ToolRun quiet = run("--suite omValidationUtest");
    EXPECT_EQ(quiet.lines().size(), 2u);
    const ToolRun r = run("--suite omValidationUtest --verbose");
    EXPECT_EQ(r.status, 0) << r.err;
    int errors = 0;
    for (const std::string& line : r.lines())
        errors += line.rfind("  | Error was \"", 0) == 0;
    EXPECT_EQ(errors, 7);
    EXPECT_EQ(r.lines().back(), "39 passed, 0 failed");
}

TEST_F(ConformanceCommand, UsageErrorsExitWithTwo) {
    const ToolRun unknown = run("--suite omNoSuchUtest");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("omNoSuchUtest"), std::string::npos);
    EXPECT_TRUE(unknown.out.empty());
    EXPECT_EQ(run("--suite").status, 2);
    EXPECT_EQ(run("--frobnicate").status, 2);
    EXPECT_EQ(run("stray").status, 2);
}

TEST_F(ConformanceCommand, HelpExplainsEveryOption) {
    const ToolRun r = run("--help");
    EXPECT_EQ(r.status, 0);
    for (const char* option : {"--suite NAME", "--workdir DIR", "--verbose", "--junit FILE", "omValidationUtest"})
        EXPECT_NE(r.out.find(option), std::string::npos) << option;
}

TEST_F(ConformanceCommand, WorkdirIsLaidOutAndKept) {
    const fs::path work = m_dir / "work dir";
    const ToolRun r = run("--suite omDocumentFactoryUtest --workdir " + quoted(work.string()));
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(read_file(work / "data" / "in_memory_test_schema.xsd"),
              read_file(fs::path(OMXML_SOURCE_DIR) / "data" / "in_memory_test_schema.xsd"));
    EXPECT_TRUE(fs::exists(work / "run" / "save_test.xml"));
    // A second run in the same directory replaces the files and passes again.
    EXPECT_EQ(run("--suite omDocumentFactoryUtest --workdir " + quoted(work.string())).status, 0);
}

TEST_F(ConformanceCommand, WorkdirWithAPathThatMustNotExistIsRefused) {
    const fs::path work = m_dir / "work";
    fs::create_directories(work / "data" / "not" / "a" / "dir");
    const ToolRun r = run("--workdir " + quoted(work.string()));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find((work / "data" / "not").string()), std::string::npos) << r.err;
}

TEST_F(ConformanceCommand, FailedChecksAreListedAndExitWithOne) {
    // A directory where the suite saves its document makes the save and the reload fail.
    const fs::path work = m_dir / "work";
    fs::create_directories(work / "run" / "save_test.xml");
    const fs::path junit = m_dir / "failed.xml";
    const ToolRun r =
        run("--suite omDocumentFactoryUtest --workdir " + quoted(work.string()) + " --junit " + quoted(junit.string()));
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    EXPECT_NE(r.out.find("  FAILED source/utest/omDocumentFactoryUtest:"), std::string::npos) << r.out;
    EXPECT_NE(
        r.out.find("omDocumentFactoryUtest::test_save: test save to disc [factory->saveDocument(document_in,path)]"),
        std::string::npos)
        << r.out;
    EXPECT_EQ(r.lines().back().find(" passed, 0 failed"), std::string::npos);

    std::vector<XmlElement> elements;
    ASSERT_EQ(XmlChecker(read_file(junit)).check(elements), "");
    int failures = 0;
    for (const XmlElement& e : elements)
        failures += e.name == "failure";
    EXPECT_GT(failures, 0);
    EXPECT_EQ(elements.at(0).attributes.at("failures"), std::to_string(failures));
}

TEST_F(ConformanceCommand, JunitFileIsWellFormedWithOneCasePerCheck) {
    const fs::path junit = m_dir / "report.xml";
    const ToolRun r = run("--junit " + quoted(junit.string()));
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<XmlElement> elements;
    ASSERT_EQ(XmlChecker(read_file(junit)).check(elements), "");
    ASSERT_FALSE(elements.empty());
    EXPECT_EQ(elements[0].name, "testsuites");
    EXPECT_EQ(elements[0].attributes.at("tests"), "361");
    EXPECT_EQ(elements[0].attributes.at("failures"), "0");

    int suites = 0;
    std::vector<std::string> names;
    for (const XmlElement& e : elements) {
        suites += e.name == "testsuite";
        if (e.name == "testcase")
            names.push_back(e.attributes.at("name"));
        EXPECT_NE(e.name, "failure");
    }
    EXPECT_EQ(suites, 9);
    EXPECT_EQ(names.size(), 361u);
    // Quotes, markup and a line feed of the descriptions come back unchanged.
    for (const char* name : {"omDocumentFactoryUtest::test_remove_white: test remove white from \"<root> </root>\"",
                             "omDocumentFactoryUtest::test_remove_white: test remove white from \"<root>\n<tag>Hello "
                             "World</tag>\n</root>\"",
                             "omValidationUtest::run_schema_test: test valid xml | percent",
                             "omNodeListUtest::test_next_node: test name after reset 2 2"})
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
}

TEST_F(ConformanceCommand, UnwritableJunitFileIsAnError) {
    const fs::path junit = m_dir / "no" / "such" / "dir" / "report.xml";
    const ToolRun r = run("--suite omTextNodeUtest --junit " + quoted(junit.string()));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(junit.string()), std::string::npos) << r.err;
}

} // namespace
