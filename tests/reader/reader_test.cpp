// The simple pull reader through its factory. Each row of the table is a
// document, a list of operations and what they answer, the recorded error
// texts included.
#include <algorithm>
#include <climits>
#include <sstream>

#include "fuzz/memory_file.h"
#include "reader/omException.h"
#include "reader/omInitialPositionX.h"
#include "reader/omPositionXqcPageArr.h"
#include "reader/omXmlFactory.h"
#include "support.h"

namespace {

const std::string D = "<?xml version=\"1.0\"?>\n";
const std::string END = "omEndException:: Xml reader moved of the end of the file\n";
const std::string NEST = "Incorrect xml nesting";
std::string CH(char expected) {
    return std::string("omCharException:: Xml file did not contain expected char ") + expected + "\n";
}
std::string TAG(const std::string& tag) { return "omTagException:: Something wrong with tag " + tag + "\n"; }
// Elements n<depth> .. n1, each inside the one before.
std::string nested(int depth) {
    const std::string n = "n" + std::to_string(depth) + ">";
    return depth == 0 ? "" : "<" + n + nested(depth - 1) + "</" + n;
}

std::string dumped(const omAbstractXmlReader& reader) {
    std::ostringstream out;
    reader.dump_error(out);
    return out.str();
}

// Runs ops on reader: R read_file, D:name down_to, U up, T text_node,
// A:name attribute (default "?"), N encoding, H has_error_occurred, E the
// dumped errors. The answers, joined by '|'.
std::string run(omAbstractXmlReader& reader, const std::string& ops) {
    std::istringstream in(ops);
    std::string answers;
    bool first = true;
    for (std::string op; in >> op;) {
        std::string arg = op.size() > 2 ? op.substr(2) : "";
        std::string answer;
        switch (op[0]) {
        case 'R':
            answer = reader.read_file() ? "1" : "0";
            break;
        case 'D':
            answer = reader.down_to(ku(arg)) ? "1" : "0";
            break;
        case 'U':
            reader.up();
            continue;
        case 'T':
            answer = str(reader.text_node());
            break;
        case 'A':
            answer = str(reader.attribute(ku(arg), ku_lit("?")));
            break;
        case 'N':
            answer = str(reader.encoding());
            break;
        case 'H':
            answer = reader.has_error_occurred() ? "1" : "0";
            break;
        default:
            answer = dumped(reader);
        }
        answers += (first ? "" : "|") + answer;
        first = false;
    }
    return answers;
}

std::unique_ptr<omAbstractXmlReader> reader_at(const std::string& path) {
    return omSimpleXmlFactory().create_xml_reader_path(3, syPath(wide(path)));
}

struct Row {
    std::string document, ops, expected;
};

const Row kRows[] = {
    // attributes
    {D + "<a x=\"1\" y='2'>t</a>\n", "R D:a A:x A:y A:z T E", "1|1|1|2|?|t|"},
    {D + "<a x=\"1\"\n\ty='2' >t</a>\n", "R D:a A:y", "1|1|2"},
    {D + "<a x=\"1\"\r\ny=\"2\">t</a>\n", "R D:a A:y", "1|1|2"},
    {D + "<a X=\"1\" x = \"2\" y=\"3\">t</a>\n", "R D:a A:x A:y", "1|1|?|3"},
    {D + "<a x=|v w| y='2' z=\"1>2\" e=\"\">t</a>\n", "R D:a A:x A:z A:e", "1|1|v w|1>2|"},
    {D + "<!-- c --><a x=\"1\">t</a>\n", "R D:a A:x", "1|1|1"},
    {D + "<r x=\"1></r>", "R D:r A:x E", "1|1|?|" + END},
    {D + "<r><a x=\"1\" y=\"2\"/>\n<b y=\"3\">t</b></r>\n", "R D:r D:a A:y A:z U D:b A:y", "1|1|1|2|?|1|3"},
    {D + "<r><a x=\"1\" />\n<b>text without equals</b></r>\n", "R D:r D:a A:y T U D:b T",
     "1|1|1|?||1|text without equals"},
    // entering elements, finding children, stepping over others
    {D + "<a x=\"1\">\n  text</a>\n", "R D:a T", "1|1|text"},
    {D + "<r><tag_1>a</tag_1><tag>b</tag></r>\n", "R D:r D:tag T", "1|1|1|a"},
    {D + "<r>\n<a>1</a><!-- <b> --><![CDATA[<b>]]>text<b/></r>\n", "R D:r D:b U D:zz D:a T U", "1|1|1|0|1|1"},
    {D + "<r><a x=\"1\"><b>t<!--c--><![CDATA[</a>]]></b><c/></a>tail<z k=\"v\"/></r>", "R D:r D:z A:k", "1|1|1|v"},
    {D + "<r><a x=\"1\"/>tail<b/></r>\n", "R D:r D:a T D:b A:x U D:b", "1|1|1||0|1|1"},
    {D + "<a k=\"v\"/>", "R D:a T A:k U H", "1|1||v|0"},
    {D + "<r><a>" + nested(70) + "</a><b k=\"v\"/></r>", "R D:r D:b A:k", "1|1|1|v"},
    {D + "<r><a>" + nested(70) + "</a><b/></r>", "R D:r D:a U D:b H", "1|1|1|1|0"},
    // faults name the tag
    {D + "<r><a><b></c></a><x/></r>\n", "R D:r D:x E", "1|1|0|" + TAG("b")},
    {D + "<r><a/></s>\n", "R D:r D:x E", "1|1|0|" + TAG("s")},
    {D + "<r><?pi x?><a/></r>\n", "R D:r D:x E", "1|1|0|" + TAG("?pi")},
    {D + "<r><a\nx=\"1\"></a></r>\n", "R D:r D:x E", "1|1|0|" + TAG("a\nx=\"1\"")},
    {D + "<r><a><b></bc></a><x/></r>\n", "R D:r D:x E", "1|1|0|" + TAG("b")},
    {D + "<r><ab></a></ab><x/></r>\n", "R D:r D:x E", "1|1|0|" + TAG("ab")},
    {D + "<r><a/>", "R D:r D:x E", "1|1|0|" + END},
    {D + "<r><a/></r>\n", "R D:r D:b E", "1|1|0|"},
    {D + "<r><a/></r>\n", "R D:a E", "1|0|" + END},
    {D + "<!DOCTYPE r>\n<r/>\n", "R D:r E", "1|0|" + END},
    {D + "<r><a>text", "R D:r D:a T E", "1|1|1||" + END},
    {D + "<r><a>text</a>", "R D:r D:b E", "1|1|0|" + END},
    // up checks the closing tag; stepping over a child may not consume the file's last character
    {D + "<r><a></a>", "R D:r D:a U H E", "1|1|1|1|" + END},
    {D + "<r><a x='1'/>", "R D:r D:a U H E", "1|1|1|1|" + END},
    {D + "<r><a/></s>\n", "R D:r U E", "1|1|" + TAG("s")},
    {D + "<r><a></b></r>\n", "R D:r D:a U E", "1|1|1|" + TAG("a")},
    {D + "<r><a><b>x</b><c></d></a><z/></r>\n", "R D:r D:a D:b U H U E", "1|1|1|1|0|" + TAG("c")},
    {D + "<r><ab><x/></a></r>\n", "R D:r D:ab D:q U E", "1|1|1|0|" + TAG("ab")},
    // comments, CDATA sections and the runs of text
    {D + "<r><!-- a -- b --><a/></r>\n", "R D:r D:a E", "1|1|0|" + CH('>')},
    {D + "<r><!----><a/></r>\n", "R D:r D:a", "1|1|1"},
    {D + "<r><!-- open -", "R D:r D:a E", "1|1|0|" + END},
    {D + "<r><![CDATA[a]]]>x</r>\n", "R D:r T E", "1|1||" + CH('>')},
    {D + "<r><![CDATA[abc", "R D:r T E", "1|1||" + END},
    {D + "<a></a>\n", "R D:a T", "1|1|"},
    {D + "<a>hello<b/>world</a>\n", "R D:a T T T", "1|1|hello|world|"},
    {D + "<a>x<!--c-->y<![CDATA[<b>&c]]>z</a>\n", "R D:a T T", "1|1|xy<b>&cz|"},
    {D + "<a>a&amp;b&#65;</a>\n", "R D:a T", "1|1|a&amp;b&#65;"},
    {D + "<a>\n  head<b>x</b>\n  tail\n</a>\n", "R D:a T T T", "1|1|head|\n  tail\n|"},
    {D + "<a><b><c/>inner</b><!-- note -->text</a>\n", "R D:a T T", "1|1|text|"},
    // the declaration
    {"<?xml version=\"1.1\" encoding='ISO-8859-1' standalone=\"yes\"?>\n<r/>\n", "N R N D:r", "Unknown|1|ISO-8859-1|1"},
    {D + "<r/>\n", "R N", "1|utf-8"},
    {"<?xml version=\"1.0\" encoding=\"\"?>\n<r/>\n", "R N", "1|utf-8"},
    {"<?xml version=\"1.0\" standalone=\"yes\"?>\n<r/>\n", "R N", "1|utf-8"},
    {"\xEF\xBB\xBF" + D + "<r/>\n", "R E", "0|" + CH('<')},
    {"\n" + D + "<r/>\n", "R E", "0|" + CH('<')},
    {"<?xmk version=\"1.0\"?>\n<r/>\n", "R E", "0|" + CH('l')},
    {"<?xml encoding=\"utf-8\"?>\n<r/>\n", "R E", "0|" + CH('v')},
    {"<?xml version =\"1.0\"?>\n<r/>\n", "R E", "0|" + CH('=')},
    {"<?xml version=\"1.0", "R E", "0|" + END},
    {"", "R E", "0|" + CH('<')},
    {"text", "R E", "0|" + CH('<')},
    {"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<r/>\n", "R H", "0|0"},
    {"<?xml version=\"1.0\" encoding=\"Utf-16\"?>\n<r/>\n", "R H", "0|0"},
    // walking, rewinding and misuse
    {D + "<!-- head -->\n<list>one\n  <item>a</item>\n  <other/>two<item>b</item>\n</list>\n",
     "R D:li T D:item T U D:item T U D:item D:item T U D:item U U H U E", "1|1|one\n  |1|a|1|b|0|1|a|1|0|" + NEST},
    {D + "<r a=\"1\">t</r>\n", "D:r H R A:a E", "0|0|1|?|" + NEST},
    {D + "<r/>\n", "T H R D:r", "|1|1|0"},
    {D + "<r><a><b>t</b></a></r>\n", "R D:r D:a D:b U R D:r D:a D:b T", "1|1|1|1|1|1|1|1|t"},
    {D + "<r><a x=\"1\">t</b></r>\n", "R D:r D:a T T E A:x D:a U E", "1|1|1|t||" + TAG("b") + "|?|0|" + TAG("b")},
    {"<?xml versio=\"1.0\"?>\n<r/>\n", "U R R E", "0|0|" + NEST + CH('n') + CH('n')},
    // a NUL byte ends the file
    {D + "<a>be" + '\0' + "fore</a>\n", "R D:a T A:y E", "1|1||?|" + END},
    {D + "<a x=\"1" + '\0' + "\" y=\"2\"></a>\n", "R D:a A:y E", "1|0|?|" + END},
    {"<?xml version=\"1.0\"?>" + std::string(1, '\0') + "<a/>\n", "R D:a A:y E", "1|0|?|" + END},
    {"<?xml version=\"1." + std::string(1, '\0') + "\"?><a/>\n", "R D:a E", "0|0|" + END},
    {std::string(4096, '\0'), "R D:a A:y E", "0|0|?|" + CH('<')},
};

TEST(Reader, Table) {
    TempDir dir;
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.document);
        auto reader = reader_at(dir.write("row.xml", row.document));
        EXPECT_EQ(run(*reader, row.ops), row.expected) << row.ops;
    }
}

