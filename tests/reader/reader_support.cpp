#include "reader/reader_support.h"

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <gtest/gtest.h>
#include <new>
#include <sstream>
#include <unistd.h>

#include "platform/syPath.h"
#include "reader/omXmlFactory.h"

// ---- cursor watch: replaces the global allocation functions ---------------

namespace {

constexpr int kMaxWatched = 1 << 12;
void* g_watched[kMaxWatched];
int g_watched_count = 0;
bool g_watching = false;
bool g_watch_sizes = false;

void* allocate(std::size_t n) {
    void* p = std::malloc(n ? n : 1);
    if (!p)
        throw std::bad_alloc();
    return p;
}

void remember(void* p) {
    if (g_watched_count < kMaxWatched)
        g_watched[g_watched_count++] = p;
}

void forget(void* p) {
    for (int i = 0; i < g_watched_count; ++i) {
        if (g_watched[i] == p) {
            g_watched[i] = g_watched[--g_watched_count];
            return;
        }
    }
}

} // namespace

void* operator new(std::size_t n) {
    void* p = allocate(n);
    if (g_watching && g_watch_sizes && n == sizeof(omPositionX))
        remember(p);
    return p;
}
// Every form is replaced, so no allocation pairs a replaced form with the library's.
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    try {
        return operator new(n);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept {
    forget(p);
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { operator delete(p); }
// Arrays are never cursors: they bypass the watch.
void* operator new[](std::size_t n) { return allocate(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return std::malloc(n ? n : 1); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

omCursorWatch::omCursorWatch(Scope scope) {
    g_watched_count = 0;
    g_watching = true;
    g_watch_sizes = scope == cursor_sized;
}
omCursorWatch::~omCursorWatch() {
    g_watching = false;
    g_watch_sizes = false;
    g_watched_count = 0;
}
int omCursorWatch::alive() const { return g_watched_count; }

omPositionX* omCursorWatch::make(char* text) {
    omPositionX* cursor = new omPositionX(text);
    if (g_watching && !g_watch_sizes)
        remember(cursor);
    return cursor;
}

// ---- files and readers -----------------------------------------------------

std::string write_temp_file(const std::string& text) {
    static int serial = 0;
    std::string path =
        ::testing::TempDir() + "omxml_reader_" + std::to_string(::getpid()) + "_" + std::to_string(++serial) + ".xml";
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

int open_descriptor_count() {
    int count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (::readdir(dir))
            ++count;
        ::closedir(dir);
    }
    return count;
}

std::unique_ptr<omAbstractXmlReader> reader_on(const std::string& xml) {
    std::string path = write_temp_file(xml);
    auto reader = omSimpleXmlFactory().create_xml_reader_path(3, syPath(syString::from_utf8(path)));
    std::remove(path.c_str());
    return reader;
}

std::unique_ptr<omAbstractXmlReader> read_reader_on(const std::string& xml) {
    auto reader = reader_on(xml);
    EXPECT_TRUE(reader->read_file());
    return reader;
}

std::string dumped(const omAbstractXmlReader& reader) {
    std::ostringstream out;
    reader.dump_error(out);
    return out.str();
}

const std::string kEndError = "omEndException:: Xml reader moved of the end of the file\n";
std::string char_error(char expected) {
    return std::string("omCharException:: Xml file did not contain expected char ") + expected + "\n";
}
std::string tag_error(const std::string& tag) { return "omTagException:: Something wrong with tag " + tag + "\n"; }
