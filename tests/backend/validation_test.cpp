// Schema validation while loading: several namespaces, file names, broken schemas.

#include <string>

#include <gtest/gtest.h>

#include "tests/backend/backend_test_support.h"

namespace {

const std::string k_head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><xs:schema "
                           "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"";
const std::string k_machine = "<xs:complexType name=\"XY\">  <xs:attribute name=\"Value\" type=\"xs:decimal\" "
                              "use=\"required\" /></xs:complexType><xs:element name=\"machine\">  <xs:complexType>"
                              "    <xs:sequence>      <xs:element name=\"XY\" type=\"XY\"/>    </xs:sequence>";

std::string first_schema() {
    return k_head +
           " elementFormDefault=\"qualified\" targetNamespace=\"x-schema:MySchema1.xsd\" "
           "xmlns=\"x-schema:MySchema1.xsd\" >" +
           k_machine +
           "    <xs:anyAttribute namespace=\"x-schema:MySchema2.xsd\"/>  </xs:complexType></xs:element></xs:schema>";
}

// A top-level attribute declaration with "use", which the schemas in use carry.
std::string second_schema() {
    return k_head +
           " elementFormDefault=\"qualified\" targetNamespace=\"x-schema:MySchema2.xsd\" "
           "xmlns=\"x-schema:MySchema2.xsd\" >  <xs:attribute name=\"AB\" type=\"xs:decimal\" use=\"required\" "
           "/></xs:schema>";
}

std::string no_namespace_schema() {
    return k_head + "   elementFormDefault=\"qualified\" >" + k_machine +
           "  </xs:complexType></xs:element></xs:schema>";
}

std::string two_namespace_document(const std::string& value, const std::string& ab) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><machine s2:AB=\"" + ab +
           "\"         xmlns=\"x-schema:MySchema1.xsd\"         xmlns:s2=\"x-schema:MySchema2.xsd\">  <XY Value=\"" +
           value + "\"/></machine>";
}

std::string plain_document(const std::string& value) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><machine>  <XY Value=\"" + value + "\"/></machine>";
}

class Validation : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(dir.path().empty()); }
    std::string schema_file(const std::string& name, const std::string& text) {
        std::string path = dir.file(name);
        EXPECT_TRUE(TempDir::write(path, text));
        return path;
    }
    static omLoadOptions no_namespace(const std::string& path) {
        omLoadOptions options(omValidateOn);
        options.set_no_namespace_schema(syPath(wide(path)));
        return options;
    }
    TempDir dir;
};

TEST_F(Validation, TwoNamespacesAreCheckedTogether) {
    omLoadOptions options(omValidateOn);
    options.add_external_schema(SYSTRING("x-schema:MySchema1.xsd"),
                                syPath(wide(schema_file("one.xsd", first_schema()))));
    options.add_external_schema(SYSTRING("x-schema:MySchema2.xsd"),
                                syPath(wide(schema_file("two.xsd", second_schema()))));
    omParseError error;
    EXPECT_TRUE(load_xml(two_namespace_document("1.2", "0.1"), error, options)) << utf8(error.message());
    EXPECT_TRUE(error.invalid());
    for (const auto& bad : {two_namespace_document("Some Text", "0.1"), two_namespace_document("1.2", "Some Text"),
                            two_namespace_document("Some Text", "Some Text")}) {
        omParseError failure;
        EXPECT_FALSE(load_xml(bad, failure, options));
        EXPECT_FALSE(failure.invalid());
        EXPECT_NE(utf8(failure.message()).find("Some Text"), std::string::npos) << utf8(failure.message());
    }
}

// A fault is placed where the parser stood when the schema found it; of
// several, the first in the document is reported.
TEST_F(Validation, TheFirstFaultCarriesLineAndColumn) {
    const omLoadOptions options = no_namespace(schema_file("plain.xsd", no_namespace_schema()));
    const struct {
        std::string xml;
        std::string quoted;
        int line;
        int column;
    } cases[] = {
        {"<machine>\n  <XY Value=\"a\"/>\n  <XY Value=\"b\"/>\n</machine>", "'a'", 2, 16},
        {"<machine>\n  <XY Value=\"1\"/>\n  <XY Value=\"b\"/>\n</machine>", "'XY'", 3, 16},
        {"<machine>\n<XY Value=\"1\"/><YX/></machine>", "'YX'", 2, 19},
    };
    for (const auto& c : cases) {
        omParseError error;
        EXPECT_FALSE(load_xml(c.xml, error, options));
        EXPECT_NE(utf8(error.message()).find(c.quoted), std::string::npos) << utf8(error.message());
        EXPECT_EQ(error.line_number(), c.line) << c.xml;
        EXPECT_EQ(error.column_number(), c.column) << c.xml;
    }
}

TEST_F(Validation, ExoticSchemaFileNamesAreUsedUnchanged) {
    for (const std::string name : {"spaces in name.xsd", "nb\xC2\xA0spaces.xsd", "mixed \xC2\xA0 spaces.xsd",
                                   "percent%20in%20name.xsd", "cyrillic_\xD1\x84.xsd", "hash#and?query.xsd"}) {
        std::string path = schema_file(name, no_namespace_schema());
        omParseError error;
        EXPECT_TRUE(load_xml(plain_document("1.2"), error, no_namespace(path)))
            << name << ": " << utf8(error.message());
        EXPECT_FALSE(load_xml(plain_document("Some Text"), error, no_namespace(path))) << name;
    }
    // "%20" names that very file, not one with a blank.
    schema_file("blank name.xsd", no_namespace_schema());
    omParseError error;
    EXPECT_FALSE(load_xml(plain_document("1.2"), error, no_namespace(dir.file("blank%20name.xsd"))));
}

TEST_F(Validation, MissingOrBrokenSchemasFailWithTheirName) {
    omParseError error;
    std::string missing = dir.file("does_not_exist.xsd");
    EXPECT_FALSE(load_xml(plain_document("1.2"), error, no_namespace(missing)));
    EXPECT_NE(utf8(error.message()).find(missing), std::string::npos) << utf8(error.message());

    std::string broken = schema_file("broken.xsd", k_head + "><xs:element name=\"a\"></xs:schema>");
    EXPECT_FALSE(load_xml(plain_document("1.2"), error, no_namespace(broken)));
    EXPECT_EQ(utf8(error.url()), broken);
}

} // namespace
