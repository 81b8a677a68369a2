#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "platform/syPath.h"
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
