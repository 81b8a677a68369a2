// The checked expressions are reported as written, blanks included.
// clang-format off
#include "suites/omValidationUtest.h"

#include <cstring>

#include "suites/omUtestUtils.h"

#define OM_UTEST_CLASS "omValidationUtest"
#include "suites/omUtestCheck.h"

namespace {

#define OM_SCHEMA_START "<?xml version=\"1.0\" encoding=\"UTF-8\"?><xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema"

const char namespace_schema[] = OM_SCHEMA_START
    "\" elementFormDefault=\"qualified\" targetNamespace=\"x-schema:MySchema.xsd\" xmlns=\"x-schema:MySchema.xsd\" >"
    "<xs:complexType name=\"XY\">  <xs:attribute name=\"Value\" type=\"xs:decimal\" use=\"required\" />"
    "</xs:complexType><xs:element name=\"machine\">  <xs:complexType>    <xs:sequence>      "
    "<xs:element name=\"XY\" type=\"XY\"/>    </xs:sequence>  </xs:complexType></xs:element></xs:schema>";
static_assert(sizeof namespace_schema - 1 == 465, "namespace schema text");

const char no_namespace_schema[] = OM_SCHEMA_START
    "\"   elementFormDefault=\"qualified\" ><xs:complexType name=\"XY\">  "
    "<xs:attribute name=\"Value\" type=\"xs:decimal\" use=\"required\" /></xs:complexType>"
    "<xs:element name=\"machine\">  <xs:complexType>    <xs:sequence>      <xs:element name=\"XY\" type=\"XY\"/>"
    "    </xs:sequence>  </xs:complexType></xs:element></xs:schema>";
static_assert(sizeof no_namespace_schema - 1 == 397, "no-namespace schema text");

const char first_schema[] = OM_SCHEMA_START
    "\" elementFormDefault=\"qualified\" targetNamespace=\"x-schema:MySchema1.xsd\" xmlns=\"x-schema:MySchema1.xsd\" >"
    "<xs:complexType name=\"XY\">  <xs:attribute name=\"Value\" type=\"xs:decimal\" use=\"required\" />"
    "</xs:complexType><xs:element name=\"machine\">  <xs:complexType>    <xs:sequence>      "
    "<xs:element name=\"XY\" type=\"XY\"/>    </xs:sequence>    <xs:anyAttribute namespace=\"x-schema:MySchema2.xsd\"/>"
    "  </xs:complexType></xs:element></xs:schema>";
static_assert(sizeof first_schema - 1 == 524, "first schema text");

const char second_schema[] = OM_SCHEMA_START
    "\" elementFormDefault=\"qualified\" targetNamespace=\"x-schema:MySchema2.xsd\" xmlns=\"x-schema:MySchema2.xsd\" >"
    "  <xs:attribute name=\"AB\" type=\"xs:decimal\" use=\"required\" /></xs:schema>";
static_assert(sizeof second_schema - 1 == 270, "second schema text");

#undef OM_SCHEMA_START

syByteArray bytes_of(const char* text) { return syByteArray(text, std::strlen(text)); }

void print_error(kuUnitTest* tester, const omParseError& error) {
    if (tester)
        tester->printf("Error was \"%s\"", error.message().convert(syStringUTF8));
}

} // namespace

omValidationUtest::omValidationUtest(kuUnitTest* tester) : m_tester(tester) {}

omValidationUtest::~omValidationUtest() {}

void omValidationUtest::run_tests(const omDocumentFactory& factory) const {
    test_missing_schema(factory);
    test_missing_nons_schema(factory);
    test_simple_schema_path(factory);
    test_simple_nons_schema_path(factory);
    test_spaces_in_schema(factory);
    test_spaces_in_nons_schema(factory);
    test_nb_spaces_in_schema(factory);
    test_nb_spaces_in_nons_schema(factory);
    test_mixed_spaces_in_schema(factory);
    test_mixed_spaces_in_nons_schema(factory);
    test_percent_in_schema(factory);
    test_percent_in_nons_schema(factory);
    test_cyrillic_in_schema(factory);
    test_cyrillic_in_nons_schema(factory);
    test_multiple_schemas(factory);
}

