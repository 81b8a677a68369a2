#pragma once

/// @file
/// The document factory interface and its look-up in the service registry.

#include "omxmlExport.h"

#include <memory>

#include "dom/omDocument.h"
#include "factory/omLoadOptions.h"
#include "factory/omParseError.h"
#include "platform/kuService.h"
#include "platform/syByteArray.h"
#include "platform/syPath.h"

/// The entry point to the document model: creates, loads and saves documents.
/// A document back-end registers its factory with kuService::get_instance()
/// under "XMLService"; callers find it with `locate_service<omDocumentFactory>`.
///
/// Threads: one factory serves any number of threads at once. Loads, with or
/// without validation, and saves of different documents run in parallel;
/// saving a document only reads it, so several threads may save (and read) the
/// same document at once, but not while another thread changes it.
class OMXML_API omDocumentFactory : public kuService {
public:
    /// A factory not yet registered.
    omDocumentFactory() = default;
    /// Destroys the factory; documents it made stay usable.
    ~omDocumentFactory() override = 0;

    /// A new document whose root element is named rootName; never empty.
    virtual std::shared_ptr<omDocument> createDocument(const syString& rootName) const = 0;
    /// Loads the file at path (used unchanged). On failure: an empty handle
    /// and error filled with a message (and url, line, column where known).
    virtual std::shared_ptr<omDocument> loadDocument(const syPath& path, const omLoadOptions& options,
                                                     omParseError& error) const = 0;
    /// The same for UTF-8 XML text held in memory.
    virtual std::shared_ptr<omDocument> loadDocument(const syByteArray& data, const omLoadOptions& options,
                                                     omParseError& error) const = 0;
    /// Writes document as UTF-8 XML into output (replacing its bytes); false when it cannot be written (output
    /// is then unspecified). Only reads the document.
    virtual bool saveDocument(std::shared_ptr<omDocument> document, syByteArray& output) = 0;
    /// Writes the file at path; false when it cannot be written.
    virtual bool saveDocument(std::shared_ptr<omDocument> document, const syPath& path) = 0;
};

inline omDocumentFactory::~omDocumentFactory() = default;

/// The registry's typed look-up for document factories.
template <>
OMXML_API std::shared_ptr<omDocumentFactory> kuService::locate_service<omDocumentFactory>(const kuServiceName& name,
                                                                                          kuServiceName& working);
