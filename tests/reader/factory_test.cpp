// Reader factories, the file a reader holds, and the owning pointers.
#include <gtest/gtest.h>

#include "reader/omXmlFactory.h"
#include "reader/omXmlOwners.h"
#include "reader/reader_support.h"

// Reaches the shared owner's private external().
class omAbstractXmlReaderqcPrfTestAccess {
public:
    static bool external(const omAbstractXmlReaderqcPrf& owner) { return owner.external(); }
};

namespace {

// A reader that counts its destructions.
class omCountedReader : public omAbstractXmlReader {
public:
    explicit omCountedReader(int& destroyed) : m_destroyed(destroyed) {}
    ~omCountedReader() override { ++m_destroyed; }
    bool read_file() override { return true; }
    void up() override {}
    bool down_to(const kuString&) override { return false; }
    kuString attribute(const kuString&, const kuString& default_value) override { return default_value; }
    kuString text_node() override { return kuString(); }
    bool has_error_occurred() const override { return false; }

private:
    int& m_destroyed;
};

char g_text[] = "<?xml version=\"1.0\"?><r/>";

} // namespace

TEST(ReaderFactory, AReaderFromAFileHandleIsNotReadYet) {
    std::string path = write_temp_file("<?xml version=\"1.0\"?>\n<r/>\n");
    syIQfsFileqcPrf file(new syQfsFileStdio(kuString(path.c_str()), 0));
    auto reader = omSimpleXmlFactory().create_xml_reader_file(3, file);
    EXPECT_EQ(str(reader->encoding()), "Unknown");
    EXPECT_FALSE(reader->has_error_occurred());
    EXPECT_TRUE(reader->read_file());
    std::remove(path.c_str());
}

TEST(ReaderFactory, AReaderFromAHandleSharesTheFileWithTheCaller) {
    std::string path = write_temp_file("<?xml version=\"1.0\"?>\n<r/>\n");
    syIQfsFileqcPrf file(new syQfsFileStdio(kuString(path.c_str()), 0));
    auto reader = omSimpleXmlFactory().create_xml_reader_file(3, file);
    EXPECT_EQ(file.use_count(), 2);
    reader.reset();
    EXPECT_EQ(file.use_count(), 1);
    EXPECT_TRUE(file->is_open());
    std::remove(path.c_str());
}

TEST(ReaderFactory, DestroyingAReaderMadeFromAPathClosesItsFile) {
    std::string path = write_temp_file("<?xml version=\"1.0\"?>\n<r/>\n");
    int before = open_descriptor_count();
    auto reader = omSimpleXmlFactory().create_xml_reader_path(3, syPath(syString::from_utf8(path)));
    EXPECT_EQ(open_descriptor_count(), before + 1);
    EXPECT_TRUE(reader->read_file());
    reader.reset();
    EXPECT_EQ(open_descriptor_count(), before);
    std::remove(path.c_str());
}

TEST(ReaderFactory, BothInterfacesMakeTheSameKindOfReader) {
    omSimpleXmlFactory factory;
    const omIXmlPathFactory& paths = factory;
    auto reader = paths.create_xml_reader_path(1, syPath(SYSTRING("no-such-file.xml")));
    ASSERT_TRUE(reader);
    EXPECT_FALSE(reader->read_file());
}

TEST(ReaderOwners, ASingleOwnerDeletesWhatItHolds) {
    omCursorWatch watch(omCursorWatch::cursor_sized);
    {
        omInitialPositionXqcPrg owner(new omInitialPositionX(g_text));
        EXPECT_EQ(str(owner->version()), "1.0");
        owner = new omInitialPositionX(g_text);
        EXPECT_EQ(watch.alive(), 1);
        owner.become(new omInitialPositionX(g_text));
        EXPECT_EQ(watch.alive(), 1);
        owner.reset();
        EXPECT_EQ(owner.get(), nullptr);
        EXPECT_EQ(watch.alive(), 0);
        owner = new omInitialPositionX(g_text);
    }
    EXPECT_EQ(watch.alive(), 0);
}

TEST(ReaderOwners, ReleaseHandsTheObjectBack) {
    omCursorWatch watch(omCursorWatch::cursor_sized);
    omInitialPositionX* held = nullptr;
    {
        omInitialPositionXqcPrg owner(new omInitialPositionX(g_text));
        held = owner.release();
        EXPECT_EQ(owner.get(), nullptr);
    }
    EXPECT_EQ(watch.alive(), 1);
    delete held;
}

TEST(ReaderOwners, SwapAndSelfAssignment) {
    omCursorWatch watch(omCursorWatch::cursor_sized);
    omInitialPositionXqcPrg a(new omInitialPositionX(g_text));
    omInitialPositionXqcPrg b;
    omInitialPositionX* held = a.get();
    a.swap(b);
    EXPECT_EQ(a.get(), nullptr);
    EXPECT_EQ(b.get(), held);
    b = held;
    EXPECT_EQ(b.get(), held);
    EXPECT_EQ(watch.alive(), 1);
    EXPECT_EQ(str(b->encoding()), "utf-8");
}

TEST(ReaderOwners, AReaderOwnerDeletesTheWholeReader) {
    int destroyed = 0;
    {
        omAbstractXmlReaderqcPrg owner(new omCountedReader(destroyed));
        owner = new omCountedReader(destroyed);
        EXPECT_EQ(destroyed, 1);
        omAbstractXmlReaderqcPrg other;
        other.swap(owner);
        EXPECT_EQ(owner.get(), nullptr);
    }
    EXPECT_EQ(destroyed, 2);
}

TEST(ReaderOwners, TheLastShareOfAnOwnedReaderDeletesIt) {
    int destroyed = 0;
    {
        omAbstractXmlReaderqcPrf first(new omCountedReader(destroyed));
        std::shared_ptr<omAbstractXmlReader> plain = first;
        omAbstractXmlReaderqcPrf second(plain);
        EXPECT_EQ(plain.use_count(), 3);
        EXPECT_EQ(second.get(), first.get());
        EXPECT_FALSE(omAbstractXmlReaderqcPrfTestAccess::external(first));
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(ReaderOwners, AnExternallyOwnedReaderOutlivesItsShares) {
    int destroyed = 0;
    omCountedReader reader(destroyed);
    {
        omAbstractXmlReaderqcPrf share(qcPrfExtern, &reader);
        omAbstractXmlReaderqcPrf copy = share;
        EXPECT_TRUE(omAbstractXmlReaderqcPrfTestAccess::external(share));
        EXPECT_TRUE(omAbstractXmlReaderqcPrfTestAccess::external(copy));
        EXPECT_EQ(copy->down_to(ku_lit("x")), false);
    }
    EXPECT_EQ(destroyed, 0);
    EXPECT_FALSE(omAbstractXmlReaderqcPrfTestAccess::external(omAbstractXmlReaderqcPrf()));
}