void omValidationUtest::test_missing_schema(const omDocumentFactory& factory) const {
    OM_UTEST_FUNCTION(test_missing_schema);
    const char* text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root xmlns=\"x-schema:MySchema.xsd\">  "
                       "<tag_1>Some Text</tag_1></root>";
    omLoadOptions options(omValidateOn);
    options.add_external_schema(SYSTRING("x-schema:MySchema.xsd"), syPath(SYSTRING("./does_not_exist.xsd")));
    omParseError error;

    std::shared_ptr<omDocument> document = factory.loadDocument(bytes_of(text), options, error);
    OM_CHECK(!document.get(), "load document");
    OM_CHECK(!error.invalid(), "test error when schema missing");
    print_error(m_tester, error);

    syPath path = omUtestUtils::uniquify_filename(SYSTRING("./missing_schema"), SYSTRING("xml"));
    omUtestUtils::write_data(path, text);
    document = factory.loadDocument(path, options, error);
    OM_CHECK(!document.get(), "load document");
    OM_CHECK(!error.invalid(), "test error when schema missing");
    print_error(m_tester, error);
}

void omValidationUtest::test_missing_nons_schema(const omDocumentFactory& factory) const {
    OM_UTEST_FUNCTION(test_missing_nons_schema);
    const char* text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root>  <tag_1>Some Text</tag_1></root>";
    omLoadOptions options(omValidateOn);
    options.set_no_namespace_schema(syPath(SYSTRING("./do_not_exist.xsd")));
    omParseError error;

    std::shared_ptr<omDocument> document = factory.loadDocument(bytes_of(text), options, error);
    OM_CHECK(!document.get(), "load document");
    OM_CHECK(!error.invalid(), "test error when no namespace schema missing");
    print_error(m_tester, error);

    syPath path = omUtestUtils::uniquify_filename(SYSTRING("./missing_nons_schema"), SYSTRING("xml"));
    omUtestUtils::write_data(path, text);
    document = factory.loadDocument(path, options, error);
    OM_CHECK(!document.get(), "load document");
    OM_CHECK(!error.invalid(), "test error when no namespace schema missing");
    print_error(m_tester, error);
}

void omValidationUtest::test_simple_schema_path(const omDocumentFactory& factory) const {
    syPath schema_path = omUtestUtils::uniquify_filename(SYSTRING("./nospacesinname"), SYSTRING("xsd"));
    run_schema_test(factory, schema_path, kuString("simple path"));
}

void omValidationUtest::test_simple_nons_schema_path(const omDocumentFactory& factory) const {
    syPath schema_path = omUtestUtils::uniquify_filename(SYSTRING("./nonsnospacesinname"), SYSTRING("xsd"));
    run_nons_schema_test(factory, schema_path, kuString("simple path"));
}

void omValidationUtest::test_spaces_in_schema(const omDocumentFactory& factory) const {
    syPath schema_path = omUtestUtils::uniquify_filename(SYSTRING("./spaces in name"), SYSTRING("xsd"));
    run_schema_test(factory, schema_path, kuString("spaces"));
}

void omValidationUtest::test_spaces_in_nons_schema(const omDocumentFactory& factory) const {
    syPath schema_path = omUtestUtils::uniquify_filename(SYSTRING("./nons spaces in name"), SYSTRING("xsd"));
    run_nons_schema_test(factory, schema_path, kuString("spaces"));
}

void omValidationUtest::test_nb_spaces_in_schema(const omDocumentFactory& factory) const {
    syPath schema_path =
        omUtestUtils::uniquify_filename(SYSTRING("./nb\u00A0spaces\u00A0in\u00A0name"), SYSTRING("xsd"));
    run_schema_test(factory, schema_path, kuString("non-breaking spaces"));
}

