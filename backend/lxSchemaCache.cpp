#include "backend/lxSchemaCache.h"

#include <climits>
#include <cstring>

#include <libxml/xmlschemastypes.h>

#include "backend/lxFile.h"
#include "backend/lxString.h"

namespace {

const char* const k_schema_namespace = "http://www.w3.org/2001/XMLSchema";
const std::size_t k_max_entries = 8;

std::string attribute_text(const std::string& value) {
    std::string out;
    for (char c : value) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

bool is_schema_element(const xmlNode* node, const char* name) {
    return node->type == XML_ELEMENT_NODE && node->ns && xmlStrEqual(node->ns->href, BAD_CAST k_schema_namespace) &&
           xmlStrEqual(node->name, BAD_CAST name);
}

// Schema documents in use put "use" on top-level attribute declarations,
// where it has no meaning; libxml2 rejects the whole schema for it, so it is
// dropped before libxml2 sees the document. Anything else passes unchanged.
std::string without_pointless_use(const std::string& bytes, const std::string& url, lxParseSession& session) {
    if (bytes.size() > static_cast<std::size_t>(INT_MAX))
        return bytes;
    xmlParserCtxtPtr probe = xmlNewParserCtxt();
    if (!probe)
        return bytes;
    session.attach(probe);
    session.set_muted(true);
    xmlDocPtr doc =
        xmlCtxtReadMemory(probe, bytes.data(), static_cast<int>(bytes.size()), url.c_str(), nullptr, XML_PARSE_NONET);
    session.set_muted(false);
    xmlFreeParserCtxt(probe);
    if (!doc)
        return bytes;
    bool changed = false;
    xmlNodePtr root = xmlDocGetRootElement(doc);
    if (root && is_schema_element(root, "schema")) {
        for (xmlNodePtr child = root->children; child; child = child->next) {
            if (!is_schema_element(child, "attribute"))
                continue;
            if (xmlAttrPtr use = xmlHasNsProp(child, BAD_CAST "use", nullptr)) {
                xmlRemoveProp(use);
                changed = true;
            }
        }
    }
    std::string result = bytes;
    if (changed) {
        xmlChar* text = nullptr;
        int size = 0;
        xmlDocDumpMemory(doc, &text, &size);
        if (text)
            result.assign(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size));
        xmlFree(text);
    }
    xmlFreeDoc(doc);
    return result;
}

} // namespace

bool lxSchemaCache::wanted(const omLoadOptions& options) {
    return options.validate_mode() == omValidateOn &&
           (options.num_external_schemas() > 0 || !options.no_namespace_schema().empty());
}

std::shared_ptr<xmlSchema> lxSchemaCache::get(const omLoadOptions& options, lxParseSession& session) {
    std::vector<Source> sources;
    for (int i = 0; i < options.num_external_schemas(); ++i) {
        std::string ns = options.external_namespace(i).to_utf8();
        sources.push_back(Source{ns, !ns.empty(), options.external_schema(i).text().to_utf8()});
    }
    if (!options.no_namespace_schema().empty())
        sources.push_back(Source{std::string(), false, options.no_namespace_schema().text().to_utf8()});

    std::shared_ptr<const Entry> found;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const auto& entry : m_entries)
            if (entry->sources == sources) {
                found = entry;
                break;
            }
    }
    if (found && fresh(*found)) {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
            if (*it == found) {
                m_entries.splice(m_entries.begin(), m_entries, it);
                break;
            }
        return found->schema;
    }

    auto entry = std::make_shared<Entry>();
    entry->sources = sources;
    std::shared_ptr<xmlSchema> schema = compile(sources, *entry, session);
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if ((*it)->sources != sources)
            continue;
        if (*it == found) {
            m_entries.erase(it); // out of date
        } else if (schema) {
            // Another load stored this set meanwhile: its result wins.
            schema = (*it)->schema;
            m_entries.splice(m_entries.begin(), m_entries, it);
            return schema;
        }
        break;
    }
    if (!schema)
        return nullptr;
    entry->schema = schema;
    m_entries.push_front(std::move(entry));
    if (m_entries.size() > k_max_entries)
        m_entries.pop_back();
    return schema;
}

std::shared_ptr<xmlSchema> lxSchemaCache::compile(const std::vector<Source>& sources, Entry& entry,
                                                  lxParseSession& session) {
    // libxml2 builds its table of built-in types on first use, unguarded:
    // two threads compiling at once would each build one and leak the other.
    static std::once_flag types_ready;
    std::call_once(types_ready, [] { xmlSchemaInitTypes(); });
    lxParseSession compiling(lxParseSession::schema_files);
    std::string wrapper = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><xs:schema xmlns:xs=\"";
    wrapper += k_schema_namespace;
    wrapper += "\">";
    for (const Source& source : sources) {
        std::string bytes;
        std::string reason;
        if (!lxFile::read(source.path, bytes, reason)) {
            session.fail("cannot read schema file '" + source.path + "': " + reason, source.path);
            return nullptr;
        }
        entry.files.emplace_back(source.path, bytes);
        std::string uri = lxParseSession::file_uri(source.path);
        compiling.provide(uri, without_pointless_use(bytes, uri, compiling), source.path);
        // Each external schema is imported for its namespace; the no-namespace one is included.
        if (source.has_namespace)
            wrapper += "<xs:import namespace=\"" + attribute_text(source.ns) + "\" schemaLocation=\"" +
                       attribute_text(uri) + "\"/>";
        else
            wrapper += "<xs:include schemaLocation=\"" + attribute_text(uri) + "\"/>";
    }
    wrapper += "</xs:schema>";
    compiling.set_filter([&compiling](const std::string& bytes, const std::string& url) {
        return without_pointless_use(bytes, url, compiling);
    });

    xmlSchemaParserCtxtPtr parser = xmlSchemaNewMemParserCtxt(wrapper.data(), static_cast<int>(wrapper.size()));
    xmlSchemaPtr compiled = nullptr;
    if (parser) {
        compiling.attach(parser);
        compiled = xmlSchemaParse(parser);
        xmlSchemaFreeParserCtxt(parser);
    }
    if (compiling.failed() || !compiled) {
        if (compiled)
            xmlSchemaFree(compiled);
        const lxParseSession::Failure& failure = compiling.failure();
        std::string message = compiling.failed() ? failure.message : "the schemas could not be compiled";
        session.fail("schema error: " + message, failure.url, failure.line, failure.column);
        return nullptr;
    }
    for (const auto& file : compiling.files_read())
        entry.files.push_back(file);
    return std::shared_ptr<xmlSchema>(compiled, &xmlSchemaFree);
}

bool lxSchemaCache::fresh(const Entry& entry) {
    for (const auto& file : entry.files) {
        std::string bytes;
        std::string reason;
        if (!lxFile::read(file.first, bytes, reason) || bytes != file.second)
            return false;
    }
    return true;
}
