// Loads, edits, validates and saves a document through the factory located
// as "XMLService" in the process-wide service registry.
#include <cstring>
#include <iostream>
#include <memory>
#include <string>

#include <omxml/backend/lxDocumentFactory.h>
#include <omxml/omxml.h>

namespace {

const char* kSchema = "<xs:schema xmlns:xs='http://www.w3.org/2001/XMLSchema'>"
                      "<xs:element name='order'><xs:complexType><xs:sequence>"
                      "<xs:element name='line' maxOccurs='unbounded'><xs:complexType>"
                      "<xs:attribute name='sku' type='xs:string' use='required'/>"
                      "<xs:attribute name='qty' type='xs:int' use='required'/>"
                      "</xs:complexType></xs:element>"
                      "</xs:sequence></xs:complexType></xs:element></xs:schema>";

} // namespace

int main(int argc, char** argv) {
    const char* dir = argc > 1 ? argv[1] : ".";
    syPath schema(syString::from_utf8(std::string(dir) + "/order.xsd"));
    syPath saved(syString::from_utf8(std::string(dir) + "/order.xml"));
    if (std::FILE* fp = schema.file_open(schema.write_mode())) {
        std::fputs(kSchema, fp);
        std::fclose(fp);
    }

    lx_register_xml_service(); // the back-end publishes its factory as "XMLService"
    kuServiceName working;
    std::shared_ptr<omDocumentFactory> factory =
        kuService::get_instance()->locate_service<omDocumentFactory>(kuServiceName(ku_lit("XMLService")), working);
    if (!factory)
        return 1;

    const char* text = "<order><line sku='A-1' qty='2'/></order>";
    omParseError error;
    std::shared_ptr<omDocument> doc =
        factory->loadDocument(syByteArray(text, std::strlen(text)), omLoadOptions(), error);
    if (!doc) {
        std::cerr << "load: " << error.message() << '\n';
        return 1;
    }
    std::shared_ptr<omElement> line = doc->createElement(SYSTRING("line"));
    line->set_attribute(SYSTRING("sku"), SYSTRING("B-7"));
    line->set_attribute(SYSTRING("qty"), 5); // typed accessor: written as "5"
    doc->getDocumentElement()->appendChild(line);

    if (!factory->saveDocument(doc, saved))
        return 1;
    omLoadOptions validating(omValidateOn);
    validating.set_no_namespace_schema(schema);
    std::shared_ptr<omDocument> checked = factory->loadDocument(saved, validating, error);
    if (!checked) {
        std::cerr << "invalid: " << error.message() << '\n';
        return 1;
    }
    std::shared_ptr<omNodeList> lines = checked->getElementsByTagName(SYSTRING("line"));
    int total = 0;
    while (std::shared_ptr<omElement> l = lines->next_node()) {
        int qty = 0;
        if (l->get_attribute(SYSTRING("qty"), qty))
            total += qty;
    }
    std::cout << lines->length() << " lines, " << total << " items\n";
    return total == 7 ? 0 : 1;
}
