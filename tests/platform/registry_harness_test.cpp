#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/kuService.h"
#include "platform/kuUnitTest.h"
#include "platform/syAssert.h"

namespace {

class NamedService : public kuService {
public:
    explicit NamedService(int id) : id(id) {}
    int id;
};

// A kuService subclass that exposes the registry's exact-name look-up.
class Probe : public kuService {
public:
    static std::shared_ptr<kuService> find(const char* name) {
        // A member pointer named through the derived class reaches the protected
        // operation on the registry without pretending the registry is a Probe.
        auto locate = &Probe::do_locate_service;
        return (kuService::get_instance()->*locate)(kuServiceName(kuString(name)));
    }
};

struct Report {
    int pass;
    std::string expression, source, description, function;
    int line;
};

class CapturingHarness : public kuUnitTest {
public:
    void utest_handler(int pass, const char* expression, const char* source_path, int line, const char* description,
                       const char* function) override {
        reports.push_back({pass, expression, source_path, description, function, line});
    }
    void printf(const char* format, ...) override {
        va_list args;
        va_start(args, format);
        lines.push_back(format_va(format, args));
        va_end(args);
    }
    std::vector<Report> reports;
    std::vector<std::string> lines;
};

void report_through(kuUnitTest* tester, int pass, const char* description) {
    tester->utest_handler(pass, "expr", "source/x", 7, description, "X::f");
}

} // namespace

TEST(KuServiceName, DequalifyDropsTheLastQualifier) {
    kuServiceName name(kuString("a.b.c"));
    std::vector<std::string> seen;
    while (!name.invalid()) {
        seen.emplace_back(name.name().c_str());
        name.dequalify();
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"a.b.c", "a.b", "a"}));
    EXPECT_TRUE(kuServiceName().invalid());
}

TEST(KuService, RegistryStoresServicesUnderExactNames) {
    auto service = std::make_shared<NamedService>(1);
    kuService::get_instance()->register_service(kuServiceName(kuString("Test.Registry")), service);
    EXPECT_EQ(Probe::find("Test.Registry"), service);
    EXPECT_EQ(Probe::find("Test"), nullptr);
    kuService::get_instance()->register_service(kuServiceName(kuString("Test.Registry")), nullptr);
    EXPECT_EQ(Probe::find("Test.Registry"), nullptr);
    EXPECT_EQ(service.use_count(), 1);
}

TEST(KuUnitTest, CapturesReportsAndDiagnosticLines) {
    CapturingHarness harness;
    kuUnitTest* previous = kuUnitTest::set_tester(&harness);
    report_through(kuUnitTest::get_tester(), 1, "ok");
    harness.printf("Error was \"%s\"", "boom");
    kuUnitTest::set_tester(previous);
    ASSERT_EQ(harness.reports.size(), 1u);
    EXPECT_EQ(harness.reports[0].function, "X::f");
    ASSERT_EQ(harness.lines.size(), 1u);
    EXPECT_EQ(harness.lines[0], "Error was \"boom\"");
}

TEST(KuUnitTest, FormattedDescriptionsSurviveNestedFormatting) {
    const char* outer = kuUnitTest::build_varargs("load from %s", "outer");
    std::vector<const char*> inner;
    for (int i = 0; i < 1000; ++i)
        inner.push_back(kuUnitTest::build_varargs("node %d text is wrong", i));
    EXPECT_STREQ(outer, "load from outer");
    EXPECT_STREQ(inner[999], "node 999 text is wrong");
}

TEST(KuUnitTest, CheckAssertRecordsWhetherEnoughAssertionsWereRaised) {
    CapturingHarness harness;
    kuUnitTest* previous = kuUnitTest::set_tester(&harness);
    harness.expect_assert_min(1);
    SY_ASSERT(1 + 1 == 3);
    harness.check_assert();
    harness.expect_assert_min(1);
    harness.check_assert();
    kuUnitTest::set_tester(previous);
    ASSERT_EQ(harness.reports.size(), 2u);
    EXPECT_EQ(harness.reports[0].pass, 1);
    EXPECT_EQ(harness.reports[1].pass, 0);

    // Outside an expectation a failed assertion goes to stderr and execution goes on.
    ::testing::internal::CaptureStderr();
    SY_ASSERT(false && "outside");
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("outside"), std::string::npos);
}
