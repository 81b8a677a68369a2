#pragma once

#include <cstring>
#include <memory>

#include "factory/omDocumentFactory.h"
#include "factory/omLoadOptions.h"
#include "factory/omParseError.h"
#include "platform/kuUnitTest.h"
#include "platform/syByteArray.h"

// Reporting shared by the conformance suites. A suite's source defines
// OM_UTEST_CLASS (its class name as a string literal) and opens every member
// function with OM_UTEST_FUNCTION(name); the macros below then pass the
// literal source text of the checked expression, the line, the description,
// "source/utest/<class>" and "<class>::<name>" to the running harness.

#define OM_UTEST_SOURCE "source/utest/" OM_UTEST_CLASS

#define OM_UTEST_FUNCTION(name) const char* const om_utest_function = OM_UTEST_CLASS "::" #name

// An ordinary check: reported whether it passes or not; yields the outcome.
#define OM_CHECK(expr, description)                                                                                    \
    om_utest_report((expr) ? 1 : 0, #expr, OM_UTEST_SOURCE, __LINE__, (description), om_utest_function)

// A check whose expression needs handles that may be missing: when guard does
// not hold, the expression is not evaluated and the check is reported failed.
#define OM_CHECK_IF(guard, expr, description)                                                                          \
    om_utest_report(((guard) && (expr)) ? 1 : 0, #expr, OM_UTEST_SOURCE, __LINE__, (description), om_utest_function)

// A prerequisite: silent when it holds; otherwise evaluated once more and that
// outcome reported. Yields the first outcome.
#define OM_PREREQUISITE(expr, description)                                                                             \
    om_utest_prerequisite((expr) ? 1 : 0, [&]() { return (expr) ? 1 : 0; }, #expr, OM_UTEST_SOURCE, __LINE__,          \
                          (description), om_utest_function)

#define OM_PREREQUISITE_IF(guard, expr, description)                                                                   \
    om_utest_prerequisite(((guard) && (expr)) ? 1 : 0, [&]() { return ((guard) && (expr)) ? 1 : 0; }, #expr,           \
                          OM_UTEST_SOURCE, __LINE__, (description), om_utest_function)

// Hands one check to the harness of kuUnitTest::get_tester(); without a
// harness the check is only evaluated.
inline bool om_utest_report(int pass, const char* expression, const char* source_path, int line,
                            const char* description, const char* function) {
    if (kuUnitTest* tester = kuUnitTest::get_tester())
        tester->utest_handler(pass, expression, source_path, line, description, function);
    return pass != 0;
}

template <class Again>
bool om_utest_prerequisite(int pass, Again again, const char* expression, const char* source_path, int line,
                           const char* description, const char* function) {
    if (pass)
        return true;
    om_utest_report(again(), expression, source_path, line, description, function);
    return false;
}

// Loads a narrow XML text from memory without schema validation.
inline std::shared_ptr<omDocument> om_utest_load(const omDocumentFactory& factory, const char* text) {
    syByteArray data(text, std::strlen(text));
    omLoadOptions options(omValidateOff);
    omParseError error;
    return factory.loadDocument(data, options, error);
}
