// Saving documents to memory and to files.
#include <csignal>
#include <cstdio>

#include "support.h"

#ifndef _WIN32
#include <dlfcn.h>
#include <sys/resource.h>

namespace {

// fsync and rename are interposed for this whole program: while recording,
// each call is noted with the names it concerns, and fsync can be made to fail.
bool g_recording = false;
bool g_fsync_fails = false;
std::vector<std::string> g_calls;

std::string base_name(const std::string& path) { return path.substr(path.rfind('/') + 1); }

std::string name_of(int fd) {
    char target[4096];
    ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), target, sizeof target - 1);
    return n > 0 ? base_name(std::string(target, static_cast<std::size_t>(n))) : "?";
}

} // namespace

extern "C" int fsync(int fd) {
    static auto real = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"));
    if (g_recording)
        g_calls.push_back("fsync " + name_of(fd));
    if (g_fsync_fails) {
        errno = EIO;
        return -1;
    }
    return real(fd);
}

extern "C" int rename(const char* from, const char* to) noexcept {
    static auto real = reinterpret_cast<int (*)(const char*, const char*)>(::dlsym(RTLD_NEXT, "rename"));
    if (g_recording)
        g_calls.push_back("rename " + base_name(from) + " " + base_name(to));
    return real(from, to);
}
#endif

namespace {

std::shared_ptr<omDocument> document_with(int children) {
    std::shared_ptr<omDocument> doc = backend().createDocument(SYSTRING("Test"));
    for (int i = 0; i < children; ++i)
        doc->getDocumentElement()->appendChild(doc->createElement(SYSTRING("child")))->set_text(SYSTRING("text"));
    return doc;
}

bool save_to(const std::shared_ptr<omDocument>& document, const std::string& path) {
    return backend().saveDocument(document, syPath(wide(path)));
}

TEST(Save, MemoryAndFileHoldTheSameDocument) {
    std::shared_ptr<omDocument> doc = document_with(3);
    syByteArray output;
    output.assign("stale", 5);
    ASSERT_TRUE(backend().saveDocument(doc, output));
    const std::string text(output.data(), output.size());
    EXPECT_EQ(text, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Test><child>text</child><child>text</child>"
                    "<child>text</child></Test>\n");
    TempDir dir;
    ASSERT_TRUE(save_to(doc, dir.file("save \xD1\x84%20.xml")));
    EXPECT_EQ(read_bytes(dir.file("save \xD1\x84%20.xml")), text);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"save \xD1\x84%20.xml"});
}

TEST(Save, UnwritablePlacesReturnFalse) {
    TempDir dir;
    std::shared_ptr<omDocument> doc = document_with(1);
    EXPECT_FALSE(save_to(doc, dir.file("not/a/dir/file.xml")));
    EXPECT_FALSE(backend().saveDocument(doc, syPath()));
    EXPECT_FALSE(backend().saveDocument(nullptr, syPath(wide(dir.file("x.xml")))));
    ASSERT_TRUE(std::filesystem::create_directory(fs_path(dir.file("taken"))));
    EXPECT_FALSE(save_to(doc, dir.file("taken")));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"taken"});
}

// The new content reaches the disk before it takes the old file's name; a
// save whose data cannot be synced leaves the old file as it was.
TEST(Save, FileReplacementIsSyncedBeforeTheRenameAndKeepsTheMode) {
    SKIP_ON_WINDOWS("system calls cannot be interposed; Save.OverAnExistingFile stands in");
#ifndef _WIN32
    TempDir dir;
    const std::string old = "<?xml version=\"1.0\"?><old/>\n";
    std::string path = dir.write("keep.xml", old);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    std::shared_ptr<omDocument> doc = document_with(2);
    g_calls.clear();
    g_recording = g_fsync_fails = true;
    bool saved_anyway = save_to(doc, path);
    g_fsync_fails = false;
    EXPECT_FALSE(saved_anyway);
    EXPECT_EQ(read_bytes(path), old);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"keep.xml"});
    g_calls.clear();
    bool ok = save_to(doc, path);
    g_recording = false;
    ASSERT_TRUE(ok);
    ASSERT_EQ(g_calls.size(), 3u);
    const std::string temporary = g_calls[0].substr(6);
    EXPECT_EQ(g_calls[0], "fsync " + temporary);
    EXPECT_EQ(g_calls[1], "rename " + temporary + " keep.xml");
    EXPECT_EQ(g_calls[2], "fsync " + base_name(dir.path()));
    EXPECT_EQ(read_bytes(path), saved(doc));
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"keep.xml"});
#endif
}

TEST(Save, ThroughASymbolicLinkTheTargetIsReplacedAndTheLinkStays) {
    SKIP_ON_WINDOWS("symbolic links need privileges there");
#ifndef _WIN32
    TempDir dir;
    dir.write("real.xml", "<old/>");
    ASSERT_EQ(::symlink("real.xml", dir.file("link.xml").c_str()), 0);
    std::shared_ptr<omDocument> doc = document_with(1);
    ASSERT_TRUE(save_to(doc, dir.file("link.xml")));
    struct stat st;
    ASSERT_EQ(::lstat(dir.file("link.xml").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(read_bytes(dir.file("real.xml")), saved(doc));
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"link.xml", "real.xml"}));
#endif
}

// Namespace names and attribute defaults with characters that must be
// escaped load again after a save to memory, a save to a file and get_xml.
TEST(Save, QuotedValuesThatNeedEscapingLoadAgain) {
    TempDir dir;
    for (const std::string& text :
         {std::string("<!DOCTYPE r [<!ATTLIST r d CDATA \"dfl&lt;t&amp;&quot;\">]><r/>"),
          std::string("<r xmlns=\"urn:a&amp;b\"><x xmlns:p=\"urn:p&amp;\" p:y=\"1\"/></r>")}) {
        SCOPED_TRACE(text);
        Loaded doc = load(text);
        ASSERT_TRUE(doc.document) << doc.message();
        const std::string markup = narrow(doc.root()->get_xml());
        ASSERT_TRUE(save_to(doc.document, dir.file("saved.xml")));
        for (const Loaded& again : {load(saved(doc.document)), load_file(dir.file("saved.xml")), load(markup)}) {
            ASSERT_TRUE(again.document) << again.message();
            EXPECT_EQ(narrow(again.root()->get_xml()), markup);
        }
    }
}

// A save whose write stops part way (at the file-size limit here, as on a
// full disk) fails and leaves the old file exactly as it was.
TEST(Save, AWriteThatStopsPartWayFailsAndKeepsTheOldFile) {
    SKIP_ON_WINDOWS(
        "no file-size limit for a child process to stop a write; Save.UnwritablePlacesReturnFalse stands in");
#ifndef _WIN32
    TempDir dir;
    const std::string old = "<?xml version=\"1.0\"?><old/>\n";
    const std::string path = dir.write("keep.xml", old);
    std::shared_ptr<omDocument> doc = document_with(2000);
    int status = run_in_child([&] {
        const struct rlimit limit = {8192, 8192};
        std::signal(SIGXFSZ, SIG_IGN);
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 2;
        return save_to(doc, path) ? 1 : 0;
    });
    EXPECT_EQ(status, 0) << "1: the save reported success";
    EXPECT_EQ(read_bytes(path), old);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"keep.xml"});
    ASSERT_TRUE(save_to(doc, path));
    EXPECT_EQ(read_bytes(path), saved(doc));
#endif
}

TEST(Save, TheDeclarationKeepsStandalone) {
    EXPECT_EQ(saved(load("<?xml version='1.0' standalone='yes'?><r/>").document),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<r/>\n");
}

} // namespace
