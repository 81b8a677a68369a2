#pragma once

/// @file
/// Conformance suite of document factories.

#include "omxmlExport.h"

#include <memory>
#include <vector>

#include "factory/omDocumentFactory.h"
#include "platform/kuString.h"
#include "platform/syByteArray.h"
#include "platform/syPath.h"
#include "platform/syString.h"

class kuUnitTest;

/// Conformance suite of a document factory and the documents it makes. Every
/// case runs twice: on the factory given, then on the one located as
/// "XMLService" after registering it.
class OMXML_API omDocumentFactoryUtest {
public:
    /// A suite whose messages about failed loads go to tester (null for none). Checks are reported to the
    /// harness that kuUnitTest::set_tester installed.
    explicit omDocumentFactoryUtest(kuUnitTest* tester);
    /// Destroys the suite; the files its cases wrote stay on disk.
    ~omDocumentFactoryUtest();

    /// Runs every case on factory, then registers factory as "XMLService", locates it again and runs every case
    /// on the located factory. Writes its data files into the working directory. Failures are reported, never
    /// thrown.
    void run_tests(std::shared_ptr<omDocumentFactory> factory) const;

protected:
    /// Runs every case once on factory.
    void do_run_tests(std::shared_ptr<omDocumentFactory> factory) const;
    /// @name Cases
    /// @{

    /// One case of the suite, run by run_tests: it builds or loads its own documents through
    /// factory and reports every check to the harness of kuUnitTest::get_tester().
    void test_create(std::shared_ptr<omDocumentFactory> factory) const;
    void test_attributes(std::shared_ptr<omDocumentFactory> factory) const;
    void test_nodes(std::shared_ptr<omDocumentFactory> factory) const;
    void test_from_memory(std::shared_ptr<omDocumentFactory> factory) const;
    void test_remove_white(std::shared_ptr<omDocumentFactory> factory) const;
    void test_save(std::shared_ptr<omDocumentFactory> factory) const;
    void test_get_xml(std::shared_ptr<omDocumentFactory> factory) const;
    void test_create_comments(std::shared_ptr<omDocumentFactory> factory) const;
    void test_read_bad(std::shared_ptr<omDocumentFactory> factory) const;
    void test_write_bad(std::shared_ptr<omDocumentFactory> factory) const;
    void test_exotic_filenames(std::shared_ptr<omDocumentFactory> factory) const;
    void test_service(std::shared_ptr<omDocumentFactory> factory) const;
    /// @}
    /// Both steps return true: the caller's check records that the step ran,
    /// the step's own checks carry the verdict.
    bool do_remove_white_test(std::shared_ptr<omDocumentFactory> factory, const syByteArray& data,
                              const std::vector<syString>& expected) const;
    /// Saves and loads back a document at path (description names the case): true once done; its own checks
    /// carry the verdict.
    bool do_exotic_filename_test(std::shared_ptr<omDocumentFactory> factory, const syPath& path,
                                 const kuString& description) const;

private:
    kuUnitTest* m_tester;
};
