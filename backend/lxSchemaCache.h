#pragma once

#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <libxml/xmlschemas.h>

#include "backend/lxParseSession.h"
#include "factory/omLoadOptions.h"

// Compiled schema sets by the schemas that load options name: each external
// schema for its namespace, the no-namespace schema for elements without one.
// Several schemas for one namespace are compiled together, as one schema of
// that namespace including them all. A set is compiled once and reused while
// every file it was built from still holds the same bytes; a set that failed
// to compile is remembered too, with its failure. A file counts as unchanged
// while its identity, size and times of change are the ones it had when read,
// and is read again (and compared) only when they differ.
//
// Threads: any number of loads may use the cache at once. The lock guards
// only the list of entries; files are read and schemas compiled outside it,
// so two loads that need the same new set may both compile it, and the
// first result stored is the one kept.
class lxSchemaCache {
public:
    lxSchemaCache() = default;
    lxSchemaCache(const lxSchemaCache&) = delete;
    lxSchemaCache& operator=(const lxSchemaCache&) = delete;
    ~lxSchemaCache() = default;

    // Whether options ask for validation against at least one schema.
    static bool wanted(const omLoadOptions& options);
    // The compiled schemas of options; null after reporting the reason to session.
    std::shared_ptr<xmlSchema> get(const omLoadOptions& options, lxParseSession& session);

private:
    struct Source {
        std::string ns;
        bool has_namespace;
        std::string path;
        bool operator==(const Source& other) const {
            return ns == other.ns && has_namespace == other.has_namespace && path == other.path;
        }
    };
    struct Entry {
        std::vector<Source> sources;
        std::vector<lxParseSession::FileRead> files; // every file the set was built from, as read
        std::shared_ptr<xmlSchema> schema;           // null when the set failed to compile
        lxParseSession::Failure failure;             // then why
    };
    enum Freshness { unchanged, touched, changed };

    // Compiles the set into entry; false when the result must not be kept
    // (a file could not be read, so nothing tells when it can).
    static bool compile(Entry& entry);
    // touched: every file holds its bytes, but some stamps moved; updated
    // then holds the entry with the new stamps.
    static Freshness freshness(const Entry& entry, std::shared_ptr<const Entry>& updated);
    static std::shared_ptr<xmlSchema> use(const Entry& entry, lxParseSession& session);

    // Entries never change once stored, so a found one is used outside the lock.
    std::mutex m_mutex;
    std::list<std::shared_ptr<const Entry>> m_entries;
};
