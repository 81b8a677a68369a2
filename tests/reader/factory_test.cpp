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

} // namespace

TEST(ReaderFactory, TheFileAReaderHolds) {
    std::string path = write_temp_file("<?xml version=\"1.0\"?>\n<r/>\n");
    int before = open_descriptor_count();
    auto reader = omSimpleXmlFactory().create_xml_reader_path(3, syPath(syString::from_utf8(path)));
    EXPECT_EQ(open_descriptor_count(), before + 1);
    EXPECT_TRUE(reader->read_file());
    reader.reset();
    EXPECT_EQ(open_descriptor_count(), before);

    syIQfsFileqcPrf file(new syQfsFileStdio(kuString(path.c_str()), 0));
    reader = omSimpleXmlFactory().create_xml_reader_file(3, file);
    EXPECT_EQ(file.use_count(), 2);
    EXPECT_TRUE(reader->read_file());
    reader.reset();
    EXPECT_EQ(file.use_count(), 1);
    EXPECT_TRUE(file->is_open());
    std::remove(path.c_str());
}

TEST(ReaderOwners, SharedReaderOwners) {
    int destroyed = 0;
    {
        omAbstractXmlReaderqcPrf first(new omCountedReader(destroyed));
        std::shared_ptr<omAbstractXmlReader> plain = first;
        omAbstractXmlReaderqcPrf second(plain);
        EXPECT_EQ(plain.use_count(), 3);
        EXPECT_FALSE(omAbstractXmlReaderqcPrfTestAccess::external(first));
    }
    EXPECT_EQ(destroyed, 1);
    omCountedReader reader(destroyed);
    {
        omAbstractXmlReaderqcPrf share(qcPrfExtern, &reader);
        omAbstractXmlReaderqcPrf copy = share;
        EXPECT_TRUE(omAbstractXmlReaderqcPrfTestAccess::external(copy));
    }
    EXPECT_EQ(destroyed, 1);
    EXPECT_FALSE(omAbstractXmlReaderqcPrfTestAccess::external(omAbstractXmlReaderqcPrf()));
}
