#include "backend/lxSchemaCache.h"

#include <algorithm>
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
    std::shared_ptr<const Entry> updated;
    const Freshness state = found ? freshness(*found, updated) : changed;
    if (state != changed) {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
            if (*it == found) {
                if (updated)
                    *it = updated;
                m_entries.splice(m_entries.begin(), m_entries, it);
                break;
            }
        return use(*found, session);
    }

    auto entry = std::make_shared<Entry>();
    entry->sources = sources;
    const bool keep = compile(*entry);
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if ((*it)->sources != sources)
            continue;
        if (*it == found) {
            m_entries.erase(it); // out of date
        } else {
            // Another load stored this set meanwhile: its result wins.
            std::shared_ptr<const Entry> stored = *it;
            m_entries.splice(m_entries.begin(), m_entries, it);
            return use(*stored, session);
        }
        break;
    }
    if (keep) {
        m_entries.push_front(entry);
        if (m_entries.size() > k_max_entries)
            m_entries.pop_back();
    }
    return use(*entry, session);
}

std::shared_ptr<xmlSchema> lxSchemaCache::use(const Entry& entry, lxParseSession& session) {
    if (!entry.schema)
        session.fail(entry.failure.message, entry.failure.url, entry.failure.line, entry.failure.column);
    return entry.schema;
}

bool lxSchemaCache::compile(Entry& entry) {
    // libxml2 builds its table of built-in types on first use, unguarded:
    // two threads compiling at once would each build one and leak the other.
    static std::once_flag types_ready;
    std::call_once(types_ready, [] { xmlSchemaInitTypes(); });
    lxParseSession compiling(lxParseSession::schema_files);
    auto failed = [&entry](const std::string& message, const std::string& url, int line, int column) {
        entry.failure = lxParseSession::Failure{"schema error: " + message, url, line, column};
        // Reported against the schema file as the caller named it.
        for (const Source& source : entry.sources)
            if (!url.empty() && lxParseSession::file_name(lxParseSession::file_uri(source.path)) == url)
                entry.failure.url = source.path;
    };
    const std::string head =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><xs:schema xmlns:xs=\"" + std::string(k_schema_namespace) + "\"";
    std::string wrapper = head + ">";
    std::vector<std::string> done; // namespaces (with a leading mark) already in the wrapper
    for (const Source& source : entry.sources) {
        std::string bytes;
        std::string reason;
        lxFile::Stamp stamp;
        if (!lxFile::read(source.path, bytes, reason, true, &stamp)) {
            entry.failure = lxParseSession::Failure{"cannot read schema file '" + source.path + "': " + reason,
                                                    source.path, -1, -1};
            return false;
        }
        entry.files.push_back(lxParseSession::FileRead{source.path, bytes, stamp});
        std::string uri = lxParseSession::file_uri(source.path);
        compiling.provide(uri, without_pointless_use(bytes, uri, compiling), source.path);
        if (!source.has_namespace) {
            wrapper += "<xs:include schemaLocation=\"" + attribute_text(uri) + "\"/>";
            continue;
        }
        // Each namespace is imported once: from its schema, or from one that
        // includes all its schemas (libxml2 skips a second import).
        const std::string mark = "+" + source.ns;
        if (std::find(done.begin(), done.end(), mark) != done.end())
            continue;
        done.push_back(mark);
        std::vector<std::string> paths;
        for (const Source& other : entry.sources)
            if (other.has_namespace && other.ns == source.ns &&
                std::find(paths.begin(), paths.end(), other.path) == paths.end())
                paths.push_back(other.path);
        std::string location = uri;
        if (paths.size() > 1) {
            location = uri + ".all-of-namespace.xsd";
            std::string all = head + " targetNamespace=\"" + attribute_text(source.ns) + "\">";
            for (const std::string& path : paths)
                all += "<xs:include schemaLocation=\"" + attribute_text(lxParseSession::file_uri(path)) + "\"/>";
            compiling.provide(location, all + "</xs:schema>");
        }
        wrapper += "<xs:import namespace=\"" + attribute_text(source.ns) + "\" schemaLocation=\"" +
                   attribute_text(location) + "\"/>";
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
    for (const auto& file : compiling.files_read())
        entry.files.push_back(file);
    if (compiling.failed() || !compiled) {
        if (compiled)
            xmlSchemaFree(compiled);
        const lxParseSession::Failure& failure = compiling.failure();
        failed(compiling.failed() ? failure.message : "the schemas could not be compiled", failure.url, failure.line,
               failure.column);
        return !compiling.missed_a_resource();
    }
    entry.schema = std::shared_ptr<xmlSchema>(compiled, &xmlSchemaFree);
    return true;
}

lxSchemaCache::Freshness lxSchemaCache::freshness(const Entry& entry, std::shared_ptr<const Entry>& updated) {
    std::shared_ptr<Entry> copy;
    for (std::size_t i = 0; i < entry.files.size(); ++i) {
        const lxParseSession::FileRead& file = entry.files[i];
        lxFile::Stamp now;
        if (lxFile::stamp(file.path, now) && now == file.stamp)
            continue;
        std::string bytes;
        std::string reason;
        if (!lxFile::read(file.path, bytes, reason, true, &now) || bytes != file.bytes)
            return changed;
        if (!copy)
            copy = std::make_shared<Entry>(entry);
        copy->files[i].stamp = now;
    }
    updated = copy;
    return copy ? touched : unchanged;
}
