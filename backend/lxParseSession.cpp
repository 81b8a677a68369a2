#include "backend/lxParseSession.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "backend/lxFile.h"
#include "backend/lxString.h"

namespace {

thread_local lxParseSession* t_session = nullptr;

// libxml2's text on one line: each run of line breaks (and the blanks
// around them) becomes one blank, and trailing space goes.
std::string one_line(const char* text) {
    std::string s;
    for (const char* p = text ? text : ""; *p; ++p) {
        if (*p != '\n' && *p != '\r') {
            s += *p;
            continue;
        }
        while (!s.empty() && s.back() == ' ')
            s.pop_back();
        while (p[1] == '\n' || p[1] == '\r' || p[1] == ' ')
            ++p;
        if (p[1] && !s.empty())
            s += ' ';
    }
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.pop_back();
    return s;
}

// libxml2's words for its size limits, which name a flag of its own, in ours.
std::string limit_in_our_words(const std::string& message) {
    const std::string depth = "Excessive depth in document: ";
    if (message.compare(0, depth.size(), depth) == 0)
        return lxParseSession::lifted_by_huge_input("element nesting depth over " +
                                                    std::to_string(std::atoi(message.c_str() + depth.size())));
    if (message.find("huge text node") != std::string::npos || message.find("Text node too long") != std::string::npos)
        return lxParseSession::lifted_by_huge_input("a text longer than 10000000 bytes");
    if (message.find("Huge input lookup") != std::string::npos)
        return lxParseSession::lifted_by_huge_input("a piece of markup longer than 10000000 bytes");
    for (const std::string hint : {" use XML_PARSE_HUGE option", ", try XML_PARSE_HUGE"}) {
        const std::size_t at = message.find(hint);
        if (at == std::string::npos)
            continue;
        const std::string prefix = "Resource limit exceeded: ";
        const std::size_t from = message.compare(0, prefix.size(), prefix) == 0 ? prefix.size() : 0;
        return lxParseSession::lifted_by_huge_input(message.substr(from, at - from) + message.substr(at + hint.size()));
    }
    return message;
}

int hex_value(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string percent_decoded(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hex_value(text[i + 1]) >= 0 && hex_value(text[i + 2]) >= 0) {
            out += static_cast<char>(hex_value(text[i + 1]) * 16 + hex_value(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// "scheme:" at the start of a URI, lower-cased; empty for a plain file name.
std::string scheme_of(const std::string& uri) {
    std::size_t i = 0;
    while (i < uri.size() &&
           (std::isalnum(static_cast<unsigned char>(uri[i])) || uri[i] == '+' || uri[i] == '-' || uri[i] == '.'))
        ++i;
    // One letter before a colon is a drive or a file name, not a scheme.
    if (i < 2 || i >= uri.size() || uri[i] != ':' || !std::isalpha(static_cast<unsigned char>(uri[0])))
        return std::string();
    std::string scheme = uri.substr(0, i);
    for (char& c : scheme)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return scheme;
}

std::string network_refusal(const std::string& uri) { return "not loaded, the network is never used: " + uri; }

} // namespace

lxParseSession::lxParseSession(Resources resources)
    : m_resources(resources), m_previous(t_session), m_thread_hooks(&lxParseSession::report) {
    t_session = this;
}

lxParseSession::~lxParseSession() { t_session = m_previous; }

bool lxParseSession::active() { return t_session != nullptr; }

void lxParseSession::fail(const std::string& message, const std::string& url, int line, int column) {
    if (m_failed) {
        // An empty message only stops a parse that has already failed.
        if (!message.empty() && !saturated())
            m_further.push_back(Failure{message, url, line, column});
        return;
    }
    m_failed = true;
    m_failure.message = message;
    m_failure.url = url;
    m_failure.line = line;
    m_failure.column = column;
}

void lxParseSession::fill(omParseError& error, const std::string& default_url) const {
    error = omParseError(lxString::from_xml(m_failure.message.data(), m_failure.message.size()));
    const std::string& url = m_failure.url.empty() ? default_url : m_failure.url;
    error.set_url(lxString::from_xml(url.data(), url.size()));
    error.set_line_number(m_failure.line);
    error.set_column_number(m_failure.column);
}

void lxParseSession::fill_further(std::vector<omParseError>& errors, const std::string& default_url) const {
    for (const Failure& failure : m_further) {
        omParseError error(lxString::from_xml(failure.message.data(), failure.message.size()));
        const std::string& url = failure.url.empty() ? default_url : failure.url;
        error.set_url(lxString::from_xml(url.data(), url.size()));
        error.set_line_number(failure.line);
        error.set_column_number(failure.column);
        errors.push_back(error);
    }
}

std::string lxParseSession::lifted_by_huge_input(const std::string& what) {
    return what + ", a limit for untrusted input (trusted input may lift it: set_huge_input, omxml validate --huge)";
}

void lxParseSession::report(void*, lxCompat::Error error) {
    lxParseSession* session = t_session;
    if (!session || !error)
        return;
    // However libxml2 came to read it, a resource it could not read may be there next time.
    if (error->domain == XML_FROM_IO)
        session->m_missed_a_resource = true;
    if (session->m_muted || session->saturated())
        return;
    bool fatal = error->level >= XML_ERR_ERROR;
    // A resource that could not be read would silently be missing from the result.
    if (error->domain == XML_FROM_IO)
        fatal = true;
    // A schema import that libxml2 skips would leave its namespace unchecked.
    if (error->domain == XML_FROM_SCHEMASP &&
        (error->code == XML_SCHEMAP_WARN_SKIP_SCHEMA || error->code == XML_SCHEMAP_WARN_UNLOCATED_SCHEMA))
        fatal = true;
    if (!fatal)
        return;
    // Older libxml2 refuses a document type from the network itself: the refusal is told in the back-end's words.
    if (error->code == XML_IO_NETWORK_ATTEMPT && error->str1) {
        session->fail(network_refusal(error->str1), error->str1);
        return;
    }
    std::string url = error->file ? error->file : "";
    auto named = session->m_names.find(url);
    if (named != session->m_names.end())
        url = named->second;
    else if (scheme_of(url) == "file")
        url = file_name(url);
    int line = error->line;
    int column = error->int2;
    if (error->domain == XML_FROM_SCHEMASV && session->m_position) {
        lxCompat::Place at = lxCompat::place(session->m_position, 0);
        line = at.line;
        column = at.column;
    }
    session->fail(limit_in_our_words(one_line(error->message)), url, line > 0 ? line : -1, column > 0 ? column : -1);
}

std::string lxParseSession::file_name(const std::string& uri) {
    std::string scheme = scheme_of(uri);
    if (scheme.empty())
        return uri;
    if (scheme != "file")
        return std::string();
    std::string rest = uri.substr(5);
    if (rest.compare(0, 11, "//localhost") == 0)
        rest.erase(0, 11);
#ifdef _WIN32
    // file:///C:/a is C:/a; file://server/share/a is the UNC name //server/share/a.
    else if (rest.compare(0, 3, "///") != 0 && rest.compare(0, 2, "//") == 0)
        return percent_decoded(rest);
    else if (rest.compare(0, 2, "//") == 0)
        rest.erase(0, 2);
    if (rest.size() >= 3 && rest[0] == '/' && std::isalpha(static_cast<unsigned char>(rest[1])) &&
        (rest[2] == ':' || rest.compare(2, 3, "%3A") == 0 || rest.compare(2, 3, "%3a") == 0))
        rest.erase(0, 1);
#else
    else if (rest.compare(0, 2, "//") == 0)
        rest.erase(0, 2);
#endif
    return percent_decoded(rest);
}

std::string lxParseSession::file_uri(const std::string& name) {
    std::string absolute = lxFile::absolute(name);
    std::string uri = "file://";
    std::size_t drive_colon = std::string::npos;
#ifdef _WIN32
    // The prefix of long names is no part of the file's name in a URI.
    if (absolute.compare(0, 8, "\\\\?\\UNC\\") == 0)
        absolute = "\\\\" + absolute.substr(8);
    else if (absolute.compare(0, 4, "\\\\?\\") == 0)
        absolute.erase(0, 4);
    for (char& c : absolute)
        if (c == '\\')
            c = '/';
    // A drive's path goes below the empty host (file:///C:/a); a UNC name
    // (//server/share/a) names its host itself.
    if (absolute.compare(0, 2, "//") == 0)
        uri = "file:";
    else
        uri += '/';
    if (absolute.size() >= 2 && absolute[1] == ':')
        drive_colon = 1;
#endif
    static const char hex[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < absolute.size(); ++i) {
        char c = absolute[i];
        auto b = static_cast<unsigned char>(c);
        if (std::isalnum(b) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~' || i == drive_colon) {
            uri += c;
        } else {
            uri += '%';
            uri += hex[b >> 4];
            uri += hex[b & 0xF];
        }
    }
    return uri;
}

bool lxParseSession::read_resource(const char* uri, std::string& bytes) {
    lxParseSession* session = t_session;
    if (!session || session->m_resources == no_resources)
        return false;
    std::string name = uri;
    auto provided = session->m_provided.find(name);
    if (provided != session->m_provided.end()) {
        bytes = provided->second;
    } else {
        std::string path = file_name(name);
        if (path.empty()) {
            session->m_missed_a_resource = true;
            session->fail(network_refusal(name), name);
            return false;
        }
        std::string error;
        lxFile::Stamp stamp;
        bool read = lxFile::read(path, bytes, error, true, &stamp);
        // A name built from a URI may carry escapes that the file name does not.
        if (!read && path.find('%') != std::string::npos) {
            path = percent_decoded(path);
            read = lxFile::read(path, bytes, error, true, &stamp);
        }
        if (!read) {
            session->m_missed_a_resource = true;
            session->fail("cannot read '" + path + "': " + error, name);
            return false;
        }
        session->m_files_read.push_back(FileRead{path, bytes, stamp});
        if (session->m_resources == schema_files && session->m_filter)
            bytes = session->m_filter(bytes, name);
    }
    session->m_resource_bytes += bytes.size();
    return true;
}
