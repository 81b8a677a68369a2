#pragma once

/// @file
/// The libxml2 back-end's document factory and its registration as "XMLService".

#include "omxmlExport.h"

#include <memory>

#include "factory/omDocumentFactory.h"

class lxSchemaCache;

/// The document factory of the libxml2 back-end. Safe to use from any number
/// of threads at once (see omDocumentFactory); compiled schema sets are shared
/// between loads through a cache that never holds its lock while compiling.
class OMXML_BACKEND_API lxDocumentFactory : public omDocumentFactory {
public:
    lxDocumentFactory();
    ~lxDocumentFactory() override;

    std::shared_ptr<omDocument> createDocument(const syString& rootName) const override;
    std::shared_ptr<omDocument> loadDocument(const syPath& path, const omLoadOptions& options,
                                             omParseError& error) const override;
    std::shared_ptr<omDocument> loadDocument(const syByteArray& data, const omLoadOptions& options,
                                             omParseError& error) const override;
    /// UTF-8 with an XML declaration; false for a document without document element.
    bool saveDocument(std::shared_ptr<omDocument> document, syByteArray& output) override;
    /// Through a temporary file renamed over path: a failed save leaves the old file as it was.
    bool saveDocument(std::shared_ptr<omDocument> document, const syPath& path) override;

    /// For trusted input only: loads lift libxml2's limits of element depth
    /// (256) and of the size of one text (10 MB). Elements nested deeper than
    /// 100 000 levels (2048 with libxml2 2.11 and later) still fail a load. Set it before loads run.
    void set_huge_input(bool huge) { m_huge_input = huge; }
    /// Whether set_huge_input lifted the limits.
    bool huge_input() const { return m_huge_input; }

private:
    std::unique_ptr<lxSchemaCache> m_schemas;
    bool m_huge_input = false;
};

/// Creates a factory, registers it with kuService::get_instance() under
/// "XMLService" and returns it.
OMXML_BACKEND_API std::shared_ptr<omDocumentFactory> lx_register_xml_service();
