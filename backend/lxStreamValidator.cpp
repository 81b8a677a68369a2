#include "backend/lxStreamValidator.h"

#include <mutex>

#include <libxml/parser.h>

#include "backend/lxLoader.h"
#include "backend/lxParseSession.h"
#include "backend/lxSchemaCache.h"

namespace {

lxLoadMode check_mode(bool huge_input, std::vector<omParseError>* further, std::size_t max_errors) {
    lxLoadMode mode;
    mode.huge_input = huge_input;
    mode.keep_tree = false;
    mode.further = further;
    mode.max_errors = max_errors;
    return mode;
}

// What a check leaves: a document without elements (its document type only).
bool passed(xmlDocPtr doc) {
    if (!doc)
        return false;
    xmlFreeDoc(doc);
    return true;
}

} // namespace

lxStreamValidator::lxStreamValidator() : m_schemas(std::make_unique<lxSchemaCache>()) {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

lxStreamValidator::~lxStreamValidator() = default;

bool lxStreamValidator::prepare(const omLoadOptions& options, omParseError& error) const {
    error = omParseError();
    if (!lxSchemaCache::wanted(options))
        return true;
    lxParseSession session(lxParseSession::no_resources);
    if (m_schemas->get(options, session))
        return true;
    session.fill(error, std::string());
    return false;
}

bool lxStreamValidator::check(const syPath& path, const omLoadOptions& options, omParseError& error,
                              std::vector<omParseError>* further, std::size_t max_errors) const {
    return passed(lxLoader::load_file(path.text().to_utf8(), options, *m_schemas, error,
                                      check_mode(m_huge_input, further, max_errors)));
}

bool lxStreamValidator::check(const syByteArray& data, const omLoadOptions& options, omParseError& error,
                              std::vector<omParseError>* further, std::size_t max_errors) const {
    return passed(lxLoader::load(data.data(), data.size(), options, *m_schemas, error,
                                 check_mode(m_huge_input, further, max_errors)));
}
