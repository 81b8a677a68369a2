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

// read_file, down_to along path, then text_node: the recorded texts.
std::string recorded_after(const std::string& xml, const std::vector<const char*>& path, bool read_text = false) {
    auto r = read_reader_on(xml);
    for (const char* name : path)
        r->down_to(kuString(name));
    if (read_text)
        r->text_node();
    return dumped(*r);
}

} // namespace

TEST(ReaderReadFile, SizesThatCannotBeHadOrDoNotFitAreRefused) {
    std::string xml = kDecl + "<r>t</r>\n";
    auto good = reader_on_fake(new omFakeFile(xml, static_cast<long long>(xml.size())));
    EXPECT_TRUE(good->read_file());
    EXPECT_TRUE(good->down_to(ku_lit("r")));
    EXPECT_EQ(str(good->text_node()), "t");

    auto short_read = reader_on_fake(new omFakeFile(xml, 100)); // fewer bytes than the size
    EXPECT_FALSE(short_read->read_file());
    EXPECT_FALSE(short_read->has_error_occurred());
    EXPECT_FALSE(short_read->down_to(ku_lit("r")));
    EXPECT_FALSE(reader_on_fake(new omFakeFile(xml, -1))->read_file());
    EXPECT_FALSE(reader_on_fake(new omFakeFile(xml, 27, true))->read_file());
    for (long long size : {static_cast<long long>(INT_MAX), (1LL << 32) + 27, 1LL << 40})
        EXPECT_FALSE(reader_on_fake(new omFakeFile("", size))->read_file()) << size;
}

TEST(ReaderReadFile, FilesThatCannotBeReadRecordNothing) {
    auto missing = omSimpleXmlFactory().create_xml_reader_path(3, syPath(SYSTRING("no/such/dir/file.xml")));
    EXPECT_FALSE(missing->read_file());
    EXPECT_FALSE(missing->has_error_occurred());
    for (const char* name : {"UTF-16", "utf-16", "Utf-16"}) {
        auto r = reader_on("<?xml version=\"1.0\" encoding=\"" + std::string(name) + "\"?>\n<r/>\n");
        EXPECT_FALSE(r->read_file()) << name;
        EXPECT_FALSE(r->has_error_occurred()) << name;
    }
}

TEST(ReaderReadFile, MalformedStartsAreRecorded) {
    auto empty = reader_on("");
    EXPECT_FALSE(empty->read_file());
    EXPECT_EQ(dumped(*empty), char_error('<'));
    auto r = reader_on("<?xml encoding=\"utf-8\"?>\n<r/>\n");
    EXPECT_FALSE(r->read_file());
    EXPECT_EQ(dumped(*r), char_error('v'));
}

TEST(ReaderWalkFailures, RecordedTexts) {
    EXPECT_EQ(recorded_after(kDecl + "<r><a/></r>\n", {"r", "b"}), "");
    EXPECT_EQ(recorded_after(kDecl + "<r><a/></r>\n", {"a"}), kEndError);
    EXPECT_EQ(recorded_after(kDecl + "<!DOCTYPE r>\n<r/>\n", {"r"}), kEndError);
    EXPECT_EQ(recorded_after(kDecl + "<r><a><b></c></a><x/></r>\n", {"r", "x"}), tag_error("b"));
    EXPECT_EQ(recorded_after(kDecl + "<r><a/></s>\n", {"r", "x"}), tag_error("s"));
    EXPECT_EQ(recorded_after(kDecl + "<r><a>text", {"r", "a"}, true), kEndError);
    EXPECT_EQ(recorded_after(kDecl + "<r><a>text</a>", {"r", "b"}), kEndError);
    EXPECT_EQ(recorded_after(kDecl + "<r><!-- a -- b --><a/></r>\n", {"r", "a"}), char_error('>'));
    auto r = read_reader_on(kDecl + "<r x=\"1></r>");
    ASSERT_TRUE(r->down_to(ku_lit("r")));
    EXPECT_EQ(str(r->attribute(ku_lit("x"), ku_lit("d"))), "d");
    EXPECT_EQ(dumped(*r), kEndError);
}

TEST(ReaderWalkFailures, UpChecksClosingTags) {
    auto root = read_reader_on(kDecl + "<r><a/></s>\n");
    ASSERT_TRUE(root->down_to(ku_lit("r")));
    root->up();
    EXPECT_EQ(dumped(*root), tag_error("s"));
    auto child = read_reader_on(kDecl + "<r><a></b></r>\n");
    ASSERT_TRUE(child->down_to(ku_lit("r")));
    ASSERT_TRUE(child->down_to(ku_lit("a")));
    child->up();
    EXPECT_EQ(dumped(*child), tag_error("a"));
    auto partly = read_reader_on(kDecl + "<r><a><b>x</b><c></d></a><z/></r>\n");
    ASSERT_TRUE(partly->down_to(ku_lit("r")));
    ASSERT_TRUE(partly->down_to(ku_lit("a")));
    ASSERT_TRUE(partly->down_to(ku_lit("b")));
    partly->up();
    EXPECT_FALSE(partly->has_error_occurred());
    partly->up();
    EXPECT_EQ(dumped(*partly), tag_error("c"));
    auto prefix = read_reader_on(kDecl + "<r><ab><x/></a></r>\n");
    ASSERT_TRUE(prefix->down_to(ku_lit("r")));
    ASSERT_TRUE(prefix->down_to(ku_lit("ab")));
    EXPECT_FALSE(prefix->down_to(ku_lit("q")));
    prefix->up();
    EXPECT_EQ(dumped(*prefix), tag_error("ab"));
}

TEST(ReaderWalkFailures, TheFailedStateAnswersNeutrallyAndDumpsInOrder) {
    auto r = read_reader_on(kDecl + "<r><a x=\"1\">t</b></r>\n");
    ASSERT_TRUE(r->down_to(ku_lit("r")));
    ASSERT_TRUE(r->down_to(ku_lit("a")));
    EXPECT_EQ(str(r->text_node()), "t");
    EXPECT_EQ(str(r->text_node()), "");
    EXPECT_EQ(dumped(*r), tag_error("b"));
    EXPECT_EQ(str(r->attribute(ku_lit("x"), ku_lit("default"))), "default");
    EXPECT_FALSE(r->down_to(ku_lit("a")));
    r->up();
    EXPECT_EQ(dumped(*r), tag_error("b"));
    auto order = reader_on("<?xml versio=\"1.0\"?>\n<r/>\n");
    order->up();
    EXPECT_FALSE(order->read_file());
    EXPECT_FALSE(order->read_file());
    EXPECT_EQ(dumped(*order), "Incorrect xml nesting" + char_error('n') + char_error('n'));
}
