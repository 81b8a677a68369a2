#include "bench_walk.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include <rapidxml/rapidxml.hpp>

#include "platform/kuString.h"
#include "platform/syPath.h"
#include "platform/syQfsFile.h"
#include "reader/omXmlFactory.h"

namespace {

// A read-only file object over bytes already in memory, so the reader reads
// exactly the bytes the peers parse, without touching the disk.
class MemoryFile : public syIQfsFile {
public:
    explicit MemoryFile(const std::string& bytes) : m_bytes(bytes) {}
    bool is_open() const override { return true; }
    int close() override { return 0; }
    int seek(long long distance, int origin) override {
        const long long size = static_cast<long long>(m_bytes.size());
        const long long base = origin == 0 ? 0 : origin == 1 ? m_position : size;
        m_position = std::min(std::max(base + distance, 0LL), size);
        return 0;
    }
    long long position() override { return m_position; }
    std::size_t read(void* buffer, std::size_t item_size, std::size_t count) override {
        const std::size_t left = m_bytes.size() - static_cast<std::size_t>(m_position);
        const std::size_t items = std::min(count, left / item_size);
        std::memcpy(buffer, m_bytes.data() + m_position, items * item_size);
        m_position += static_cast<long long>(items * item_size);
        return items;
    }
    std::size_t write(const void*, std::size_t, std::size_t) override { return 0; }
    int rewind() override {
        m_position = 0;
        return 0;
    }

private:
    const std::string& m_bytes;
    long long m_position = 0;
};

WalkResult walk_reader(omAbstractXmlReader& reader) {
    WalkResult result;
    if (!reader.read_file() || !reader.down_to(ku_lit("catalog"))) {
        result.items = -1;
        return result;
    }
    const kuString item = ku_lit("item");
    const kuString title = ku_lit("title");
    const kuString id = ku_lit("id");
    const kuString none = ku_lit("");
    while (reader.down_to(item)) {
        ++result.items;
        result.id_bytes += reader.attribute(id, none).length();
        reader.down_to(title);
        result.title_bytes += reader.text_node().length();
        reader.up();
        reader.up();
    }
    if (reader.has_error_occurred()) {
        result.items = -1;
    }
    return result;
}

} // namespace

WalkResult walk_omxml_bytes(const std::string& bytes) {
    const omSimpleXmlFactory factory;
    const syIQfsFileqcPrf file(new MemoryFile(bytes));
    const std::unique_ptr<omAbstractXmlReader> reader = factory.create_xml_reader_file(3, file);
    return walk_reader(*reader);
}

WalkResult walk_omxml_path(const syPath& path) {
    const omSimpleXmlFactory factory;
    const std::unique_ptr<omAbstractXmlReader> reader = factory.create_xml_reader_path(3, path);
    return walk_reader(*reader);
}

WalkResult walk_pugixml_doc(const pugi::xml_document& doc) {
    WalkResult result;
    for (pugi::xml_node item = doc.child("catalog").child("item"); item; item = item.next_sibling("item")) {
        ++result.items;
        result.id_bytes += static_cast<long>(std::strlen(item.attribute("id").value()));
        result.title_bytes += static_cast<long>(std::strlen(item.child("title").child_value()));
    }
    return result;
}

WalkResult walk_pugixml_inplace(char* bytes, std::size_t size) {
    pugi::xml_document doc;
    if (!doc.load_buffer_inplace(bytes, size)) {
        return WalkResult{-1, 0, 0};
    }
    return walk_pugixml_doc(doc);
}

WalkResult walk_rapidxml(char* bytes) {
    WalkResult result;
    rapidxml::xml_document<> doc;
    doc.parse<0>(bytes);
    const rapidxml::xml_node<>* catalog = doc.first_node("catalog");
    if (catalog == nullptr) {
        return WalkResult{-1, 0, 0};
    }
    for (const rapidxml::xml_node<>* item = catalog->first_node("item"); item != nullptr;
         item = item->next_sibling("item")) {
        ++result.items;
        const rapidxml::xml_attribute<>* id = item->first_attribute("id");
        result.id_bytes += id != nullptr ? static_cast<long>(id->value_size()) : 0;
        const rapidxml::xml_node<>* title = item->first_node("title");
        result.title_bytes += title != nullptr ? static_cast<long>(title->value_size()) : 0;
    }
    return result;
}
