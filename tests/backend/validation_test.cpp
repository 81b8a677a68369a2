// Schema validation while loading: schema file names, broken, missing,
// rewritten and conflicting schemas.
#include "support.h"

namespace {

const std::string k_head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><xs:schema "
                           "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" elementFormDefault=\"qualified\"";

// A schema for <machine><XY Value="..."/></machine> whose Value has the given type.
std::string machine_schema(const std::string& target, const std::string& value_type = "xs:decimal") {
    std::string ns = target.empty() ? "" : " targetNamespace=\"" + target + "\" xmlns=\"" + target + "\"";
    return k_head + ns + "><xs:complexType name=\"XY\"><xs:attribute name=\"Value\" type=\"" + value_type +
           "\" use=\"required\"/></xs:complexType><xs:element name=\"machine\"><xs:complexType><xs:sequence>"
           "<xs:element name=\"XY\" type=\"XY\"/></xs:sequence></xs:complexType></xs:element></xs:schema>";
}

std::string machine(const std::string& value, const std::string& ns = "") {
    return "<machine" + (ns.empty() ? "" : " xmlns=\"" + ns + "\"") + "><XY Value=\"" + value + "\"/></machine>";
}

omLoadOptions no_namespace(const std::string& path) {
    omLoadOptions options(omValidateOn);
    options.set_no_namespace_schema(syPath(wide(path)));
    return options;
}

TEST(Validation, SchemaFileNamesAreUsedUnchanged) {
    TempDir dir;
    for (const std::string name : {"blank name.xsd", "nb\xC2\xA0sp.xsd", "percent%20name.xsd",
                                   kWindows ? "hash#and;query.xsd" : "hash#and?query.xsd"}) {
        omLoadOptions options = no_namespace(dir.write(name, machine_schema("")));
        Loaded valid = load(machine("1.2"), options);
        EXPECT_TRUE(valid.document) << name << ": " << valid.message();
        Loaded invalid = load(machine("Some Text"), options);
        EXPECT_FALSE(invalid.document) << name;
        EXPECT_NE(invalid.message().find("Some Text"), std::string::npos) << invalid.message();
    }
    EXPECT_FALSE(load(machine("1.2"), no_namespace(dir.file("blank%20name.xsd"))).document);
}

// A fault is placed where the parser stood when the schema found it; of
// several, the first in the document is reported.
TEST(Validation, TheFirstFaultCarriesLineAndColumn) {
    TempDir dir;
    const omLoadOptions options = no_namespace(dir.write("plain.xsd", machine_schema("")));
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
        Loaded doc = load(c.xml, options);
        EXPECT_FALSE(doc.document);
        EXPECT_NE(doc.message().find(c.quoted), std::string::npos) << doc.message();
        EXPECT_EQ(doc.error.line_number(), c.line) << c.xml;
        EXPECT_EQ(doc.error.column_number(), c.column) << c.xml;
    }
}

TEST(Validation, ANamespaceNameWithAnAmpersandIsImported) {
    TempDir dir;
    const std::string written = "urn:a&amp;b"; // urn:a&b
    omLoadOptions options(omValidateOn);
    options.add_external_schema(wide("urn:a&b"), syPath(wide(dir.write("m.xsd", machine_schema(written)))));
    Loaded valid = load(machine("1.2", written), options);
    EXPECT_TRUE(valid.document) << valid.message();
    EXPECT_FALSE(load(machine("text", written), options).document);
}

TEST(Validation, MissingOrBrokenSchemasFailWithTheirName) {
    TempDir dir;
    Loaded missing = load(machine("1.2"), no_namespace(dir.file("absent.xsd")));
    EXPECT_FALSE(missing.document);
    EXPECT_NE(missing.message().find(dir.file("absent.xsd")), std::string::npos) << missing.message();
    std::string broken = dir.write("broken.xsd", k_head + "><xs:element name=\"a\"></xs:schema>");
    Loaded failed = load(machine("1.2"), no_namespace(broken));
    EXPECT_FALSE(failed.document);
    EXPECT_EQ(narrow(failed.error.url()), broken);
}