void omValidationUtest::test_nb_spaces_in_nons_schema(const omDocumentFactory& factory) const {
    syPath schema_path =
        omUtestUtils::uniquify_filename(SYSTRING("./nons\u00A0nb\u00A0spaces\u00A0in\u00A0name"), SYSTRING("xsd"));
    run_nons_schema_test(factory, schema_path, kuString("non-breaking spaces"));
}

void omValidationUtest::test_mixed_spaces_in_schema(const omDocumentFactory& factory) const {
    syPath schema_path = omUtestUtils::uniquify_filename(SYSTRING("./mixed spaces\u00A0in name"), SYSTRING("xsd"));
    run_schema_test(factory, schema_path, kuString("mixed spaces"));
}

void omValidationUtest::test_mixed_spaces_in_nons_schema(const omDocumentFactory& factory) const {
    syPath schema_path =
        omUtestUtils::uniquify_filename(SYSTRING("./nons\u00A0mixed spaces\u00A0in name"), SYSTRING("xsd"));
    run_nons_schema_test(factory, schema_path, kuString("mixed spaces"));
}

void omValidationUtest::test_percent_in_schema(const omDocumentFactory& factory) const {
    syPath schema_path = omUtestUtils::uniquify_filename(SYSTRING("./percent%20in%20name"), SYSTRING("xsd"));
    run_schema_test(factory, schema_path, kuString("percent"));
}

void omValidationUtest::test_percent_in_nons_schema(const omDocumentFactory& factory) const {
    syPath schema_path = omUtestUtils::uniquify_filename(SYSTRING("./nons%20percent%20in%20name"), SYSTRING("xsd"));
    run_nons_schema_test(factory, schema_path, kuString("percent"));
}

void omValidationUtest::test_cyrillic_in_schema(const omDocumentFactory& factory) const {
    syPath schema_path = omUtestUtils::uniquify_filename(SYSTRING("./cyrillic_\u0444_in_name"), SYSTRING("xsd"));
    run_schema_test(factory, schema_path, kuString("cyrillic U+0444"));
}

void omValidationUtest::test_cyrillic_in_nons_schema(const omDocumentFactory& factory) const {
    syPath schema_path = omUtestUtils::uniquify_filename(SYSTRING("./nons_cyrillic_\u0444_in_name"), SYSTRING("xsd"));
    run_nons_schema_test(factory, schema_path, kuString("cyrillic U+0444"));
}

void omValidationUtest::test_multiple_schemas(const omDocumentFactory& factory) const {
    OM_UTEST_FUNCTION(test_multiple_schemas);
    syPath path1 = omUtestUtils::uniquify_filename(SYSTRING("./MySchema1"), SYSTRING("xsd"));
    omUtestUtils::write_data(path1, first_schema);
    syPath path2 = omUtestUtils::uniquify_filename(SYSTRING("./MySchema2"), SYSTRING("xsd"));
    omUtestUtils::write_data(path2, second_schema);

    const auto load = [&](const char* text, omParseError& error) {
        omLoadOptions options(omValidateOn);
        options.add_external_schema(SYSTRING("x-schema:MySchema1.xsd"), path1);
        options.add_external_schema(SYSTRING("x-schema:MySchema2.xsd"), path2);
        return factory.loadDocument(bytes_of(text), options, error);
    };
    {
        omParseError error;
        std::shared_ptr<omDocument> document =
            load("<?xml version=\"1.0\" encoding=\"UTF-8\"?><machine s2:AB=\"0.1\"         "
                 "xmlns=\"x-schema:MySchema1.xsd\"         xmlns:s2=\"x-schema:MySchema2.xsd\">  "
                 "<XY Value=\"1.2\"/></machine>",
                 error);
        if (!error.invalid())
            print_error(m_tester, error);
        OM_CHECK(document.get(), "test valid xml");
    }
    {
        omParseError error;
        std::shared_ptr<omDocument> document =
            load("<?xml version=\"1.0\" encoding=\"UTF-8\"?><machine s2:AB=\"0.1\"         "
                 "xmlns=\"x-schema:MySchema1.xsd\"         xmlns:s2=\"x-schema:MySchema2.xsd\">  "
                 "<XY Value=\"Some Text\"/></machine>",
                 error);
        OM_CHECK(!document.get(), "test invalid xml | first schema");
        OM_CHECK(!error.invalid(), "test error with invalid data");
        print_error(m_tester, error);
    }
    {
        omParseError error;
        std::shared_ptr<omDocument> document =
            load("<?xml version=\"1.0\" encoding=\"UTF-8\"?><machine s2:AB=\"Some Text\"         "
                 "xmlns=\"x-schema:MySchema1.xsd\"         xmlns:s2=\"x-schema:MySchema2.xsd\">  "
                 "<XY Value=\"1.2\"/></machine>",
                 error);
        OM_CHECK(!document.get(), "test invalid xml | second schema");
        OM_CHECK(!error.invalid(), "test error with invalid data");
        print_error(m_tester, error);
    }
    {
        omParseError error;
        std::shared_ptr<omDocument> document =
            load("<?xml version=\"1.0\" encoding=\"UTF-8\"?><machine s2:AB=\"Some Text\"         "
                 "xmlns=\"x-schema:MySchema1.xsd\"         xmlns:s2=\"x-schema:MySchema2.xsd\">  "
                 "<XY Value=\"Some Text\"/></machine>",
                 error);
        OM_CHECK(!document.get(), "test invalid xml | both schemas");
        OM_CHECK(!error.invalid(), "test error with invalid data");
        print_error(m_tester, error);
    }
}

