// Fuzz target of the document back-end's loader. The first bytes choose the
// load options (validation against a fixed schema or not, the entity
// expansion limit, entity resolution), the rest is the document text.
// Checking the same text without a tree must come to the same verdict, message
// and position. A document that loads must come back the same (element names, attribute
// values, texts, comments) when its root element's get_xml() and its saved
// bytes are loaded again with the same options.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "backend/lxDocumentFactory.h"
#include "backend/lxStreamValidator.h"
#include "dom/omDocument.h"
#include "dom/omElement.h"
#include "dom/omNamedNodeMap.h"
#include "dom/omNodeList.h"
#include "fuzz_input.h"
#include "platform/syByteArray.h"
#include "platform/syFileSystem.h"
#include "platform/syPath.h"
#include "platform/syString.h"

namespace fs = std::filesystem;

namespace {

const char kSchema[] = R"(<?xml version="1.0"?>
<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema">
  <xs:element name="r">
    <xs:complexType>
      <xs:sequence>
        <xs:element name="i" minOccurs="0" maxOccurs="unbounded">
          <xs:complexType mixed="true"><xs:attribute name="n" type="xs:int"/></xs:complexType>
        </xs:element>
      </xs:sequence>
      <xs:attribute name="v" type="xs:string"/>
    </xs:complexType>
  </xs:element>
</xs:schema>
)";

const char kNamespacedSchema[] = R"(<?xml version="1.0"?>
<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema" targetNamespace="urn:fuzz" elementFormDefault="qualified">
  <xs:element name="r">
    <xs:complexType>
      <xs:sequence><xs:any processContents="lax" minOccurs="0" maxOccurs="unbounded"/></xs:sequence>
      <xs:anyAttribute processContents="lax"/>
    </xs:complexType>
  </xs:element>
</xs:schema>
)";

// The schemas live in a directory of their own for the life of the process.
struct omFuzzSchemas {
    omFuzzSchemas() {
        directory = fs::u8path(syFileSystem::make_temp_dir(fs::temp_directory_path().u8string(), "omxml-fuzz-"));
        if (directory.empty())
            std::abort();
        plain = write("plain.xsd", kSchema);
        namespaced = write("namespaced.xsd", kNamespacedSchema);
    }
    ~omFuzzSchemas() {
        std::error_code ec;
        fs::remove_all(directory, ec);
    }
    syPath write(const char* name, const char* text) const {
        fs::path file = directory / name;
        std::ofstream(file) << text;
        return syPath(syString::from_utf8(file.u8string()));
    }
    fs::path directory;
    syPath plain;
    syPath namespaced;
};

const omFuzzSchemas& schemas() {
    static const omFuzzSchemas instance;
    return instance;
}

omLoadOptions options_from(std::uint8_t flags, std::uint8_t limit_choice) {
    static const int limits[] = {50000, 0, 1, 2, 10, 100, 1000, 1 << 30};
    omLoadOptions options;
    options.set_validate_mode((flags & 1) ? omValidateOn : omValidateOff);
    options.set_disable_entity_resolution((flags & 2) == 0);
    options.set_entity_expansion_limit(limits[limit_choice % 8]);
    if (flags & 4)
        options.set_no_namespace_schema(schemas().plain);
    if (flags & 8)
        options.add_external_schema(syString::from_utf8("urn:fuzz"), schemas().namespaced);
    return options;
}

// A flat record of a subtree: for each node its name and value, for elements
// their attributes and the end of their children. Adjacent texts are joined,
// since they serialize as one.
std::vector<std::string> shape_of(const std::shared_ptr<omElement>& root) {
    std::vector<std::string> shape;
    std::vector<std::pair<std::shared_ptr<omNodeList>, int>> stack;
    auto visit = [&](const std::shared_ptr<omElement>& node) {
        std::string name = node->getNodeName().to_utf8();
        std::string value = node->getNodeValue().to_utf8();
        if (name == "#text" && !shape.empty() && shape.back().compare(0, 6, "#text\n") == 0) {
            shape.back() += value;
            return;
        }
        shape.push_back(name + "\n" + value);
        std::shared_ptr<omNamedNodeMap> attributes = node->getAttributes();
        if (attributes) {
            int n = attributes->getLength();
            for (int i = 0; i < n; ++i) {
                std::shared_ptr<omNode> attribute = attributes->item(i);
                OM_FUZZ_CHECK(attribute != nullptr);
                shape.push_back("@" + attribute->getNodeName().to_utf8() + "=" + attribute->getNodeValue().to_utf8());
            }
        }
        if (name.empty() || name[0] != '#')
            stack.emplace_back(node->getChildNodes(), 0);
    };
    visit(root);
    while (!stack.empty()) {
        auto& top = stack.back();
        if (!top.first || top.second >= top.first->length()) {
            shape.push_back("/");
            stack.pop_back();
            continue;
        }
        std::shared_ptr<omElement> child = top.first->at(top.second++);
        OM_FUZZ_CHECK(child != nullptr);
        visit(child);
    }
    return shape;
}

void check_reloads_same(omDocumentFactory& factory, const syByteArray& bytes, const omLoadOptions& options,
                        const std::vector<std::string>& shape) {
    omParseError error;
    std::shared_ptr<omDocument> again = factory.loadDocument(bytes, options, error);
    if (!again) {
        std::fprintf(stderr, "reload failed: %s\n--- text ---\n%.*s\n", error.message().to_utf8().c_str(),
                     static_cast<int>(bytes.size()), bytes.data());
    }
    OM_FUZZ_CHECK(again != nullptr);
    OM_FUZZ_CHECK(error.invalid());
    std::shared_ptr<omElement> root = again->getDocumentElement();
    OM_FUZZ_CHECK(root != nullptr);
    OM_FUZZ_CHECK(shape_of(root) == shape);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static lxDocumentFactory factory;
    omFuzzInput input(data, size);
    std::uint8_t flags = input.byte();
    omLoadOptions options = options_from(flags, input.byte());
    std::string text = input.rest();

    omParseError error;
    std::shared_ptr<omDocument> document = factory.loadDocument(syByteArray(text.data(), text.size()), options, error);
    // Checking without a tree comes to the load's verdict, message and position.
    static lxStreamValidator validator;
    omParseError checked;
    OM_FUZZ_CHECK(validator.check(syByteArray(text.data(), text.size()), options, checked) == (document != nullptr));
    OM_FUZZ_CHECK(checked.message() == error.message());
    OM_FUZZ_CHECK(checked.line_number() == error.line_number() && checked.column_number() == error.column_number());
    if (!document) {
        // A failed load says why.
        OM_FUZZ_CHECK(!error.invalid());
        OM_FUZZ_CHECK(!error.message().empty());
        return 0;
    }
    OM_FUZZ_CHECK(error.invalid());
    std::shared_ptr<omElement> root = document->getDocumentElement();
    OM_FUZZ_CHECK(root != nullptr);
    std::vector<std::string> shape = shape_of(root);

    std::string markup = root->get_xml().to_utf8();
    check_reloads_same(factory, syByteArray(markup.data(), markup.size()), options, shape);

    syByteArray saved;
    OM_FUZZ_CHECK(factory.saveDocument(document, saved));
    check_reloads_same(factory, saved, options, shape);
    (void)document->get_xml();
    return 0;
}
