// Fuzz target of XPath selection: the input is an expression (UTF-8, any
// bytes) evaluated with selectNodes and selectSingleNode from the root and
// from an inner element of one fixed document. Every answer must be a list
// handle whose items are all there, and the single node must be the list's
// first item.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "backend/lxDocumentFactory.h"
#include "dom/omDocument.h"
#include "dom/omElement.h"
#include "dom/omNodeList.h"
#include "fuzz_input.h"
#include "platform/syByteArray.h"
#include "platform/syString.h"

namespace {

const char kDocument[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<catalog xmlns:x="urn:x" version="2">
  <!-- items -->
  <item id="1" x:tag="a"><name>Bolt</name><price currency="EUR">0.10</price></item>
  <item id="2"><name>Nut &amp; washer</name><price>0.05</price><note><![CDATA[<fragile>]]></note></item>
  <x:item id="3">mixed <b>bold</b> text<?pi data?></x:item>
  <empty/>
</catalog>
)";

struct omFixedDocument {
    omFixedDocument() {
        omParseError error;
        std::string text = kDocument;
        document = factory.loadDocument(syByteArray(text.data(), text.size()), omLoadOptions(), error);
        if (!document)
            std::abort();
        root = document->getDocumentElement();
        inner = root->selectSingleNode(syString::from_utf8("item[2]"));
        if (!root || !inner)
            std::abort();
    }
    lxDocumentFactory factory;
    std::shared_ptr<omDocument> document;
    std::shared_ptr<omElement> root;
    std::shared_ptr<omElement> inner;
};

void select_from(const std::shared_ptr<omElement>& context, const syString& expression) {
    std::shared_ptr<omNodeList> nodes = context->selectNodes(expression);
    OM_FUZZ_CHECK(nodes != nullptr);
    int n = nodes->length();
    OM_FUZZ_CHECK(n >= 0);
    for (int i = 0; i < n; ++i) {
        std::shared_ptr<omElement> item = nodes->at(i);
        OM_FUZZ_CHECK(item != nullptr);
        (void)item->getNodeName();
        (void)item->get_text();
    }
    std::shared_ptr<omElement> single = context->selectSingleNode(expression);
    if (n == 0) {
        OM_FUZZ_CHECK(single == nullptr);
    } else {
        OM_FUZZ_CHECK(single != nullptr);
        OM_FUZZ_CHECK(*single == *nodes->at(0));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static omFixedDocument fixed;
    omFuzzInput input(data, size);
    syString expression = syString::from_utf8(input.rest());
    select_from(fixed.root, expression);
    select_from(fixed.inner, expression);
    return 0;
}
