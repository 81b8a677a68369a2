// What read_file and the walking operations answer for faulty files, and the
// text each records.
#include <climits>
#include <cstring>
#include <gtest/gtest.h>

#include "reader/omXmlFactory.h"
#include "reader/reader_support.h"

namespace {

const std::string kDecl = "<?xml version=\"1.0\"?>\n";

// A file object that claims size bytes, holds content, and fails its seek
// when asked to.
class omFakeFile : public syIQfsFile {
public:
    omFakeFile(std::string content, long long size, bool seek_fails = false)
        : m_content(std::move(content)), m_size(size), m_seek_fails(seek_fails) {}
    bool is_open() const override { return true; }
    int close() override { return 0; }
    int seek(long long distance, int origin) override {
        if (m_seek_fails)
            return -1;
        m_position = (origin == 2 ? m_size : origin == 1 ? m_position : 0) + distance;
        return 0;
    }
    long long position() override { return m_position; }
    std::size_t read(void* buffer, std::size_t item_size, std::size_t count) override {
        std::size_t left = m_position < static_cast<long long>(m_content.size())
                               ? m_content.size() - static_cast<std::size_t>(m_position)
                               : 0;
        std::size_t n = count * item_size < left ? count * item_size : left;
        std::memcpy(buffer, m_content.data() + m_position, n);
        m_position += static_cast<long long>(n);
        return n / item_size;
    }
    std::size_t write(const void*, std::size_t, std::size_t) override { return 0; }
    int rewind() override { return seek(0, 0); }

private:
    std::string m_content;
    long long m_size;
    bool m_seek_fails;
    long long m_position = 0;
};

std::unique_ptr<omAbstractXmlReader> reader_on_fake(omFakeFile* file) {
    return omSimpleXmlFactory().create_xml_reader_file(3, syIQfsFileqcPrf(file));
}

// read_file, down_to along path (slash-separated), then text_node: the
// recorded texts.
std::string recorded_after(const std::string& xml, const std::vector<const char*>& path, bool read_text = false) {
    auto r = read_reader_on(xml);
    for (const char* name : path)
        r->down_to(kuString(name));
    if (read_text)
        r->text_node();
    return dumped(*r);
}

} // namespace

TEST(ReaderReadFile, AFileThatYieldsFewerBytesThanItsSizeRecordsNothing) {
    auto r = reader_on_fake(new omFakeFile(kDecl + "<r/>\n", 100));
    EXPECT_FALSE(r->read_file());
    EXPECT_FALSE(r->has_error_occurred());
    EXPECT_FALSE(r->down_to(ku_lit("r")));
}

TEST(ReaderReadFile, ASizeThatCannotBeHadIsRefused) {
    EXPECT_FALSE(reader_on_fake(new omFakeFile(kDecl + "<r/>\n", -1))->read_file());
    EXPECT_FALSE(reader_on_fake(new omFakeFile(kDecl + "<r/>\n", 27, true))->read_file());
}

TEST(ReaderReadFile, ASizeBeyondTheCountAndItsNulIsRefused) {
    EXPECT_FALSE(reader_on_fake(new omFakeFile("", INT_MAX))->read_file());
    EXPECT_FALSE(reader_on_fake(new omFakeFile("", (1LL << 32) + 27))->read_file());
    EXPECT_FALSE(reader_on_fake(new omFakeFile("", 1LL << 40))->read_file());
}

TEST(ReaderReadFile, TheFakeFileReadsLikeARealOne) {
    std::string xml = kDecl + "<r>t</r>\n";
    auto r = reader_on_fake(new omFakeFile(xml, static_cast<long long>(xml.size())));
    EXPECT_TRUE(r->read_file());
    EXPECT_TRUE(r->down_to(ku_lit("r")));
    EXPECT_EQ(str(r->text_node()), "t");
}

TEST(ReaderReadFile, AMissingFileIsNotReadAndNothingIsRecorded) {
    auto r = omSimpleXmlFactory().create_xml_reader_path(3, syPath(SYSTRING("no/such/dir/file.xml")));
    EXPECT_FALSE(r->read_file());
    EXPECT_FALSE(r->has_error_occurred());
}

TEST(ReaderReadFile, AnEmptyFileRecordsTheCharacterErrorForTheLessThanSign) {
    auto r = reader_on("");
    EXPECT_FALSE(r->read_file());
    EXPECT_EQ(dumped(*r), char_error('<'));
}

TEST(ReaderReadFile, AMalformedDeclarationIsRecorded) {
    auto r = reader_on("<?xml encoding=\"utf-8\"?>\n<r/>\n");
    EXPECT_FALSE(r->read_file());
    EXPECT_EQ(dumped(*r), char_error('v'));
}

