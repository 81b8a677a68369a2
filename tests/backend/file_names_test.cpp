// File names as Windows and POSIX systems write them: names outside ASCII,
// saving over a file, drive letters, backslashes and the \\?\ prefix, device
// names and folders, sizes past 2 GiB, and the encodings a document may name.
#include "platform/syFileSystem.h"
#include "platform/syQfsFile.h"
#include "reader/omXmlFactory.h"
#include "support.h"

namespace {

const std::string k_doc = "<?xml version=\"1.0\"?><m><XY Value=\"1.2\"/></m>";

bool save_to(const std::shared_ptr<omDocument>& document, const std::string& path) {
    return backend().saveDocument(document, syPath(wide(path)));
}

// The path with every '/' made the system's own separator.
std::string native(std::string path) {
    if (kWindows)
        std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

TEST(FileNames, NamesOutsideAsciiAreCreatedFoundAndListedAsWritten) {
    TempDir dir;
    for (const std::string name :
         {"caf\xC3\xA9.xml", "\xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB.xml", "emoji\xF0\x9F\x98\x80.xml"}) {
        Loaded doc = load(k_doc);
        ASSERT_TRUE(save_to(doc.document, dir.file(name))) << name;
        EXPECT_EQ(dir.entries(), std::vector<std::string>{name});
        EXPECT_TRUE(load_file(dir.file(name)).document) << name;
        auto reader = omSimpleXmlFactory().create_xml_reader_path(3, syPath(wide(dir.file(name))));
        ASSERT_TRUE(reader && reader->read_file() && reader->down_to(ku("m")) && reader->down_to(ku("XY"))) << name;
        EXPECT_EQ(str(reader->attribute(ku("Value"), ku(""))), "1.2");
        EXPECT_TRUE(syPath(wide(dir.file(name))).exists());
        EXPECT_EQ(syPath(wide(dir.file(name))).delete_file(), 1);
    }
    EXPECT_TRUE(dir.entries().empty());
}

// A save replaces the old file whole; where the system refuses (a read-only
// file on Windows) the old file stays as it was. No temporary file remains.
TEST(FileNames, SavingOverAnExistingFileReplacesItOrLeavesItWhole) {
    TempDir dir;
    std::string path = dir.write("data.xml", "<old/>");
    Loaded doc = load(k_doc);
    ASSERT_TRUE(save_to(doc.document, path));
    ASSERT_TRUE(save_to(doc.document, path)) << "a second save over the first";
    EXPECT_EQ(read_bytes(path), saved(doc.document));
    std::string locked = dir.write("locked.xml", "<old/>");
    std::filesystem::permissions(fs_path(locked), std::filesystem::perms::owner_read |
                                                      std::filesystem::perms::group_read |
                                                      std::filesystem::perms::others_read);
    bool replaced = save_to(doc.document, locked);
    EXPECT_EQ(replaced, !kWindows) << "a read-only file is replaced by a rename on POSIX systems only";
    EXPECT_EQ(read_bytes(locked), replaced ? saved(doc.document) : "<old/>");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"data.xml", "locked.xml"}));
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
    std::vector<std::string> folders = {native(syFileSystem::absolute(dir.path()))};
    if (kWindows)
        folders.push_back("\\\\?\\" + folders[0]);
    for (const std::string& folder : folders) {
        SCOPED_TRACE(folder);
        omLoadOptions resolving;
        resolving.set_disable_entity_resolution(false);
        Loaded doc = load_file(native(folder + "/doc.xml"), resolving);
        ASSERT_TRUE(doc.document) << doc.message();
        EXPECT_EQ(narrow(doc.root()->get_text()), "PART");
        omLoadOptions validating(omValidateOn);
        validating.set_no_namespace_schema(syPath(wide(native(folder + "/main.xsd"))));
        EXPECT_TRUE(load("<m>1.5</m>", validating).document);
        EXPECT_FALSE(load("<m>x</m>", validating).document);
        Loaded broken = load_file(native(folder + "/broken.xml"));
        EXPECT_EQ(narrow(broken.error.url()), native(folder + "/broken.xml"));
        EXPECT_EQ(broken.error.line_number(), 2);
    }
}

// Windows keeps some names for devices in every folder: they are refused as
// FIFOs are elsewhere. Folders are refused everywhere.
TEST(FileNames, DeviceNamesAndFoldersAreNotReadAsFiles) {
    for (const char* name :
         {"NUL", "con", "C:\\dir\\aux.xml", "dir/COM1.txt", "lpt9", "nul.", "CONOUT$", "\\\\.\\pipe\\x"})
        EXPECT_TRUE(syFileSystem::is_device_name(name)) << name;
    for (const char* name : {"NULL", "console.xml", "COM0", "COM10", "dir/nul/x.xml", "LPT", "a.nul"})
        EXPECT_FALSE(syFileSystem::is_device_name(name)) << name;
    TempDir dir;
    std::vector<std::string> refused = {dir.path()};
    if (kWindows)
        refused.insert(refused.end(), {"NUL", "CON", dir.file("nul.xml")});
    for (const std::string& name : refused) {
        Loaded outcome = load_file(name);
        EXPECT_FALSE(outcome.document) << name;
        EXPECT_FALSE(outcome.message().empty()) << name;
        EXPECT_FALSE(syQfsFileStdio(ku(name), syQfsRead).is_open()) << name;
    }
}

TEST(FileNames, FilesPastTwoGibibytesAreMeasuredWhole) {
    TempDir dir;
    const long long size = (3LL << 30) + 5;
    std::string path = dir.write("big.bin", "");
    std::error_code ec;
    std::filesystem::resize_file(fs_path(path), static_cast<std::uintmax_t>(size), ec);
    if (ec)
        GTEST_SKIP() << "no room for a sparse 3 GiB file here: " << ec.message();
    syQfsFileStdio file(ku(path), syQfsRead);
    ASSERT_TRUE(file.is_open());
    ASSERT_EQ(file.seek(0, 2), 0);
    EXPECT_EQ(file.position(), size);
}

// libxml2 reads ISO-8859-x everywhere; without iconv (the Windows build) it
// refuses the others, naming the encoding, instead of misreading them.
TEST(FileNames, DocumentEncodingsAreReadOrRefusedByName) {
    for (const char* encoding : {"ISO-8859-2", "windows-1252", "Shift_JIS", "EUC-JP", "GB2312", "KOI8-R"}) {
        Loaded doc = load(std::string("<?xml version=\"1.0\" encoding=\"") + encoding + "\"?><r>abc</r>");
        bool everywhere = std::string(encoding).compare(0, 9, "ISO-8859-") == 0;
        if (doc.document || !kWindows || everywhere) {
            ASSERT_TRUE(doc.document) << encoding << ": " << doc.message();
            EXPECT_EQ(narrow(doc.root()->get_text()), "abc");
        } else {
            EXPECT_NE(doc.message().find(encoding), std::string::npos) << doc.message();
        }
    }
}

} // namespace