TEST(Validation, ASchemaRewrittenOnDiskIsReadAgain) {
    TempDir dir;
    std::string path = dir.write("machine.xsd", machine_schema("urn:m"));
    omLoadOptions options(omValidateOn);
    options.add_external_schema(SYSTRING("urn:m"), syPath(wide(path)));
    EXPECT_TRUE(load(machine("1.2", "urn:m"), options).document);
    EXPECT_FALSE(load(machine("text", "urn:m"), options).document);
    dir.write("machine.xsd", machine_schema("urn:m", "xs:string"));
    Loaded now = load(machine("text", "urn:m"), options);
    EXPECT_TRUE(now.document) << now.message();
}

// A namespace's schema split over files: each file applies, whichever
// element of the namespace a document uses.
TEST(Validation, TwoSchemasForOneNamespaceBothApply) {
    TempDir dir;
    const std::string tool =
        k_head + " targetNamespace=\"urn:m\"><xs:element name=\"tool\" type=\"xs:int\"/></xs:schema>";
    omLoadOptions options(omValidateOn);
    options.add_external_schema(SYSTRING("urn:m"), syPath(wide(dir.write("one.xsd", machine_schema("urn:m")))));
    options.add_external_schema(SYSTRING("urn:m"), syPath(wide(dir.write("two.xsd", tool))));
    options.add_external_schema(SYSTRING("urn:m"), syPath(wide(dir.file("two.xsd"))));
    Loaded machine_doc = load(machine("1.2", "urn:m"), options);
    EXPECT_TRUE(machine_doc.document) << machine_doc.message();
    EXPECT_FALSE(load(machine("text", "urn:m"), options).document);
    Loaded tool_doc = load("<tool xmlns=\"urn:m\">7</tool>", options);
    EXPECT_TRUE(tool_doc.document) << tool_doc.message();
    EXPECT_FALSE(load("<tool xmlns=\"urn:m\">seven</tool>", options).document);
}

// A set that failed to compile is not remembered past a change of its files,
// nor past the appearance of a file it missed.
TEST(Validation, AFailedSchemaIsCompiledAgainOnceItsFilesChange) {
    TempDir dir;
    const omLoadOptions options =
        no_namespace(dir.write("main.xsd", k_head + "><xs:include schemaLocation=\"part.xsd\"/></xs:schema>"));
    EXPECT_FALSE(load(machine("1.2"), options).document);
    dir.write("part.xsd", k_head + "><xs:element name=\"machine\" type=\"xs:nope\"/></xs:schema>");
    Loaded broken = load(machine("1.2"), options);
    EXPECT_NE(broken.message().find("nope"), std::string::npos) << broken.message();
    dir.write("part.xsd", machine_schema(""));
    Loaded fixed = load(machine("1.2"), options);
    EXPECT_TRUE(fixed.document) << fixed.message();
}

// A folder whose name reads like an escape ("a%20b") is never unescaped on
// the way to the files a schema includes beside it.
TEST(Validation, IncludesBesideASchemaInAFolderNamedLikeAnEscape) {
    TempDir dir;
    const std::string whole = machine_schema("");
    const std::size_t element = whole.find("<xs:element name=\"machine\">");
    ASSERT_TRUE(std::filesystem::create_directory(dir.file("a%20b")));
    dir.write("a%20b/part.xsd", whole.substr(0, element) + "</xs:schema>");
    const omLoadOptions options = no_namespace(
        dir.write("a%20b/main.xsd", k_head + "><xs:include schemaLocation=\"part.xsd\"/>" + whole.substr(element)));
    Loaded valid = load(machine("1.2"), options);
    EXPECT_TRUE(valid.document) << valid.message();
    EXPECT_FALSE(load(machine("text"), options).document);
}

} // namespace