void omValidationUtest::run_schema_test(const omDocumentFactory& factory, const syPath& schema_path,
                                        const kuString& description) const {
    OM_UTEST_FUNCTION(run_schema_test);
    omUtestUtils::write_data(schema_path, namespace_schema);
    {
        omLoadOptions options(omValidateOn);
        options.add_external_schema(SYSTRING("x-schema:MySchema.xsd"), schema_path);
        omParseError error;
        std::shared_ptr<omDocument> document = factory.loadDocument(
            bytes_of("<?xml version=\"1.0\" encoding=\"UTF-8\"?><machine xmlns=\"x-schema:MySchema.xsd\">  "
                     "<XY Value=\"1.2\"/></machine>"),
            options, error);
        OM_CHECK(document.get(), kuUnitTest::build_varargs("test valid xml | %s", description.c_str()));
    }
    {
        omLoadOptions options(omValidateOn);
        options.add_external_schema(SYSTRING("x-schema:MySchema.xsd"), schema_path);
        omParseError error;
        std::shared_ptr<omDocument> document = factory.loadDocument(
            bytes_of("<?xml version=\"1.0\" encoding=\"UTF-8\"?><machine xmlns=\"x-schema:MySchema.xsd\">  "
                     "<XY Value=\"Some Text\"/></machine>"),
            options, error);
        OM_CHECK(!document.get(), kuUnitTest::build_varargs("test invalid xml | %s", description.c_str()));
    }
}

void omValidationUtest::run_nons_schema_test(const omDocumentFactory& factory, const syPath& schema_path,
                                             const kuString& description) const {
    OM_UTEST_FUNCTION(run_nons_schema_test);
    omUtestUtils::write_data(schema_path, no_namespace_schema);
    {
        omLoadOptions options(omValidateOn);
        options.set_no_namespace_schema(schema_path);
        omParseError error;
        std::shared_ptr<omDocument> document = factory.loadDocument(
            bytes_of("<?xml version=\"1.0\" encoding=\"UTF-8\"?><machine>  <XY Value=\"1.2\"/></machine>"), options,
            error);
        OM_CHECK(document.get(), kuUnitTest::build_varargs("test valid xml | %s", description.c_str()));
    }
    {
        omLoadOptions options(omValidateOn);
        options.set_no_namespace_schema(schema_path);
        omParseError error;
        std::shared_ptr<omDocument> document = factory.loadDocument(
            bytes_of("<?xml version=\"1.0\" encoding=\"UTF-8\"?><machine>  <XY Value=\"Some Text\"/></machine>"),
            options, error);
        OM_CHECK(!document.get(), kuUnitTest::build_varargs("test invalid xml | %s", description.c_str()));
    }
}
