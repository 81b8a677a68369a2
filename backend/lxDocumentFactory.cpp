#include "backend/lxDocumentFactory.h"

#include <mutex>
#include <string>

#include <libxml/parser.h>

#include "backend/lxDocumentOwner.h"
#include "backend/lxLoader.h"
#include "backend/lxNode.h"
#include "backend/lxSchemaCache.h"
#include "backend/lxSerializer.h"
#include "backend/lxString.h"
#include "platform/syAssert.h"

namespace {

void initialise_libxml2() {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

std::shared_ptr<omDocument> adopt(xmlDocPtr doc) {
    if (!doc)
        return nullptr;
    return std::make_shared<lxDocumentOwner>(doc)->document();
}

// The libxml2 document behind a document handle of this back-end, or null.
xmlDocPtr doc_of(const std::shared_ptr<omDocument>& document) {
    const lxNodeRef* ref = lxNodeRef::of(document.get());
    if (!ref || ref->xml_node()->type != XML_DOCUMENT_NODE)
        return nullptr;
    return ref->owner()->doc();
}

} // namespace

lxDocumentFactory::lxDocumentFactory() : m_schemas(std::make_unique<lxSchemaCache>()) { initialise_libxml2(); }

lxDocumentFactory::~lxDocumentFactory() = default;

std::shared_ptr<omDocument> lxDocumentFactory::createDocument(const syString& rootName) const {
    std::string name = rootName.to_utf8();
    bool valid_root_name = xmlValidateQName(lxString::xml(name), 0) == 0;
    SY_ASSERT(valid_root_name);
    xmlDocPtr doc = xmlNewDoc(BAD_CAST "1.0");
    if (!doc)
        return nullptr;
    xmlNodePtr root = xmlNewDocNode(doc, nullptr, lxString::xml(name), nullptr);
    if (root)
        xmlDocSetRootElement(doc, root);
    return adopt(doc);
}

std::shared_ptr<omDocument> lxDocumentFactory::loadDocument(const syPath& path, const omLoadOptions& options,
                                                            omParseError& error) const {
    lxLoadMode mode;
    mode.huge_input = m_huge_input;
    return adopt(lxLoader::load_file(path.text().to_utf8(), options, *m_schemas, error, mode));
}

std::shared_ptr<omDocument> lxDocumentFactory::loadDocument(const syByteArray& data, const omLoadOptions& options,
                                                            omParseError& error) const {
    lxLoadMode mode;
    mode.huge_input = m_huge_input;
    return adopt(lxLoader::load(data.data(), data.size(), options, *m_schemas, error, mode));
}

bool lxDocumentFactory::saveDocument(std::shared_ptr<omDocument> document, syByteArray& output) {
    xmlDocPtr doc = doc_of(document);
    return doc && lxSerializer::save(doc, output);
}

bool lxDocumentFactory::saveDocument(std::shared_ptr<omDocument> document, const syPath& path) {
    xmlDocPtr doc = doc_of(document);
    return doc && lxSerializer::save(doc, path.text().to_utf8());
}

std::shared_ptr<omDocumentFactory> lx_register_xml_service() {
    auto factory = std::make_shared<lxDocumentFactory>();
    kuService::get_instance()->register_service(kuServiceName(kuString("XMLService")), factory);
    return factory;
}
