// omLoadOptions and omParseError, the value classes that travel with a load.

#include <stdexcept>

#include <gtest/gtest.h>

#include "factory/omLoadOptions.h"
#include "factory/omParseError.h"
#include "tests/backend/backend_test_support.h"

namespace {

TEST(LoadOptions, DefaultsAndIndexCheckedSchemas) {
    omLoadOptions options;
    EXPECT_EQ(options.validate_mode(), omValidateOff);
    EXPECT_EQ(options.entity_expansion_limit(), 50000);
    EXPECT_TRUE(options.disable_entity_resolution());
    options.add_external_schema(SYSTRING("x-schema:MySchema1.xsd"), syPath(SYSTRING("first.xsd")));
    options.add_external_schema(SYSTRING("x-schema:MySchema2.xsd"), syPath(SYSTRING("second.xsd")));
    ASSERT_EQ(options.num_external_schemas(), 2);
    EXPECT_EQ(utf8(options.external_namespace(1)), "x-schema:MySchema2.xsd");
    EXPECT_EQ(utf8(options.external_schema(1).text()), "second.xsd");
    EXPECT_THROW(options.external_namespace(2), std::out_of_range);
    EXPECT_THROW(options.external_schema(-1), std::out_of_range);
}

TEST(LoadOptions, CopiesAreIndependent) {
    omLoadOptions options(omValidateOn);
    options.add_external_schema(SYSTRING("a"), syPath(SYSTRING("a.xsd")));
    options.add_external_schema(SYSTRING("b"), syPath(SYSTRING("b.xsd")));
    options.set_no_namespace_schema(syPath(SYSTRING("n.xsd")));
    options.set_entity_expansion_limit(10);
    options.set_disable_entity_resolution(false);

    omLoadOptions copy(options);
    EXPECT_EQ(utf8(copy.external_schema(1).text()), "b.xsd");
    EXPECT_EQ(utf8(copy.no_namespace_schema().text()), "n.xsd");
    EXPECT_FALSE(copy.disable_entity_resolution());

    copy.add_external_schema(SYSTRING("c"), syPath(SYSTRING("c.xsd")));
    copy.set_entity_expansion_limit(99);
    copy.set_validate_mode(omValidateOff);
    EXPECT_EQ(options.num_external_schemas(), 2);
    EXPECT_EQ(options.entity_expansion_limit(), 10);
    EXPECT_EQ(options.validate_mode(), omValidateOn);

    omLoadOptions assigned;
    assigned = options;
    assigned = assigned;
    EXPECT_EQ(assigned.num_external_schemas(), 2);
    EXPECT_EQ(utf8(assigned.external_namespace(0)), "a");
}

TEST(ParseError, FailedLoadFillsTheRecordAndSuccessClearsIt) {
    omParseError error;
    EXPECT_FALSE(load_xml("<root>\n  <a>\n</root>", error));
    EXPECT_FALSE(error.invalid());
    EXPECT_FALSE(error.message().empty());
    EXPECT_EQ(error.line_number(), 3);
    EXPECT_GT(error.column_number(), 0);
    // The same record passed to a load that succeeds reports no error afterwards.
    EXPECT_TRUE(load_xml("<root/>", error));
    EXPECT_TRUE(error.invalid());
    EXPECT_TRUE(error.message().empty());
}

} // namespace
