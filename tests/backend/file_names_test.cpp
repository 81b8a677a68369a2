// File names as Windows and POSIX systems write them: saving over a file,
// drive letters, backslashes and the prefix for long names, device names and
// folders, sizes past 2 GiB, and the encodings a document may name.
#include "platform/syFileSystem.h"
#include "platform/syQfsFile.h"
#include "reader/omXmlFactory.h"
#include "support.h"

namespace {

bool save_to(const std::shared_ptr<omDocument>& document, const std::string& path) {
    return backend().saveDocument(document, syPath(wide(path)));
}

// A save replaces the old file whole; where the system refuses (a read-only
// file on Windows) the old file stays as it was. No temporary file remains.
TEST(FileNames, SavingOverAnExistingFileReplacesItOrLeavesItWhole) {
    TempDir dir;
    Loaded doc = load("<new>\xF0\x9F\x98\x80</new>");
    std::string path = dir.write("data \xF0\x9F\x98\x80.xml", "<old/>");
    ASSERT_TRUE(save_to(doc.document, path));
    EXPECT_EQ(read_bytes(path), saved(doc.document));
    auto reader = omSimpleXmlFactory().create_xml_reader_path(3, syPath(wide(path)));
    EXPECT_TRUE(reader && reader->read_file() && reader->down_to(ku("new")));
    std::string locked = dir.write("locked.xml", "<old/>");
    std::filesystem::permissions(fs_path(locked), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    bool replaced = save_to(doc.document, locked);
    EXPECT_EQ(replaced, !kWindows) << "a read-only file is replaced by a rename on POSIX systems only";
    EXPECT_EQ(read_bytes(locked), replaced ? saved(doc.document) : "<old/>");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"data \xF0\x9F\x98\x80.xml", "locked.xml"}));
}

// Relative entities and schema includes resolve from a document named with
// the system's separators (and on Windows a drive letter, or the prefix for
// long names); a fault names the document as the caller wrote it.
TEST(FileNames, SystemPathsResolveRelativeNamesAndAppearAsWritten) {
    TempDir dir;
    dir.write("part.ent", "PART");
    dir.write("types.xsd", "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"><xs:simpleType name=\"v\">"
                           "<xs:restriction base=\"xs:decimal\"/></xs:simpleType></xs:schema>");
    dir.write("main.xsd", "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"><xs:include "
                          "schemaLocation=\"types.xsd\"/><xs:element name=\"m\" type=\"v\"/></xs:schema>");
    dir.write("doc.xml", "<!DOCTYPE r [<!ENTITY e SYSTEM \"part.ent\">]><r>&e;</r>");
    dir.write("broken.xml", "<r>\n</b>");
    std::string folder = syFileSystem::absolute(dir.path());
    if (kWindows)
        std::replace(folder.begin(), folder.end(), '/', '\\');
    for (const std::string& prefix :
         kWindows ? std::vector<std::string>{"", "\\\\?\\"} : std::vector<std::string>{""}) {
        const std::string at = prefix + folder + (kWindows ? "\\" : "/");
        SCOPED_TRACE(at);
        omLoadOptions resolving;
        resolving.set_disable_entity_resolution(false);
        Loaded doc = load_file(at + "doc.xml", resolving);
        ASSERT_TRUE(doc.document) << doc.message();
        EXPECT_EQ(narrow(doc.root()->get_text()), "PART");
        omLoadOptions validating(omValidateOn);
        validating.set_no_namespace_schema(syPath(wide(at + "main.xsd")));
        EXPECT_TRUE(load("<m>1.5</m>", validating).document);
        EXPECT_FALSE(load("<m>x</m>", validating).document);
        EXPECT_EQ(narrow(load_file(at + "broken.xml").error.url()), at + "broken.xml");
    }
}

// Windows keeps some names for devices in every folder: they are refused as
// FIFOs are elsewhere. Folders are refused everywhere.
TEST(FileNames, DeviceNamesAndFoldersAreNotReadAsFiles) {
    for (const char* name : {"NUL", "con", "C:\\d\\aux.xml", "d/COM1.txt", "lpt9", "nul.", "CONOUT$", "\\\\.\\pipe\\x"})
        EXPECT_TRUE(syFileSystem::is_device_name(name)) << name;
    for (const char* name : {"NULL", "console.xml", "COM0", "COM10", "d/nul/x.xml", "LPT", "a.nul"})
        EXPECT_FALSE(syFileSystem::is_device_name(name)) << name;
    std::vector<std::string> refused = {::testing::TempDir()};
    if (kWindows)
        refused.insert(refused.end(), {"NUL", "CON", ::testing::TempDir() + "nul.xml"});
    for (const std::string& name : refused) {
        EXPECT_FALSE(load_file(name).document) << name;
        EXPECT_FALSE(syQfsFileStdio(ku(name), syQfsRead).is_open()) << name;
    }
}

TEST(FileNames, FilesPastTwoGibibytesAreMeasuredWhole) {
    TempDir dir;
    std::error_code ec;
    std::filesystem::resize_file(fs_path(dir.write("big", "")), (3ULL << 30) + 5, ec);
    if (ec)
        GTEST_SKIP() << "no room for a sparse 3 GiB file here: " << ec.message();
    syQfsFileStdio file(ku(dir.file("big")), syQfsRead);
    ASSERT_EQ(file.seek(0, 2), 0);
    EXPECT_EQ(file.position(), (3LL << 30) + 5);
}

// libxml2 reads ISO-8859-x everywhere; without iconv (the Windows build) it
// refuses the others, naming the encoding, instead of misreading them.
TEST(FileNames, DocumentEncodingsAreReadOrRefusedByName) {
    for (const std::string encoding : {"ISO-8859-2", "windows-1252", "Shift_JIS", "EUC-JP", "GB2312", "KOI8-R"}) {
        Loaded doc = load("<?xml version=\"1.0\" encoding=\"" + encoding + "\"?><r>abc</r>");
        if (doc.document || !kWindows || encoding.compare(0, 9, "ISO-8859-") == 0) {
            ASSERT_TRUE(doc.document) << encoding << ": " << doc.message();
            EXPECT_EQ(narrow(doc.root()->get_text()), "abc");
        } else {
            EXPECT_NE(doc.message().find(encoding), std::string::npos) << doc.message();
        }
    }
}

} // namespace
