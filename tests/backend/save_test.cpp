// Saving documents to memory and to files.

#include <csignal>
#include <string>

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/backend/backend_test_support.h"

namespace {

int entries_in(const std::string& directory) {
    int n = 0;
    if (DIR* d = ::opendir(directory.c_str())) {
        while (dirent* e = ::readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                ++n;
        ::closedir(d);
    }
    return n;
}

std::shared_ptr<omDocument> big_document(int children) {
    std::shared_ptr<omDocument> doc = test_factory()->createDocument(SYSTRING("Test"));
    std::shared_ptr<omElement> root = doc->getDocumentElement();
    for (int i = 0; i < children; ++i)
        root->appendChild(as_node(doc->createElement(SYSTRING("child"))))->set_text(SYSTRING("some text"));
    return doc;
}

TEST(Save, MemoryAndFileLoadBack) {
    TempDir dir;
    std::shared_ptr<omDocument> doc = big_document(3);
    syByteArray output;
    output.assign("stale", 5);
    ASSERT_TRUE(test_factory()->saveDocument(doc, output));
    std::string text(output.data(), output.size());
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u) << text;
    omParseError error;
    std::shared_ptr<omDocument> back = test_factory()->loadDocument(output, omLoadOptions(), error);
    ASSERT_TRUE(back);
    EXPECT_EQ(utf8(back->getDocumentElement()->getNodeName()), "Test");
    EXPECT_EQ(back->getDocumentElement()->getChildNodes()->length(), 3);

    std::string path = dir.file("save \xD1\x84%20.xml");
    ASSERT_TRUE(test_factory()->saveDocument(doc, syPath(wide(path))));
    back = test_factory()->loadDocument(syPath(wide(path)), omLoadOptions(), error);
    ASSERT_TRUE(back) << utf8(error.message());
    EXPECT_EQ(back->getDocumentElement()->getChildNodes()->length(), 3);
    EXPECT_EQ(TempDir::read(path), text);
    EXPECT_EQ(entries_in(dir.path()), 1);
}

TEST(Save, UnwritablePlacesReturnFalse) {
    TempDir dir;
    std::shared_ptr<omDocument> doc = big_document(1);
    EXPECT_FALSE(test_factory()->saveDocument(doc, syPath(wide(dir.file("not/a/dir/file.xml")))));
    EXPECT_FALSE(test_factory()->saveDocument(doc, syPath()));
    EXPECT_FALSE(test_factory()->saveDocument(nullptr, syPath(wide(dir.file("x.xml")))));
    // A directory in the way stays a directory, and no temporary file is left.
    ASSERT_EQ(::mkdir(dir.file("taken").c_str(), 0755), 0);
    EXPECT_FALSE(test_factory()->saveDocument(doc, syPath(wide(dir.file("taken")))));
    EXPECT_EQ(entries_in(dir.path()), 1);
}

TEST(Save, FailedWriteLeavesTheOldFileIntact) {
    TempDir dir;
    std::string path = dir.file("keep.xml");
    const std::string old = "<?xml version=\"1.0\"?><old/>\n";
    ASSERT_TRUE(TempDir::write(path, old));
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    std::shared_ptr<omDocument> doc = big_document(2000);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Writing more than 4 KB fails in the child, as on a full disk.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        bool saved = test_factory()->saveDocument(doc, syPath(wide(path)));
        ::_exit(saved ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the save reported success";
    EXPECT_EQ(TempDir::read(path), old);
    EXPECT_EQ(entries_in(dir.path()), 1);

    // A save that succeeds replaces the file and keeps its permissions.
    ASSERT_TRUE(test_factory()->saveDocument(doc, syPath(wide(path))));
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_GT(st.st_size, 4096);
    EXPECT_EQ(entries_in(dir.path()), 1);
}

} // namespace

TEST(SaveRoundTrip, QuotedValuesThatNeedEscapingLoadAgain) {
    for (const std::string& text :
         {std::string("<!DOCTYPE r [<!ATTLIST r d CDATA \"dfl&lt;t&amp;\">]><r/>"),
          std::string("<r xmlns=\"urn:a&amp;b\"><x xmlns:p=\"urn:p&amp;\" p:y=\"1\"/></r>")}) {
        omParseError error;
        std::shared_ptr<omDocument> doc = load_xml(text, error);
        ASSERT_TRUE(doc) << utf8(error.message());
        syByteArray saved;
        ASSERT_TRUE(test_factory()->saveDocument(doc, saved));
        std::shared_ptr<omDocument> again = test_factory()->loadDocument(saved, omLoadOptions(), error);
        ASSERT_TRUE(again) << std::string(saved.data(), saved.size()) << ": " << utf8(error.message());
        std::string markup = utf8(doc->getDocumentElement()->get_xml());
        EXPECT_TRUE(load_xml(markup, error)) << markup << ": " << utf8(error.message());
        EXPECT_EQ(utf8(again->getDocumentElement()->get_xml()), markup);
    }
}
