#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "platform/qcDynArr.h"
#include "platform/qcPageArr.h"
#include "platform/qcPrf.h"
#include "platform/syPath.h"
#include "platform/syProcessControl.h"
#include "platform/syQfsFile.h"

namespace {

std::string make_temp_dir() {
    const char* base = std::getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/omxml_platform_XXXXXX";
    char* made = ::mkdtemp(&templ[0]);
    return made ? std::string(made) : std::string();
}

syPath path_in(const std::string& dir, const wchar_t* name) {
    return syPath(syString::from_utf8(dir) + syString(sySTRING_L, L"/") + syString(sySTRING_L, name));
}

} // namespace

TEST(SyPath, ExoticNamesReachTheFileSystemUnchanged) {
    std::string dir = make_temp_dir();
    ASSERT_FALSE(dir.empty());
    for (const wchar_t* name : {L"a b.xml", L"nb\u00A0sp.xml", L"pct%20.xml", L"\u0444\u0430\u0439\u043B.xml"}) {
        syPath path = path_in(dir, name);
        EXPECT_FALSE(path.exists());
        EXPECT_NE(path.delete_file(), 0) << "deleting a missing file reports success";
        std::FILE* fp = path.file_open(path.write_mode());
        ASSERT_NE(fp, nullptr);
        std::fputs("<r/>", fp);
        std::fclose(fp);
        EXPECT_TRUE(path.exists());
        // The UTF-8 name on disk is exactly the text's encoding.
        std::string utf8 = dir + "/" + syString(sySTRING_L, name).to_utf8();
        EXPECT_EQ(::access(utf8.c_str(), F_OK), 0);
        EXPECT_STREQ(path.path().c_str(), utf8.c_str());
        EXPECT_NE(path.delete_file(), 0);
        EXPECT_FALSE(path.exists());
    }
    ::rmdir(dir.c_str());
}

TEST(SyPath, DeleteFailsWhenTheFileCannotBeRemoved) {
    std::string dir = make_temp_dir();
    ASSERT_FALSE(dir.empty());
    syPath inner = path_in(dir, L"sub");
    ASSERT_EQ(::mkdir(inner.path().c_str(), 0700), 0);
    EXPECT_EQ(inner.delete_file(), 0) << "a directory is not a file";
    ::rmdir(inner.path().c_str());
    ::rmdir(dir.c_str());
}

TEST(SyQfsFileStdio, ReadsAFileThroughTheFileInterface) {
    std::string dir = make_temp_dir();
    syPath path = path_in(dir, L"f.txt");
    std::FILE* fp = path.file_open("wb");
    std::fputs("hello", fp);
    std::fclose(fp);

    syIQfsFileqcPrf file(new syQfsFileStdio(path.path(), syQfsRead));
    ASSERT_TRUE(file->is_open());
    EXPECT_EQ(file->seek(0, 2), 0);
    EXPECT_EQ(file->position(), 5);
    EXPECT_EQ(file->rewind(), 0);
    char buffer[8] = {};
    EXPECT_EQ(file->read(buffer, 1, 5), 5u);
    EXPECT_STREQ(buffer, "hello");
    syIQfsFileqcPrf share = file;
    EXPECT_EQ(file.use_count(), 2);
    path.delete_file();
    ::rmdir(dir.c_str());
}

TEST(SyQfsFileStdio, UnopenablePathsAndDirectoriesReportFailure) {
    std::string dir = make_temp_dir();
    for (const std::string& name : {dir + "/missing.xml", dir}) {
        syQfsFileStdio file(kuString(name.c_str()), syQfsRead);
        EXPECT_FALSE(file.is_open()) << name;
        EXPECT_EQ(file.seek(0, 2), -1);
        EXPECT_EQ(file.position(), -1);
        char c;
        EXPECT_EQ(file.read(&c, 1, 1), 0u);
    }
    ::rmdir(dir.c_str());
}

TEST(SyProcessControl, GivesTheProcessId) { EXPECT_EQ(syProcessControl().getpid(), static_cast<int>(::getpid())); }

TEST(Containers, CharArrayGrowsByIndexing) {
    charqcDynArr a;
    EXPECT_EQ(a.count(), 0);
    a[9] = 'x';
    EXPECT_EQ(a.count(), 10);
    ASSERT_EQ(a.expand(1000), 1);
    EXPECT_EQ(a.count(), 10);
    EXPECT_EQ(a[9], 'x');
    ASSERT_EQ(a.resize(3), 1);
    EXPECT_EQ(a.count(), 3);
    EXPECT_EQ(a.resize(-1), 0);
}

TEST(Containers, PointerArrayIndexingGrowsWithNulls) {
    kuAnyqcPageArrINTERNALqcDynArr table(5, 10);
    int x = 0;
    table[3] = &x;
    EXPECT_EQ(table.size(), 4);
    EXPECT_EQ(table[0], nullptr);
    EXPECT_EQ(table[3], &x);
    table.shrink(1);
    EXPECT_EQ(table.size(), 1);
    table.clear(1);
    EXPECT_EQ(table.size(), 0);
}

TEST(Containers, StringPageArrayKeepsElementsInPlace) {
    kuStringqcPageArr a;
    a.append(kuString("first"));
    const kuString* first = &a[0];
    for (int i = 0; i < 5000; ++i)
        a.append(kuString("more"));
    EXPECT_EQ(first, &a[0]);
    EXPECT_STREQ(a[0].c_str(), "first");
    a[6000] = kuString("far");
    EXPECT_EQ(a.size(), 6001);
}

TEST(Containers, ExternalDeleterLeavesTheObjectAlone) {
    int* owned = new int(7);
    {
        std::shared_ptr<int> share(owned, qcPrfExternalDeleter());
        EXPECT_NE(std::get_deleter<qcPrfExternalDeleter>(share), nullptr);
    }
    EXPECT_EQ(*owned, 7);
    delete owned;
}
