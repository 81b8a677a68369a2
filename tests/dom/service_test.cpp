// Publishing the back-end's factory as "XMLService" and finding it again.

#include <memory>

#include <gtest/gtest.h>

#include "factory/omDocumentFactory.h"
#include "platform/kuService.h"
#include "tests/backend/backend_test_support.h"

namespace {

class NotAFactory : public kuService {};

std::shared_ptr<omDocumentFactory> locate(const char* name) {
    kuServiceName working;
    return kuService::get_instance()->locate_service<omDocumentFactory>(kuServiceName(kuString(name)), working);
}

TEST(ServiceLocation, RegisteredFactoryIsFoundAndWorks) {
    std::shared_ptr<omDocumentFactory> registered = lx_register_xml_service();
    ASSERT_TRUE(registered);
    std::shared_ptr<omDocumentFactory> located = locate("XMLService");
    ASSERT_TRUE(located);
    EXPECT_EQ(located.get(), registered.get());
    std::shared_ptr<omDocument> document = located->createDocument(SYSTRING("Test"));
    ASSERT_TRUE(document);
    EXPECT_EQ(utf8(document->getDocumentElement()->getNodeName()), "Test");
}

TEST(ServiceLocation, QualifiedNameFallsBackToTheGeneralOne) {
    lx_register_xml_service();
    kuServiceName working;
    std::shared_ptr<omDocumentFactory> located =
        kuService::get_instance()->locate_service<omDocumentFactory>(kuServiceName(kuString("XMLService.v2")), working);
    EXPECT_TRUE(located);
    EXPECT_EQ(std::string(working.name().c_str()), "XMLService");
}

TEST(ServiceLocation, UnknownNameOrOtherTypeGivesNothing) {
    EXPECT_FALSE(locate("NoSuchService"));
    kuService::get_instance()->register_service(kuServiceName(kuString("OtherService")),
                                                std::make_shared<NotAFactory>());
    EXPECT_FALSE(locate("OtherService"));
    kuService::get_instance()->register_service(kuServiceName(kuString("OtherService")), nullptr);
}

} // namespace
