#pragma once

// Shared steps of the back-end tests: one factory, loading inline XML,
// temporary directories and counting assertion reports.

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <ftw.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "backend/lxDocumentFactory.h"
#include "dom/omCharacterData.h"
#include "dom/omDocument.h"
#include "dom/omElement.h"
#include "dom/omNamedNodeMap.h"
#include "dom/omNodeList.h"
#include "platform/syAssert.h"
#include "platform/syByteArray.h"
#include "platform/syPath.h"

inline const std::shared_ptr<omDocumentFactory>& test_factory() {
    static const std::shared_ptr<omDocumentFactory> factory = std::make_shared<lxDocumentFactory>();
    return factory;
}

inline syByteArray bytes_of(const std::string& text) { return syByteArray(text.data(), text.size()); }

inline std::string utf8(const syString& text) { return text.to_utf8(); }

inline syString wide(const std::string& utf8_text) { return syString::from_utf8(utf8_text); }

// Loads inline XML from memory; error receives the parse error.
inline std::shared_ptr<omDocument> load_xml(const std::string& xml, omParseError& error,
                                            const omLoadOptions& options = omLoadOptions()) {
    return test_factory()->loadDocument(bytes_of(xml), options, error);
}

inline std::shared_ptr<omDocument> load_xml(const std::string& xml, const omLoadOptions& options = omLoadOptions()) {
    omParseError error;
    return load_xml(xml, error, options);
}

inline std::shared_ptr<omNode> as_node(const std::shared_ptr<omElement>& element) { return element; }

// A fresh directory under the system's temporary directory, removed with
// everything in it at the end of the test.
class TempDir {
public:
    TempDir() {
        std::string pattern = ::testing::TempDir();
        if (!pattern.empty() && pattern.back() != '/')
            pattern += '/';
        pattern += "omxml-test-XXXXXX";
        if (::mkdtemp(&pattern[0]))
            m_path = pattern;
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        if (!m_path.empty())
            ::nftw(m_path.c_str(), &remove_entry, 16, FTW_DEPTH | FTW_PHYS);
    }

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

    static bool write(const std::string& name, const std::string& bytes) {
        std::FILE* f = std::fopen(name.c_str(), "wb");
        if (!f)
            return false;
        bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        return std::fclose(f) == 0 && ok;
    }
    static std::string read(const std::string& name) {
        std::string bytes;
        std::FILE* f = std::fopen(name.c_str(), "rb");
        if (!f)
            return bytes;
        char chunk[4096];
        std::size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
            bytes.append(chunk, n);
        std::fclose(f);
        return bytes;
    }

private:
    static int remove_entry(const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }

    std::string m_path;
};

// Counts the assertion reports raised while it exists.
class AssertCounter {
public:
    AssertCounter() : m_previous(sy_set_assert_hook(&count)) { s_count = 0; }
    AssertCounter(const AssertCounter&) = delete;
    AssertCounter& operator=(const AssertCounter&) = delete;
    ~AssertCounter() { sy_set_assert_hook(m_previous); }

    int count() const { return s_count; }

private:
    static void count(const char*, const char*, int, const char*) { ++s_count; }

    static inline std::atomic<int> s_count{0};
    syAssertHook m_previous;
};