// Sizes that cannot be had, or that do not fit a 32-bit count, are refused
// like a short read: false, and nothing recorded. A file of 4 GiB and a few
// bytes must not be read as its first few bytes.
TEST(Reader, ReadFileRefusesSizesItCannotHold) {
    const std::string xml = D + "<r>t</r>\n";
    const auto size = static_cast<long long>(xml.size());
    auto on = [](omMemoryFile* file) { return omSimpleXmlFactory().create_xml_reader_file(3, syIQfsFileqcPrf(file)); };
    EXPECT_EQ(run(*on(new omMemoryFile(xml, size)), "R D:r T"), "1|1|t");
    for (long long claimed : {size + 100, -1LL, static_cast<long long>(INT_MAX), (1LL << 32) + size, 1LL << 40})
        EXPECT_EQ(run(*on(new omMemoryFile(xml, claimed)), "R H D:r"), "0|0|0") << claimed;
    EXPECT_EQ(run(*on(new omMemoryFile(xml, size, true)), "R H"), "0|0");
    TempDir dir;
    EXPECT_EQ(run(*reader_at(dir.file("missing.xml")), "R H N"), "0|0|Unknown");
    EXPECT_EQ(run(*reader_at(dir.path()), "R H D:r E"), "0|0|0|");
}

