#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <libxml/parser.h>
#include <libxml/xmlschemas.h>

#include "backend/lxCompat.h"
#include "backend/lxFile.h"
#include "factory/omParseError.h"

// The scope of one libxml2 parse on the current thread: collects the first
// failure that libxml2 (or the back-end) reports (and, when asked, the ones
// after it), and decides which external resources may be read. Parser
// contexts are given its handlers with attach; where libxml2 keeps them per
// thread instead (older releases), the session installs them there for its
// lifetime and then puts the previous ones back, so nothing outside the
// session changes.
class lxParseSession {
public:
    enum Resources {
        no_resources, // nothing outside the document is ever read
        local_files,  // local files by name; never the network
        schema_files, // like local_files, and schema documents pass the schema filter
    };

    struct Failure {
        std::string message;
        std::string url;
        int line = -1;
        int column = -1;
    };
    // A file read through the session, with its state when it was read.
    struct FileRead {
        std::string path;
        std::string bytes;
        lxFile::Stamp stamp;
    };

    explicit lxParseSession(Resources resources);
    lxParseSession(const lxParseSession&) = delete;
    lxParseSession& operator=(const lxParseSession&) = delete;
    ~lxParseSession();

    // The first failure counts; later ones are kept only up to the number
    // set_max_failures allows (one unless told), and ignored after that.
    void fail(const std::string& message, const std::string& url = std::string(), int line = -1, int column = -1);
    bool failed() const { return m_failed; }
    // Whether no further failure would be kept.
    bool saturated() const { return m_failed && m_further.size() + 1 >= m_max_failures; }
    void set_max_failures(std::size_t max) { m_max_failures = max > 0 ? max : 1; }
    const Failure& failure() const { return m_failure; }
    // Fills a parse error from the failure; default_url stands in for a missing url.
    void fill(omParseError& error, const std::string& default_url) const;
    // Appends a parse error for each failure after the first.
    void fill_further(std::vector<omParseError>& errors, const std::string& default_url) const;
    // The words that a failure met at one of libxml2's size limits ends with.
    static std::string lifted_by_huge_input(const std::string& what);

    // A document served for uri without reading any file; reports on it name
    // it by name, when given (the file name as the caller wrote it).
    void provide(const std::string& uri, std::string bytes, const std::string& name = std::string()) {
        m_provided[uri] = std::move(bytes);
        if (!name.empty())
            m_names[uri] = name;
    }
    // Rewrites each resource read (bytes, url) before libxml2 parses it.
    void set_filter(std::function<std::string(const std::string&, const std::string&)> filter) {
        m_filter = std::move(filter);
    }
    // The files read through the session: (file name, bytes as read).
    const std::vector<FileRead>& files_read() const { return m_files_read; }
    // Whether a resource was asked for that could not be read.
    bool missed_a_resource() const { return m_missed_a_resource; }
    // Bytes of the external resources read so far.
    unsigned long long resource_bytes() const { return m_resource_bytes; }
    // While muted, libxml2's reports are dropped (for the session's own probes).
    void set_muted(bool muted) { m_muted = muted; }
    // While set, schema validity faults are placed where this parser stands:
    // a validator fed by the parser's callbacks knows no position of its own.
    void set_position(const xmlParserCtxt* parser) { m_position = parser; }

    // Sends the reports and resource reads of a parser context to this session.
    void attach(xmlParserCtxtPtr ctxt) { lxCompat::set_hooks<&lxParseSession::read_resource>(ctxt, &report); }
    void attach(xmlSchemaParserCtxtPtr ctxt) {
        lxCompat::set_hooks<&lxParseSession::read_resource, &lxParseSession::active>(ctxt, &report);
    }

    // Structured error handler for libxml2; reports reach the session of the current thread.
    static void report(void* data, lxCompat::Error error);
    // The local file name of a "file:" URI or plain path; empty for any other scheme.
    static std::string file_name(const std::string& uri);
    // A "file:" URI for a file name, made absolute and percent-escaped.
    static std::string file_uri(const std::string& name);

private:
    static bool read_resource(const char* uri, std::string& bytes);
    // Whether a session is open on the calling thread.
    static bool active();

    Resources m_resources;
    bool m_failed = false;
    bool m_muted = false;
    bool m_missed_a_resource = false;
    std::size_t m_max_failures = 1;
    std::vector<Failure> m_further;
    unsigned long long m_resource_bytes = 0;
    const xmlParserCtxt* m_position = nullptr;
    Failure m_failure;
    std::map<std::string, std::string> m_provided;
    std::map<std::string, std::string> m_names;
    std::function<std::string(const std::string&, const std::string&)> m_filter;
    std::vector<FileRead> m_files_read;

    lxParseSession* m_previous;
    lxCompat::ThreadHooks<&lxParseSession::read_resource> m_thread_hooks;
};