TEST(ReaderReadFile, Utf16InAnyCaseIsRefusedWithoutAnError) {
    for (const char* name : {"UTF-16", "utf-16", "Utf-16"}) {
        auto r = reader_on("<?xml version=\"1.0\" encoding=\"" + std::string(name) + "\"?>\n<r/>\n");
        EXPECT_FALSE(r->read_file()) << name;
        EXPECT_FALSE(r->has_error_occurred()) << name;
        EXPECT_EQ(str(r->encoding()), name);
    }
}

TEST(ReaderWalkFailures, NoMatchingChildIsFalseAndRecordsNothing) {
    auto r = read_reader_on(kDecl + "<r><a/></r>\n");
    ASSERT_TRUE(r->down_to(ku_lit("r")));
    EXPECT_FALSE(r->down_to(ku_lit("b")));
    EXPECT_FALSE(r->has_error_occurred());
}

TEST(ReaderWalkFailures, ANameOtherThanTheRootsRunsOffTheEnd) {
    auto r = read_reader_on(kDecl + "<r><a/></r>\n");
    EXPECT_FALSE(r->down_to(ku_lit("a")));
    EXPECT_EQ(dumped(*r), kEndError);
}

TEST(ReaderWalkFailures, ADoctypeBeforeTheRootIsSteppedOverAsAnElement) {
    EXPECT_EQ(recorded_after(kDecl + "<!DOCTYPE r>\n<r/>\n", {"r"}), kEndError);
}

TEST(ReaderWalkFailures, MismatchedClosingTags) {
    EXPECT_EQ(recorded_after(kDecl + "<r><a><b></c></a><x/></r>\n", {"r", "x"}), tag_error("b"));
    EXPECT_EQ(recorded_after(kDecl + "<r><a/></s>\n", {"r", "x"}), tag_error("s"));
    auto r = read_reader_on(kDecl + "<r><a></b></r>\n");
    ASSERT_TRUE(r->down_to(ku_lit("r")));
    ASSERT_TRUE(r->down_to(ku_lit("a")));
    r->up();
    EXPECT_EQ(dumped(*r), tag_error("a"));
}

TEST(ReaderWalkFailures, UpFromTheRootChecksItsClosingTagAndKeepsTheStack) {
    auto r = read_reader_on(kDecl + "<r><a/></s>\n");
    ASSERT_TRUE(r->down_to(ku_lit("r")));
    r->up();
    EXPECT_EQ(dumped(*r), tag_error("s"));
}

TEST(ReaderWalkFailures, ATruncatedFile) {
    EXPECT_EQ(recorded_after(kDecl + "<r><a>text", {"r", "a"}, true), kEndError);
    EXPECT_EQ(recorded_after(kDecl + "<r><a>text</a>", {"r", "b"}), kEndError);
}

TEST(ReaderWalkFailures, AMalformedComment) {
    EXPECT_EQ(recorded_after(kDecl + "<r><!-- a -- b --><a/></r>\n", {"r", "a"}), char_error('>'));
}

TEST(ReaderWalkFailures, AnUnclosedAttributeValue) {
    auto r = read_reader_on(kDecl + "<r x=\"1></r>");
    ASSERT_TRUE(r->down_to(ku_lit("r")));
    EXPECT_EQ(str(r->attribute(ku_lit("x"), ku_lit("d"))), "d");
    EXPECT_EQ(dumped(*r), kEndError);
}

TEST(ReaderWalkFailures, UpChecksTheRestOfAChildPartlyRead) {
    auto r = read_reader_on(kDecl + "<r><a><b>x</b><c></d></a><z/></r>\n");
    ASSERT_TRUE(r->down_to(ku_lit("r")));
    ASSERT_TRUE(r->down_to(ku_lit("a")));
    ASSERT_TRUE(r->down_to(ku_lit("b")));
    EXPECT_EQ(str(r->text_node()), "x");
    r->up();
    EXPECT_FALSE(r->has_error_occurred());
    r->up();
    EXPECT_EQ(dumped(*r), tag_error("c"));
}

TEST(ReaderWalkFailures, UpChecksTheClosingTagOfAChildWhoseSearchAcceptedAPrefix) {
    auto r = read_reader_on(kDecl + "<r><ab><x/></a></r>\n");
    ASSERT_TRUE(r->down_to(ku_lit("r")));
    ASSERT_TRUE(r->down_to(ku_lit("ab")));
    EXPECT_FALSE(r->down_to(ku_lit("q")));
    EXPECT_FALSE(r->has_error_occurred());
    r->up();
    EXPECT_EQ(dumped(*r), tag_error("ab"));
}
