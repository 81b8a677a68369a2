// Loading from memory and from files: white space, file names, errors and
// the entity handling the options control.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/backend/backend_test_support.h"

namespace {

std::vector<std::string> child_texts(const std::string& xml) {
    std::vector<std::string> texts;
    omParseError error;
    std::shared_ptr<omDocument> doc = load_xml(xml, error);
    if (!doc)
        return {"load failed: " + utf8(error.message())};
    std::shared_ptr<omNodeList> children = doc->getDocumentElement()->getChildNodes();
    texts.reserve(static_cast<std::size_t>(children->length()));
    for (int i = 0; i < children->length(); ++i)
        texts.push_back(utf8(children->at(i)->get_text()));
    return texts;
}

using Texts = std::vector<std::string>;

TEST(WhiteSpace, IndentationGoesAndContentStays) {
    EXPECT_EQ(child_texts("<root> </root>"), Texts{" "});
    EXPECT_EQ(child_texts("<root>\n<tag>Hello World</tag>\n</root>"), Texts{"Hello World"});
    EXPECT_EQ(child_texts("<root>Hello World</root>"), Texts{"Hello World"});
    EXPECT_EQ(child_texts("<root><b>Hello</b> <i>There</i> World</root>"), (Texts{"Hello", " ", "There", " World"}));
    EXPECT_EQ(child_texts("<root><tag1> </tag1><tag2>Hello World</tag2></root>"), (Texts{" ", "Hello World"}));
    EXPECT_EQ(child_texts("<?xml version=\"1.0\" encoding=\"UTF-8\"?><tag_1>  <tag_2>Tag2Text</tag_2>  "
                          "<!--A comment-->  <tag_3>Tag3Text</tag_3></tag_1>"),
              (Texts{"Tag2Text", "A comment", "Tag3Text"}));
}

TEST(WhiteSpace, PreserveAndCdataKeepBlanks) {
    EXPECT_EQ(child_texts("<root xml:space='preserve'>\n <a/>\n</root>"), (Texts{"\n ", "", "\n"}));
    EXPECT_EQ(child_texts("<root xml:space='preserve'><x xml:space='default'> <a/> </x></root>"), Texts{""});
    EXPECT_EQ(child_texts("<root> <a/><![CDATA[ ]]></root>"), (Texts{" ", "", " "}));
    // Text late in an element, or an entity's content copied in, decides for its earlier blanks too.
    EXPECT_EQ(child_texts("<root> <a/> <b/> x</root>"), (Texts{" ", "", " ", "", " x"}));
    EXPECT_EQ(child_texts("<!DOCTYPE root [<!ENTITY t \"x\">]><root> <a/> &t;</root>"), (Texts{" ", "", " x"}));
    EXPECT_EQ(child_texts("<!DOCTYPE root [<!ENTITY s \" \">]><root><a/>&s;<b/>&s;&s;</root>"), (Texts{"", ""}));
    // Deeper levels are handled in the same pass.
    omParseError error;
    std::shared_ptr<omDocument> doc = load_xml("<r>\n <a>\n  <b>\n   <c>x</c>\n  </b>\n </a>\n</r>", error);
    ASSERT_TRUE(doc);
    EXPECT_EQ(utf8(doc->getDocumentElement()->get_xml()), "<r><a><b><c>x</c></b></a></r>");
}

TEST(LoadFromMemory, BadInputFillsTheError) {
    omParseError error;
    EXPECT_FALSE(load_xml("", error));
    EXPECT_FALSE(error.invalid());
    EXPECT_FALSE(load_xml("Hello World", error));
    EXPECT_FALSE(error.invalid());
    EXPECT_FALSE(load_xml("<a><b></a>", error));
    EXPECT_EQ(error.line_number(), 1);
    EXPECT_FALSE(load_xml("<p:r/>", error)); // undeclared prefix
    EXPECT_FALSE(error.invalid());
    std::shared_ptr<omDocument> doc = load_xml("<root number=\"123\" />", error);
    ASSERT_TRUE(doc);
    EXPECT_TRUE(error.invalid());
    EXPECT_EQ(utf8(doc->getDocumentElement()->getAttribute(SYSTRING("number"))), "123");
    EXPECT_TRUE(doc->getDocumentURI().empty());
}

TEST(LoadFromFile, NamesAreUsedUnchanged) {
    TempDir dir;
    ASSERT_FALSE(dir.path().empty());
    const std::string xml = "<?xml version=\"1.0\" ?><machine>  <XY Value=\"1.2\" Valid=\"1\"/></machine>";
    for (const std::string name : {"simple.xml", "with spaces.xml", "nb\xC2\xA0spaces.xml", "mixed \xC2\xA0spaces.xml",
                                   "percent%20name.xml", "cyrillic_\xD1\x84.xml", "percent_%_char.xml"}) {
        std::string path = dir.file(name);
        ASSERT_TRUE(TempDir::write(path, xml));
        omParseError error;
        std::shared_ptr<omDocument> doc = test_factory()->loadDocument(syPath(wide(path)), omLoadOptions(), error);
        ASSERT_TRUE(doc) << name << ": " << utf8(error.message());
        EXPECT_TRUE(error.invalid());
        EXPECT_EQ(utf8(doc->getDocumentURI()), path);
        EXPECT_EQ(utf8(doc->getDocumentElement()->getOwnerDocument()->getDocumentURI()), path);
        EXPECT_EQ(doc->getDocumentElement()->getChildNodes()->length(), 1);
    }
    // "%20" is never read as a blank.
    omParseError error;
    EXPECT_FALSE(test_factory()->loadDocument(syPath(wide(dir.file("percent name.xml"))), omLoadOptions(), error));
}

TEST(LoadFromFile, MissingFilesAndErrorsNameTheFile) {
    TempDir dir;
    omParseError error;
    EXPECT_FALSE(test_factory()->loadDocument(syPath(wide(dir.file("none.xml"))), omLoadOptions(), error));
    EXPECT_FALSE(error.invalid());
    EXPECT_NE(utf8(error.message()).find("none.xml"), std::string::npos);
    EXPECT_EQ(utf8(error.url()), dir.file("none.xml"));
    EXPECT_FALSE(test_factory()->loadDocument(syPath(wide(dir.file("no/dir/f.xml"))), omLoadOptions(), error));
    EXPECT_FALSE(test_factory()->loadDocument(syPath(wide(dir.path())), omLoadOptions(), error));
    EXPECT_FALSE(error.invalid());
    std::string path = dir.file("broken.xml");
    ASSERT_TRUE(TempDir::write(path, "<root>\n<a>\n</b>\n</root>"));
    EXPECT_FALSE(test_factory()->loadDocument(syPath(wide(path)), omLoadOptions(), error));
    EXPECT_EQ(utf8(error.url()), path);
    EXPECT_EQ(error.line_number(), 3);
}

TEST(LoadFromFile, CompressedFilesAreNotUnpacked) {
    TempDir dir;
    // A gzip stream of "<r/>": libxml2's own file reading would unpack it.
    const unsigned char gz[] = {0x1f, 0x8b, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0xff, 0xb3, 0x29,
                                0xd2, 0xb7, 0x03, 0x00, 0xfd, 0x01, 0xb1, 0x1f, 0x04, 0x00, 0x00, 0x00};
    std::string path = dir.file("doc.xml.gz");
    ASSERT_TRUE(TempDir::write(path, std::string(reinterpret_cast<const char*>(gz), sizeof gz)));
    omParseError error;
    EXPECT_FALSE(test_factory()->loadDocument(syPath(wide(path)), omLoadOptions(), error));
}

std::string repeated_references(int n) {
    std::string xml = "<!DOCTYPE r [<!ENTITY e \"x\">]><r>";
    for (int i = 0; i < n; ++i)
        xml += "&e;";
    return xml + "</r>";
}

TEST(Entities, ExpansionLimitOfTheOptionsIsEnforced) {
    omLoadOptions options;
    options.set_entity_expansion_limit(10);
    omParseError error;
    std::shared_ptr<omDocument> doc = load_xml(repeated_references(10), error, options);
    ASSERT_TRUE(doc) << utf8(error.message());
    EXPECT_EQ(utf8(doc->getDocumentElement()->get_text()), "xxxxxxxxxx");
    EXPECT_FALSE(load_xml(repeated_references(11), error, options));
    EXPECT_NE(utf8(error.message()).find("limit of 10"), std::string::npos) << utf8(error.message());
    EXPECT_TRUE(load_xml(repeated_references(11)));
    options.set_entity_expansion_limit(0);
    EXPECT_FALSE(load_xml(repeated_references(1), error, options));
    EXPECT_TRUE(load_xml("<r>&amp;&lt;&#65;</r>", error, options)) << utf8(error.message());
    // A reference counts the references in its replacement text, in text and in attribute values alike.
    options.set_entity_expansion_limit(10);
    const std::string nested = "<!DOCTYPE r [<!ENTITY a \"x&amp;\"><!ENTITY b \"&a;&a;&a;&a;\">]>";
    EXPECT_TRUE(load_xml(nested + "<r>&b;&b;</r>", error, options)) << utf8(error.message());
    EXPECT_FALSE(load_xml(nested + "<r>&b;&b;&a;</r>", error, options));
    EXPECT_TRUE(load_xml(nested + "<r v=\"&b;\">&b;</r>", error, options)) << utf8(error.message());
    EXPECT_FALSE(load_xml(nested + "<r v=\"&b;&a;\">&b;</r>", error, options));
    // 1.5 MB of replacement text from a document that declares 300 KB of it.
    doc = load_xml("<!DOCTYPE r [<!ENTITY a \"" + std::string(300000, 'y') + "\">]><r>&a;&a;&a;&a;&a;</r>", error);
    ASSERT_TRUE(doc) << utf8(error.message());
    EXPECT_EQ(doc->getDocumentElement()->get_text().length(), 1500000u);
}

TEST(Entities, InternalOnesAreSubstitutedEverywhereAndUndeclaredOnesFail) {
    omParseError error;
    std::shared_ptr<omDocument> doc =
        load_xml("<!DOCTYPE r [<!ENTITY a \"aaaa\"><!ENTITY b \"&a;&a;\">]><r v=\"&b;\">&b;</r>", error);
    ASSERT_TRUE(doc) << utf8(error.message());
    std::shared_ptr<omElement> root = doc->getDocumentElement();
    EXPECT_EQ(utf8(root->getAttribute(SYSTRING("v"))), "aaaaaaaa");
    std::string xml = utf8(root->get_xml());
    EXPECT_EQ(xml, "<r v=\"aaaaaaaa\">aaaaaaaa</r>");
    EXPECT_TRUE(load_xml(xml));
    syByteArray saved;
    ASSERT_TRUE(test_factory()->saveDocument(doc, saved));
    EXPECT_TRUE(test_factory()->loadDocument(saved, omLoadOptions(), error)) << utf8(error.message());

    EXPECT_FALSE(load_xml("<!DOCTYPE r SYSTEM \"nothere.dtd\"><r>&nbsp;</r>", error));
    EXPECT_NE(utf8(error.message()).find("nbsp"), std::string::npos);
    EXPECT_FALSE(load_xml("<r>&nbsp;</r>", error));
}

TEST(Entities, RelativeNamesResolveAgainstTheDocument) {
    TempDir dir;
    ASSERT_TRUE(TempDir::write(dir.file("secret.txt"), "SECRET"));
    std::string path = dir.file("doc.xml");
    ASSERT_TRUE(TempDir::write(path, "<!DOCTYPE r [<!ENTITY e SYSTEM \"secret.txt\">]><r>&e;</r>"));
    omLoadOptions resolving;
    resolving.set_disable_entity_resolution(false);
    omParseError error;
    std::shared_ptr<omDocument> doc = test_factory()->loadDocument(syPath(wide(path)), resolving, error);
    ASSERT_TRUE(doc) << utf8(error.message());
    EXPECT_EQ(utf8(doc->getDocumentElement()->get_text()), "SECRET");
}

} // namespace
