// Loading from memory and from files: errors, file names and the entity
// handling the options control.
#include "support.h"

namespace {

TEST(Load, BadInputFillsTheError) {
    for (const char* text : {"", "Hello World", "<a><b></a>", "<p:r/>"}) {
        Loaded bad = load(text);
        EXPECT_FALSE(bad.document) << text;
        EXPECT_FALSE(bad.error.invalid()) << text;
        EXPECT_FALSE(bad.message().empty()) << text;
    }
    Loaded good = load("<root number=\"123\" />");
    ASSERT_TRUE(good.document);
    EXPECT_TRUE(good.error.invalid());
    EXPECT_TRUE(good.document->getDocumentURI().empty());
}

// The texts of the root's children: indentation that the load drops is not among them.
std::vector<std::string> child_texts(const std::string& xml) {
    Loaded doc = load(xml);
    if (!doc.document)
        return {"load failed: " + doc.message()};
    std::vector<std::string> texts;
    std::shared_ptr<omNodeList> children = doc.root()->getChildNodes();
    for (int i = 0; i < children->length(); ++i)
        texts.push_back(narrow(children->at(i)->get_text()));
    return texts;
}

using Texts = std::vector<std::string>;

TEST(WhiteSpace, LateTextOrEntityTextDecidesForEarlierBlanks) {
    EXPECT_EQ(child_texts("<root xml:space='preserve'><x xml:space='default'> <a/> </x></root>"), Texts{""});
    EXPECT_EQ(child_texts("<root> <a/> <b/> x</root>"), (Texts{" ", "", " ", "", " x"}));
    EXPECT_EQ(child_texts("<root> <![CDATA[ ]]> <a/></root>"), (Texts{" ", " ", " ", ""}));
    EXPECT_EQ(child_texts("<root xml:space='preserve'> <a/> </root>"), (Texts{" ", "", " "}));
    EXPECT_EQ(child_texts("<!DOCTYPE root [<!ENTITY t \"x\">]><root> <a/> &t;</root>"), (Texts{" ", "", " x"}));
    EXPECT_EQ(child_texts("<!DOCTYPE root [<!ENTITY s \" \">]><root><a/>&s;<b/>&s;&s;</root>"), (Texts{"", ""}));
    Loaded deep = load("<r>\n <a>\n  <b>\n   <c>x</c>\n  </b>\n </a>\n</r>");
    ASSERT_TRUE(deep.document);
    EXPECT_EQ(narrow(deep.root()->get_xml()), "<r><a><b><c>x</c></b></a></r>");
}

TEST(Load, FileNamesAreUsedUnchangedAndErrorsNameTheFile) {
    TempDir dir;
    for (const std::string name :
         {"with spaces.xml", "nb\xC2\xA0sp.xml", "percent%20name.xml", "\xD1\x84.xml", "\xF0\x9F\x98\x80.xml"}) {
        std::string path = dir.write(name, "<?xml version=\"1.0\" ?><m><XY Value=\"1.2\"/></m>");
        Loaded doc = load_file(path);
        ASSERT_TRUE(doc.document) << name << ": " << doc.message();
        EXPECT_EQ(narrow(doc.document->getDocumentURI()), path);
        EXPECT_EQ(narrow(doc.root()->getOwnerDocument()->getDocumentURI()), path);
    }
    EXPECT_FALSE(load_file(dir.file("percent name.xml")).document) << "%20 is never read as a blank";
    Loaded missing = load_file(dir.file("none.xml"));
    EXPECT_FALSE(missing.document);
    EXPECT_NE(missing.message().find("none.xml"), std::string::npos);
    EXPECT_EQ(narrow(missing.error.url()), dir.file("none.xml"));
    EXPECT_NE(load_file(dir.path()).message().find("Is a directory"), std::string::npos);
    Loaded broken = load_file(dir.write("broken.xml", "<root>\n<a>\n</b>\n</root>"));
    EXPECT_EQ(narrow(broken.error.url()), dir.file("broken.xml"));
    EXPECT_EQ(broken.error.line_number(), 3);
    // A gzip stream of "<r/>" is not unpacked.
    const unsigned char gz[] = {0x1f, 0x8b, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0xff, 0xb3, 0x29,
                                0xd2, 0xb7, 0x03, 0x00, 0xfd, 0x01, 0xb1, 0x1f, 0x04, 0x00, 0x00, 0x00};
    EXPECT_FALSE(
        load_file(dir.write("doc.xml.gz", std::string(reinterpret_cast<const char*>(gz), sizeof gz))).document);
}

std::string references(int n, const std::string& value = "x") {
    std::string xml = "<!DOCTYPE r [<!ENTITY e \"" + value + "\">]><r>";
    for (int i = 0; i < n; ++i)
        xml += "&e;";
    return xml + "</r>";
}

TEST(Entities, TheExpansionLimitOfTheOptionsIsEnforced) {
    omLoadOptions ten;
    ten.set_entity_expansion_limit(10);
    Loaded doc = load(references(10), ten);
    ASSERT_TRUE(doc.document) << doc.message();
    EXPECT_EQ(narrow(doc.root()->get_text()), "xxxxxxxxxx");
    Loaded over = load(references(11), ten);
    EXPECT_FALSE(over.document);
    EXPECT_NE(over.message().find("limit of 10"), std::string::npos) << over.message();
    EXPECT_TRUE(load(references(11)).document);
    // Escapes inside the entity's own value take nothing off the count.
    EXPECT_FALSE(load(references(11, "&amp;&amp;&amp;&amp;&lt;&gt;&quot;&apos;"), ten).document);
    omLoadOptions none;
    none.set_entity_expansion_limit(0);
    EXPECT_FALSE(load(references(1), none).document);
    Loaded escapes = load("<r a=\"&gt;&amp;\">&lt;&#65;</r>", none);
    ASSERT_TRUE(escapes.document) << escapes.message();
    EXPECT_EQ(narrow(escapes.root()->getAttribute(SYSTRING("a"))), ">&");
    // A reference counts the references in its replacement text, in text and in attribute values alike.
    const std::string nested = "<!DOCTYPE r [<!ENTITY a \"x&amp;\"><!ENTITY b \"&a;&a;&a;&a;\">]>";
    EXPECT_TRUE(load(nested + "<r>&b;&b;</r>", ten).document);
    EXPECT_FALSE(load(nested + "<r>&b;&b;&a;</r>", ten).document);
    EXPECT_TRUE(load(nested + "<r v=\"&b;\">&b;</r>", ten).document);
    EXPECT_FALSE(load(nested + "<r v=\"&b;&a;\">&b;</r>", ten).document);
    // 1.5 MB of replacement text from a document that declares 300 KB of it.
    doc = load("<!DOCTYPE r [<!ENTITY a \"" + std::string(300000, 'y') + "\">]><r>&a;&a;&a;&a;&a;</r>");
    ASSERT_TRUE(doc.document) << doc.message();
    EXPECT_EQ(doc.root()->get_text().length(), 1500000u);
}

TEST(Entities, InternalOnesAreSubstitutedEverywhereAndUndeclaredOnesFail) {
    Loaded doc = load("<!DOCTYPE r [<!ENTITY a \"aaaa\"><!ENTITY b \"&a;&a;\">]><r v=\"&b;\">&b;</r>");
    ASSERT_TRUE(doc.document) << doc.message();
    EXPECT_EQ(narrow(doc.root()->get_xml()), "<r v=\"aaaaaaaa\">aaaaaaaa</r>");
    EXPECT_TRUE(load(saved(doc.document)).document);
    Loaded undeclared = load("<!DOCTYPE r SYSTEM \"nothere.dtd\"><r>&nbsp;</r>");
    EXPECT_FALSE(undeclared.document);
    EXPECT_NE(undeclared.message().find("nbsp"), std::string::npos);
}

TEST(Entities, RelativeNamesResolveAgainstTheDocument) {
    TempDir dir;
    dir.write("secret.txt", "SECRET");
    omLoadOptions resolving;
    resolving.set_disable_entity_resolution(false);
    Loaded doc =
        load_file(dir.write("doc.xml", "<!DOCTYPE r [<!ENTITY e SYSTEM \"secret.txt\">]><r>&e;</r>"), resolving);
    ASSERT_TRUE(doc.document) << doc.message();
    EXPECT_EQ(narrow(doc.root()->get_text()), "SECRET");
}

} // namespace
