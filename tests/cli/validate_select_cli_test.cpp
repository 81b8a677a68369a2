// omxml validate and omxml select, run as child processes.
#include "cli/cli_fixture.h"

namespace {

const char* const kOrder = "<?xml version=\"1.0\"?>\n"
                           "<order xmlns=\"urn:shop\">\n"
                           "  <line sku=\"A-1\" qty=\"2\"/>\n"
                           "  <line sku=\"B&amp;7\" qty=\"x\"/>\n"
                           "</order>\n";

const char* const kSchema = "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" targetNamespace=\"urn:shop\""
                            " xmlns=\"urn:shop\" elementFormDefault=\"qualified\">"
                            "<xs:element name=\"order\"><xs:complexType><xs:sequence>"
                            "<xs:element name=\"line\" maxOccurs=\"unbounded\"><xs:complexType>"
                            "<xs:attribute name=\"sku\" type=\"xs:string\"/>"
                            "<xs:attribute name=\"qty\" type=\"xs:int\"/>"
                            "</xs:complexType></xs:element></xs:sequence></xs:complexType></xs:element>"
                            "</xs:schema>";

using ValidateCli = CliFixture;
using SelectCli = CliFixture;

} // namespace

TEST_F(ValidateCli, AWellFormedDocumentWithoutSchemasIsValid) {
    CliRun r = omxml("validate '" + write("order.xml", kOrder) + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("order.xml: valid"), std::string::npos);
}

TEST_F(ValidateCli, ASchemaViolationNamesFileLineAndMessage) {
    std::string schema = write("shop schema.xsd", kSchema);
    std::string doc = write("order.xml", kOrder);
    CliRun r = omxml("validate '" + doc + "' --schema 'urn:shop=" + schema + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind(doc + ":4", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("qty"), std::string::npos) << r.err;

    std::string fixed = write("fixed.xml", "<order xmlns=\"urn:shop\"><line sku=\"A\" qty=\"3\"/></order>");
    EXPECT_EQ(omxml("validate '" + fixed + "' --schema 'urn:shop=" + schema + "'").status, 0);
}

TEST_F(ValidateCli, MalformedDocumentsFailWithTheParserPosition) {
    std::string doc = write("bad.xml", "<r>\n<a></r>");
    CliRun r = omxml("validate '" + doc + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind(doc + ":2:", 0), 0u) << r.err;
}

TEST_F(ValidateCli, UsageAndIoErrorsExitTwoNamingTheFile) {
    CliRun missing = omxml("validate '" + m_dir + "/none.xml'");
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("none.xml"), std::string::npos);
    std::string doc = write("order.xml", kOrder);
    CliRun schema = omxml("validate '" + doc + "' --no-namespace-schema '" + m_dir + "/gone.xsd'");
    EXPECT_EQ(schema.status, 2);
    EXPECT_NE(schema.err.find("gone.xsd"), std::string::npos);
    EXPECT_EQ(omxml("validate '" + doc + "' --schema no-equals-sign").status, 2);
    EXPECT_EQ(omxml("validate").status, 2);
    EXPECT_EQ(omxml("validate '" + doc + "' --bogus").status, 2);
    CliRun help = omxml("validate --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--no-namespace-schema"), std::string::npos);
}

TEST_F(SelectCli, PrintsEveryMatchOnItsOwnLine) {
    std::string doc = write("catalog.xml", "<c><item id=\"1\"><title>A &amp; B</title></item>"
                                           "<item id=\"2\"><title>C</title></item></c>");
    CliRun r = omxml("select '" + doc + "' '//item/title'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "<title>A &amp; B</title>\n<title>C</title>\n");
    CliRun ids = omxml("select '" + doc + "' 'item/@id'");
    EXPECT_EQ(ids.status, 0);
    EXPECT_EQ(ids.out, "id=\"1\"\nid=\"2\"\n");
}

TEST_F(SelectCli, NoMatchOrABadDocumentExitsOne) {
    std::string doc = write("c.xml", "<c><item/></c>");
    CliRun none = omxml("select '" + doc + "' '//missing'");
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "");
    CliRun bad = omxml("select '" + write("bad.xml", "<c>") + "' '//c'");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("bad.xml"), std::string::npos);
    EXPECT_EQ(omxml("select '" + m_dir + "/none.xml' '//c'").status, 2);
    EXPECT_EQ(omxml("select '" + doc + "'").status, 2);
}