// Returned values share one buffer; each stays as it was while later ones are read.
TEST(Reader, ReturnedValuesStayWhileLaterOnesAreRead) {
    TempDir dir;
    auto reader = reader_at(dir.write("v.xml", D + "<a x=\"first\" y=\"second\">text</a>\n"));
    ASSERT_TRUE(reader->read_file() && reader->down_to(ku("a")));
    const kuString x = reader->attribute(ku("x"), ku("?"));
    const kuString y = reader->attribute(ku("y"), ku("?"));
    const kuString text = reader->text_node();
    EXPECT_EQ(str(x) + "|" + str(y) + "|" + str(text), "first|second|text");
}

// ---- the reader's exported classes that its own walk no longer uses --------
using Array = omPositionXqcPageArrPrgqcPrgqcPageArr;
using Slot = omPositionXqcPageArrPrgqcPrg;

// The cursors held in slots 0 .. size-1, by the order they were made in (-1 for an empty slot).
std::vector<int> held(const Array& array, const std::vector<omPositionX*>& made) {
    std::vector<int> order;
    for (int i = 0; i < array.size(); ++i) {
        auto at = std::find(made.begin(), made.end(), array[i].get());
        order.push_back(at == made.end() ? -1 : static_cast<int>(at - made.begin()));
    }
    return order;
}

TEST(PagedArray, PagesGrowShrinkCopyAndIterate) {
    char text[] = "<r/>";
    std::vector<omPositionX*> made;
    Array array(1, 1, 1); // two elements a page
    for (int i = 0; i < 5; ++i) {
        made.push_back(new omPositionX(text));
        array.append(Slot(made.back()));
    }
    EXPECT_EQ(array.block_size(), 2);
    EXPECT_EQ(held(array, made), (std::vector<int>{0, 1, 2, 3, 4}));
    omPositionXqcPageArrPrgqcPrgqcPageArrqcIterator it(&array);
    std::vector<omPositionX*> visited;
    for (int more = it.first(); more; more = it.next())
        visited.push_back(it.item().get());
    EXPECT_EQ(visited, made);

    // Overlapping copies within the array, upward and downward: each element
    // moves once, and a slot written over deletes the cursor it held.
    array.copy(array, 3, 1, 0);
    EXPECT_EQ(held(array, made), (std::vector<int>{-1, 0, 1, 2, 4}));
    array.copy(array, 4, 0, 1);
    EXPECT_EQ(held(array, made), (std::vector<int>{0, 1, 2, 4, -1}));
    array.shrink(4, 1);
    array.reverse();
    EXPECT_EQ(held(array, made), (std::vector<int>{4, 2, 1, 0}));
    // Shrinking with freeing deletes the cursors of the pages it drops; slots
    // made again past the size are empty.
    array.shrink(2, 1);
    EXPECT_EQ(array.expand(6), 1);
    EXPECT_EQ(held(array, made), (std::vector<int>{4, 2, -1, -1, -1, -1}));
    Array copy(kuCopy(), array);
    EXPECT_EQ(held(copy, made), (std::vector<int>{4, 2, -1, -1, -1, -1}));
    EXPECT_EQ(held(array, made), (std::vector<int>(6, -1))) << "a copy takes the cursors over";
}

// A cursor that shows its protected self-closing test.
class Cursor : public omPositionX {
public:
    using omPositionX::omPositionX;
    using omPositionX::self_closing_tag;
};

TEST(Cursor, SelfClosingTagAndSetupPastComments) {
    for (std::string tag : {"<a/>", "<a x='1'/>", "<a\n/>", "<a>", "<a x='/'>", "<a/ >"}) {
        Cursor cursor(&tag[0]);
        EXPECT_EQ(cursor.self_closing_tag(), tag[tag.size() - 2] == '/') << tag;
    }
    std::string open = "<a x='1'";
    EXPECT_THROW(Cursor(&open[0]).self_closing_tag(), omEndException);
    // Comments before an element are passed when the cursor is set up on it.
    std::string commented = "<!--a--><!--b--><r k='v'>t</r>";
    Cursor element(&commented[0]);
    element.object_setup();
    EXPECT_EQ(str(element.attribute(ku("k"), ku("?"))), "v");
}

TEST(Declaration, StandaloneDefaultsToNo) {
    const std::pair<std::string, std::string> cases[] = {
        {"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><r/>", "yes"},
        {"<?xml version='1.0'  standalone='no' ?><r/>", "no"},
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><r/>", "no"},
    };
    for (auto [declaration, expected] : cases) {
        EXPECT_EQ(str(omInitialPositionX(&declaration[0]).standalone()), expected) << declaration;
    }
}

} // namespace
